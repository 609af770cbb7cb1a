// The window shell: event slots, window procedure, main loop, main window.

#include "engine/window.h"

namespace {

KeyEventHandler KeyHandler = nullptr;
CloseEventHandler CloseHandler = nullptr;
MouseEventHandler MouseHandler = nullptr;
WheelEventHandler WheelHandler = nullptr;
MoveEventHandler MoveHandler = nullptr;
MouseEventHandler MouseUpHandler = nullptr;
PaintEventHandler PaintHandler = nullptr;
IdleEventHandler IdleHandler = nullptr;

// A close handler that takes no arguments sits in the slot behind this.
CloseEventHandlerNoArgs CloseHandlerNoArgs = nullptr;
std::int32_t CallCloseHandlerNoArgs(std::int32_t, std::int32_t)
{
    return CloseHandlerNoArgs();
}

constexpr std::uint32_t kTitledWindow = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr std::uint32_t kFileBufferSize = 512;

} // namespace

void SetEventHandler(std::uint32_t event, KeyEventHandler handler)
{
    if (event == EVENT_KEYBOARD)
        KeyHandler = handler;
}

void SetEventHandler(std::uint32_t event, CloseEventHandler handler)
{
    if (event == EVENT_CLOSE)
        CloseHandler = handler;
}

void SetEventHandler(std::uint32_t event, CloseEventHandlerNoArgs handler)
{
    if (event != EVENT_CLOSE)
        return;
    CloseHandlerNoArgs = handler;
    CloseHandler = handler ? CallCloseHandlerNoArgs : nullptr;
}

void SetEventHandler(std::uint32_t event, MouseEventHandler handler)
{
    if (event == EVENT_MOUSE)
        MouseHandler = handler;
    else if (event == EVENT_MOUSE_RELEASE)
        MouseUpHandler = handler;
}

void SetEventHandler(std::uint32_t event, WheelEventHandler handler)
{
    if (event == EVENT_MOUSE_WHEEL)
        WheelHandler = handler;
}

void SetEventHandler(std::uint32_t event, MoveEventHandler handler)
{
    if (event == EVENT_WINDOW_MOVE)
        MoveHandler = handler;
}

void SetEventHandler(std::uint32_t event, PaintEventHandler handler)
{
    if (event == EVENT_PAINT)
        PaintHandler = handler;
}

void SetEventHandler(std::uint32_t event, std::nullptr_t)
{
    switch (event)
    {
    case EVENT_KEYBOARD: KeyHandler = nullptr; break;
    case EVENT_CLOSE: CloseHandler = nullptr; break;
    case EVENT_MOUSE: MouseHandler = nullptr; break;
    case EVENT_MOUSE_WHEEL: WheelHandler = nullptr; break;
    case EVENT_WINDOW_MOVE: MoveHandler = nullptr; break;
    case EVENT_MOUSE_RELEASE: MouseUpHandler = nullptr; break;
    case EVENT_PAINT: PaintHandler = nullptr; break;
    default: break;
    }
}

void SetIdleHandler(IdleEventHandler handler)
{
    IdleHandler = handler;
}

std::int32_t MainLoop(std::uint32_t mode)
{
    MSG msg{};
    if (mode == 1)
    {
        for (;;)
        {
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            {
                if (msg.message == WM_QUIT)
                    break;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            else if (IdleHandler)
            {
                IdleHandler();
            }
        }
    }
    else
    {
        BOOL got;
        while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0)
        {
            // An error leaves no new message: keep waiting rather than hand
            // the previous one out a second time.
            if (got == -1)
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return static_cast<std::int32_t>(msg.wParam);
}

bool IsMessagePending()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

LRESULT WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const std::int32_t x = LOWORD(static_cast<std::uintptr_t>(lParam));
    const std::int32_t y = HIWORD(static_cast<std::uintptr_t>(lParam));
    switch (msg)
    {
    case WM_KEYDOWN:
        if (KeyHandler)
            return KeyHandler(hwnd, static_cast<std::uint32_t>(wParam));
        break;
    case WM_CLOSE:
        if (CloseHandler)
            CloseHandler(0, 0);
        DestroyWindow(hwnd);
        PostQuitMessage(0);
        return 0;
    case WM_MOUSEMOVE:
        if (MouseHandler)
            MouseHandler(hwnd, x, y, (wParam & MK_LBUTTON) != 0, (wParam & MK_MBUTTON) != 0,
                         (wParam & MK_RBUTTON) != 0);
        break;
    case WM_LBUTTONDOWN:
        if (MouseHandler)
            MouseHandler(hwnd, x, y, true, false, false);
        break;
    case WM_MBUTTONDOWN:
        if (MouseHandler)
            MouseHandler(hwnd, x, y, false, true, false);
        break;
    case WM_RBUTTONDOWN:
        if (MouseHandler)
            MouseHandler(hwnd, x, y, false, false, true);
        break;
    case WM_LBUTTONUP:
        if (MouseUpHandler)
            MouseUpHandler(hwnd, x, y, true, false, false);
        break;
    case WM_MBUTTONUP:
        if (MouseUpHandler)
            MouseUpHandler(hwnd, x, y, false, true, false);
        break;
    case WM_RBUTTONUP:
        if (MouseUpHandler)
            MouseUpHandler(hwnd, x, y, false, false, true);
        break;
    case WM_MOUSEWHEEL:
        if (WheelHandler)
            WheelHandler(hwnd, x, y, GET_WHEEL_DELTA_WPARAM(wParam));
        break;
    case WM_MOVE:
        if (MoveHandler)
            MoveHandler(hwnd, x, y);
        break;
    case WM_PAINT:
        if (PaintHandler)
            PaintHandler(hwnd);
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RequestClose(HWND hwnd)
{
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

HWND CreateMainWindow(const char* title, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    if (x == CENTER_X)
        x = (GetSystemMetrics(SM_CXSCREEN) - width) >> 1;
    if (y == CENTER_Y)
        y = (GetSystemMetrics(SM_CYSCREEN) - height) >> 1;
    return CreateWindowExA(0, "QrxWin", title, kTitledWindow, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void CenterWindow(HWND hwnd, std::int32_t width, std::int32_t height)
{
    MoveWindow(hwnd, (GetSystemMetrics(SM_CXSCREEN) - width) >> 1, (GetSystemMetrics(SM_CYSCREEN) - height) >> 1,
               width, height, TRUE);
}

void AdjustWindowForStyle(HWND hwnd, std::uint32_t style)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    AdjustWindowRectEx(&r, style, FALSE, 0);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

std::string SaveFileDialog(HWND owner, const char* title, const char* filter, const char* defext)
{
    char file[kFileBufferSize] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = kFileBufferSize;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = defext;
    ofn.Flags = OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&ofn))
        return std::string();
    return file;
}
