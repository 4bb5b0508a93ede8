#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/HiveFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";

// The change owns its strings, as a batch that holds it back needs.
int setValue(HiveFile& hive, const std::string& name, const std::string& data) {
    return hive.modify([name, data](HiveTree& tree) {
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

/// A hive reached through links is written where the last link leads; the links stay, and so
/// do the target's permissions.
TEST_F(HiveFileTest, AWriteGoesWhereTheLinkLeadsAndKeepsTheLink) {
    using enum std::filesystem::perms;
    const auto target = dir.write("dotfiles/muralto.reg", "Windows Registry Editor Version 5.00\n");
    const auto via = dir.path() / "links/hive.reg";
    std::filesystem::permissions(target, owner_read | owner_write | group_read);
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::create_directories(via.parent_path());
    std::filesystem::create_symlink(via, file);
    std::filesystem::create_symlink("../dotfiles/muralto.reg", via);
    const auto staleTemporary = dir.write("dotfiles/muralto.reg.tmp-AbCdEf", "left by a crash");
    HiveFile hive(file, kRoot);
    ASSERT_EQ(setValue(hive, "Delay", "60"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    EXPECT_TRUE(std::filesystem::is_symlink(via));
    EXPECT_NE(test::readFile(target).find("\"Delay\"=\"60\""), std::string::npos);
    EXPECT_EQ(std::filesystem::status(target).permissions() & all,
              owner_read | owner_write | group_read);
    EXPECT_FALSE(std::filesystem::exists(staleTemporary));
    EXPECT_TRUE(filesStartingWith(target.parent_path(), "muralto.reg.tmp-").empty());
}

using test::ChildProcess;
TEST_F(HiveFileTest, WhileAnotherProcessKeepsTheLockReadsGoOnAndAWriteGivesUp) {
    HiveFile hive(file, kRoot);
    ASSERT_EQ(setValue(hive, "Delay", "60"), 0);
    const std::string before = test::readFile(file);
    // Held as another process would: flock locks belong to an open file, so the hive's own open
    // of the lock file conflicts with this one.
    const int held = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    HiveFile other(file, kRoot);
    other.setLockTimeout(std::chrono::milliseconds(20));
    EXPECT_EQ(getValue(other, "Delay"), "60");
    EXPECT_EQ(setValue(other, "Delay", "90"), EWOULDBLOCK);
    EXPECT_EQ(test::readFile(file), before);
    // Once the budget of all waits is spent, a write gives up at once, whatever its timeout.
    other.setLockTimeout(std::chrono::hours(1));
    other.limitLockWaits(std::chrono::milliseconds(20));
    for (int write = 0; write < 2; ++write)
        EXPECT_EQ(setValue(other, "Delay", "90"), EWOULDBLOCK);
    ::close(held);
    EXPECT_EQ(setValue(hive, "Delay", "90"), 0);
}

TEST_F(HiveFileTest, AWriterKilledAtAnyPointLeavesAGoodFileAndNoBlockingLock) {
    HiveFile hive(file, kRoot);
    ASSERT_EQ(setValue(hive, "Keep", "me"), 0);
    std::mt19937 rng(42);
    for (int round = 0; round < 15; ++round) {
        auto child = ChildProcess::fork([&]() -> int {
            HiveFile writer(file, kRoot);
            std::string big(20000, 'v');
            for (int i = 0;; ++i)
                setValue(writer, "n" + std::to_string(i % 50), big);
        });
        ::usleep(static_cast<useconds_t>(rng() % 20000));  // a random point of its work
        child.stop(SIGKILL);

        EXPECT_EQ(parseHive(test::readFile(file), kRoot).badLines, 0) << round;
        ASSERT_EQ(setValue(hive, "round", std::to_string(round)), 0);
        EXPECT_EQ(getValue(hive, "Keep"), "me");
        EXPECT_TRUE(filesStartingWith(file.parent_path(), "HKCU.reg.tmp-").empty());
    }
    EXPECT_TRUE(filesStartingWith(file.parent_path(), "HKCU.reg.corrupt-").empty());
}

// A batch keeps the hive's guarantees: its one write takes the lock, merges with what another
// process wrote meanwhile, and leaves the file as it was when it fails.
TEST_F(HiveFileTest, ABatchWritesAllItsChangesInOneReplace) {
    HiveFile hive(file, kRoot);
    ASSERT_EQ(setValue(hive, "Keep", "me"), 0);
    const std::string before = test::readFile(file);
    const std::uint64_t writes = hive.writeCount();
    hive.beginBatch();
    hive.beginBatch();  // nested: only the outer end writes
    for (int i = 0; i < 100; ++i) {
        const std::string name = "n" + std::to_string(i);
        ASSERT_EQ(setValue(hive, name, std::to_string(i)), 0);
    }
    EXPECT_EQ(getValue(hive, "n42"), "42");  // the reads see what is held back
    HiveFile other(file, kRoot);
    ASSERT_EQ(setValue(other, "Other", "theirs"), 0);  // another process, meanwhile
    EXPECT_EQ(hive.endBatch(), 0);
    EXPECT_EQ(hive.writeCount(), writes);
    EXPECT_NE(test::readFile(file), before);  // only the other process's write
    EXPECT_EQ(getValue(other, "n0"), "<missing>");
    EXPECT_EQ(hive.endBatch(), 0);
    EXPECT_EQ(hive.writeCount(), writes + 1);
    for (const char* name : {"Keep", "Other", "n0", "n99"})
        EXPECT_NE(getValue(other, name), "<missing>") << name;
}

TEST_F(HiveFileTest, ABatchWhoseWriteFailsLeavesTheFileAsItWas) {
    HiveFile hive(file, kRoot);
    ASSERT_EQ(setValue(hive, "Delay", "60"), 0);
    const std::string before = test::readFile(file);
    hive.setLockTimeout(std::chrono::milliseconds(20));
    hive.beginBatch();
    ASSERT_EQ(setValue(hive, "Delay", "90"), 0);
    const int held = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_EQ(hive.endBatch(), EWOULDBLOCK);
    ::close(held);
    EXPECT_EQ(test::readFile(file), before);
    EXPECT_EQ(getValue(hive, "Delay"), "60");  // the reads see the file again
    EXPECT_EQ(setValue(hive, "Delay", "90"), 0);
}

}  // namespace
}  // namespace muralto::platform
