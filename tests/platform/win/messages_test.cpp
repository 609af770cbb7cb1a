// The message queue: posting, peeking, filtering, quitting, dispatching, and
// SDL events arriving as window messages.

#include "platform/win/sdl_window.h"
#include "platform/win/win32.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>
#include <vector>

namespace {

struct Call
{
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Call> calls;

LRESULT Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    calls.push_back({hwnd, msg, wParam, lParam});
    if (msg == 0x0400)
        return 1234;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class Queue : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Procedure;
        wc.lpszClassName = "QueueTest";
        RegisterClassExA(&wc);
        hwnd_ = Create();
        ASSERT_NE(hwnd_, nullptr);
        Drain();
        calls.clear();
    }

    void TearDown() override
    {
        DestroyWindow(hwnd_);
        Drain();
    }

    static HWND Create()
    {
        return CreateWindowExA(0, "QueueTest", "queue", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                               nullptr, nullptr);
    }

    // Empties the queue of whatever window creation produced, quit included.
    static void Drain()
    {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }

    static std::optional<MSG> Next()
    {
        MSG m;
        if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            return std::nullopt;
        return m;
    }

    // The next message other than those SDL makes on its own for a new
    // window, or none.
    static std::optional<MSG> NextInput()
    {
        for (;;)
        {
            std::optional<MSG> m = Next();
            if (!m || (m->message != WM_PAINT && m->message != WM_MOVE))
                return m;
        }
    }

    Uint32 SdlId() const { return SDL_GetWindowID(GetSDLWindow(hwnd_)); }

    HWND hwnd_ = nullptr;
};

TEST_F(Queue, PostedMessagesComeOutInOrderAndPeekingLeavesThem)
{
    PostMessageA(hwnd_, 0x0400, 1, 10);
    PostMessageA(hwnd_, 0x0401, 2, 20);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, 0x0400u);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, 0x0400u) << "still there";
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, hwnd_);
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_EQ(m.lParam, 10);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, 0x0401u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Queue, FiltersByWindowAndByRange)
{
    HWND other = Create();
    ASSERT_NE(other, nullptr);
    Drain();
    PostMessageA(hwnd_, 0x0400, 0, 0);
    PostMessageA(other, 0x0401, 0, 0);
    PostMessageA(hwnd_, 0x0500, 0, 0);

    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, other, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, 0x0401u);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0x0450, 0x0550, PM_REMOVE));
    EXPECT_EQ(m.message, 0x0500u);
    EXPECT_FALSE(PeekMessageA(&m, other, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, 0x0400u);
    DestroyWindow(other);
}

TEST_F(Queue, TheQuitMessageComesAfterWhatWasPostedAndEndsGetMessage)
{
    PostQuitMessage(3);
    PostMessageA(hwnd_, 0x0400, 0, 0);
    MSG m{};
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
    EXPECT_EQ(m.message, 0x0400u);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), FALSE);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "one quit, taken once";
}

TEST_F(Queue, GetMessageWaitsForAnEvent)
{
    const Uint32 id = SdlId();
    std::thread later([id] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = id;
        e.window.event = SDL_WINDOWEVENT_CLOSE;
        SDL_PushEvent(&e);
    });
    MSG m{};
    const auto start = std::chrono::steady_clock::now();
    BOOL got;
    do
        got = GetMessageA(&m, nullptr, 0, 0);
    while (got == TRUE && (m.message == WM_PAINT || m.message == WM_MOVE));
    later.join();
    EXPECT_EQ(got, TRUE);
    EXPECT_EQ(m.message, WM_CLOSE);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
}

TEST_F(Queue, GetMessageForAWindowThatIsGoneIsAnError)
{
    HWND other = Create();
    DestroyWindow(other);
    MSG m{};
    EXPECT_EQ(GetMessageA(&m, other, 0, 0), -1);
    EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
}

TEST_F(Queue, MessagesOfADestroyedWindowGoWithIt)
{
    HWND other = Create();
    Drain();
    PostMessageA(other, 0x0400, 0, 0);
    DestroyWindow(other);
    EXPECT_FALSE(PostMessageA(other, 0x0400, 0, 0));
    std::optional<MSG> m = Next();
    EXPECT_FALSE(m.has_value());
    EXPECT_TRUE(PostMessageA(nullptr, 0x0400, 0, 0)) << "to the thread itself";
}

