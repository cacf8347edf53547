#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

// Runs a command and returns its exit status and what it wrote to stderr.
static std::pair<int, std::string> RunCapturingStderr(const std::string& command)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1 1>/dev/null").c_str(), "r");
    if (!pipe) return {-1, output};
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe)) output += buffer.data();
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(ProgramEntry, UncaughtRuntimeErrorPrintsItsMessageAndExits255)
{
    const auto [status, output] = RunCapturingStderr(UNKNOWN_STATE_PROGRAM);
    EXPECT_EQ(status, 255);
    EXPECT_EQ(output, "SetGameState: GameState does not exist\n");
}
