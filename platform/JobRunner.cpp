#include "platform/JobRunner.h"

#include "platform/HeapTrim.h"

namespace muralto::platform {

ThreadJobRunner::ThreadJobRunner() : receiver_(std::make_unique<QObject>()) {}

ThreadJobRunner::~ThreadJobRunner() {
    if (!thread_.joinable())
        return;
    if (abandoned_)
        thread_.detach();
    else
        thread_.join();
}

void ThreadJobRunner::start(std::function<void()> work, std::function<void()> done) {
    if (thread_.joinable())
        thread_.join();  // the previous work has returned: its done has run
    {
        const std::lock_guard lock(mutex_);
        running_ = true;
    }
    thread_ = std::thread([this, work = std::move(work), done = std::move(done)]() mutable {
        work();
        work = nullptr;  // what the work held goes before the heap is trimmed
        // The work's large blocks (a decoded picture, a list of a million names) are freed
        // on this thread's heap; giving them back keeps the idle program small.
        TrimHeap();
        QMetaObject::invokeMethod(receiver_.get(), std::move(done), Qt::QueuedConnection);
        const std::lock_guard lock(mutex_);
        running_ = false;
        ended_.notify_all();
    });
}

bool ThreadJobRunner::waitForWork(std::chrono::milliseconds deadline) {
    std::unique_lock lock(mutex_);
    if (ended_.wait_for(lock, deadline, [this] { return !running_; }))
        return true;
    abandoned_ = true;
    return false;
}

}  // namespace muralto::platform
