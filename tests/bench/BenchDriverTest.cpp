// The benchmark drivers run as bench/run runs them, on small inputs: what they scan, shuffle
// and refuse must be what the program itself does.

#include <gtest/gtest.h>

#include <filesystem>

#include "bench/BenchInputs.h"
#include "bench/PoolShuffle.h"
#include "folders/DirectoryScan.h"
#include "imaging/PlayOrder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

namespace muralto::bench {
namespace {

namespace fs = std::filesystem;

/// Runs a driver to its end: its exit code (-1 when it crashed or hung) and what it printed.
std::pair<int, std::string> run(const char* driver, std::initializer_list<std::string> arguments) {
    std::vector<std::string> command{driver};
    command.insert(command.end(), arguments);
    test::ChildProcess process = test::ChildProcess::run(command);
    const std::string out = process.readAll(std::chrono::seconds(60));
    const int exitCode = process.exitCode(std::chrono::seconds(60));
    return {exitCode, exitCode == -1 ? "" : out};
}

TEST(BenchDriver, ScansTheTreeAsTheCatalogueDoes) {
    const test::TempDir dir;
    const std::string root = (dir.path() / "tree").string();
    const TreeSummary tree = makeFileTree(root, 1234);
    ASSERT_EQ(tree.error, "");
    // The tree mixes names that are pictures with names that are not.
    EXPECT_GT(tree.candidates, 0u);
    EXPECT_LT(tree.candidates, tree.files);

    const auto [exitCode, listed] = run(MURALTO_BENCH_DRIVER, {"scan", root, "--list"});
    ASSERT_EQ(exitCode, 0);
    std::vector<std::string> catalogue{""};
    imaging::AddImageFiles(root, catalogue);
    ASSERT_EQ(catalogue.size(), tree.candidates + 1);
    std::string expected;  // the same paths in the same order
    for (std::size_t i = 1; i < catalogue.size(); ++i)
        expected += catalogue[i] + '\n';
    EXPECT_EQ(listed, expected);
}

TEST(BenchDriver, ShufflesAsThePlayOrderAndThePoolReferenceDo) {
    for (const std::size_t n : {0, 65}) {
        SCOPED_TRACE(n);
        const auto [exitCode, out] =
            run(MURALTO_BENCH_DRIVER,
                {"shuffle", std::to_string(n), "--seed", "77", "--check", "--print"});
        ASSERT_EQ(exitCode, 0);
        std::string expected = "matches_pool: yes\n";
        SeededRandom random(77);
        const std::vector<std::uint32_t> order = imaging::ShuffledIndices(n, random);
        for (std::size_t i = 1; i < order.size(); ++i)
            expected += std::to_string(order[i]) + '\n';
        EXPECT_EQ(out.substr(out.find('\n') + 1), expected);  // after the time it took
    }
}

}  // namespace
}  // namespace muralto::bench
