// The window shell: the procedure's slots, the main loop and the main
// window's geometry.

#include "engine/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the handlers heard, one line per call.
std::vector<std::string> heard;
std::int32_t keyResult = 0;

std::string Describe(const char* slot, HWND hwnd, std::int32_t x, std::int32_t y, bool left, bool middle, bool right)
{
    return std::string(slot) + (hwnd ? "" : " (no window)") + " " + std::to_string(x) + "," + std::to_string(y) +
           " " + std::to_string(left) + std::to_string(middle) + std::to_string(right);
}

std::int32_t OnKey(HWND, std::uint32_t vk)
{
    heard.push_back("key " + std::to_string(vk));
    return keyResult;
}
std::int32_t OtherKey(HWND, std::uint32_t)
{
    heard.push_back("other key");
    return 0;
}
std::int32_t OnClose(std::int32_t a, std::int32_t b)
{
    heard.push_back("close " + std::to_string(a) + "," + std::to_string(b));
    return 0;
}
std::int32_t OnCloseNoArgs()
{
    heard.push_back("close");
    return 0;
}
std::int32_t OnMouse(HWND hwnd, std::int32_t x, std::int32_t y, bool l, bool m, bool r)
{
    heard.push_back(Describe("mouse", hwnd, x, y, l, m, r));
    return 7; // ignored
}
std::int32_t OnMouseUp(HWND hwnd, std::int32_t x, std::int32_t y, bool l, bool m, bool r)
{
    heard.push_back(Describe("up", hwnd, x, y, l, m, r));
    return 7;
}
std::int32_t OnWheel(HWND, std::int32_t x, std::int32_t y, std::int32_t delta)
{
    heard.push_back("wheel " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(delta));
    return 7;
}
std::int32_t OnMove(HWND, std::int32_t x, std::int32_t y)
{
    heard.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    return 7;
}
std::int32_t OnPaint(HWND)
{
    heard.push_back("paint");
    return 7;
}

bool Alive(HWND hwnd)
{
    RECT r;
    return GetWindowRect(hwnd, &r) != FALSE;
}

void DetachAll()
{
    for (std::uint32_t i = 0; i < 7; ++i)
        SetEventHandler(i, nullptr);
    SetIdleHandler(nullptr);
}

void AttachAll()
{
    SetEventHandler(EVENT_KEYBOARD, OnKey);
    SetEventHandler(EVENT_CLOSE, OnClose);
    SetEventHandler(EVENT_MOUSE, OnMouse);
    SetEventHandler(EVENT_MOUSE_WHEEL, OnWheel);
    SetEventHandler(EVENT_WINDOW_MOVE, OnMove);
    SetEventHandler(EVENT_MOUSE_RELEASE, OnMouseUp);
    SetEventHandler(EVENT_PAINT, OnPaint);
}

class Shell : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = WindowProcedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = "QrxWin";
        wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
        RegisterClassExA(&wc);
    }

    void SetUp() override
    {
        DetachAll();
        hwnd_ = CreateMainWindow("shell test", CENTER_X, CENTER_Y, 100, 50);
        ASSERT_NE(hwnd_, nullptr);
        // What SDL says about a new window is not what these tests are about.
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        {
        }
        heard.clear();
        keyResult = 0;
    }

    void TearDown() override
    {
        DetachAll();
        DestroyWindow(hwnd_);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }

    std::string Mouse(const char* slot, int x, int y, bool l, bool m, bool r) const
    {
        return Describe(slot, hwnd_, x, y, l, m, r);
    }

    HWND hwnd_ = nullptr;
};

WPARAM WheelParam(short delta, WPARAM flags = 0)
{
    return (static_cast<WPARAM>(static_cast<WORD>(delta)) << 16) | flags;
}

struct Route
{
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::string expected; // empty: a slot of its own is not involved
};


