// Window records, classes and the window-to-SDL seam.

#include "platform/win/sdl_window.h"
#include "platform/win/win32.h"

#include <SDL.h>
#include <gtest/gtest.h>

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
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "no name, no procedure";
    wc.lpszClassName = "ClassTestA";
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "no procedure";
    wc.lpfnWndProc = RecordingProc;
    EXPECT_NE(RegisterClassExA(&wc), 0);
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "already registered";
    wc.lpszClassName = "CLASSTESTA";
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

} // namespace
