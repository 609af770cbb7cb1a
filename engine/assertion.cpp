#include "engine/assertion.h"

#include <cstdio>
#include <utility>

namespace
{
AssertionReporter& Reporter()
{
    static AssertionReporter reporter;
    return reporter;
}
}

AssertionReporter SetAssertionReporter(AssertionReporter reporter)
{
    return std::exchange(Reporter(), std::move(reporter));
}

std::string FormatAssertion(const std::string& expression, const char* file, int line)
{
    return "Assertion failed: " + expression + ", file " + file + ", line " + std::to_string(line);
}

bool ReportAssertion(const char* expression, const char* file, int line)
{
    if (Reporter())
        Reporter()(expression, file, line);
    else
        std::fprintf(stderr, "%s\n", FormatAssertion(expression, file, line).c_str());
    return false;
}
