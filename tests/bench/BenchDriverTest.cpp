// The benchmark drivers run as bench/run runs them, on small inputs: what they scan, shuffle,
// compose and refuse must be what the program itself does.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QProcess>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "BenchInputs.h"
#include "Catalogue.h"
#include "DirectoryLists.h"
#include "DirectoryScan.h"
#include "ImageUpdater.h"
#include "JpegHeader.h"
#include "PhotoJpeg.h"
#include "PlayOrder.h"
#include "PoolShuffle.h"
#include "TestSupport.h"

namespace muralto::bench {
namespace {

namespace fs = std::filesystem;

struct DriverRun {
    int exitCode = -1;
    std::string out;
};

/// Runs a driver with arguments to its end.
DriverRun runDriver(const char* program, const QStringList& arguments) {
    QProcess process;
    process.start(QString::fromUtf8(program), arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString()};
}

DriverRun bench(const QStringList& arguments) {
    return runDriver(MURALTO_BENCH_DRIVER, arguments);
}

DriverRun benchGui(const QStringList& arguments) {
    return runDriver(MURALTO_BENCH_GUI_DRIVER, arguments);
}

QString q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

/// The value of a "name: value" line of the output; empty when there is none.
std::string value(const std::string& output, const std::string& name) {
    for (const std::string& line : lines(output)) {
        if (line.starts_with(name + ": "))
            return line.substr(name.size() + 2);
    }
    return {};
}

/// The picture files below root, found without the catalogue: every regular file whose name
/// ends in one of the four-letter picture extensions, in any letter case.
std::vector<std::string> picturesBelow(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string name = entry.path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        const bool picture = name.ends_with(".jpg") || name.ends_with(".bmp") ||
                             name.ends_with(".gif") || name.ends_with(".wmf") ||
                             name.ends_with(".eps");
        if (entry.is_regular_file() && picture)
            found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

TEST(BenchDriver, ScansTheTreeAsTheCatalogueDoes) {
    const test::TempDir dir;
    const fs::path root = dir.path() / "tree";
    const TreeSummary tree = makeFileTree(root.string(), 1234);
    ASSERT_EQ(tree.error, "");
    EXPECT_EQ(tree.files, 1234u);
    EXPECT_EQ(tree.folders, 12u);

    const DriverRun listed = bench({"scan", q(root), "--list"});
    ASSERT_EQ(listed.exitCode, 0);
    std::vector<std::string> catalogue{""};
    imaging::AddImageFiles(root.string(), catalogue);
    catalogue.erase(catalogue.begin());
    EXPECT_EQ(lines(listed.out), catalogue);  // the same paths in the same order

    std::vector<std::string> sorted = lines(listed.out);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, picturesBelow(root));
    EXPECT_EQ(sorted.size(), tree.candidates);
    EXPECT_EQ(value(bench({"scan", q(root)}).out, "candidates"), std::to_string(tree.candidates));
}

TEST(BenchDriver, TreeMixesNamesThatAreAndAreNotPictures) {
    const test::TempDir dir;
    const TreeSummary tree = makeFileTree((dir.path() / "tree").string(), 600);
    ASSERT_EQ(tree.error, "");
    std::size_t hidden = 0, folders = 0, files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path() / "tree")) {
        folders += entry.is_directory();
        files += entry.is_regular_file();
        hidden += entry.path().filename().string().starts_with(".");
    }
    EXPECT_EQ(files, 600u);
    EXPECT_EQ(folders, tree.folders);
    EXPECT_GT(hidden, 0u);
    EXPECT_GT(tree.candidates, 0u);
    EXPECT_LT(tree.candidates, tree.files);
    // A tree cannot be made twice over the same folder.
    EXPECT_NE(makeFileTree((dir.path() / "tree").string(), 10).error, "");
}

