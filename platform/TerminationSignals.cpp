#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>

namespace muralto::platform {

namespace {

constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};

/// The pipe's write end for the handler; -1 when no object catches the signals.
std::atomic<int> gWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler must not take locks");
/// Whether an object catches the signals already.
std::atomic<bool> gCaught{false};

/// Only writes the signal's number to the pipe. A full pipe drops the byte: one unread byte
/// already wakes the loop.
void writeToPipe(int signalNumber) {
    const int savedErrno = errno;
    const int fd = gWriteEnd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

/// Reads whatever the pipe holds without waiting.
void drain(int fd) {
    unsigned char buffer[64];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0 || (got < 0 && errno == EINTR))
            continue;
        return;
    }
}

bool ignored(const struct sigaction& action) {
    return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_IGN;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (gCaught.exchange(true))
        return;
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipe_[0] = pipe_[1] = -1;
        gCaught = false;
        return;
    }
    gWriteEnd = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { handle(); });
    for (int i = 0; i < 3; ++i) {
        struct sigaction current {};
        if (::sigaction(kSignals[i], nullptr, &current) != 0 || ignored(current))
            continue;
        struct sigaction action {};
        action.sa_handler = writeToPipe;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        installed_[i] = ::sigaction(kSignals[i], &action, &previous_[i]) == 0;
    }
}

TerminationSignals::~TerminationSignals() {
    if (!active())
        return;
    restoreHandlers();
    gWriteEnd = -1;
    delete notifier_;
    notifier_ = nullptr;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
    gCaught = false;
}

void TerminationSignals::restoreHandlers() {
    for (int i = 0; i < 3; ++i) {
        if (installed_[i])
            ::sigaction(kSignals[i], &previous_[i], nullptr);
        installed_[i] = false;
    }
}

/// Empties the pipe and runs onSignal once. The notifier stays off meanwhile, so a signal
/// during onSignal (even in a nested event loop) waits in the pipe and calls it again after.
/// The call runs on a copy, so it may destroy this object.
void TerminationSignals::handle() {
    notifier_->setEnabled(false);
    drain(pipe_[0]);
    const QPointer<TerminationSignals> alive(this);
    if (const std::function<void()> call = onSignal_)
        call();
    if (alive)
        notifier_->setEnabled(true);
}

}  // namespace muralto::platform
