// The per-user instance lock, held by real processes.
#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

namespace fs = std::filesystem;

/// A runtime folder and a fallback folder of this user, both private.
struct Folders {
    test::TempDir dir;
    fs::path runtime = dir.path() / "runtime";
    fs::path fallback = dir.path() / "fallback";
    Folders() {
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    }
    fs::path runtimeLock() const { return runtime / "muralto-instances.lock"; }
    fs::path fallbackLock() const { return fallback / "muralto-instances.lock"; }
};

/// Another process running `body` until release(); body reports one byte back first.
class Child {
public:
    explicit Child(const std::function<char()>& body)
        : process_(test::ChildProcess::fork([&body] {
              const char answer[] = {body(), '\n'};
              [[maybe_unused]] auto written = ::write(STDOUT_FILENO, answer, sizeof answer);
              char ignored;
              // Until the parent lets go.
              [[maybe_unused]] auto got = ::read(STDIN_FILENO, &ignored, 1);
              return 0;
          })) {
        const std::string line = process_.readLine();
        answer_ = line.size() == 1 ? line[0] : 'x';  // 'x': the child died before answering
    }
    ~Child() { release(); }
    char answer() const { return answer_; }
    /// Lets the child end and waits for it.
    void release() {
        process_.closeInput();
        process_.exitCode();
    }

private:
    test::ChildProcess process_;
    char answer_ = 'x';
};

/// A child holding its instance's share: answers 'a' when it saw another instance, 'n' if not.
std::function<char()> instance(const Folders& folders) {
    return [&folders] {
        static InstanceLock* lock = nullptr;  // kept until the child exits
        lock = new InstanceLock(folders.runtime.string(), folders.fallback.string());
        return lock->anotherInstanceRunning() ? 'a' : 'n';
    };
}

