#pragma once

// Message boxes without a person to answer them.
//
// With GO3D_MESSAGEBOX=stderr in the environment, or with a hook installed,
// MessageBoxA does not open a box: it writes one line, "[caption] text" with
// line breaks shown as \n, to standard error and answers at once with the
// box's default button. A hook also hears of every box, so tests can record
// what was shown.

#include "platform/win/win32.h"

using MessageBoxHook = void (*)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Installs the hook (null removes it and restores the environment's choice).
void SetMessageBoxHook(MessageBoxHook hook);
