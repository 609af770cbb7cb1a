// Window records, classes and the window-to-SDL seam.

#include "platform/win/sdl_window.h"
#include "platform/win/win32.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

std::vector<UINT> destroyed;

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY)
        destroyed.push_back(msg);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterOnce(const char* name)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

TEST(Classes, RegistrationNeedsANameAndAProcedureAndHappensOnce)
{
    // A class stays registered for the process: a name of each run's own,
    // so that the case passes again under --gtest_repeat.
    static int run = 0;
    const std::string name = "ClassTest" + std::to_string(++run);
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "no name, no procedure";
    wc.lpszClassName = name.c_str();
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "no procedure";
    wc.lpfnWndProc = RecordingProc;
    EXPECT_NE(RegisterClassExA(&wc), 0);
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "already registered";
    wc.lpszClassName = upper.c_str();
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "class names ignore case";
    EXPECT_EQ(RegisterClassExA(nullptr), 0);
}

TEST(Windows, AWindowOfAnUnknownClassIsNotCreated)
{
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "t", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowExA(0, nullptr, "t", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST(Windows, CreatedWindowHasAnOpenGlSdlWindowUntilDestroyed)
{
    RegisterOnce("WindowTest");
    destroyed.clear();
    HWND hwnd = CreateWindowExA(0, "windowtest", "A title", WS_OVERLAPPEDWINDOW, 10, 20, 200, 150, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    SDL_Window* sdl = GetSDLWindow(hwnd);
    ASSERT_NE(sdl, nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), "A title");

    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(destroyed, std::vector<UINT>{WM_DESTROY});
    EXPECT_EQ(GetSDLWindow(hwnd), nullptr);
    EXPECT_FALSE(DestroyWindow(hwnd)) << "a second destroy finds no window";
    EXPECT_EQ(destroyed.size(), 1u);
    EXPECT_EQ(GetSDLWindow(nullptr), nullptr);
}

// A visible window is put on screen when its thread first reads messages,
// where the program has placed it by then; an invisible one stays hidden.
TEST(Windows, AVisibleWindowShowsWhenItsThreadFirstReadsMessages)
{
    RegisterOnce("WindowTest");
    HWND visible = CreateWindowExA(0, "WindowTest", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 50, nullptr,
                                   nullptr, nullptr, nullptr);
    HWND hidden = CreateWindowExA(0, "WindowTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(visible, nullptr);
    ASSERT_NE(hidden, nullptr);
    const auto shown = [](HWND h) { return (SDL_GetWindowFlags(GetSDLWindow(h)) & SDL_WINDOW_SHOWN) != 0; };
    EXPECT_FALSE(shown(visible)) << "not before the program has placed it";
    ASSERT_TRUE(MoveWindow(visible, 30, 40, 300, 200, TRUE));

    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
    }
    EXPECT_TRUE(shown(visible));
    EXPECT_FALSE(shown(hidden));
    int w = 0, h = 0;
    SDL_GetWindowSize(GetSDLWindow(visible), &w, &h);
    EXPECT_EQ(w, 300 - 8);
    EXPECT_EQ(h, 200 - 28) << "shown at the size it was given";
    DestroyWindow(visible);
    DestroyWindow(hidden);
}

TEST(Windows, HandlesAreNotReusedAfterDestruction)
{
    RegisterOnce("WindowTest");
    HWND first = CreateWindowExA(0, "WindowTest", "", 0, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(first, nullptr);
    DestroyWindow(first);
    HWND second = CreateWindowExA(0, "WindowTest", "", 0, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(GetSDLWindow(first), nullptr);
    DestroyWindow(second);
}

TEST(Module, TheProgramHasAModuleHandleAndStockResourcesAreHandles)
{
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
}

TEST(Time, CounterRunsInNanosecondsAndNeverGoesBack)
{
    LARGE_INTEGER f{}, a{}, b{};
    ASSERT_TRUE(QueryPerformanceFrequency(&f));
    EXPECT_EQ(f.QuadPart, 1'000'000'000);
    ASSERT_TRUE(QueryPerformanceCounter(&a));
    timespec pause{0, 2'000'000};
    nanosleep(&pause, nullptr);
    ASSERT_TRUE(QueryPerformanceCounter(&b));
    EXPECT_GE(b.QuadPart - a.QuadPart, 2'000'000);
    EXPECT_LT(b.QuadPart - a.QuadPart, 2'000'000'000);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
}

// The frame model: a 4-pixel border on each side of any framed window and a
// 20-pixel caption above the client area of a captioned one.
TEST(Frame, AdjustingARectangleAddsTheFrameOfTheStyle)
{
    struct Case
    {
        const char* style_name;
        DWORD style;
        RECT expected;
    };
    const Case cases[] = {
        {"overlapped window", WS_OVERLAPPEDWINDOW, {96, 176, 304, 304}},
        {"caption only", WS_CAPTION, {96, 176, 304, 304}},
        {"border", WS_BORDER, {96, 196, 304, 304}},
        {"sizing frame", WS_THICKFRAME, {96, 196, 304, 304}},
        {"pop-up", WS_POPUP, {100, 200, 300, 300}},
        {"none", 0, {100, 200, 300, 300}},
    };
    for (const Case& c : cases)
    {
        RECT r{100, 200, 300, 300};
        ASSERT_TRUE(AdjustWindowRectEx(&r, c.style, FALSE, 0));
        EXPECT_EQ(r.left, c.expected.left) << c.style_name;
        EXPECT_EQ(r.top, c.expected.top) << c.style_name;
        EXPECT_EQ(r.right, c.expected.right) << c.style_name;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.style_name;
    }
    EXPECT_FALSE(AdjustWindowRectEx(nullptr, WS_OVERLAPPEDWINDOW, FALSE, 0));
}

class Geometry : public ::testing::Test
{
protected:
    void SetUp() override { RegisterOnce("GeometryTest"); }
    void TearDown() override { DestroyWindow(hwnd_); }

    void Create(DWORD style, int x, int y, int w, int h)
    {
        hwnd_ = CreateWindowExA(0, "GeometryTest", "", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
    }

    // The SDL window stands exactly where the frame model puts the client area.
    void ExpectClientArea(int x, int y, int w, int h) const
    {
        int sx = 0, sy = 0, sw = 0, sh = 0;
        SDL_GetWindowPosition(GetSDLWindow(hwnd_), &sx, &sy);
        SDL_GetWindowSize(GetSDLWindow(hwnd_), &sw, &sh);
        EXPECT_EQ(sx, x);
        EXPECT_EQ(sy, y);
        EXPECT_EQ(sw, w);
        EXPECT_EQ(sh, h);
        RECT client{};
        ASSERT_TRUE(GetClientRect(hwnd_, &client));
        EXPECT_EQ(client.right - client.left, w);
        EXPECT_EQ(client.bottom - client.top, h);
    }

    void ExpectWindowRect(int left, int top, int right, int bottom) const
    {
        RECT r{};
        ASSERT_TRUE(GetWindowRect(hwnd_, &r));
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.right, right);
        EXPECT_EQ(r.bottom, bottom);
    }

    HWND hwnd_ = nullptr;
};

TEST_F(Geometry, ACreatedWindowKeepsItsRectangleAndItsClientAreaIsTheSdlWindow)
{
    Create(WS_OVERLAPPEDWINDOW, 100, 50, 328, 268);
    ExpectWindowRect(100, 50, 428, 318);
    ExpectClientArea(104, 74, 320, 240);
}

TEST_F(Geometry, MovingPlacesTheClientAreaInsideTheNewRectangle)
{
    Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 50);
    ASSERT_TRUE(MoveWindow(hwnd_, 60, 40, 648, 508, TRUE));
    ExpectWindowRect(60, 40, 708, 548);
    ExpectClientArea(64, 64, 640, 480);
}

TEST_F(Geometry, APopUpHasNoFrame)
{
    Create(WS_POPUP, 10, 20, 300, 200);
    ExpectClientArea(10, 20, 300, 200);
}

TEST_F(Geometry, ARectangleSmallerThanItsFrameKeepsAOnePixelClientArea)
{
    Create(WS_OVERLAPPEDWINDOW, 10, 10, 6, 20);
    ExpectWindowRect(10, 10, 16, 30);
    ExpectClientArea(14, 34, 1, 1);
}

TEST_F(Geometry, CallsOnAWindowThatIsGoneFail)
{
    Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
    DestroyWindow(hwnd_);
    RECT r{};
    EXPECT_FALSE(GetWindowRect(hwnd_, &r));
    EXPECT_FALSE(GetClientRect(hwnd_, &r));
    EXPECT_FALSE(MoveWindow(hwnd_, 0, 0, 10, 10, TRUE));
    EXPECT_FALSE(SetWindowTextA(hwnd_, "x"));
    hwnd_ = nullptr;
}

TEST_F(Geometry, TheTitleIsTheSdlWindowsTitle)
{
    Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
    ASSERT_TRUE(SetWindowTextA(hwnd_, "Position Evaluation: -100.000000"));
    EXPECT_STREQ(SDL_GetWindowTitle(GetSDLWindow(hwnd_)), "Position Evaluation: -100.000000");
}

TEST(Screen, MetricsAreTheDesktopSize)
{
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    SDL_DisplayMode mode;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0) << SDL_GetError();
    EXPECT_EQ(w, mode.w);
    EXPECT_EQ(h, mode.h);
    EXPECT_GT(w, 0);
    EXPECT_EQ(GetSystemMetrics(12345), 0);
}

} // namespace
