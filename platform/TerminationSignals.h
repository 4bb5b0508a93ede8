#pragma once

#include <QObject>

#include <csignal>
#include <functional>

class QSocketNotifier;

namespace muralto::platform {

/// Runs onSignal on the thread of the event loop after SIGTERM, SIGINT or SIGHUP: the handler
/// only writes to a pipe (async-signal-safe); a QSocketNotifier reads it. One object per process.
///
/// Signals that arrive before the loop gets to them count once. While onSignal runs (it may
/// spin an event loop of its own), further signals do not call it again; they are kept, and
/// onSignal runs once more after it returned, unless it ended the process or destroyed this
/// object. A signal that was ignored when the object was made (nohup ignores SIGHUP, a shell
/// starts background jobs ignoring SIGINT) stays ignored, as whoever started the program asked.
class TerminationSignals : public QObject {
public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;  // restores the previous handlers
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    /// Whether this object catches the signals: false when the pipe could not be made, or when
    /// another object of this kind already does (this one then does nothing at all).
    bool active() const { return notifier_ != nullptr; }

private:
    void handle();
    void restoreHandlers();

    std::function<void()> onSignal_;
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[3] = {};
    bool installed_[3] = {false, false, false};
};

}  // namespace muralto::platform
