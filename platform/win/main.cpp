// The process entry: hands the command line after the program name to WinMain.

#include "platform/win/win32.h"

#include <string>

namespace {

constexpr int kShowDefault = 10;

// The arguments joined by blanks, each holding a blank or tab quoted, as a
// Windows command line reads.
std::string CommandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i)
    {
        if (i > 1)
            line += ' ';
        const std::string arg = argv[i];
        if (arg.find_first_of(" \t") != std::string::npos)
            line += '"' + arg + '"';
        else
            line += arg;
    }
    return line;
}

} // namespace

int main(int argc, char** argv)
{
    std::string line = CommandLine(argc, argv);
    return WinMain(GetModuleHandleA(nullptr), nullptr, line.data(), kShowDefault);
}
