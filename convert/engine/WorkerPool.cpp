#include "WorkerPool.h"

#include <algorithm>

WorkerPool::WorkerPool(WorkerLaunch launch, std::size_t slots)
    : m_launch(std::move(launch)), m_slots(slots)
{
    std::string ignored;  // a start that fails now is retried, and reported, at the first job
    for (Slot& slot : m_slots)
        slot.process = WorkerProcess::Start(m_launch, &ignored);
}

WorkerPool::~WorkerPool()
{
    Shutdown();
}

std::size_t WorkerPool::FreeCount() const
{
    return static_cast<std::size_t>(
        std::count_if(m_slots.begin(), m_slots.end(), [](const Slot& s) { return !s.busy; }));
}

std::vector<std::size_t> WorkerPool::Acquire(std::size_t most)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_slots.empty())
        return {};
    const std::uint64_t ticket = m_nextTicket++;
    m_queue.push_back(ticket);
    m_changed.wait(lock, [&] { return m_bShutdown || (m_queue.front() == ticket && FreeCount() > 0); });
    m_queue.erase(std::find(m_queue.begin(), m_queue.end(), ticket));
    std::vector<std::size_t> taken;
    if (!m_bShutdown) {
        for (std::size_t i = 0; i < m_slots.size() && taken.size() < std::max<std::size_t>(most, 1); ++i) {
            if (!m_slots[i].busy) {
                m_slots[i].busy = true;
                taken.push_back(i);
            }
        }
    }
    m_changed.notify_all();  // the next in line may find a slot still free
    return taken;
}

void WorkerPool::Release(std::size_t slot)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_slots[slot].busy = false;
    }
    m_changed.notify_all();
}

WorkerReply WorkerPool::Exchange(std::size_t slot, const std::vector<std::uint8_t>& request,
                                 std::chrono::milliseconds timeLimit, const AnswerCheck& answers)
{
    if (m_bAborted.load()) {
        WorkerReply reply;
        reply.fault = WorkerFault::Aborted;
        reply.detail = kAbortedDetail;
        return reply;
    }
    // The slot is held by this caller alone, so its process needs no lock.
    std::unique_ptr<WorkerProcess>& process = m_slots[slot].process;
    if (process && !process->Healthy())
        process.reset();
    if (!process) {
        std::string error;
        process = WorkerProcess::Start(m_launch, &error);
        if (!process) {
            WorkerReply reply;
            reply.fault = WorkerFault::NotStarted;
            reply.detail = "the worker program could not be started (" + error + ")";
            return reply;
        }
    }
    WorkerReply reply = process->Exchange(request, timeLimit, m_abort.ReadEnd());
    if (reply.fault == WorkerFault::None && !answers(reply.message, &reply.detail))
        reply.fault = WorkerFault::Garbage;
    if (reply.fault != WorkerFault::None)
        process.reset();
    return reply;
}

void WorkerPool::Shutdown()
{
    std::vector<std::unique_ptr<WorkerProcess>> processes;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bShutdown)
            return;
        m_bShutdown = true;
        for (Slot& slot : m_slots) {
            if (!slot.busy && slot.process)
                processes.push_back(std::move(slot.process));
        }
    }
    m_changed.notify_all();
    for (auto& process : processes)
        process->Shutdown(std::chrono::milliseconds(2000));
}

void WorkerPool::Abort()
{
    if (m_bAborted.exchange(true))
        return;
    m_abort.Raise();
}
