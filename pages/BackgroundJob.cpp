#include "BackgroundJob.h"

#include <QThread>
#include <QThreadPool>

#include <algorithm>

namespace {

class PagePool : public QThreadPool {
public:
    PagePool() { setMaxThreadCount(std::max(8, QThread::idealThreadCount() * 2)); }
};

}  // namespace

QThreadPool& PageJobPool()
{
    static PagePool pool;
    return pool;
}
