#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/PageBlocks.h"

namespace muralto::imaging {

/// Carries rows from a producer (a decoder) to a consumer (a scaler) that runs on a thread of
/// its own, so that the two share the work of one picture between two cores. Rows travel in
/// batches through a few buffers of its own: the producer fills a free batch, submits it, and
/// waits only when every batch is still being consumed. The consumer sees every row once, in
/// order. Where no thread can be started, submit consumes the rows itself.
///
/// Only the producer's thread calls the members. Nothing here allocates once running: the
/// consumer's thread takes no heap of its own.
class RowPipeline {
public:
    static constexpr int kBatchRows = 16;
    static constexpr int kBatches = 4;

    using Consumer = std::function<void(const unsigned char* row)>;

    /// Rows of rowBytes each go to consume.
    RowPipeline(std::size_t rowBytes, Consumer consume);
    /// Waits for the rows submitted so far to be consumed (see finish).
    ~RowPipeline();
    RowPipeline(const RowPipeline&) = delete;
    RowPipeline& operator=(const RowPipeline&) = delete;

    /// Whether the buffers could be had; nothing else may be called otherwise.
    bool ok() const { return block_.data != nullptr; }
    /// Whether the rows are consumed on a thread of their own.
    bool threaded() const { return thread_.joinable(); }

    /// A free batch of kBatchRows rows, one after the other; waits for one while all are in use.
    unsigned char* freeBatch();
    /// Hands over the batch of the last freeBatch, its first count rows filled.
    void submit(int count);
    /// Waits until every row submitted is consumed and ends the consumer's thread.
    void finish();

private:
    void run();
    void consumeBatch(int batch, int count);
    unsigned char* batchData(int batch) const;

    const std::size_t rowBytes_;
    const Consumer consume_;
    platform::PageBlock block_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int freeBatches_[kBatches];  ///< a stack of the batches not in use
    int freeCount_ = 0;
    struct Ready {
        int batch;
        int count;
    } ready_[kBatches];  ///< the batches submitted, oldest first
    int readyFirst_ = 0;
    int readyCount_ = 0;
    bool ending_ = false;
    int current_ = -1;  ///< the batch of the last freeBatch
    std::thread thread_;
};

}  // namespace muralto::imaging
