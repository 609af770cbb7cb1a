// Real input under an X server: xdotool moves, clicks, drags, turns the
// wheel and types, and the shell's handlers hear it with the right values.

#include "engine/window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Mouse
{
    std::string slot;
    int x, y;
    bool left, middle, right;
};
std::vector<Mouse> mouse;
std::vector<int> wheel;
std::vector<std::uint32_t> keys;
bool painted = false;

std::int32_t OnMouse(HWND, std::int32_t x, std::int32_t y, bool l, bool m, bool r)
{
    mouse.push_back({"down", x, y, l, m, r});
    return 0;
}
std::int32_t OnMouseUp(HWND, std::int32_t x, std::int32_t y, bool l, bool m, bool r)
{
    mouse.push_back({"up", x, y, l, m, r});
    return 0;
}
std::int32_t OnWheel(HWND, std::int32_t, std::int32_t, std::int32_t delta)
{
    wheel.push_back(delta);
    return 0;
}
std::int32_t OnKey(HWND, std::uint32_t vk)
{
    keys.push_back(vk);
    return 0;
}
std::int32_t OnPaint(HWND)
{
    painted = true;
    return 0;
}

bool OnPath(const char* program)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size())
    {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// Handles messages until the condition holds or five seconds pass.
bool PumpUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        MSG m;
        if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        else
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    return true;
}

class RealInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        if (!OnPath("xdotool"))
            GTEST_SKIP() << "no xdotool";

        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProcedure;
        wc.lpszClassName = "QrxWin";
        RegisterClassExA(&wc);
        SetEventHandler(EVENT_MOUSE, OnMouse);
        SetEventHandler(EVENT_MOUSE_RELEASE, OnMouseUp);
        SetEventHandler(EVENT_MOUSE_WHEEL, OnWheel);
        SetEventHandler(EVENT_KEYBOARD, OnKey);
        SetEventHandler(EVENT_PAINT, OnPaint);
        // What the case before heard would pass the waits below before this
        // window is on screen, and the input would go to the bare root.
        mouse.clear();
        wheel.clear();
        keys.clear();
        painted = false;

        // As the game sets its window up: small and centred, then the
        // client area made the size asked for.
        hwnd_ = CreateMainWindow("real input", CENTER_X, CENTER_Y, 100, 50);
        ASSERT_NE(hwnd_, nullptr);
        CenterWindow(hwnd_, kWidth, kHeight);
        AdjustWindowForStyle(hwnd_, WS_OVERLAPPEDWINDOW);
        left_ = (GetSystemMetrics(SM_CXSCREEN) - kWidth) >> 1;
        top_ = (GetSystemMetrics(SM_CYSCREEN) - kHeight) >> 1;

        ASSERT_TRUE(PumpUntil([] { return painted; })) << "the window was never exposed";
        // The pointer rests inside, so that the window has the keyboard.
        Xdotool("mousemove " + Screen(kWidth / 2, kHeight / 2));
        ASSERT_TRUE(PumpUntil([] { return !mouse.empty(); })) << "the pointer never arrived";
        mouse.clear();
    }

    void TearDown() override
    {
        for (std::uint32_t i = 0; i < 7; ++i)
            SetEventHandler(i, nullptr);
        if (hwnd_)
            DestroyWindow(hwnd_);
    }

    // Screen coordinates of a point of the client area.
    std::string Screen(int x, int y) const { return std::to_string(left_ + x) + " " + std::to_string(top_ + y); }

    static void Xdotool(const std::string& args)
    {
        const std::string command = "xdotool " + args;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    static bool HeardUp()
    {
        for (const Mouse& m : mouse)
            if (m.slot == "up")
                return true;
        return false;
    }

    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    HWND hwnd_ = nullptr;
    int left_ = 0, top_ = 0;
};

TEST_F(RealInput, AClickIsAPressAndAReleaseWhereThePointerIs)
{
    Xdotool("mousemove " + Screen(100, 200) + " click 1");
    ASSERT_TRUE(PumpUntil(HeardUp));

    bool pressed = false;
    for (const Mouse& m : mouse)
    {
        if (m.slot == "down" && m.left)
        {
            pressed = true;
            EXPECT_EQ(m.x, 100);
            EXPECT_EQ(m.y, 200);
            EXPECT_FALSE(m.middle);
            EXPECT_FALSE(m.right);
        }
    }
    EXPECT_TRUE(pressed);
    const Mouse& up = mouse.back();
    EXPECT_EQ(up.slot, "up");
    EXPECT_EQ(up.x, 100);
    EXPECT_EQ(up.y, 200);
    EXPECT_TRUE(up.left);
}

TEST_F(RealInput, EveryMoveOfALeftDragReportsTheLeftButton)
{
    Xdotool("mousemove " + Screen(50, 50));
    ASSERT_TRUE(PumpUntil([] { return !mouse.empty() && mouse.back().x == 50; }));
    mouse.clear();

    const int path[][2] = {{60, 55}, {80, 70}, {120, 90}, {200, 150}};
    std::string drag = "mousedown 1";
    for (const auto& p : path)
        drag += " mousemove " + Screen(p[0], p[1]) + " sleep 0.05";
    drag += " mouseup 1";
    Xdotool(drag);
    ASSERT_TRUE(PumpUntil(HeardUp));

    // A press, moves with the left button held, a release.
    ASSERT_GE(mouse.size(), 3u);
    EXPECT_EQ(mouse.front().slot, "down");
    EXPECT_EQ(mouse.front().x, 50);
    int moves = 0;
    for (std::size_t i = 0; i + 1 < mouse.size(); ++i)
    {
        EXPECT_EQ(mouse[i].slot, "down");
        EXPECT_TRUE(mouse[i].left) << "call " << i << " at " << mouse[i].x << "," << mouse[i].y;
        EXPECT_FALSE(mouse[i].right);
        ++moves;
    }
    EXPECT_GE(moves, 1 + static_cast<int>(std::size(path)));
    const Mouse& last = mouse[mouse.size() - 2];
    EXPECT_EQ(last.x, 200);
    EXPECT_EQ(last.y, 150);
    EXPECT_EQ(mouse.back().slot, "up");
}

TEST_F(RealInput, RightAndMiddleButtonsAreTold)
{
    Xdotool("click 3 click 2");
    ASSERT_TRUE(PumpUntil([] {
        int ups = 0;
        for (const Mouse& m : mouse)
            ups += m.slot == "up";
        return ups == 2;
    }));
    std::vector<std::string> presses;
    for (const Mouse& m : mouse)
        if (m.left || m.middle || m.right)
            presses.push_back(m.slot + (m.left ? " L" : "") + (m.middle ? " M" : "") + (m.right ? " R" : ""));
    const std::vector<std::string> expected{"down R", "up R", "down M", "up M"};
    EXPECT_EQ(presses, expected);
}

TEST_F(RealInput, WheelNotchesEachWay)
{
    Xdotool("click 4 sleep 0.05 click 5");
    ASSERT_TRUE(PumpUntil([] { return wheel.size() >= 2; }));
    EXPECT_EQ(wheel, (std::vector<int>{120, -120})) << "away from the user, then towards";
}

TEST_F(RealInput, KeysArriveAsVirtualKeyCodes)
{
    Xdotool("key a 1 Escape F1 shift+p Return space Left");
    ASSERT_TRUE(PumpUntil([] { return keys.size() >= 9; }));
    const std::vector<std::uint32_t> expected{'A', '1', VK_ESCAPE, VK_F1, VK_SHIFT, 'P', VK_RETURN, VK_SPACE, VK_LEFT};
    EXPECT_EQ(keys, expected);
}

} // namespace
