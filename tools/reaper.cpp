// Runs a program and learns how each of its descendants ended, including those whose parent
// ended first (the end-to-end tests use it on a screen-saver daemon, whose helper does not
// wait for the programs it stops):
//
//   reaper LOG PROGRAM [ARGUMENTS...]
//
// The reaper becomes a child subreaper, so every orphaned descendant becomes its child. It
// appends one line per process it reaps to LOG: "PID exit STATUS" or "PID signal NUMBER",
// with " core" when a core was dumped. It ends once no descendant is left, with PROGRAM's
// exit status.

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: reaper LOG PROGRAM [ARGUMENTS...]\n", stderr);
        return 2;
    }
    std::FILE* log = std::fopen(argv[1], "a");
    if (!log || prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
        std::perror("reaper");
        return 2;
    }
    const pid_t program = fork();
    if (program == 0) {
        execvp(argv[2], argv + 2);
        std::perror("reaper: cannot start the program");
        _exit(127);
    }
    int programStatus = 2;
    for (;;) {
        int status = 0;
        const pid_t pid = waitpid(-1, &status, 0);
        if (pid < 0 && errno == EINTR)
            continue;
        if (pid < 0)
            break;  // no descendant left
        if (WIFEXITED(status))
            std::fprintf(log, "%d exit %d\n", pid, WEXITSTATUS(status));
        else
            std::fprintf(log, "%d signal %d%s\n", pid, WTERMSIG(status),
                         WCOREDUMP(status) ? " core" : "");
        std::fflush(log);
        if (pid == program)
            programStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return programStatus;
}
