#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include <QObject>

namespace muralto::platform {

/// Runs one piece of work at a time away from the caller, and brings its end back to the
/// caller's thread.
class JobRunner {
public:
    virtual ~JobRunner() = default;
    /// Runs work, then done on the thread that called start. The caller starts no other job
    /// before done has run.
    virtual void start(std::function<void()> work, std::function<void()> done) = 0;
    /// Waits up to deadline for the running work to return. True when none is running (done
    /// may not have run yet: it comes through the caller's event loop).
    virtual bool waitForWork(std::chrono::milliseconds deadline) = 0;
};

/// Runs the work and done at once, on the calling thread.
class InlineJobRunner : public JobRunner {
public:
    void start(std::function<void()> work, std::function<void()> done) override {
        work();
        done();
    }
    bool waitForWork(std::chrono::milliseconds) override { return true; }
};

/// Runs each piece of work on a thread of its own; done goes through the event loop of the
/// thread that owns the runner.
class ThreadJobRunner : public JobRunner {
public:
    ThreadJobRunner();
    /// Waits for work still running, unless waitForWork gave up on it: the process is then
    /// expected to end without running its destructors, since the work still uses what they
    /// would destroy. A done still queued is dropped.
    ~ThreadJobRunner() override;
    ThreadJobRunner(const ThreadJobRunner&) = delete;
    ThreadJobRunner& operator=(const ThreadJobRunner&) = delete;

    void start(std::function<void()> work, std::function<void()> done) override;
    bool waitForWork(std::chrono::milliseconds deadline) override;

private:
    std::unique_ptr<QObject> receiver_;  ///< lives on the owner's thread
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool running_ = false;
    bool abandoned_ = false;
};

}  // namespace muralto::platform
