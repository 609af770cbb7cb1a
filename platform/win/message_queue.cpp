// The thread's message queue: posted messages and SDL input in arrival
// order, then the quit message, then paints.

#include "platform/win/message_queue.h"
#include "platform/win/window_registry.h"

#include <chrono>
#include <deque>
#include <thread>
#include <vector>

namespace win {
namespace {

struct Queue
{
    std::deque<MSG> messages;
    std::vector<HWND> paints; // windows with a pending WM_PAINT, oldest first
    bool quitPending = false;
    int quitCode = 0;
};

Queue& ThisQueue()
{
    thread_local Queue queue;
    return queue;
}

MSG Stamp(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = SDL_GetTicks();
    int x = 0, y = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_GetGlobalMouseState(&x, &y);
    m.pt = {x, y};
    return m;
}

bool Matches(const MSG& m, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (hwnd && m.hwnd != hwnd)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return m.message >= filterMin && m.message <= filterMax;
}

bool InRange(UINT message, UINT filterMin, UINT filterMax)
{
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

// Finds the next message that passes the filter and copies it out, removing
// it when asked. False when none waits.
bool Take(MSG* out, HWND hwnd, UINT filterMin, UINT filterMax, bool remove)
{
    Queue& q = ThisQueue();
    for (auto it = q.messages.begin(); it != q.messages.end(); ++it)
    {
        if (!Matches(*it, hwnd, filterMin, filterMax))
            continue;
        *out = *it;
        if (remove)
            q.messages.erase(it);
        return true;
    }
    if (q.quitPending && InRange(WM_QUIT, filterMin, filterMax))
    {
        *out = Stamp(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
        if (remove)
            q.quitPending = false;
        return true;
    }
    if (InRange(WM_PAINT, filterMin, filterMax))
    {
        for (auto it = q.paints.begin(); it != q.paints.end(); ++it)
        {
            if (hwnd && *it != hwnd)
                continue;
            *out = Stamp(*it, WM_PAINT, 0, 0);
            if (remove)
                q.paints.erase(it);
            return true;
        }
    }
    return false;
}

} // namespace

void Enqueue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ThisQueue().messages.push_back(Stamp(hwnd, message, wParam, lParam));
}

void RequestPaint(HWND hwnd)
{
    auto& paints = ThisQueue().paints;
    for (HWND h : paints)
        if (h == hwnd)
            return;
    paints.push_back(hwnd);
}

void DiscardMessagesFor(HWND hwnd)
{
    Queue& q = ThisQueue();
    std::erase_if(q.messages, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
    std::erase(q.paints, hwnd);
}

} // namespace win

using namespace win;

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // A null window posts to the thread itself, as the quit message does.
    if (hwnd && !FindWindow(hwnd))
        return FALSE;
    Enqueue(hwnd, msg, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    Queue& q = ThisQueue();
    q.quitPending = true;
    q.quitCode = exitCode;
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (!msg)
        return FALSE;
    ShowPendingWindows();
    PumpSdlEvents();
    return Take(msg, hwnd, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (!msg || (hwnd && !FindWindow(hwnd)))
        return -1;
    for (;;)
    {
        if (hwnd && !FindWindow(hwnd))
            return -1;
        ShowPendingWindows();
        PumpSdlEvents();
        if (Take(msg, hwnd, filterMin, filterMax, true))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        // Nothing waits: sleep until SDL has an event, waking now and then
        // in case the filtered window has gone.
        if (SDL_WasInit(SDL_INIT_VIDEO))
            SDL_WaitEventTimeout(nullptr, 100);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

BOOL TranslateMessage(const MSG* msg)
{
    // No character messages are made; nothing in the program reads them.
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    Window* w = FindWindow(msg->hwnd);
    if (!w || !w->procedure)
        return 0;
    return w->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_CLOSE)
        DestroyWindow(hwnd);
    return 0;
}
