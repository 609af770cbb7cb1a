// The whole game on the offscreen driver: start-up from a configuration file
// and the shipped data, clicks through the handlers, the computer's replies,
// passes, an illegal move, the hidden picture, and what the frame shows.

#include "engine/window.h"
#include "game/game.h"
#include "game_folder.h"
#include "platform/d3d/readback.h"
#include "platform/win/message_box.h"
#include "platform/win/sdl_window.h"
#include "tests/support/temp_dir.h"
#include "tools/game_release.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::vector<std::string> Boxes;

void RecordBox(HWND, LPCSTR text, LPCSTR caption, UINT)
{
    Boxes.push_back(std::string(caption) + ": " + text);
}

int CountStones(std::int32_t colour)
{
    int n = 0;
    for (auto& line : BoardPoints)
        for (BoardPoint& p : line)
            n += p.State == colour;
    return n;
}

// The game in a folder of the test's own with a small window's settings and
// the shipped data beside it.
class Game : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        namespace fs = std::filesystem;
        const fs::path& dir = folder.emplace().Path();
        std::ofstream(dir / "q3dinit.conf") << gametest::SmallWindowConfig;
        fs::create_directory_symlink(fs::path(GO3D_SOURCE_DIR) / "data", dir / "data");
        previous = fs::current_path();
        fs::current_path(dir);

        SetMessageBoxHook(RecordBox);
        RegisterWindowClass();
        WindowHandle = CreateMainWindow("go3d", CENTER_X, CENTER_Y, 100, 50);
        ASSERT_NE(WindowHandle, nullptr);
        ASSERT_TRUE(InitializeScene()) << (Boxes.empty() ? "" : Boxes.front());
    }

    static void TearDownTestSuite()
    {
        // What the game leaves to the process's end goes with the suite, so
        // that a repeated run starts the game afresh.
        tools::ReleaseGame();
        SetMessageBoxHook(nullptr);
        std::filesystem::current_path(previous);
        folder.reset();
    }

    void SetUp() override
    {
        LinkBoard();
        CurrentPlayer = Stone_Black;
        PassedLastTurn = false;
        Boxes.clear();
        DrawFrame(); // the frame keeps the pick ray's camera up to date
    }

    // Where an intersection shows in the window, through the game's camera
    // and the context's projection.
    static void ScreenOf(int row, int col, int& x, int& y)
    {
        Vector3 p = GridPositions[row][col];
        p.Transform(MainCamera.GetViewMatrix());
        const Matrix4x4& proj = *Graphics->GetProjectionMatrix();
        const float cx = p.x * proj.m[0][0] / p.z;
        const float cy = p.y * proj.m[1][1] / p.z;
        x = static_cast<int>((cx + 1.0f) * 0.5f * ScreenWidth);
        y = static_cast<int>((1.0f - cy) * 0.5f * ScreenHeight);
    }

    static void Click(int row, int col, bool left = true, bool middle = false)
    {
        int x = 0, y = 0;
        ScreenOf(row, col, x, y);
        OnMouseButton(WindowHandle, x, y, left, middle, false);
    }

    static std::vector<std::uint32_t> Frame()
    {
        std::vector<std::uint32_t> pixels;
        UINT w = 0, h = 0;
        EXPECT_EQ(D3DReadBackBuffer(Graphics->Device, pixels, w, h), D3D_OK);
        EXPECT_EQ(w, 640u);
        EXPECT_EQ(h, 480u);
        return pixels;
    }

    static inline std::optional<testsupport::TempDir> folder;
    static inline std::filesystem::path previous;
};

int Brightness(std::uint32_t p)
{
    return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
}
}

TEST_F(Game, StartsWithTheSceneAndItsBoard)
{
    EXPECT_EQ(ScreenWidth, 640);
    EXPECT_EQ(ScreenHeight, 480);
    RECT client{};
    GetClientRect(WindowHandle, &client);
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);
    EXPECT_NEAR(GridSpacing, 5.0f, 0.01f);
    EXPECT_GT(StoneHeight, 0.0f);
    EXPECT_EQ(PickSpheres[9][9].Radius, GridSpacing / 2);
    EXPECT_TRUE(Boxes.empty());
}

// The grid's ink and the wood keep one look over the whole board only when
// the mip levels blend: within the nearest level, a row where the level
// changes turns every line from crisp to soft.
TEST_F(Game, TexturesBlendBetweenMipLevelsOnEveryStage)
{
    EXPECT_EQ(Graphics->MipFilter, dword(D3DTEXF_LINEAR));
    for (int stage = 0; stage < int(Graphics->MaxTextureStages); ++stage) {
        SCOPED_TRACE(testing::Message() << "stage " << stage);
        DWORD min = 0, mag = 0, mip = 0;
        Graphics->Device->GetTextureStageState(DWORD(stage), D3DTSS_MINFILTER, &min);
        Graphics->Device->GetTextureStageState(DWORD(stage), D3DTSS_MAGFILTER, &mag);
        Graphics->Device->GetTextureStageState(DWORD(stage), D3DTSS_MIPFILTER, &mip);
        EXPECT_EQ(min, DWORD(D3DTEXF_LINEAR));
        EXPECT_EQ(mag, DWORD(D3DTEXF_LINEAR));
        EXPECT_EQ(mip, DWORD(D3DTEXF_LINEAR));
    }
}