/// Draws as scripted; past the script, 0.
class ScriptedRandom : public platform::RandomSource {
public:
    explicit ScriptedRandom(std::vector<double> draws) : draws_(std::move(draws)) {}
    double next() override { return next_ < draws_.size() ? draws_[next_++] : 0.0; }

private:
    std::vector<double> draws_;
    std::size_t next_ = 0;
};

TEST(BenchDriver, PoolReferenceFollowsTheDraws) {
    struct Case {
        std::vector<double> draws;
        std::vector<std::uint32_t> order;
    };
    const Case cases[] = {
        {{0.5, 0.0, 0.9}, {0, 2, 1, 3}},  {{0.99, 0.99, 0.99}, {0, 3, 2, 1}},
        {{0.0, 0.0, 0.0}, {0, 1, 2, 3}},  {{0.34, 0.5, 0.0}, {0, 2, 3, 1}},
        {{1.0, -0.5, 7.0}, {0, 3, 1, 2}},  // draws outside [0, 1) are held to the pool
    };
    for (const Case& c : cases) {
        ScriptedRandom reference(c.draws);
        EXPECT_EQ(PoolShuffle(3, reference), c.order);
        ScriptedRandom program(c.draws);
        EXPECT_EQ(imaging::ShuffledIndices(3, program), c.order);
    }
}

TEST(BenchDriver, ShufflesAsThePlayOrderDoes) {
    for (const std::size_t n : {0, 1, 2, 63, 64, 65, 1000}) {
        SCOPED_TRACE(n);
        const DriverRun run =
            bench({"shuffle", QString::number(n), "--seed", "77", "--check", "--print"});
        ASSERT_EQ(run.exitCode, 0);
        EXPECT_EQ(value(run.out, "matches_pool"), "yes");
        std::vector<std::string> printed;
        for (const std::string& line : lines(run.out)) {
            if (line.find(':') == std::string::npos)
                printed.push_back(line);
        }
        SeededRandom random(77);
        const std::vector<std::uint32_t> order = imaging::ShuffledIndices(n, random);
        std::vector<std::string> expected;
        for (std::size_t i = 1; i < order.size(); ++i)
            expected.push_back(std::to_string(order[i]));
        EXPECT_EQ(printed, expected);
    }
}

TEST(BenchDriver, DifferentSeedsGiveDifferentOrders) {
    SeededRandom first(1), second(2);
    EXPECT_NE(imaging::ShuffledIndices(50, first), imaging::ShuffledIndices(50, second));
}

/// Shows nothing; the bitmap file is what the test looks at.
class NoOutput : public imaging::ImageOutput {
public:
    bool showWallpaper(const std::string&, std::int32_t, std::string*) override { return true; }
    void showFrame(const QImage&, const imaging::CompositionRequest&) override {}
};

/// The bitmap that one update of the program writes for the pictures of folder.
std::string bitmapOfUpdate(const fs::path& folder, const fs::path& bitmap, QSize screen) {
    SeededRandom random(5);
    imaging::MountDirectoryLists lists;
    imaging::Catalogue catalogue(random, lists);
    NoOutput output;
    imaging::ImageUpdater updater(catalogue, output, bitmap.string());
    imaging::UpdateRequest request;
    request.settings.Valid = true;
    request.settings.Path = folder.string() + "/";
    request.settings.AddPath = true;
    request.area = screen;
    request.chars = imaging::measureCharMetrics(imaging::canvasFont());
    request.programDirectory = bitmap.parent_path().string();
    EXPECT_EQ(updater.UpdateImage(request), imaging::UpdateResult::Shown) << updater.lastError();
    return test::readFile(bitmap);
}