TEST_F(Queue, DispatchCallsTheWindowsProcedureAndReturnsItsResult)
{
    PostMessageA(hwnd_, 0x0400, 5, 6);
    std::optional<MSG> m = Next();
    ASSERT_TRUE(m);
    EXPECT_TRUE(TranslateMessage(&*m) == FALSE);
    EXPECT_EQ(DispatchMessageA(&*m), 1234);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].hwnd, hwnd_);
    EXPECT_EQ(calls[0].msg, 0x0400u);
    EXPECT_EQ(calls[0].wParam, 5u);
    EXPECT_EQ(calls[0].lParam, 6);

    MSG orphan{};
    orphan.message = 0x0400;
    EXPECT_EQ(DispatchMessageA(&orphan), 0) << "no window, no procedure";
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Queue, TheDefaultProcedureClosesOnTheCloseBoxAndAnswersZero)
{
    HWND other = Create();
    EXPECT_EQ(DefWindowProcA(other, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_EQ(DefWindowProcA(other, WM_PAINT, 0, 0), 0);
    EXPECT_NE(GetSDLWindow(other), nullptr);
    calls.clear();
    EXPECT_EQ(DefWindowProcA(other, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(GetSDLWindow(other), nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].msg, WM_DESTROY);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "closing a window does not quit";
}

// SDL events pushed into SDL's queue come out as messages.
class SdlEvents : public Queue
{
protected:
    void SetUp() override
    {
        Queue::SetUp();
        // The layer remembers held buttons across tests: start with none.
        Push(Motion(1, 1, 0));
        Drain();
    }

    void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

    SDL_Event Motion(int x, int y, Uint32 state) const
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SdlId();
        e.motion.x = x;
        e.motion.y = y;
        e.motion.state = state;
        return e;
    }

    SDL_Event Button(bool down, Uint8 button, int x, int y) const
    {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = SdlId();
        e.button.button = button;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = x;
        e.button.y = y;
        return e;
    }

    SDL_Event Wheel(int y, Uint32 direction, int mouseX = 0, int mouseY = 0) const
    {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = SdlId();
        e.wheel.y = y;
        e.wheel.direction = direction;
        e.wheel.mouseX = mouseX;
        e.wheel.mouseY = mouseY;
        return e;
    }

    RECT Client() const
    {
        RECT r{};
        GetClientRect(hwnd_, &r);
        return r;
    }

    SDL_Event Key(bool down, SDL_Keycode key, SDL_Scancode scancode, Uint16 mod, bool repeat) const
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = SdlId();
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.sym = key;
        e.key.keysym.scancode = scancode;
        e.key.keysym.mod = mod;
        return e;
    }

    SDL_Event Window(Uint8 event, int data1 = 0, int data2 = 0) const
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SdlId();
        e.window.event = event;
        e.window.data1 = data1;
        e.window.data2 = data2;
        return e;
    }
};

TEST_F(SdlEvents, MouseMovesCarryTheHeldButtonsAndThePosition)
{
    struct Case
    {
        Uint32 state;
        WPARAM flags;
    };
    const Case cases[] = {
        {0, 0},
        {SDL_BUTTON_LMASK, MK_LBUTTON},
        {SDL_BUTTON_MMASK, MK_MBUTTON},
        {SDL_BUTTON_RMASK, MK_RBUTTON},
        {SDL_BUTTON_LMASK | SDL_BUTTON_RMASK, MK_LBUTTON | MK_RBUTTON},
        {SDL_BUTTON_X1MASK, 0},
    };
    for (const Case& c : cases)
    {
        Push(Motion(121, 123, c.state));
        std::optional<MSG> m = NextInput();
        ASSERT_TRUE(m) << "state " << c.state;
        EXPECT_EQ(m->hwnd, hwnd_);
        EXPECT_EQ(m->message, WM_MOUSEMOVE);
        EXPECT_EQ(m->wParam, c.flags) << "state " << c.state;
        EXPECT_EQ(LOWORD(m->lParam), 121);
        EXPECT_EQ(HIWORD(m->lParam), 123);
    }
}

