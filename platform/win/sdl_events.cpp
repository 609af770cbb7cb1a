// SDL events as window messages, with the Windows values and packing.

#include "platform/win/keys.h"
#include "platform/win/message_queue.h"
#include "platform/win/window_registry.h"

namespace win {
namespace {

// Buttons held, as MK_ flags; kept from the button events because a button
// event does not carry the state of the other buttons.
WPARAM heldButtons = 0;

WPARAM ButtonFlag(Uint8 button)
{
    switch (button)
    {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    default: return 0;
    }
}

WPARAM FlagsFromSdlState(Uint32 state)
{
    WPARAM flags = 0;
    if (state & SDL_BUTTON_LMASK)
        flags |= MK_LBUTTON;
    if (state & SDL_BUTTON_MMASK)
        flags |= MK_MBUTTON;
    if (state & SDL_BUTTON_RMASK)
        flags |= MK_RBUTTON;
    return flags;
}

WPARAM ModifierFlags()
{
    const SDL_Keymod mod = SDL_GetModState();
    WPARAM flags = 0;
    if (mod & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mod & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

void OnWindowEvent(const SDL_WindowEvent& e)
{
    Window* w = FindWindowBySdlId(e.windowID);
    if (!w)
        return;
    switch (e.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        Enqueue(w->handle, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_MOVED:
        // The person (or the window manager) moved it: the outer rectangle
        // follows, and WM_MOVE gives the client area's new screen position.
        SyncOuterFromSdl(*w);
        Enqueue(w->handle, WM_MOVE, 0, MAKELPARAM(e.data1, e.data2));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        SyncOuterFromSdl(*w);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        RequestPaint(w->handle);
        break;
    default:
        break;
    }
}

void OnKey(const SDL_KeyboardEvent& e)
{
    Window* w = FindWindowBySdlId(e.windowID);
    if (!w)
        return;
    const UINT vk = VirtualKeyFromSdl(e.keysym.sym, e.keysym.scancode);
    if (vk == 0)
        return;
    // lParam: repeat count 1, the scan code, the previous-state and
    // transition bits as a key message carries them.
    LPARAM lParam = 1 | (static_cast<LPARAM>(e.keysym.scancode & 0xFF) << 16);
    if (e.type == SDL_KEYUP)
        lParam |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
    else if (e.repeat)
        lParam |= LPARAM{1} << 30;
    Enqueue(w->handle, e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, lParam);
}

// A window without a mouse capture hears of the mouse only while it is over
// the client area. SDL captures the mouse while a button is held and reports
// positions past the edges, negative ones among them, which the message's
// unsigned words would turn into far-away points. Turning that capture off
// would not do: SDL then reports the motion that leaves the window at the
// nearest edge point, where the pointer never was.
bool InClientArea(const Window& w, int x, int y)
{
    int width = 0, height = 0;
    SDL_GetWindowSize(w.sdl.get(), &width, &height);
    return x >= 0 && y >= 0 && x < width && y < height;
}

void OnButton(const SDL_MouseButtonEvent& e)
{
    const WPARAM flag = ButtonFlag(e.button);
    if (flag == 0 || e.which == SDL_TOUCH_MOUSEID)
        return;
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    // Kept also for a press or release that no window hears of, so that the
    // next message carries the buttons really held.
    heldButtons = down ? (heldButtons | flag) : (heldButtons & ~flag);
    Window* w = FindWindowBySdlId(e.windowID);
    if (!w || !InClientArea(*w, e.x, e.y))
        return;
    UINT message = 0;
    if (flag == MK_LBUTTON)
        message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    else if (flag == MK_MBUTTON)
        message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    else
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    Enqueue(w->handle, message, heldButtons | ModifierFlags(), MAKELPARAM(e.x, e.y));
}

void OnMotion(const SDL_MouseMotionEvent& e)
{
    if (e.which == SDL_TOUCH_MOUSEID)
        return;
    heldButtons = FlagsFromSdlState(e.state);
    Window* w = FindWindowBySdlId(e.windowID);
    if (!w || !InClientArea(*w, e.x, e.y))
        return;
    Enqueue(w->handle, WM_MOUSEMOVE, heldButtons | ModifierFlags(), MAKELPARAM(e.x, e.y));
}

void OnWheel(const SDL_MouseWheelEvent& e)
{
    Window* w = FindWindowBySdlId(e.windowID);
    if (!w || e.y == 0 || e.which == SDL_TOUCH_MOUSEID || !InClientArea(*w, e.mouseX, e.mouseY))
        return;
    int notches = e.y;
    if (e.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    const int delta = notches * WHEEL_DELTA; // positive away from the user
    const WPARAM wParam = (static_cast<WPARAM>(static_cast<WORD>(delta)) << 16) | heldButtons | ModifierFlags();
    // The wheel message carries the cursor in screen coordinates.
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    Enqueue(w->handle, WM_MOUSEWHEEL, wParam, MAKELPARAM(x, y));
}

} // namespace

void PumpSdlEvents()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    SDL_Event e;
    while (SDL_PollEvent(&e))
    {
        switch (e.type)
        {
        case SDL_WINDOWEVENT: OnWindowEvent(e.window); break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: OnKey(e.key); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: OnButton(e.button); break;
        case SDL_MOUSEMOTION: OnMotion(e.motion); break;
        case SDL_MOUSEWHEEL: OnWheel(e.wheel); break;
        default: break; // SDL_QUIT among them: the close box arrives per window
        }
    }
}

} // namespace win
