// The program's engine root is made before main: with a graphics system it
// holds the adapters; without one the program says so in a box and ends with
// an error code rather than an uncaught exception.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace
{
struct ProbeRun
{
    int status;
    std::string output;
};

ProbeRun Probe(const std::string& driver)
{
    const std::string command =
        "SDL_VIDEODRIVER=" + driver + " GO3D_MESSAGEBOX=stderr " + MAIN_ENGINE_PROBE + " 2>&1";
    ProbeRun run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        run.output += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
}

TEST(MainEngine, HoldsTheAdaptersBeforeMainRuns)
{
    const ProbeRun run = Probe("offscreen");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("adapters 1"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("modes 0"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("modes "), std::string::npos) << run.output;
}

TEST(MainEngine, WithoutGraphicsTellsAFatalErrorAndFails)
{
    const ProbeRun run = Probe("no-such-driver");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("[Fatal Error] An error occured while initializing the 3D Engine\\nReason: "
                              "DirectX 8.1 is required to run this program"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("adapters"), std::string::npos);
}