TEST_F(SdlEvents, ButtonMessagesCarryTheButtonsHeldAfterThem)
{
    struct Step
    {
        bool down;
        Uint8 button;
        UINT message;
        WPARAM flags;
    };
    const Step steps[] = {
        {true, SDL_BUTTON_LEFT, WM_LBUTTONDOWN, MK_LBUTTON},
        {true, SDL_BUTTON_RIGHT, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON},
        {false, SDL_BUTTON_LEFT, WM_LBUTTONUP, MK_RBUTTON},
        {true, SDL_BUTTON_MIDDLE, WM_MBUTTONDOWN, MK_RBUTTON | MK_MBUTTON},
        {false, SDL_BUTTON_RIGHT, WM_RBUTTONUP, MK_MBUTTON},
        {false, SDL_BUTTON_MIDDLE, WM_MBUTTONUP, 0},
    };
    int x = 10;
    for (const Step& s : steps)
    {
        Push(Button(s.down, s.button, x, 2 * x));
        std::optional<MSG> m = NextInput();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->message, s.message);
        EXPECT_EQ(m->wParam, s.flags) << "message " << s.message;
        EXPECT_EQ(m->lParam, MAKELPARAM(x, 2 * x));
        x += 10;
    }
    // The side buttons have no message.
    Push(Button(true, SDL_BUTTON_X1, 0, 0));
    EXPECT_FALSE(NextInput());
}

TEST_F(SdlEvents, WheelNotchesAre120PositiveAwayFromTheUser)
{
    struct Case
    {
        int y;
        Uint32 direction;
        short delta;
    };
    const Case cases[] = {
        {1, SDL_MOUSEWHEEL_NORMAL, 120},
        {-1, SDL_MOUSEWHEEL_NORMAL, -120},
        {2, SDL_MOUSEWHEEL_NORMAL, 240},
        {1, SDL_MOUSEWHEEL_FLIPPED, -120},
    };
    for (const Case& c : cases)
    {
        Push(Wheel(c.y, c.direction));
        std::optional<MSG> m = NextInput();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->message, WM_MOUSEWHEEL);
        EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(m->wParam), c.delta) << "y " << c.y;
        EXPECT_EQ(LOWORD(m->wParam), 0) << "no buttons held";
    }
    Push(Wheel(0, SDL_MOUSEWHEEL_NORMAL)); // a sideways scroll
    EXPECT_FALSE(NextInput());
}

TEST_F(SdlEvents, NoMouseMessageForAPositionOutsideTheClientArea)
{
    const RECT client = Client();
    const int w = client.right, h = client.bottom;
    ASSERT_GT(w, 1);
    ASSERT_GT(h, 1);
    struct Case
    {
        int x, y;
        bool inside;
    };
    const Case cases[] = {
        {0, 0, true},      {w - 1, h - 1, true}, {w - 1, 0, true},  {0, h - 1, true},
        {-1, 10, false},   {10, -1, false},      {-8, -8, false},   {w, 10, false},
        {10, h, false},    {w + 50, h + 50, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "at " << c.x << ", " << c.y);
        const SDL_Event events[] = {
            Motion(c.x, c.y, SDL_BUTTON_RMASK),
            Button(true, SDL_BUTTON_LEFT, c.x, c.y),
            Button(false, SDL_BUTTON_LEFT, c.x, c.y),
            Wheel(1, SDL_MOUSEWHEEL_NORMAL, c.x, c.y),
        };
        const UINT messages[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEWHEEL};
        for (const SDL_Event& e : events)
            Push(e);
        for (UINT message : messages)
        {
            if (!c.inside)
                break;
            std::optional<MSG> m = NextInput();
            ASSERT_TRUE(m);
            EXPECT_EQ(m->message, message);
        }
        EXPECT_FALSE(NextInput());
    }
}

