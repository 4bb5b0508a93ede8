// The scan driver runs as bench/run runs it, on a small tree: what it scans must be what the
// program itself does.

#include <gtest/gtest.h>

#include <filesystem>
#include <unordered_set>

#include "bench/BenchInputs.h"
#include "folders/DirectoryScan.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

namespace muralto::bench {
namespace {

TEST(BenchDriver, ScansTheTreeAsTheCatalogueDoes) {
    const test::TempDir dir;
    const std::string root = (dir.path() / "tree").string();
    const TreeSummary tree = makeFileTree(root, 1234);
    ASSERT_EQ(tree.error, "");
    // The tree mixes names that are pictures with names that are not.
    EXPECT_GT(tree.candidates, 0u);
    EXPECT_LT(tree.candidates, tree.files);

    test::ChildProcess driver =
        test::ChildProcess::run({MURALTO_BENCH_DRIVER, "scan", root, "--list"});
    const std::string listed = driver.readAll(std::chrono::seconds(60));
    ASSERT_EQ(driver.exitCode(std::chrono::seconds(60)), 0);
    std::vector<std::string> catalogue{""};
    imaging::AddImageFiles(root, catalogue);
    ASSERT_EQ(catalogue.size(), tree.candidates + 1);
    std::string expected;  // the same paths in the same order
    for (std::size_t i = 1; i < catalogue.size(); ++i)
        expected += catalogue[i] + '\n';
    EXPECT_EQ(listed, expected);
}

// An update over the tree must find a picture that loads wherever its choice falls, while the
// names that are no pictures stay empty, as a scan would read them.
TEST(BenchDriver, EveryCandidateOfATreeWithAPictureHoldsIt) {
    const test::TempDir dir;
    const std::string root = (dir.path() / "tree").string();
    const std::string picture = "\xFF\xD8 stands in for a picture";
    const TreeSummary tree = makeFileTree(root, 25'000, picture);
    ASSERT_EQ(tree.error, "");
    std::vector<std::string> listed{""};
    imaging::AddImageFiles(root, listed);
    const std::unordered_set<std::string> catalogue(listed.begin() + 1, listed.end());
    ASSERT_EQ(catalogue.size(), tree.candidates);
    std::size_t holding = 0, empty = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        const std::string path = entry.path().string();
        const bool candidate = catalogue.contains(path);
        const std::string bytes = test::readFile(path);
        holding += candidate && bytes == picture;
        empty += !candidate && bytes.empty();
    }
    EXPECT_EQ(holding, tree.candidates);
    EXPECT_EQ(empty, tree.files - tree.candidates);
}

}  // namespace
}  // namespace muralto::bench
