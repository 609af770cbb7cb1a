#pragma once

// Inside the layer: the thread's message queue as the SDL event pump fills it.

#include "platform/win/win32.h"

namespace win {

// Appends a message to the calling thread's queue, stamped with the time and
// cursor position.
void Enqueue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Marks a window as needing WM_PAINT; a pending paint is not repeated.
void RequestPaint(HWND hwnd);
// Drops the queued messages of a window that is going away.
void DiscardMessagesFor(HWND hwnd);
// Turns the SDL events that have arrived into messages on the queue.
void PumpSdlEvents();

} // namespace win
