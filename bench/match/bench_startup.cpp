// Benchmark 4: start-up and entry with the OpenGL driver (run it under Xvfb).
// Start-up: from the start of the program (the exec) to the first drawn title frame, with
// the start-up screen's fixed 500 ms hand-over skipped on the game clock. Entry: from the
// click on "START GAME" to the first drawn arena frame, for a first entry and again after
// Escape back to the title. Each launch is a fresh process.
//   DISPLAY=:80 bench_startup [--launches N] [--entries M]
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "GameRun.h"
#include "Stopwatch.h"
#include "framework/ProgramEntry.h"

namespace {

const int64_t kMainNs = bench::NowNs();  // taken while the program's statics are set up

double Ms(int64_t ns)
{
    return ns / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    if (n == 0) throw std::runtime_error("no figures to take the median of");
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The measured launch: prints "launch EXEC_TO_MAIN MAIN_TO_TITLE ENTRY1 ENTRY2 ..." in ms.
int Child(int64_t execNs, int entries)
{
    return RunProgram([&] {
        bench::GameRun game(irr::video::EDT_OPENGL);
        game.StartToTitle();
        const int64_t titleNs = game.title->lastDrawnNs;
        // The engine logs to stdout too: the figures go out as one line at the end.
        char figure[64];
        std::snprintf(figure, sizeof figure, "launch %.2f %.2f", Ms(kMainNs - execNs), Ms(titleNs - kMainNs));
        std::string line = figure;
        for (int i = 0; i < entries; ++i) {
            if (i > 0) {
                game.EscapeToTitle();
                for (int f = 0; f < 5; ++f) game.Frame();
            }
            game.ClickStartGame();
            std::snprintf(figure, sizeof figure, " %.2f", Ms(game.arena->lastDrawnNs - game.lastClickNs));
            line += figure;
            for (int f = 0; f < 30; ++f) game.Frame();
        }
        std::printf("\n%s\n", line.c_str());
        std::fflush(stdout);
    });
}

}  // namespace

int main(int argc, char** argv)
{
    int launches = 5, entries = 5;
    std::string child;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--launches") launches = std::atoi(argv[i + 1]);
        else if (flag == "--entries") entries = std::atoi(argv[i + 1]);
        else if (flag == "--child") child = argv[i + 1];
    }
    if (!child.empty()) return Child(std::atoll(child.c_str()), entries);

    std::vector<double> toMain, toTitle, firstEntry, laterEntry;
    for (int launch = 0; launch < launches; ++launch) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return 1;
        const std::string entriesText = std::to_string(entries);
        const std::string execText = std::to_string(bench::NowNs());
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            // The steady clock is the system's monotonic clock, the same in the child.
            execl("/proc/self/exe", argv[0], "--child", execText.c_str(), "--entries", entriesText.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        std::string output;
        char buffer[4096];
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) output.append(buffer, n);
        close(pipeFds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        const size_t at = output.rfind("\nlaunch ");
        if (at == std::string::npos || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "bench_startup: launch %d failed (is DISPLAY set?)\n", launch + 1);
            return 1;
        }
        std::vector<double> values;
        const char* p = output.c_str() + at + 8;
        char* end = nullptr;
        for (double v = std::strtod(p, &end); end != p; v = std::strtod(p, &end)) {
            values.push_back(v);
            p = end;
        }
        if (values.size() < 3) return 1;
        toMain.push_back(values[0]);
        toTitle.push_back(values[0] + values[1]);
        firstEntry.push_back(values[2]);
        for (size_t i = 3; i < values.size(); ++i) laterEntry.push_back(values[i]);
    }
    if (toTitle.empty()) {
        std::fprintf(stderr, "bench_startup: no launch measured\n");
        return 1;
    }
    std::printf("Benchmark 4: start-up and entry, OpenGL at 800x600, %d launches (medians, ms)\n", launches);
    std::printf("  program start to first drawn title frame  %7.1f ms (exec to main %.1f ms; 500 ms hand-over not "
                "counted)\n",
                Median(toTitle), Median(toMain));
    std::printf("  click on START GAME to first arena frame  %7.1f ms first entry", Median(firstEntry));
    if (!laterEntry.empty()) std::printf(", %.1f ms later entries", Median(laterEntry));
    std::printf("\n");
    return 0;
}
