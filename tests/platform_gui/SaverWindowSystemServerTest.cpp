// Runs against a real X server. Started as "--hold-window", the program instead plays an earlier
// preview: it creates a window, marks it with its process id, prints the window's id and waits
// for a request to close it, then prints "delete".
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/SaverWindowSystem.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T>
Reply<T> own(T* reply) {
    return Reply<T>(reply, &std::free);
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    auto reply = own(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

/// Waits until the server has handled every request sent on c: the program under test asks on
/// a connection of its own, which the server may otherwise serve first.
void sync(xcb_connection_t* c) {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

xcb_window_t createWindow(xcb_connection_t* c, int width, int height) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0,
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 3,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    sync(c);
    return window;
}

/// Whether event is the close request a window manager sends.
bool isDeleteRequest(xcb_connection_t* c, const xcb_generic_event_t* event, xcb_window_t window) {
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    return message->window == window && message->format == 32 &&
           message->type == internAtom(c, "WM_PROTOCOLS") &&
           message->data.data32[0] == internAtom(c, "WM_DELETE_WINDOW");
}

/// The "--hold-window" mode.
int holdWindow() {
    alarm(120);  // never outlive a test that forgot this process
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    const xcb_window_t window = createWindow(c, 50, 40);
    makeSaverWindowSystem()->setWindowPid(window);
    std::printf("%u\n", window);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const bool done = isDeleteRequest(c, event, window);
        std::free(event);
        if (done) {
            std::printf("delete\n");
            return 0;
        }
    }
    return 1;
}

/// A child process with its standard output on a pipe.
class Child {
public:
    explicit Child(const std::vector<std::string>& command) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            std::vector<char*> argv;
            for (const auto& word : command)
                argv.push_back(const_cast<char*>(word.c_str()));
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }

    /// The next line of the child's output; empty when none comes within ten seconds.
    std::string readLine() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::string line;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd fd{out_, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0)
                continue;
            char c = 0;
            if (read(out_, &c, 1) != 1)
                return {};
            if (c == '\n')
                return line;
            line += c;
        }
        return {};
    }

    /// The child's exit status once it ended by itself within ten seconds; -1 otherwise.
    int exitStatus() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int status = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            poll(nullptr, 0, 10);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

std::string thisProgram() {
    char path[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

class SaverWindowSystemTest : public testing::Test {
public:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server";
        connection_ = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(connection_));
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    }
    void TearDown() override {
        if (connection_)
            xcb_disconnect(connection_);
    }

    xcb_atom_t atom(const char* name) { return internAtom(connection_, name); }

    void setProperty(xcb_window_t window, const char* name, xcb_atom_t type, int format,
                     const void* data, std::uint32_t count) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom(name), type,
                            static_cast<std::uint8_t>(format), count, data);
        sync(connection_);
    }

    std::string property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        auto reply = own(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, name, type, 0, 64), nullptr));
        if (!reply)
            return {};
        return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                           xcb_get_property_value_length(reply.get()));
    }

    /// Whether a close request for window reached this connection, the window's creator. The
    /// sender waited for the server to handle its request, so after one round trip here any
    /// event it caused is in this connection's queue.
    bool deleteRequestArrived(xcb_window_t window) {
        free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        bool arrived = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            arrived = arrived || isDeleteRequest(connection_, event, window);
            std::free(event);
        }
        return arrived;
    }

    std::unique_ptr<SaverWindowSystem> system_ = makeSaverWindowSystem();
    xcb_connection_t* connection_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
};

TEST_F(SaverWindowSystemTest, WindowSizeIsTheInsideOfAnExistingWindowOnly) {
    const xcb_window_t window = createWindow(connection_, 123, 45);
    EXPECT_EQ(system_->windowSize(window), QSize(123, 45));
    EXPECT_EQ(system_->windowSize(screen_->root),
              QSize(screen_->width_in_pixels, screen_->height_in_pixels));
    EXPECT_EQ(system_->rootWindow(), screen_->root);

    xcb_destroy_window(connection_, window);
    sync(connection_);
    EXPECT_EQ(system_->windowSize(window), std::nullopt);
    EXPECT_EQ(system_->windowSize(0), std::nullopt);
    // A pixmap has a geometry too, but it is no window to draw a preview in.
    const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, screen_->root_depth, pixmap, screen_->root, 16, 16);
    sync(connection_);
    EXPECT_EQ(system_->windowSize(pixmap), std::nullopt);
}

