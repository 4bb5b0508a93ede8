#include "imaging/RowPipeline.h"

#include <system_error>

namespace muralto::imaging {

RowPipeline::RowPipeline(std::size_t rowBytes, Consumer consume)
    : rowBytes_(rowBytes),
      consume_(std::move(consume)),
      block_(platform::allocatePages(rowBytes * kBatchRows * kBatches)) {
    for (int batch = 0; batch < kBatches; ++batch)
        freeBatches_[freeCount_++] = batch;
    if (!ok())
        return;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // No thread: submit consumes the rows in the producer's.
    }
}

RowPipeline::~RowPipeline() {
    finish();
    platform::freePages(block_);
}

unsigned char* RowPipeline::batchData(int batch) const {
    return static_cast<unsigned char*>(block_.data) +
           std::size_t(batch) * rowBytes_ * std::size_t(kBatchRows);
}

unsigned char* RowPipeline::freeBatch() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return freeCount_ > 0; });
    current_ = freeBatches_[--freeCount_];
    return batchData(current_);
}

void RowPipeline::submit(int count) {
    const int batch = current_;
    current_ = -1;
    if (!threaded()) {
        consumeBatch(batch, count);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        ready_[(readyFirst_ + readyCount_++) % kBatches] = {batch, count};
    }
    changed_.notify_all();
}

void RowPipeline::finish() {
    if (!threaded())
        return;
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void RowPipeline::consumeBatch(int batch, int count) {
    const unsigned char* row = batchData(batch);
    for (int i = 0; i < count; ++i, row += rowBytes_)
        consume_(row);
    const std::lock_guard lock(mutex_);
    freeBatches_[freeCount_++] = batch;
}

void RowPipeline::run() {
    for (;;) {
        Ready next{};
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return readyCount_ > 0 || ending_; });
            if (readyCount_ == 0)
                return;  // ending, and every batch is consumed
            next = ready_[readyFirst_];
            readyFirst_ = (readyFirst_ + 1) % kBatches;
            --readyCount_;
        }
        consumeBatch(next.batch, next.count);
        changed_.notify_all();
    }
}

}  // namespace muralto::imaging
