#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/HiveFile.h"
#include "platform/Registry.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

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

TEST_F(HiveFileTest, AWriteThatWouldOutgrowWhatAReadAcceptsLeavesTheFileAlone) {
    HiveFile hive(file, kRoot);
    ASSERT_EQ(setValue(hive, "Delay", "60"), 0);
    const std::string before = test::readFile(file);
    // Every key is written with its whole path: a chain of 512 keys of 600 bytes each would
    // take some 80 MB, past the 64 MiB that a read accepts.
    std::string path(600, 'k');
    for (std::size_t depth = 1; depth < kMaxKeyDepth; ++depth)
        path += "\\" + std::string(600, 'k');
    EXPECT_EQ(hive.modify([&](HiveTree& tree) { return tree.create(path) ? 0 : EINVAL; }), EFBIG);
    EXPECT_EQ(test::readFile(file), before);
    EXPECT_EQ(getValue(hive, "Delay"), "60");
}

TEST(HiveRegistryTest, RefusesAKeyPathDeeperThanTheLimit) {
    test::TempRegistry temp;
    std::string path = "Software";
    while (HiveTree::splitPath(path).size() < kMaxKeyDepth)
        path += "\\k";
    EXPECT_EQ(temp.registry.setValue(RootKey::CurrentUser, path, "Delay", "60"), 0);
    EXPECT_EQ(temp.registry.setValue(RootKey::CurrentUser, path + "\\k", "Delay", "60"), EINVAL);
    EXPECT_EQ(temp.registry.openKey(RootKey::CurrentUser, path + "\\k"), ENOENT);
}

struct RewriteCase {
    const char* name;
    const char* path;
    const char* value;
    const char* data;
    bool rewritten;
};

class HiveRegistryRewrite : public testing::TestWithParam<RewriteCase> {};

