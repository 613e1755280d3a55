#pragma once

#include "WorkerProcess.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A fixed number of worker slots, each holding one process that is started
// when the pool is made and restarted after any fault. Callers take slots in
// the order they asked (first come, first served, so a long batch cannot
// starve a single conversion), use them from their own thread, and give them
// back. Thread-safe. A write to a worker that died is an error, not this
// process's death, whatever the program does with SIGPIPE.
class WorkerPool {
public:
    WorkerPool(WorkerLaunch launch, std::size_t slots);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    std::size_t Size() const { return m_slots.size(); }

    // Blocks until it is this caller's turn and a slot is free, then takes
    // every free slot up to `most` (at least one). Empty after Shutdown()
    // and for a pool of no slots.
    std::vector<std::size_t> Acquire(std::size_t most);
    void Release(std::size_t slot);

    // Whether a decoded answer answers the request sent; says why not.
    using AnswerCheck = std::function<bool(const WorkerMessage& answer, std::string* why)>;

    // One request and its answer on a slot the caller holds. A process that
    // is gone or misbehaved between jobs is replaced first. An answer that
    // fails `answers` is a Garbage fault. After any fault the slot's process
    // is dropped and the next request starts a new one.
    WorkerReply Exchange(std::size_t slot, const std::vector<std::uint8_t>& request,
                         std::chrono::milliseconds timeLimit, const AnswerCheck& answers);

    // Tells every process to exit, waits briefly, kills what remains and
    // reaps all. Callers blocked in Acquire get no slot.
    void Shutdown();

    // Calls off the work: every exchange in flight kills its process at once
    // and gives an Aborted fault, and so does every later one, without
    // starting a process. Safe in a signal handler (one write to a pipe).
    void Abort();

private:
    struct Slot {
        std::unique_ptr<WorkerProcess> process;
        bool busy = false;
    };

    std::size_t FreeCount() const;

    WorkerLaunch m_launch;
    WakePipe m_abort;  // raised by Abort()
    std::atomic<bool> m_bAborted{false};
    std::vector<Slot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::uint64_t> m_queue;  // tickets of waiting callers, in arrival order
    std::uint64_t m_nextTicket = 0;
    bool m_bShutdown = false;
};
