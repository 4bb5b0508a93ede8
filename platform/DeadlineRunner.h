#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace muralto::platform {

/// Runs calls that may block in the kernel (a stat or an open on a mount whose server is gone)
/// on worker threads, and waits for each only until a deadline. A call that misses it is left
/// to finish on its own; until it does, every call under the same key fails at once, so a
/// stuck mount costs one thread however often it is asked.
class DeadlineRunner {
public:
    explicit DeadlineRunner(std::chrono::milliseconds deadline) : deadline_(deadline) {}

    /// work's answer, or nothing when it did not come within the deadline or an earlier call
    /// under key is still running. work must own what it uses: it may outlive the runner.
    template <typename T>
    std::optional<T> run(const std::string& key, std::function<T()> work);

    /// Whether a call under key is still running.
    bool busy(const std::string& key) const;

private:
    /// What the runner and its workers share; it lives as long as the last of them.
    struct Keys {
        mutable std::mutex mutex;
        std::set<std::string> running;
    };
    template <typename T>
    struct Answer {
        std::mutex mutex;
        std::condition_variable ready;
        std::optional<T> value;
        bool done = false;
    };

    /// Marks key as running; false when it already is.
    bool claim(const std::string& key);

    std::chrono::milliseconds deadline_;
    std::shared_ptr<Keys> keys_ = std::make_shared<Keys>();
};

template <typename T>
std::optional<T> DeadlineRunner::run(const std::string& key, std::function<T()> work) {
    if (!claim(key))
        return std::nullopt;
    auto answer = std::make_shared<Answer<T>>();
    std::thread([keys = keys_, key, answer, work = std::move(work)] {
        std::optional<T> value = work();
        {
            const std::lock_guard lock(keys->mutex);
            keys->running.erase(key);
        }
        const std::lock_guard lock(answer->mutex);
        answer->value = std::move(value);
        answer->done = true;
        answer->ready.notify_all();
    }).detach();
    std::unique_lock lock(answer->mutex);
    if (!answer->ready.wait_for(lock, deadline_, [&] { return answer->done; }))
        return std::nullopt;
    return std::move(answer->value);
}

}  // namespace muralto::platform
