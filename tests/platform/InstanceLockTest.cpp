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
    InstanceLock lock() const { return InstanceLock(runtime.string(), fallback.string()); }
};

/// Another process: runs body, prints the letter it returns and lives until its input ends.
test::ChildProcess child(const std::function<char()>& body) {
    return test::ChildProcess::fork([&body] {
        const char answer[] = {body(), '\n'};
        char end;
        return ::write(STDOUT_FILENO, answer, 2) == 2 && ::read(STDIN_FILENO, &end, 1) >= 0 ? 0 : 1;
    });
}

/// Lets a child end and waits for it.
void release(test::ChildProcess& process) {
    process.closeInput();
    process.exitCode();
}

/// A child holding its instance's share: answers 'a' when it saw another instance, 'n' if not.
std::function<char()> instance(const Folders& folders) {
    return [&folders] {
        static InstanceLock* lock = nullptr;  // kept until the child exits
        lock = new InstanceLock(folders.runtime.string(), folders.fallback.string());
        return lock->anotherInstanceRunning() ? 'a' : 'n';
    };
}

TEST(InstanceLock, EachRunningInstanceHoldsAShareUntilItEnds) {
    Folders folders;
    const auto seen = [&] { return folders.lock().anotherInstanceRunning(); };
    EXPECT_FALSE(seen());
    auto first = child(instance(folders));
    ASSERT_EQ(first.readLine(), "n");
    auto second = child(instance(folders));
    ASSERT_EQ(second.readLine(), "a");
    release(first);
    EXPECT_TRUE(seen()) << "the second instance holds its share too";
    release(second);
    EXPECT_FALSE(seen());
}

// One saver at a time: its place goes with its process, however it ends (here, killed).
TEST(InstanceLock, TheSaversPlaceIsHeldByOneProcessUntilItEnds) {
    Folders folders;
    auto saver = child([&folders] {
        static InstanceLock* lock = nullptr;  // kept until the child is killed
        lock = new InstanceLock(folders.runtime.string(), folders.fallback.string());
        return lock->claimSaver() ? 's' : 'x';
    });
    ASSERT_EQ(saver.readLine(), "s");
    InstanceLock lock = folders.lock();
    EXPECT_FALSE(lock.claimSaver());
    saver.stop(SIGKILL);
    EXPECT_TRUE(lock.claimSaver());
    EXPECT_TRUE(lock.claimSaver()) << "taking it again";
    EXPECT_FALSE(folders.lock().claimSaver());
}

TEST(InstanceLock, ProgramsItStartsDoNotKeepIt) {
    Folders folders;
    std::optional<test::ChildProcess> sleeper;
    {
        const InstanceLock lock = folders.lock();
        ASSERT_FALSE(lock.lockFile().empty());
        sleeper.emplace(test::ChildProcess::run({"sleep", "60"}));
        ASSERT_GT(sleeper->pid(), 0);
    }
    const bool seen = folders.lock().anotherInstanceRunning();
    sleeper->stop(SIGKILL);
    EXPECT_FALSE(seen);
}

TEST(InstanceLock, AProcessHoldingItExclusivelyDoesNotHangTheStart) {
    Folders folders;
    auto holder = child([&folders] {
        const int fd = ::open(folders.runtimeLock().c_str(), O_RDWR | O_CREAT, 0600);
        return fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'h' : 'f';
    });
    ASSERT_EQ(holder.readLine(), "h");
    const InstanceLock lock = folders.lock();
    EXPECT_TRUE(lock.anotherInstanceRunning());
    EXPECT_EQ(lock.lockFile(), "") << "no share while someone holds the lock exclusively";
}

/// Where the share is taken when the runtime folder or its lock file cannot be trusted: the
/// fallback folder, or nowhere (then no other instance is seen).
TEST(InstanceLock, TakesItsShareOnlyInAPrivateFolderAndNeverThroughALink) {
    using enum fs::perms;
    enum Where { Runtime, Fallback, Nowhere };
    // The runtime folder's mode, whether a link lies in place of its lock file, whether the
    // runtime folder is given at all, and the mode of a fallback folder that is there already.
    const std::tuple<const char*, fs::perms, bool, bool, fs::perms, Where> cases[] = {
        {"usable", owner_all, false, true, none, Runtime},
        {"link at the lock", owner_all, true, true, none, Fallback},
        {"runtime writable by others", all, false, true, none, Fallback},
        {"runtime ReadOnly", owner_read | owner_exec, false, true, none, Fallback},
        {"no runtime folder", owner_all, false, false, none, Fallback},
        {"fallback open to the group", owner_all, false, false, owner_all | group_read, Nowhere},
    };
    for (const auto& [name, runtimeMode, link, given, fallbackMode, where] : cases) {
        if (std::string(name).find("ReadOnly") != std::string::npos && ::geteuid() == 0)
            continue;  // root writes to any folder
        Folders folders;
        fs::permissions(folders.runtime, runtimeMode, fs::perm_options::replace);
        if (link)
            fs::create_symlink(folders.dir.path() / "target", folders.runtimeLock());
        if (fallbackMode != none) {
            fs::create_directory(folders.fallback);
            fs::permissions(folders.fallback, fallbackMode, fs::perm_options::replace);
        }
        const InstanceLock lock(given ? folders.runtime.string() : "", folders.fallback.string());
        EXPECT_FALSE(lock.anotherInstanceRunning()) << name;
        EXPECT_EQ(lock.lockFile(), where == Runtime    ? folders.runtimeLock().string()
                                   : where == Fallback ? folders.fallbackLock().string()
                                                       : "")
            << name;
        EXPECT_FALSE(fs::exists(folders.dir.path() / "target")) << "followed a planted link";
        struct stat st {};
        if (where != Nowhere && ::stat(lock.lockFile().c_str(), &st) == 0) {
            EXPECT_EQ(st.st_mode & 07777, 0600u) << name;
        }
        if (where == Fallback && !given) {
            EXPECT_EQ(fs::status(folders.fallback).permissions(), fs::perms::owner_all);
        }
        fs::permissions(folders.runtime, fs::perms::owner_all, fs::perm_options::replace);
    }
}

}  // namespace
}  // namespace muralto::platform