TEST(BenchDriver, ComposesTheBitmapThatAnUpdateWrites) {
    const test::TempDir dir;
    fs::create_directories(dir.path() / "pictures");
    const fs::path picture = dir.path() / "pictures" / "photo.jpg";
    ASSERT_EQ(writePhotoJpeg(picture.string(), 900, 600, 3), "");
    const QImage decoded(q(picture));
    EXPECT_EQ(decoded.size(), QSize(900, 600));

    for (const QSize screen : {QSize(320, 240), QSize(1000, 700), QSize(200, 400)}) {
        SCOPED_TRACE(screen.width());
        const fs::path composed = dir.path() / "composed.bmp";
        const DriverRun run =
            benchGui({"compose", q(picture), q(composed), QString::number(screen.width()),
                      QString::number(screen.height())});
        ASSERT_EQ(run.exitCode, 0);
        const std::string bitmap = test::readFile(composed);
        EXPECT_EQ(bitmap.substr(0, 2), "BM");
        EXPECT_EQ(bitmap,
                  bitmapOfUpdate(dir.path() / "pictures", dir.path() / "update.bmp", screen));
    }
}

TEST(BenchDriver, HostileJpegDeclaresAHugeProgressiveFrame) {
    const std::string bytes = hostileJpegBytes();
    EXPECT_EQ(bytes.size(), 252u);
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    const auto header = imaging::readJpegHeader(buffer);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->width, 30000);
    EXPECT_EQ(header->height, 30000);
    EXPECT_TRUE(header->progressive);
    EXPECT_GT(header->coefficientBytes, 2'000'000'000);
}

TEST(BenchDriver, UpdateGivesUpOnTheHostileJpegOnly) {
    struct Case {
        const char* name;
        bool hostile;
        const char* result;
    };
    const test::TempDir dir;
    for (const Case c : {Case{"hostile", true, "failed"}, Case{"good", false, "shown"}}) {
        SCOPED_TRACE(c.name);
        const fs::path folder = dir.path() / c.name;
        fs::create_directories(folder);
        const fs::path picture = folder / "picture.jpg";
        const std::string error = c.hostile ? writeFileBytes(picture.string(), hostileJpegBytes())
                                            : writePhotoJpeg(picture.string(), 400, 300, 1);
        ASSERT_EQ(error, "");
        const fs::path bitmap = dir.path() / (std::string(c.name) + ".bmp");
        const DriverRun run = benchGui({"update", q(folder), q(bitmap), "1920", "1080"});
        ASSERT_EQ(run.exitCode, 0);
        EXPECT_EQ(value(run.out, "update"), c.result);
        EXPECT_EQ(fs::exists(bitmap), !c.hostile);
        if (c.hostile) {
            EXPECT_NE(value(run.out, "error").find("30000 x 30000"), std::string::npos) << run.out;
        }
    }
}

TEST(BenchDriver, MeasuresTheProcessItRuns) {
    // The play order of five million entries takes 20 MB.
    const DriverRun big = bench({"measure", "--", MURALTO_BENCH_DRIVER, "shuffle", "5000000"});
    ASSERT_EQ(big.exitCode, 0);
    EXPECT_GT(std::stol(value(big.out, "maxrss_kb")), 19'000);
    EXPECT_GT(std::stod(value(big.out, "wall_ms")), 0.0);
    EXPECT_EQ(value(big.out, "exit"), "0");

    const DriverRun misused = bench({"measure", "--", MURALTO_BENCH_DRIVER, "no-such-command"});
    EXPECT_EQ(value(misused.out, "exit"), "2");
    EXPECT_EQ(bench({"measure", "--", "/nonexistent/program"}).exitCode, 1);
    EXPECT_EQ(bench({"measure"}).exitCode, 2);
}

TEST(BenchDriver, RefusesMalformedArguments) {
    const QStringList misuses[] = {
        {"shuffle"},
        {"shuffle", "-1"},
        {"shuffle", "10", "--runs", "0"},
        {"scan"},
        {"make-tree", "x"},
        {"resident", "--starts", "2"},
        {"no-such-command"},
    };
    for (const QStringList& arguments : misuses) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(bench(arguments).exitCode, 2);
    }
    EXPECT_EQ(benchGui({"compose", "in.jpg", "out.bmp", "0", "100"}).exitCode, 2);
}

}  // namespace
}  // namespace muralto::bench

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