TEST_F(SaverWindowSystemTest, SetWindowPidWritesOurIdAndMachine) {
    const xcb_window_t window = createWindow(connection_, 10, 10);
    system_->setWindowPid(window);
    const std::string pid = property(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    ASSERT_EQ(pid.size(), 4u);
    std::uint32_t value = 0;
    std::memcpy(&value, pid.data(), 4);
    EXPECT_EQ(value, static_cast<std::uint32_t>(getpid()));
    EXPECT_EQ(property(window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING), hostName());

    // An id that names no window changes nothing and breaks nothing.
    xcb_destroy_window(connection_, window);
    sync(connection_);
    system_->setWindowPid(window);
    system_->setWindowPid(0);
    EXPECT_EQ(system_->windowSize(screen_->root).has_value(), true);
}

TEST_F(SaverWindowSystemTest, AnEarlierPreviewInAnotherProcessReceivesTheCloseRequest) {
    Child preview({thisProgram(), "--hold-window"});
    const std::string id = preview.readLine();
    ASSERT_FALSE(id.empty()) << "the preview process printed no window id";
    const auto window = static_cast<xcb_window_t>(std::stoul(id));
    EXPECT_EQ(system_->windowSize(window), QSize(50, 40));

    EXPECT_TRUE(system_->closeEarlierPreview(window));
    EXPECT_EQ(preview.readLine(), "delete");
    EXPECT_EQ(preview.exitStatus(), 0);
}

/// What a row does to a window the test made before asking to close it: sameProgram is the id
/// of a running process of this test program, otherProgram that of a process of another one.
class CloseEarlierPreviewTest;
using Self = CloseEarlierPreviewTest;
using Pid = std::uint32_t;

struct Marking {
    const char* name;
    std::function<void(Self&, xcb_window_t, Pid sameProgram, Pid otherProgram)> mark;
    bool sent;
};

void PrintTo(const Marking& marking, std::ostream* out) {
    *out << marking.name;
}

class CloseEarlierPreviewTest : public SaverWindowSystemTest,
                                public testing::WithParamInterface<Marking> {
public:
    void pid(xcb_window_t window, std::uint32_t value) {
        setProperty(window, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &value, 1);
    }
    void machine(xcb_window_t window, const std::string& name) {
        setProperty(window, "WM_CLIENT_MACHINE", XCB_ATOM_STRING, 8, name.data(),
                    static_cast<std::uint32_t>(name.size()));
    }
};

const Marking kMarkings[] = {
    {"SameProgram", [](Self& t, xcb_window_t w, Pid same, Pid) { t.pid(w, same); }, true},
    {"SameProgramOnThisMachine",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.pid(w, same);
         t.machine(w, hostName());
     },
     true},
    {"SameProgramOnAnotherMachine",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.pid(w, same);
         t.machine(w, hostName() + ".elsewhere");
     },
     false},
    {"AnotherProgram", [](Self& t, xcb_window_t w, Pid, Pid other) { t.pid(w, other); }, false},
    {"ThisVeryProcess",
     [](Self& t, xcb_window_t w, Pid, Pid) { t.pid(w, static_cast<std::uint32_t>(getpid())); },
     false},
    {"NoProperty", [](Self&, xcb_window_t, Pid, Pid) {}, false},
    {"PidZero", [](Self& t, xcb_window_t w, Pid, Pid) { t.pid(w, 0); }, false},
    {"PidBeyondAnyProcess", [](Self& t, xcb_window_t w, Pid, Pid) { t.pid(w, 0xFFFFFFF0u); },
     false},
    {"PidAsString",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.setProperty(w, "_NET_WM_PID", XCB_ATOM_STRING, 32, &same, 1);
     },
     false},
    {"PidInSixteenBitUnits",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.setProperty(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 16, &same, 2);
     },
     false},
    {"TwoPids",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         const std::uint32_t pids[] = {same, same};
         t.setProperty(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, pids, 2);
     },
     false},
    {"EmptyPid",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.setProperty(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &same, 0);
     },
     false},
};

TEST_P(CloseEarlierPreviewTest, SendsOnlyToAnEarlierInstanceOfThisProgram) {
    Child same({thisProgram(), "--hold-window"});
    Child other({"sleep", "60"});
    ASSERT_FALSE(same.readLine().empty()) << "the helper process did not start";
    const xcb_window_t window = createWindow(connection_, 20, 20);
    GetParam().mark(*this, window, static_cast<std::uint32_t>(same.pid()),
                    static_cast<std::uint32_t>(other.pid()));

    EXPECT_EQ(system_->closeEarlierPreview(window), GetParam().sent);
    EXPECT_EQ(deleteRequestArrived(window), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(Windows, CloseEarlierPreviewTest, testing::ValuesIn(kMarkings),
                         test::byName);

TEST_F(SaverWindowSystemTest, IdsThatNameNoMarkedWindowAreLeftAlone) {
    Child same({thisProgram(), "--hold-window"});
    ASSERT_FALSE(same.readLine().empty());
    const auto samePid = static_cast<std::uint32_t>(same.pid());
    const xcb_window_t gone = createWindow(connection_, 20, 20);
    setProperty(gone, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &samePid, 1);
    xcb_destroy_window(connection_, gone);
    const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, screen_->root_depth, pixmap, screen_->root, 16, 16);
    sync(connection_);

    EXPECT_FALSE(system_->closeEarlierPreview(gone));
    EXPECT_FALSE(system_->closeEarlierPreview(pixmap));
    EXPECT_FALSE(system_->closeEarlierPreview(0));
    EXPECT_FALSE(system_->closeEarlierPreview(0xFFFFFFFFu));
    // The connection survived every failed request.
    EXPECT_EQ(system_->windowSize(screen_->root).has_value(), true);
}

TEST(SaverWindowSystemWithoutServer, AnswersNoSuchWindow) {
    auto system = makeSaverWindowSystem(":" + std::to_string(INT_MAX / 2));
    EXPECT_EQ(system->rootWindow(), 0u);
    EXPECT_EQ(system->windowSize(1), std::nullopt);
    EXPECT_FALSE(system->closeEarlierPreview(1));
    system->setWindowPid(1);
}

}  // namespace
}  // namespace muralto::platform

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--hold-window") == 0)
        return muralto::platform::holdWindow();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