TEST(InstanceLock, AloneWhenNoOtherProcessHoldsIt) {
    Folders folders;
    const InstanceLock lock(folders.runtime.string(), folders.fallback.string());
    EXPECT_FALSE(lock.anotherInstanceRunning());
    EXPECT_EQ(lock.lockFile(), folders.runtimeLock().string());
    struct stat st {};
    ASSERT_EQ(::stat(lock.lockFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(InstanceLock, SeesARunningInstanceUntilItEnds) {
    Folders folders;
    Child running(instance(folders));
    ASSERT_EQ(running.answer(), 'n');
    EXPECT_TRUE(
        InstanceLock(folders.runtime.string(), folders.fallback.string()).anotherInstanceRunning());
    running.release();
    EXPECT_FALSE(
        InstanceLock(folders.runtime.string(), folders.fallback.string()).anotherInstanceRunning());
}

TEST(InstanceLock, AnInstanceThatFoundAnotherHoldsItsShareToo) {
    Folders folders;
    Child first(instance(folders));
    Child second(instance(folders));
    ASSERT_EQ(first.answer(), 'n');
    ASSERT_EQ(second.answer(), 'a');
    first.release();
    EXPECT_TRUE(
        InstanceLock(folders.runtime.string(), folders.fallback.string()).anotherInstanceRunning());
}

TEST(InstanceLock, ProgramsItStartsDoNotKeepIt) {
    Folders folders;
    std::optional<test::ChildProcess> sleeper;
    {
        const InstanceLock lock(folders.runtime.string(), folders.fallback.string());
        ASSERT_FALSE(lock.lockFile().empty());
        sleeper.emplace(test::ChildProcess::run({"sleep", "60"}));
        ASSERT_GT(sleeper->pid(), 0);
    }
    const bool seen =
        InstanceLock(folders.runtime.string(), folders.fallback.string()).anotherInstanceRunning();
    sleeper->stop(SIGKILL);
    EXPECT_FALSE(seen);
}

TEST(InstanceLock, AProcessHoldingItExclusivelyDoesNotHangTheStart) {
    Folders folders;
    Child holder([&folders] {
        const int fd = ::open(folders.runtimeLock().c_str(), O_RDWR | O_CREAT, 0600);
        return fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'h' : 'f';
    });
    ASSERT_EQ(holder.answer(), 'h');
    const InstanceLock lock(folders.runtime.string(), folders.fallback.string());
    EXPECT_TRUE(lock.anotherInstanceRunning());
    EXPECT_EQ(lock.lockFile(), "") << "no share while someone holds the lock exclusively";
}

// --- lock paths that cannot be used ---

enum class Where { Runtime, Fallback, Nowhere };
/// Root passes every permission check but alone can give a file to another user.
enum class Privilege { Any, RootOnly, NotRoot };

struct PathCase {
    const char* name;
    std::function<void(Folders&)> plant;
    Where where;          ///< where the share is taken
    Privilege privilege;  ///< who can run the case
    std::string runtime;  ///< the runtime folder's name when not the prepared one
};

class LockPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(LockPathTest, EndsWithAClearOutcome) {
    const PathCase& c = GetParam();
    if (c.privilege == Privilege::NotRoot && ::geteuid() == 0)
        GTEST_SKIP() << "root writes to any folder";
    if (c.privilege == Privilege::RootOnly && ::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    Folders folders;
    c.plant(folders);
    const std::string runtime = c.runtime == "prepared" ? folders.runtime.string() : c.runtime;
    const InstanceLock lock(runtime, folders.fallback.string());
    EXPECT_FALSE(lock.anotherInstanceRunning());
    const std::string expected = c.where == Where::Runtime    ? folders.runtimeLock().string()
                                 : c.where == Where::Fallback ? folders.fallbackLock().string()
                                                              : "";
    EXPECT_EQ(lock.lockFile(), expected);
    EXPECT_FALSE(fs::exists(folders.dir.path() / "target")) << "followed a planted link";
    fs::permissions(folders.runtime, fs::perms::owner_all, fs::perm_options::replace);
}

void nothing(Folders&) {}
void linkAtRuntimeLock(Folders& f) {
    fs::create_symlink(f.dir.path() / "target", f.runtimeLock());
}
void fifoAtRuntimeLock(Folders& f) {
    ::mkfifo(f.runtimeLock().c_str(), 0600);
}
void foreignRuntimeLock(Folders& f) {
    ::close(::open(f.runtimeLock().c_str(), O_RDWR | O_CREAT, 0600));
    [[maybe_unused]] const int changed = ::chown(f.runtimeLock().c_str(), 65534, 65534);
}
void runtimeOpenToOthers(Folders& f) {
    fs::permissions(f.runtime, fs::perms::all, fs::perm_options::replace);
}
void runtimeReadOnly(Folders& f) {
    fs::permissions(f.runtime, fs::perms::owner_read | fs::perms::owner_exec,
                    fs::perm_options::replace);
}
void linksInBoth(Folders& f) {
    linkAtRuntimeLock(f);
    fs::create_directory(f.fallback);
    fs::permissions(f.fallback, fs::perms::owner_all, fs::perm_options::replace);
    fs::create_symlink(f.dir.path() / "target", f.fallbackLock());
}
void fallbackIsALink(Folders& f) {
    fs::create_directory(f.dir.path() / "elsewhere");
    fs::permissions(f.dir.path() / "elsewhere", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directory_symlink(f.dir.path() / "elsewhere", f.fallback);
}
void fallbackOpenToGroup(Folders& f) {
    fs::create_directory(f.fallback);
    fs::permissions(f.fallback,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec,
                    fs::perm_options::replace);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LockPathTest,
    testing::Values(
        PathCase{"LinkAtTheLockPath", linkAtRuntimeLock, Where::Fallback, Privilege::Any,
                 "prepared"},
        PathCase{"FifoAtTheLockPath", fifoAtRuntimeLock, Where::Fallback, Privilege::Any,
                 "prepared"},
        PathCase{"LockFileOfAnotherUser", foreignRuntimeLock, Where::Fallback, Privilege::RootOnly,
                 "prepared"},
        PathCase{"RuntimeWritableByOthers", runtimeOpenToOthers, Where::Fallback, Privilege::Any,
                 "prepared"},
        PathCase{"RuntimeNotWritable", runtimeReadOnly, Where::Fallback, Privilege::NotRoot,
                 "prepared"},
        PathCase{"NoRuntimeFolder", nothing, Where::Fallback, Privilege::Any, ""},
        PathCase{"RelativeRuntimeFolder", nothing, Where::Fallback, Privilege::Any, "runtime"},
        PathCase{"MissingRuntimeFolder", nothing, Where::Fallback, Privilege::Any,
                 "/nonexistent/run"},
        PathCase{"RuntimeIsAFile", nothing, Where::Fallback, Privilege::Any, "/dev/null"},
        PathCase{"LinksInBothFolders", linksInBoth, Where::Nowhere, Privilege::Any, "prepared"},
        PathCase{"FallbackIsALink", fallbackIsALink, Where::Nowhere, Privilege::Any, ""},
        PathCase{"FallbackOpenToGroup", fallbackOpenToGroup, Where::Nowhere, Privilege::Any, ""},
        PathCase{"UsableRuntimeFolder", nothing, Where::Runtime, Privilege::Any, "prepared"}),
    muralto::test::byName);

TEST(InstanceLock, MakesAMissingFallbackFolderPrivate) {
    Folders folders;
    const InstanceLock lock("", folders.fallback.string());
    ASSERT_EQ(lock.lockFile(), folders.fallbackLock().string());
    struct stat st {};
    ASSERT_EQ(::lstat(folders.fallback.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
}

}  // namespace
}  // namespace muralto::platform