TEST_F(SdlEvents, AButtonReleasedOutsideIsNoLongerHeld)
{
    const RECT client = Client();
    // Past an edge, or after SDL has let the window lose the mouse.
    SDL_Event lost = Button(false, SDL_BUTTON_RIGHT, 5, 5);
    lost.button.windowID = 0;
    struct Case
    {
        const char* name;
        Uint8 button;
        WPARAM flag;
        SDL_Event release;
    };
    const Case cases[] = {
        {"past the left edge", SDL_BUTTON_LEFT, MK_LBUTTON, Button(false, SDL_BUTTON_LEFT, -5, 5)},
        {"past the right edge", SDL_BUTTON_LEFT, MK_LBUTTON, Button(false, SDL_BUTTON_LEFT, client.right + 5, 5)},
        {"to no window", SDL_BUTTON_RIGHT, MK_RBUTTON, lost},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Push(Button(true, c.button, 5, 5));
        std::optional<MSG> m = NextInput();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->wParam, c.flag);
        Push(c.release);
        EXPECT_FALSE(NextInput());
        // The next press inside carries only its own button.
        Push(Button(true, SDL_BUTTON_MIDDLE, 5, 5));
        m = NextInput();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->wParam, static_cast<WPARAM>(MK_MBUTTON));
        Push(Button(false, SDL_BUTTON_MIDDLE, 5, 5));
        ASSERT_TRUE(NextInput());
    }
}

TEST_F(SdlEvents, KeysArriveAsVirtualKeyCodes)
{
    Push(Key(true, SDLK_p, SDL_SCANCODE_P, KMOD_NONE, false));
    Push(Key(true, SDLK_p, SDL_SCANCODE_P, KMOD_LSHIFT, true));
    Push(Key(false, SDLK_p, SDL_SCANCODE_P, KMOD_NONE, false));
    Push(Key(true, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE, false));
    Push(Key(true, SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, KMOD_NONE, false));

    struct Expected
    {
        UINT message;
        WPARAM vk;
        bool wasDown;
    };
    const Expected expected[] = {
        {WM_KEYDOWN, 'P', false},
        {WM_KEYDOWN, 'P', true}, // shifted and repeated: still 'P'
        {WM_KEYUP, 'P', true},
        {WM_KEYDOWN, VK_ESCAPE, false},
    };
    for (const Expected& e : expected)
    {
        std::optional<MSG> m = NextInput();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->message, e.message);
        EXPECT_EQ(m->wParam, e.vk);
        EXPECT_EQ((m->lParam >> 30) & 1, e.wasDown ? 1 : 0);
        EXPECT_EQ(m->lParam & 0xFFFF, 1) << "repeat count";
        EXPECT_TRUE(TranslateMessage(&*m));
    }
    EXPECT_FALSE(NextInput()) << "a key without a code is dropped";
}

TEST_F(SdlEvents, WindowEventsBecomeCloseMoveAndOnePaint)
{
    Push(Window(SDL_WINDOWEVENT_CLOSE));
    std::optional<MSG> m = NextInput();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->message, WM_CLOSE);
    EXPECT_NE(GetSDLWindow(hwnd_), nullptr) << "closing is the procedure's business";

    Push(Window(SDL_WINDOWEVENT_MOVED, 300, 200));
    m = Next();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->message, WM_MOVE);
    EXPECT_EQ(m->lParam, MAKELPARAM(300, 200));

    Push(Window(SDL_WINDOWEVENT_EXPOSED));
    Push(Window(SDL_WINDOWEVENT_EXPOSED));
    PostMessageA(hwnd_, 0x0400, 0, 0);
    m = Next();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->message, 0x0400u) << "paints wait behind other messages";
    m = Next();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->message, WM_PAINT);
    EXPECT_EQ(m->hwnd, hwnd_);
    EXPECT_FALSE(Next()) << "two exposures, one paint";
}

TEST_F(SdlEvents, EventsOfNoWindowOfOursAreDropped)
{
    SDL_Event e = Motion(1, 1, 0);
    e.motion.windowID = 0xFFFF;
    Push(e);
    EXPECT_FALSE(NextInput());
}

} // namespace
