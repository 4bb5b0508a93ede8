#include "platform/DeadlineRunner.h"

namespace muralto::platform {

bool DeadlineRunner::busy(const std::string& key) const {
    const std::lock_guard lock(keys_->mutex);
    return keys_->running.contains(key);
}

bool DeadlineRunner::claim(const std::string& key) {
    const std::lock_guard lock(keys_->mutex);
    return keys_->running.insert(key).second;
}

}  // namespace muralto::platform