// The file is replaced by a new one (a new inode) exactly when the stored text changes.
TEST_P(HiveRegistryRewrite, ReplacesTheFileOnlyForAChange) {
    test::TempRegistry temp;
    ASSERT_EQ(temp.registry.setValue(RootKey::CurrentUser, "Software\\Test", "Delay", "Sixty"), 0);
    struct stat before {};
    ASSERT_EQ(::stat(temp.hivePath.c_str(), &before), 0);
    const RewriteCase& c = GetParam();
    ASSERT_EQ(temp.registry.setValue(RootKey::CurrentUser, c.path, c.value, c.data), 0);
    struct stat after {};
    ASSERT_EQ(::stat(temp.hivePath.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino != before.st_ino, c.rewritten);
    std::string stored;
    ASSERT_EQ(temp.registry.queryValue(RootKey::CurrentUser, c.path, c.value, stored), 0);
    EXPECT_EQ(stored, c.data);
}

const RewriteCase kRewrites[] = {
    {"SameText", "Software\\Test", "Delay", "Sixty", false},
    {"SameTextNamesInOtherLetterCase", "SOFTWARE\\test", "DELAY", "Sixty", false},
    {"TextInOtherLetterCase", "Software\\Test", "Delay", "SIXTY", true},
    {"OtherText", "Software\\Test", "Delay", "61", true},
    {"NewValue", "Software\\Test", "Scale", "Sixty", true},
    {"NewKey", "Software\\Other", "Delay", "Sixty", true},
};
INSTANTIATE_TEST_SUITE_P(Writes, HiveRegistryRewrite, testing::ValuesIn(kRewrites), test::byName);

struct LinkCase {
    const char* name;
    std::string via;              // a link that HKCU.reg links to first, or nothing
    std::string linkTo;           // where the last link leads
    std::string target;           // where the hive then lives, below the test folder
    std::filesystem::perms mode;  // the target's permissions, or none when it does not exist
};

class HiveFileLinks : public HiveFileTest, public testing::WithParamInterface<LinkCase> {};

TEST_P(HiveFileLinks, AWriteGoesWhereTheLinkLeadsAndKeepsTheLink) {
    using std::filesystem::perms;
    const LinkCase& c = GetParam();
    const auto target = dir.path() / c.target;
    std::filesystem::create_directories(target.parent_path());
    if (c.mode != perms::none) {
        dir.write(c.target, "Windows Registry Editor Version 5.00\n");
        std::filesystem::permissions(target, c.mode);
    }
    const auto staleTemporary = dir.write(c.target + ".tmp-AbCdEf", "left by a crash");
    // A name starting with "/" stands for one below the test folder.
    auto inTest = [&](const std::string& name) {
        return name.starts_with('/') ? dir.path() / name.substr(1) : std::filesystem::path(name);
    };
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::path lastLink = file;
    if (!c.via.empty()) {
        lastLink = inTest(c.via);
        std::filesystem::create_directories(lastLink.parent_path());
        std::filesystem::create_symlink(lastLink, file);
    }
    std::filesystem::create_symlink(inTest(c.linkTo), lastLink);

    HiveFile hive(file, kRoot);
    ASSERT_EQ(setValue(hive, "Delay", "60"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    EXPECT_TRUE(std::filesystem::is_symlink(lastLink));
    EXPECT_NE(test::readFile(target).find("\"Delay\"=\"60\""), std::string::npos);
    const perms kept = c.mode == perms::none ? perms::owner_read | perms::owner_write : c.mode;
    EXPECT_EQ(std::filesystem::status(target).permissions() & perms::all, kept);
    EXPECT_FALSE(std::filesystem::exists(staleTemporary));
    EXPECT_TRUE(filesStartingWith(target.parent_path(), "muralto.reg.tmp-").empty());
    EXPECT_TRUE(std::filesystem::exists(file.string() + ".lock"));
    EXPECT_EQ(getValue(hive, "Delay"), "60");
}

using enum std::filesystem::perms;
const LinkCase kLinks[] = {
    {"absolute", "", "/dotfiles/muralto.reg", "dotfiles/muralto.reg",
     owner_read | owner_write | group_read},
    {"relative", "", "../../../dotfiles/muralto.reg", "dotfiles/muralto.reg",
     owner_read | owner_write | group_write},
    {"chain", "/links/hive.reg", "../dotfiles/muralto.reg", "dotfiles/muralto.reg",
     owner_read | owner_write | others_read},
    {"to_a_file_not_made_yet", "", "/dotfiles/muralto.reg", "dotfiles/muralto.reg", none},
};

INSTANTIATE_TEST_SUITE_P(Links, HiveFileLinks, testing::ValuesIn(kLinks), test::byName);

using test::ChildProcess;

/// Holds the hive's write lock while it lives, as another process would: flock locks belong to
/// an open file, so the hive's own open of the lock file conflicts with this one.
class LockHolder {
public:
    explicit LockHolder(const std::filesystem::path& hive)
        : fd_(::open((hive.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        EXPECT_EQ(::flock(fd_, LOCK_EX), 0);
    }
    ~LockHolder() { ::close(fd_); }

private:
    int fd_;
};

TEST_F(HiveFileTest, WhileAnotherProcessKeepsTheLockReadsGoOnAndAWriteGivesUp) {
    HiveFile hive(file, kRoot);
    ASSERT_EQ(setValue(hive, "Delay", "60"), 0);
    const std::string before = test::readFile(file);
    {
        LockHolder held(file);
        // In a child, so that a write waiting for ever ends with the alarm instead of the test.
        auto writer = ChildProcess::fork([&] {
            ::alarm(10);
            HiveFile other(file, kRoot);
            other.setLockTimeout(std::chrono::milliseconds(20));
            if (getValue(other, "Delay") != "60")
                return 200;
            return setValue(other, "Delay", "90");
        });
        const int code = writer.exitCode(std::chrono::seconds(20));
        ASSERT_NE(code, -1) << "the write waited for the lock";
        EXPECT_EQ(code, EWOULDBLOCK);
        EXPECT_EQ(test::readFile(file), before);
    }
    EXPECT_EQ(setValue(hive, "Delay", "90"), 0);
}

TEST_F(HiveFileTest, AWriteWaitsForAHolderThatLetsGoInTime) {
    std::filesystem::create_directories(file.parent_path());
    auto holder = ChildProcess::fork([&] {
        LockHolder held(file);
        if (::write(STDOUT_FILENO, "held\n", 5) != 5)
            return 1;
        ::usleep(200'000);  // holds the lock for a moment, then lets go by ending
        return 0;
    });
    ASSERT_EQ(holder.readLine(), "held");
    HiveFile hive(file, kRoot);
    EXPECT_EQ(setValue(hive, "Delay", "60"), 0);
    EXPECT_EQ(holder.exitCode(), 0);
}

TEST_F(HiveFileTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kWrites = 60;
    std::vector<ChildProcess> children;
    for (int p = 0; p < 2; ++p) {
        children.push_back(ChildProcess::fork([&] {
            HiveFile hive(file, kRoot);
            for (int i = 0; i < kWrites; ++i) {
                if (setValue(hive, "p" + std::to_string(p) + "_" + std::to_string(i), "x"))
                    return 1;
            }
            return 0;
        }));
    }
    for (ChildProcess& c : children)
        EXPECT_EQ(c.exitCode(std::chrono::seconds(60)), 0);
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
        auto child = ChildProcess::fork([&]() -> int {
            HiveFile writer(file, kRoot);
            std::string big(20000, 'v');
            for (int i = 0;; ++i)
                setValue(writer, "n" + std::to_string(i % 50), big);
        });
        ::usleep(static_cast<useconds_t>(rng() % 20000));  // a random point of its work
        child.stop(SIGKILL);

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