TEST_F(Shell, EachMessageReachesItsSlotWithItsArguments)
{
    const Route routes[] = {
        {WM_KEYDOWN, 'P', 0x00190001, "key 80"},
        {WM_KEYDOWN, VK_F1, 0, "key 112"},
        {WM_MOUSEMOVE, 0, MAKELPARAM(10, 20), Mouse("mouse", 10, 20, 0, 0, 0)},
        {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(11, 21), Mouse("mouse", 11, 21, 1, 0, 0)},
        {WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(12, 22), Mouse("mouse", 12, 22, 0, 1, 0)},
        {WM_MOUSEMOVE, MK_RBUTTON | MK_SHIFT, MAKELPARAM(13, 23), Mouse("mouse", 13, 23, 0, 0, 1)},
        {WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(14, 24), Mouse("mouse", 14, 24, 1, 0, 1)},
        // A press names its own button whatever else is held.
        {WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(300, 400), Mouse("mouse", 300, 400, 1, 0, 0)},
        {WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(1, 2), Mouse("mouse", 1, 2, 0, 1, 0)},
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4), Mouse("mouse", 3, 4, 0, 0, 1)},
        {WM_LBUTTONUP, 0, MAKELPARAM(5, 6), Mouse("up", 5, 6, 1, 0, 0)},
        {WM_MBUTTONUP, 0, MAKELPARAM(7, 8), Mouse("up", 7, 8, 0, 1, 0)},
        {WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(9, 10), Mouse("up", 9, 10, 0, 0, 1)},
        {WM_MOUSEWHEEL, WheelParam(120), MAKELPARAM(50, 60), "wheel 50,60 120"},
        {WM_MOUSEWHEEL, WheelParam(-120, MK_LBUTTON), MAKELPARAM(50, 60), "wheel 50,60 -120"},
        {WM_MOUSEWHEEL, WheelParam(-360), 0, "wheel 0,0 -360"},
        {WM_MOVE, 0, MAKELPARAM(640, 480), "move 640,480"},
        {WM_PAINT, 0, 0, "paint"},
        // The coordinates are read as unsigned 16-bit numbers.
        {WM_MOUSEMOVE, 0, MAKELPARAM(-1, -2), Mouse("mouse", 65535, 65534, 0, 0, 0)},
    };
    AttachAll();
    for (const Route& r : routes)
    {
        heard.clear();
        const LRESULT result = WindowProcedure(hwnd_, r.msg, r.wParam, r.lParam);
        ASSERT_EQ(heard.size(), 1u) << "message " << r.msg;
        EXPECT_EQ(heard[0], r.expected) << "message " << r.msg;
        EXPECT_EQ(result, 0) << "only the key handler's result counts";
    }

    // With every slot empty the same messages go to the default processing.
    DetachAll();
    heard.clear();
    for (const Route& r : routes)
        EXPECT_EQ(WindowProcedure(hwnd_, r.msg, r.wParam, r.lParam), 0) << "message " << r.msg;
    EXPECT_TRUE(heard.empty());
    EXPECT_TRUE(Alive(hwnd_));
}

TEST_F(Shell, TheKeyHandlersResultIsTheProceduresResult)
{
    SetEventHandler(EVENT_KEYBOARD, OnKey);
    keyResult = 42;
    EXPECT_EQ(WindowProcedure(hwnd_, WM_KEYDOWN, VK_ESCAPE, 0), 42);
    EXPECT_EQ(heard, std::vector<std::string>{"key 27"});
    // Key releases are not key presses.
    EXPECT_EQ(WindowProcedure(hwnd_, WM_KEYUP, VK_ESCAPE, 0), 0);
    EXPECT_EQ(heard.size(), 1u);
}

