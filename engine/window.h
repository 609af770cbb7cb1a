#pragma once

// The window shell: one main window, the event slots the application fills
// with its handlers, the window procedure that calls them and the main loop.

#include "platform/win/win32.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Event indices of the slots.
constexpr std::uint32_t EVENT_KEYBOARD = 0;
constexpr std::uint32_t EVENT_CLOSE = 1;
constexpr std::uint32_t EVENT_MOUSE = 2;
constexpr std::uint32_t EVENT_MOUSE_WHEEL = 3;
constexpr std::uint32_t EVENT_WINDOW_MOVE = 4;
constexpr std::uint32_t EVENT_MOUSE_RELEASE = 5;
constexpr std::uint32_t EVENT_PAINT = 6;

// Handler shapes, one per kind of slot. Only a key handler's result is used.
using KeyEventHandler = std::int32_t (*)(HWND hwnd, std::uint32_t vk);
using CloseEventHandler = std::int32_t (*)(std::int32_t, std::int32_t); // called with 0, 0
using CloseEventHandlerNoArgs = std::int32_t (*)();
using MouseEventHandler = std::int32_t (*)(HWND hwnd, std::int32_t x, std::int32_t y, bool left, bool middle,
                                           bool right);
using WheelEventHandler = std::int32_t (*)(HWND hwnd, std::int32_t x, std::int32_t y, std::int32_t delta);
using MoveEventHandler = std::int32_t (*)(HWND hwnd, std::int32_t x, std::int32_t y);
using PaintEventHandler = std::int32_t (*)(HWND hwnd);
using IdleEventHandler = void (*)();

// Stores a handler in the slot of an event index; null detaches. A handler
// whose shape does not fit the index, or an index of 7 or more, changes
// nothing. The mouse shape fits both EVENT_MOUSE and EVENT_MOUSE_RELEASE.
void SetEventHandler(std::uint32_t event, KeyEventHandler handler);
void SetEventHandler(std::uint32_t event, CloseEventHandler handler);
void SetEventHandler(std::uint32_t event, CloseEventHandlerNoArgs handler);
void SetEventHandler(std::uint32_t event, MouseEventHandler handler);
void SetEventHandler(std::uint32_t event, WheelEventHandler handler);
void SetEventHandler(std::uint32_t event, MoveEventHandler handler);
void SetEventHandler(std::uint32_t event, PaintEventHandler handler);
void SetEventHandler(std::uint32_t event, std::nullptr_t);

void SetIdleHandler(IdleEventHandler handler);

// Mode 1 runs the idle handler whenever no message waits; any other mode
// waits for messages. Returns the quit message's exit code.
std::int32_t MainLoop(std::uint32_t mode);

bool IsMessagePending();

// The procedure of the "QrxWin" class.
LRESULT WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Posts WM_CLOSE; the close then runs through the window procedure.
void RequestClose(HWND hwnd);

// x = -57005 centres horizontally, y = -48879 vertically.
constexpr std::int32_t CENTER_X = -57005;
constexpr std::int32_t CENTER_Y = -48879;
HWND CreateMainWindow(const char* title, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

void CenterWindow(HWND hwnd, std::int32_t width, std::int32_t height);

// Turns the window's outer rectangle into its client area for the style.
void AdjustWindowForStyle(HWND hwnd, std::uint32_t style);

// The path chosen, or an empty string when the person cancels.
std::string SaveFileDialog(HWND owner, const char* title, const char* filter, const char* defext);
