#pragma once

#include <deque>
#include <functional>
#include <utility>

#include "platform/JobRunner.h"

namespace muralto::test {

/// Runs each job at once, or, while hold is set, keeps it until the test runs its work and
/// then brings it back, as the event loop would.
class HeldJobRunner : public platform::JobRunner {
public:
    void start(std::function<void()> work, std::function<void()> done) override {
        if (!hold) {
            work();
            done();
            return;
        }
        jobs.push_back({std::move(work), std::move(done)});
    }
    bool waitForWork(std::chrono::milliseconds) override { return jobs.empty(); }

    /// The oldest held job's work.
    void runWork() { std::exchange(jobs.front().work, nullptr)(); }
    /// Brings the oldest held job back (its work run first if it has not run yet).
    void bringBack() {
        if (jobs.front().work)
            runWork();
        auto done = std::move(jobs.front().done);
        jobs.pop_front();
        done();
    }

    struct Job {
        std::function<void()> work, done;
    };
    bool hold = false;
    std::deque<Job> jobs;
};

}  // namespace muralto::test
