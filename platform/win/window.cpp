// Window classes, window records and the fixed frame model, on SDL windows.

#include "platform/win/message_queue.h"
#include "platform/win/sdl_window.h"
#include "platform/win/window_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>

namespace win {
namespace {

// The frame model: every framed window has a border of this width on each
// side, and a caption bar above the client area when it has WS_CAPTION. The
// SDL window is the client area; the frame exists only in the arithmetic.
constexpr int kBorder = 4;
constexpr int kCaption = 20;

std::string ClassKey(LPCSTR name)
{
    // Class names compare without regard to case.
    std::string key = name;
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

struct Registry
{
    std::map<std::string, WNDPROC> classes;
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::uintptr_t nextHandle = 0x10;
    ATOM nextAtom = 0xC000;
    bool videoStarted = false;
};

// Never destroyed: the engine's global objects may still reach windows while
// static destructors run, so the records stay valid until the process ends.
Registry& State()
{
    static Registry* registry = new Registry;
    return *registry;
}

// Ctrl-C in a terminal should end the program, not become an SDL quit event
// that nothing reads. Set before any static constructor runs, since the
// graphics layer may start SDL from one of them.
__attribute__((constructor(101))) void KeepDefaultSignalHandlers()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
}

} // namespace

bool EnsureVideo()
{
    Registry& s = State();
    if (s.videoStarted)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "SDL video could not start: %s\n", SDL_GetError());
        return false;
    }
    s.videoStarted = true;
    // Every window is an OpenGL window. Loaded once here, the GL library
    // stays for the life of the process instead of being loaded with each
    // window and dropped with the last one.
    if (SDL_GL_LoadLibrary(nullptr) != 0)
        std::fprintf(stderr, "The OpenGL library could not be loaded: %s\n", SDL_GetError());
    // With the depth and stencil of the engine's back buffer, so that the
    // device can draw into the window's own framebuffer.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    return true;
}

Window* FindWindow(HWND hwnd)
{
    auto& windows = State().windows;
    auto it = windows.find(hwnd);
    return it == windows.end() ? nullptr : it->second.get();
}

Window* FindWindowBySdlId(Uint32 id)
{
    for (auto& [handle, w] : State().windows)
        if (w->sdl && SDL_GetWindowID(w->sdl.get()) == id)
            return w.get();
    return nullptr;
}

Frame FrameForStyle(DWORD style)
{
    Frame f{0, 0, 0, 0};
    if (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME))
        f = {kBorder, kBorder, kBorder, kBorder};
    if ((style & WS_CAPTION) == WS_CAPTION)
        f.top += kCaption;
    return f;
}

void ShowPendingWindows()
{
    for (auto& [handle, w] : State().windows)
        if (std::exchange(w->showPending, false))
            SDL_ShowWindow(w->sdl.get());
}

void SyncOuterFromSdl(Window& w)
{
    int x = 0, y = 0, cw = 0, ch = 0;
    SDL_GetWindowPosition(w.sdl.get(), &x, &y);
    SDL_GetWindowSize(w.sdl.get(), &cw, &ch);
    const Frame f = FrameForStyle(w.style);
    w.outer = {x - f.left, y - f.top, x + cw + f.right, y + ch + f.bottom};
}

namespace {

// Places the SDL window as the client area of an outer rectangle. SDL cannot
// make a window smaller than one pixel, so a rectangle smaller than its frame
// keeps a one-pixel client area while the model keeps the rectangle asked for.
// Moved before it is sized: on X, SDL waits for the server to carry out a
// move, and a move right after a resize waits for the resized window's
// repaint as well.
void PlaceSdlWindow(Window& w)
{
    const Frame f = FrameForStyle(w.style);
    const int cw = std::max(1, static_cast<int>(w.outer.right - w.outer.left) - f.left - f.right);
    const int ch = std::max(1, static_cast<int>(w.outer.bottom - w.outer.top) - f.top - f.bottom);
    SDL_SetWindowPosition(w.sdl.get(), w.outer.left + f.left, w.outer.top + f.top);
    SDL_SetWindowSize(w.sdl.get(), cw, ch);
}

} // namespace
} // namespace win

