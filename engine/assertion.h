#pragma once

// The engine's check of a caller's promise. A failed check is reported with
// its expression, file and line and evaluates to false, so the caller can
// step around the bad access in every build, not only in debug builds.

#include <functional>
#include <string>

// Receives the report of a failed check; the default writes it to standard
// error. The game installs one that also shows a message box.
using AssertionReporter = std::function<void(const std::string& expression, const char* file, int line)>;

// Installs a reporter and returns the previous one; an empty one restores
// the default.
AssertionReporter SetAssertionReporter(AssertionReporter reporter);

// "Assertion failed: <expression>, file <file>, line <line>".
std::string FormatAssertion(const std::string& expression, const char* file, int line);

bool ReportAssertion(const char* expression, const char* file, int line);

#define ENGINE_CHECK(expression) ((expression) ? true : ReportAssertion(#expression, __FILE__, __LINE__))
