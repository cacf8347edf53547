// Runs a piece of a test in a forked child under an alarm, so that a hang ends as a
// failure naming itself instead of stalling the suite. The child's stderr is kept.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

struct WatchdogResult {
    bool hung = false;    // the alarm went off
    int status = -1;      // exit status of the child; -1 when it did not exit
    std::string stderrText;
};

// `body` runs in the child with an alarm of `seconds` (it may set a fresh alarm itself
// before each step) and returns the child's exit status.
inline WatchdogResult RunUnderWatchdog(unsigned seconds, const std::function<int()>& body)
{
    char path[] = "/tmp/vexmoor-watchdog-XXXXXX";
    const int errFd = mkstemp(path);
    WatchdogResult result;
    if (errFd < 0) return result;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(errFd, 2);
        alarm(seconds);
        const int status = body();
        std::fflush(nullptr);
        _exit(status);
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(errFd);
    result.hung = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(path);
    result.stderrText.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    unlink(path);
    return result;
}

// Lines of `text` that contain `part`.
inline int LinesContaining(const std::string& text, const std::string& part)
{
    int count = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (text.substr(start, end - start).find(part) != std::string::npos) ++count;
        start = end + 1;
    }
    return count;
}
