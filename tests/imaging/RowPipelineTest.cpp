#include <gtest/gtest.h>

#include <vector>

#include "imaging/RowPipeline.h"

namespace muralto::imaging {
namespace {

/// Sends rows numbered from 0 through a pipeline in batches of the given sizes; what the
/// consumer saw, each row as its number.
std::vector<int> sendThrough(const std::vector<int>& batches, std::size_t rowBytes) {
    std::vector<int> seen;
    RowPipeline pipeline(rowBytes, [&seen, rowBytes](const unsigned char* row) {
        seen.push_back(row[0] | row[rowBytes - 1] << 8);
    });
    EXPECT_TRUE(pipeline.ok());
    int next = 0;
    for (const int count : batches) {
        unsigned char* batch = pipeline.freeBatch();
        for (int i = 0; i < count; ++i, ++next) {
            batch[std::size_t(i) * rowBytes] = static_cast<unsigned char>(next & 0xFF);
            batch[std::size_t(i) * rowBytes + rowBytes - 1] = static_cast<unsigned char>(next >> 8);
        }
        pipeline.submit(count);
    }
    pipeline.finish();
    return seen;
}

TEST(RowPipeline, HandsOverEveryRowOnceInOrder) {
    const int full = RowPipeline::kBatchRows;
    const std::vector<std::vector<int>> cases = {
        {},
        {1},
        {full, full, 3},
        {0, full, 0, 5},
        std::vector<int>(100, full),  // many more batches than buffers
    };
    for (const auto& batches : cases) {
        for (const std::size_t rowBytes : {std::size_t(2), std::size_t(9000)}) {
            std::vector<int> expected;
            for (const int count : batches) {
                for (int i = 0; i < count; ++i)
                    expected.push_back(int(expected.size()));
            }
            EXPECT_EQ(sendThrough(batches, rowBytes), expected) << batches.size() << " batches";
        }
    }
}

TEST(RowPipeline, EndsWhenTheProducerGivesUpWithABatchInHand) {
    int seen = 0;
    {
        RowPipeline pipeline(64, [&seen](const unsigned char*) { ++seen; });
        pipeline.freeBatch();
        pipeline.submit(3);
        pipeline.freeBatch();  // a decoder that failed here never submits this one
    }
    EXPECT_EQ(seen, 3);
}

}  // namespace
}  // namespace muralto::imaging