TEST_F(Game, AClickPlaysAndTheComputerAnswers)
{
    Click(9, 9);
    EXPECT_EQ(BoardPoints[9][9].State, Stone_Black);
    EXPECT_EQ(CountStones(Stone_White), 1);
    EXPECT_EQ(BoardPoints[3][3].State, Stone_White); // the evaluation's reply to the centre
    EXPECT_EQ(CurrentPlayer, Stone_Black);
    EXPECT_FALSE(PassedLastTurn);

    // The same point again places nothing, and the computer does not move.
    Click(9, 9);
    EXPECT_EQ(CountStones(Stone_White), 1);
}

TEST_F(Game, PickingFindsEveryIntersectionOfTheMiddleColumn)
{
    for (int row = 0; row < BoardSize; ++row) {
        int x = 0, y = 0;
        ScreenOf(row, 9, x, y);
        const GridPoint pt = PickPoint(x, y);
        EXPECT_EQ(pt.Row, row);
        EXPECT_EQ(pt.Col, 9);
    }
}

TEST_F(Game, TwoPassesEndTheGameAndAPassHandsOverTheStone)
{
    OnKeyDown(WindowHandle, 'P');
    EXPECT_EQ(CurrentPlayer, Stone_White);
    EXPECT_TRUE(Boxes.empty());
    Click(4, 4); // after a pass the person places white
    EXPECT_EQ(BoardPoints[4][4].State, Stone_White);
    EXPECT_EQ(CurrentPlayer, Stone_Black);

    OnKeyDown(WindowHandle, VK_F1);
    OnKeyDown(WindowHandle, VK_F1);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0], "game ended: End game");
}

TEST_F(Game, ASuicideIsRefusedWithABox)
{
    BoardPoints[0][1].State = Stone_White;
    BoardPoints[1][0].State = Stone_White;
    Click(0, 0);
    EXPECT_EQ(BoardPoints[0][0].State, Stone_None);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0], "Illegal move: Feeling suicidal today huh? :)");
    EXPECT_EQ(CountStones(Stone_White), 2); // no reply
}

TEST_F(Game, ACaptureStartsOneBurstPerStone)
{
    // A white stone in atari at (9, 9), black to take it at (9, 10).
    BoardPoints[9][9].State = Stone_White;
    BoardPoints[8][9].State = Stone_Black;
    BoardPoints[10][9].State = Stone_Black;
    BoardPoints[9][8].State = Stone_Black;
    Click(9, 10);
    EXPECT_EQ(BoardPoints[9][9].State, Stone_None);
    EXPECT_TRUE(CaptureAnimating);
    ASSERT_EQ(CaptureBurstCount, 1);
    EXPECT_EQ(CaptureBursts[0]->Position.x, GridPositions[9][9].x);

    // The burst draws where the stone was.
    DrawFrame();
    EXPECT_GT(CaptureBursts[0]->CountParticles(), 0u);
}

TEST_F(Game, TheHiddenWordLoadsTheBoardPicture)
{
    for (char c : std::string("GOBOARD"))
        OnKeyDown(WindowHandle, static_cast<std::uint32_t>(c));
    EXPECT_GT(CountStones(Stone_Black) + CountStones(Stone_White), 0);
}

TEST_F(Game, AMiddleClickShowsTheScoreInTheTitle)
{
    BoardPoints[9][9].State = Stone_Black;
    Click(9, 9, false, true);
    EXPECT_EQ(GetShownWindowTitle(WindowHandle), "Position Evaluation: -100.000000");
}

TEST_F(Game, TheFrameShowsBoardStonesAndPanel)
{
    BoardPoints[9][9].State = Stone_White;
    BoardPoints[3][3].State = Stone_Black;
    // The light fades in over the first three seconds of the game.
    while (AppTimer.GetMilliSec() < 3000)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    DrawFrame();
    const std::vector<std::uint32_t> pixels = Frame();
    int x = 0, y = 0;
    ScreenOf(9, 9, x, y);
    const std::uint32_t white = pixels[static_cast<std::size_t>(y) * 640 + x];
    ScreenOf(3, 3, x, y);
    const std::uint32_t black = pixels[static_cast<std::size_t>(y) * 640 + x];
    EXPECT_GT(Brightness(white), Brightness(black) + 150);
    // Near the top left corner the panel shows its light text on black.
    int lit = 0;
    for (int py = 0; py < 60; ++py)
        for (int px = 0; px < 80; ++px)
            lit += Brightness(pixels[static_cast<std::size_t>(py) * 640 + px]) > 300;
    EXPECT_GT(lit, 20);
}