TEST_F(Shell, OnlyAnIndexBelowSevenWithAFittingHandlerFillsASlot)
{
    SetEventHandler(EVENT_KEYBOARD, OnKey);
    SetEventHandler(7, OtherKey);
    SetEventHandler(7, nullptr);
    SetEventHandler(100, OnMouse);
    SetEventHandler(0xFFFFFFFF, nullptr);
    SetEventHandler(EVENT_MOUSE, OtherKey); // the key shape does not fit the mouse slot
    SetEventHandler(EVENT_KEYBOARD, OnMouse);

    WindowProcedure(hwnd_, WM_KEYDOWN, 'A', 0);
    WindowProcedure(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(heard, std::vector<std::string>{"key 65"});

    SetEventHandler(EVENT_KEYBOARD, nullptr);
    WindowProcedure(hwnd_, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(heard.size(), 1u) << "null detaches";
}

TEST_F(Shell, CloseRunsTheHandlerDestroysTheWindowAndQuitsWithZero)
{
    for (bool noArgs : {false, true})
    {
        SCOPED_TRACE(noArgs ? "handler without arguments" : "handler with two");
        if (noArgs)
            SetEventHandler(EVENT_CLOSE, OnCloseNoArgs);
        else
            SetEventHandler(EVENT_CLOSE, OnClose);
        heard.clear();
        HWND hwnd = CreateMainWindow("closing", 0, 0, 100, 50);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(WindowProcedure(hwnd, WM_CLOSE, 0, 0), 0);
        EXPECT_EQ(heard, std::vector<std::string>{noArgs ? "close" : "close 0,0"});
        EXPECT_FALSE(Alive(hwnd)) << "destroyed";
        MSG m{};
        ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(m.wParam, 0u);
    }

    SetEventHandler(EVENT_CLOSE, nullptr);
    HWND hwnd = CreateMainWindow("closing", 0, 0, 100, 50);
    WindowProcedure(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(Alive(hwnd)) << "closes without a handler too";
    MSG m{};
    EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The idle handler of the loop test: it records itself, posts one more key
// the first time and asks to quit the second time.
HWND loopWindow = nullptr;
int idleRuns = 0;
void Idle()
{
    ++idleRuns;
    heard.push_back("idle");
    if (idleRuns == 1)
        PostMessageA(loopWindow, WM_KEYDOWN, '4', 0);
    else if (idleRuns == 2)
        PostQuitMessage(5);
}

TEST_F(Shell, RealTimeLoopIdlesOnlyWhenTheQueueIsEmptyAndReturnsTheQuitCode)
{
    SetEventHandler(EVENT_KEYBOARD, OnKey);
    SetIdleHandler(Idle);
    loopWindow = hwnd_;
    idleRuns = 0;
    PostMessageA(hwnd_, WM_KEYDOWN, '1', 0);
    PostMessageA(hwnd_, WM_KEYDOWN, '2', 0);
    PostMessageA(hwnd_, WM_KEYDOWN, '3', 0);
    EXPECT_TRUE(IsMessagePending());

    EXPECT_EQ(MainLoop(1), 5);
    const std::vector<std::string> expected{"key 49", "key 50", "key 51", "idle", "key 52", "idle"};
    EXPECT_EQ(heard, expected);
    EXPECT_FALSE(IsMessagePending());
}

TEST_F(Shell, RealTimeLoopEndsWhenTheWindowCloses)
{
    SetEventHandler(EVENT_CLOSE, OnClose);
    RequestClose(hwnd_);
    EXPECT_EQ(MainLoop(1), 0) << "no idle handler is needed";
    EXPECT_EQ(heard, std::vector<std::string>{"close 0,0"});
    EXPECT_FALSE(Alive(hwnd_));
}

TEST_F(Shell, ASecondCloseRequestFindsTheWindowGone)
{
    // Escape pressed twice before the loop comes round: the game's clean-up
    // must not run twice.
    SetEventHandler(EVENT_CLOSE, OnClose);
    RequestClose(hwnd_);
    RequestClose(hwnd_);
    EXPECT_EQ(MainLoop(1), 0);
    RequestClose(hwnd_);
    EXPECT_FALSE(IsMessagePending());
    EXPECT_EQ(heard, std::vector<std::string>{"close 0,0"});
}

TEST_F(Shell, BlockingLoopDispatchesUntilTheQuitMessage)
{
    SetEventHandler(EVENT_KEYBOARD, OnKey);
    SetIdleHandler(Idle);
    idleRuns = 0;
    PostMessageA(hwnd_, WM_KEYDOWN, 'A', 0);
    RequestClose(hwnd_);
    EXPECT_EQ(MainLoop(0), 0);
    EXPECT_EQ(heard, std::vector<std::string>{"key 65"}) << "no idling in this mode";
    EXPECT_FALSE(Alive(hwnd_));

    PostQuitMessage(9);
    EXPECT_EQ(MainLoop(2), 9);
}

TEST_F(Shell, TheMainWindowIsCentredOnTheScreen)
{
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    RECT r{};
    ASSERT_TRUE(GetWindowRect(hwnd_, &r));
    EXPECT_EQ(r.left, (screenW - 100) >> 1);
    EXPECT_EQ(r.top, (screenH - 50) >> 1);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 50);
    if (screenW == 1024)
    {
        EXPECT_EQ(r.left, 462);
    }

    HWND placed = CreateMainWindow("placed", 30, 40, 200, 100);
    ASSERT_TRUE(GetWindowRect(placed, &r));
    EXPECT_EQ(r.left, 30) << "other values are positions";
    EXPECT_EQ(r.top, 40);
    DestroyWindow(placed);
}

TEST_F(Shell, CentringAndAdjustingLeaveTheClientAreaAtTheSizeAskedFor)
{
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);

    struct Size
    {
        int w, h;
    };
    const Size sizes[] = {{640, 480}, {800, 600}, {101, 51}, {screenW + 200, 300}};
    for (const Size& s : sizes)
    {
        SCOPED_TRACE(::testing::Message() << s.w << "x" << s.h);
        CenterWindow(hwnd_, s.w, s.h);
        AdjustWindowForStyle(hwnd_, WS_OVERLAPPEDWINDOW);

        RECT client{};
        ASSERT_TRUE(GetClientRect(hwnd_, &client));
        EXPECT_EQ(client.right, s.w);
        EXPECT_EQ(client.bottom, s.h);

        // The centred rectangle became the client area; the frame grew around it.
        const int x = (screenW - s.w) >> 1;
        const int y = (screenH - s.h) >> 1;
        RECT r{};
        ASSERT_TRUE(GetWindowRect(hwnd_, &r));
        EXPECT_EQ(r.left, x + frame.left);
        EXPECT_EQ(r.top, y + frame.top);
        EXPECT_EQ(r.right, x + s.w + frame.right);
        EXPECT_EQ(r.bottom, y + s.h + frame.bottom);
    }
}

TEST_F(Shell, TheSaveDialogAnswersAsCancelled)
{
    EXPECT_EQ(SaveFileDialog(hwnd_, "Save", "All files\0*.*\0", "txt"), "");
}

} // namespace