using namespace win;

ATOM RegisterClassExA(const WNDCLASSEXA* wc)
{
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || !*wc->lpszClassName)
        return 0;
    Registry& s = State();
    auto [it, added] = s.classes.emplace(ClassKey(wc->lpszClassName), wc->lpfnWndProc);
    if (!added)
        return 0;
    return s.nextAtom++;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID)
{
    if (!className)
        return nullptr;
    Registry& s = State();
    auto cls = s.classes.find(ClassKey(className));
    if (cls == s.classes.end())
        return nullptr;
    if (!EnsureVideo())
        return nullptr;

    if (x == CW_USEDEFAULT)
        x = y = 0;
    if (width == CW_USEDEFAULT)
        width = height = 0;

    auto w = std::make_unique<Window>();
    w->procedure = cls->second;
    w->style = style;
    w->exStyle = exStyle;
    w->outer = {x, y, x + width, y + height};

    const Frame f = FrameForStyle(style);
    const int cw = std::max(1, width - f.left - f.right);
    const int ch = std::max(1, height - f.top - f.bottom);
    // A visible window goes on screen when its thread first reads messages
    // (ShowPendingWindows): by then the program has placed and sized it,
    // which on a mapped window made the X server repaint it for each step
    // while start-up waited.
    w->showPending = (style & WS_VISIBLE) != 0;
    w->sdl.reset(SDL_CreateWindow(windowName ? windowName : "", x + f.left, y + f.top, cw, ch,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN));
    if (!w->sdl)
    {
        std::fprintf(stderr, "SDL window could not be created: %s\n", SDL_GetError());
        return nullptr;
    }

    w->handle = reinterpret_cast<HWND>(s.nextHandle);
    s.nextHandle += 0x10;
    HWND handle = w->handle;
    s.windows.emplace(handle, std::move(w));
    return handle;
}

BOOL DestroyWindow(HWND hwnd)
{
    Window* w = FindWindow(hwnd);
    if (!w || !w->procedure)
        return FALSE;
    // The procedure hears WM_DESTROY while the window still exists; clearing
    // it first keeps a DestroyWindow from inside that call from recursing.
    WNDPROC procedure = w->procedure;
    w->procedure = nullptr;
    procedure(hwnd, WM_DESTROY, 0, 0);
    DiscardMessagesFor(hwnd);
    State().windows.erase(hwnd);
    return TRUE;
}

SDL_Window* GetSDLWindow(HWND hwnd)
{
    Window* w = FindWindow(hwnd);
    return w ? w->sdl.get() : nullptr;
}

std::string GetShownWindowTitle(HWND hwnd)
{
    SDL_Window* sdl = GetSDLWindow(hwnd);
    return sdl ? SDL_GetWindowTitle(sdl) : "";
}


BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL)
{
    Window* w = FindWindow(hwnd);
    if (!w)
        return FALSE;
    w->outer = {x, y, x + width, y + height};
    PlaceSdlWindow(*w);
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    Window* w = FindWindow(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = w->outer;
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    Window* w = FindWindow(hwnd);
    if (!w || !rect)
        return FALSE;
    int cw = 0, ch = 0;
    SDL_GetWindowSize(w->sdl.get(), &cw, &ch);
    *rect = {0, 0, cw, ch};
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD)
{
    // The layer has no menu bars, so the menu argument adds nothing.
    if (!rect)
        return FALSE;
    const Frame f = FrameForStyle(style);
    rect->left -= f.left;
    rect->top -= f.top;
    rect->right += f.right;
    rect->bottom += f.bottom;
    return TRUE;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text)
{
    Window* w = FindWindow(hwnd);
    if (!w)
        return FALSE;
    SDL_SetWindowTitle(w->sdl.get(), text ? text : "");
    return TRUE;
}

int GetSystemMetrics(int index)
{
    if (index != SM_CXSCREEN && index != SM_CYSCREEN)
        return 0;
    if (!EnsureVideo())
        return 0;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return 0;
    return index == SM_CXSCREEN ? mode.w : mode.h;
}
