#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "HiveFile.h"
#include "TestSupport.h"

namespace muralto::platform {
namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";

int setValue(HiveFile& hive, const std::string& name, const std::string& data) {
    return hive.modify([&](HiveTree& tree) {
        tree.create("Software\\Test")->setValue(name, data);
        return 0;
    });
}

std::string getValue(HiveFile& hive, const std::string& name) {
    std::string out = "<missing>";
    hive.read([&](const HiveTree& tree) {
        const HiveKey* key = tree.find("Software\\Test");
        if (const std::string* v = key ? key->findValue(name) : nullptr)
            out = *v;
    });
    return out;
}

std::vector<std::filesystem::path> filesStartingWith(const std::filesystem::path& dir,
                                                     const std::string& prefix) {
    std::vector<std::filesystem::path> found;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.path().filename().string().starts_with(prefix))
            found.push_back(e.path());
    }
    return found;
}

class HiveFileTest : public testing::Test {
protected:
    test::TempDir dir;
    std::filesystem::path file = dir.path() / "cfg" / "Brenwick" / "Muralto" / "HKCU.reg";
};

TEST_F(HiveFileTest, FirstWriteCreatesPrivateFolderAndFile) {
    HiveFile hive(file, kRoot);
    EXPECT_EQ(getValue(hive, "Delay"), "<missing>");
    ASSERT_EQ(setValue(hive, "Delay", "60"), 0);

    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(file.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_NE(test::readFile(file).find("[HKEY_CURRENT_USER\\Software\\Test]\n\"Delay\"=\"60\"\n"),
              std::string::npos);
    EXPECT_EQ(getValue(hive, "delay"), "60");
}

TEST_F(HiveFileTest, ParsesAgainOnlyWhenTheFileChanged) {
    HiveFile reader(file, kRoot);
    HiveFile writer(file, kRoot);
    ASSERT_EQ(setValue(writer, "A", "1"), 0);
    EXPECT_EQ(getValue(reader, "A"), "1");
    const auto parses = reader.parseCount();
    EXPECT_EQ(getValue(reader, "A"), "1");
    EXPECT_EQ(reader.parseCount(), parses);

    ASSERT_EQ(setValue(writer, "A", "2"), 0);
    EXPECT_EQ(getValue(reader, "A"), "2");
    EXPECT_EQ(reader.parseCount(), parses + 1);

    // A writer that read before the other's write merges it rather than losing it.
    ASSERT_EQ(setValue(reader, "B", "3"), 0);
    EXPECT_EQ(getValue(writer, "A"), "2");
    EXPECT_EQ(getValue(writer, "B"), "3");
}

TEST_F(HiveFileTest, CorruptFileKeepsGoodLinesAndACopyBeforeItIsReplaced) {
    const std::string corrupt =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Test]\n"
        "\"Delay\"=\"90\"\n\x01\x02garbage\n\"Path\"=\"/pics";
    dir.write(file.lexically_relative(dir.path()), corrupt);
    HiveFile hive(file, kRoot);
    EXPECT_EQ(getValue(hive, "Delay"), "90");
    EXPECT_EQ(getValue(hive, "Path"), "<missing>");
    EXPECT_TRUE(filesStartingWith(file.parent_path(), "HKCU.reg.corrupt-").empty());

    ASSERT_EQ(setValue(hive, "AskDefSS", "1"), 0);
    const auto copies = filesStartingWith(file.parent_path(), "HKCU.reg.corrupt-");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(test::readFile(copies[0]), corrupt);
    EXPECT_EQ(parseHive(test::readFile(file), kRoot).badLines, 0);
    EXPECT_EQ(getValue(hive, "Delay"), "90");

    ASSERT_EQ(setValue(hive, "AskDefSS", "2"), 0);  // a clean file makes no further copies
    EXPECT_EQ(filesStartingWith(file.parent_path(), "HKCU.reg.corrupt-").size(), 1u);
}

TEST_F(HiveFileTest, FolderInPlaceOfTheFileReadsEmptyAndRefusesWrites) {
    std::filesystem::create_directories(file / "inside");
    HiveFile hive(file, kRoot);
    EXPECT_EQ(hive.read([](const HiveTree&) {}), EISDIR);
    EXPECT_EQ(getValue(hive, "Delay"), "<missing>");
    EXPECT_EQ(setValue(hive, "Delay", "60"), EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(file / "inside"));
}

TEST_F(HiveFileTest, UnreadableFileIsNeitherReadNorReplaced) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    dir.write(file.lexically_relative(dir.path()), "Windows Registry Editor Version 5.00\n");
    ::chmod(file.c_str(), 0);
    HiveFile hive(file, kRoot);
    EXPECT_EQ(setValue(hive, "Delay", "60"), EACCES);
    ::chmod(file.c_str(), 0600);
    EXPECT_EQ(test::readFile(file), "Windows Registry Editor Version 5.00\n");
}

/// Runs body in a child process and returns its pid.
template <typename Body>
pid_t spawn(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST_F(HiveFileTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kWrites = 60;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        children.push_back(spawn([&] {
            HiveFile hive(file, kRoot);
            for (int i = 0; i < kWrites; ++i) {
                if (setValue(hive, "p" + std::to_string(p) + "_" + std::to_string(i), "x")) {
                    ::_exit(1);
                }
            }
        }));
    }
    for (pid_t c : children)
        EXPECT_EQ(waitFor(c), 0);
    HiveFile hive(file, kRoot);
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(getValue(hive, "p" + std::to_string(p) + "_" + std::to_string(i)), "x");
        }
    }
}

TEST_F(HiveFileTest, AWriterKilledAtAnyPointLeavesAGoodFileAndNoBlockingLock) {
    HiveFile hive(file, kRoot);
    ASSERT_EQ(setValue(hive, "Keep", "me"), 0);
    std::mt19937 rng(42);
    for (int round = 0; round < 25; ++round) {
        const pid_t child = spawn([&] {
            HiveFile writer(file, kRoot);
            std::string big(20000, 'v');
            for (int i = 0;; ++i)
                setValue(writer, "n" + std::to_string(i % 50), big);
        });
        ::usleep(static_cast<useconds_t>(rng() % 20000));  // a random point of its work
        ::kill(child, SIGKILL);
        waitFor(child);

        EXPECT_EQ(parseHive(test::readFile(file), kRoot).badLines, 0) << round;
        // The lock is free at once: a killed holder never leaves it taken.
        const int lockFd = ::open((file.string() + ".lock").c_str(), O_RDWR);
        ASSERT_GE(lockFd, 0);
        EXPECT_EQ(::flock(lockFd, LOCK_EX | LOCK_NB), 0) << round;
        ::close(lockFd);
        ASSERT_EQ(setValue(hive, "round", std::to_string(round)), 0);
        EXPECT_EQ(getValue(hive, "Keep"), "me");
        EXPECT_TRUE(filesStartingWith(file.parent_path(), "HKCU.reg.tmp-").empty());
    }
    EXPECT_TRUE(filesStartingWith(file.parent_path(), "HKCU.reg.corrupt-").empty());
}

}  // namespace
}  // namespace muralto::platform
