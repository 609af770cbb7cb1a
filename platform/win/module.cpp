// The module handle and the stock icon and cursor: tokens nothing looks into.

#include "platform/win/win32.h"

#include <cstdint>

namespace {

// Distinct non-null values, so that code testing a handle for null is happy.
HINSTANCE__* const kModule = reinterpret_cast<HINSTANCE__*>(std::uintptr_t{0x400000});
HICON__* const kIcon = reinterpret_cast<HICON__*>(std::uintptr_t{0x7F00});
HCURSOR__* const kCursor = reinterpret_cast<HCURSOR__*>(std::uintptr_t{0x7F01});

} // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    // Only the program itself is a module here.
    return moduleName ? nullptr : kModule;
}

HICON LoadIconA(HINSTANCE, LPCSTR)
{
    return kIcon;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR)
{
    return kCursor;
}
