#include "game/game.h"

#include "engine/window.h"

#include <cstdio>
#include <cstring>

std::int32_t CurrentPlayer = Stone_Black;
bool PassedLastTurn = false;
char KeyHistory[8] = {};
std::int32_t LastMouseX = 0;
std::int32_t LastMouseY = 0;

namespace
{
// Typing it loads the board picture. Letter keys arrive as upper-case codes,
// so only the upper-case form can ever match.
const char HiddenWord[] = "goboard";
const char HiddenWordUpper[] = "GOBOARD";

void Pass()
{
    if (PassedLastTurn)
        ShowEndGame();
    CurrentPlayer = CurrentPlayer % 2 + 1;
    PassedLastTurn = true;
}

BoardPoint* PointAt(const GridPoint& pt)
{
    return &BoardPoints[pt.Row][pt.Col];
}

// The frame is stretched over the client area when the window manager gives
// it another size than the back buffer's; picking works in back-buffer
// pixels, so a click is taken to the one under its pixel's centre. At the
// configured size this is the identity.
GridPoint PickUnder(HWND hwnd, std::int32_t x, std::int32_t y)
{
    RECT client{};
    if (GetClientRect(hwnd, &client)) {
        const std::int64_t w = client.right - client.left, h = client.bottom - client.top;
        if (w > 0 && h > 0) {
            x = ToBackBuffer(x, w, ScreenWidth);
            y = ToBackBuffer(y, h, ScreenHeight);
        }
    }
    return PickPoint(x, y);
}
}

void ShowEndGame()
{
    MessageBoxA(nullptr, "End game", "game ended", MB_OK);
}

std::int32_t OnKeyDown(HWND hwnd, std::uint32_t vk)
{
    std::memmove(KeyHistory, KeyHistory + 1, 6);
    KeyHistory[6] = static_cast<char>(vk & 0xFF);

    switch (vk) {
    case VK_ESCAPE:
        RequestClose(hwnd);
        break;
    case '1':
        PatternFromDataDir = !PatternFromDataDir;
        break;
    case 'P':
    case VK_F1:
        Pass();
        break;
    default:
        break;
    }

    if (std::strcmp(KeyHistory, HiddenWord) == 0 || std::strcmp(KeyHistory, HiddenWordUpper) == 0)
        LoadBoardPattern(PatternFromDataDir);
    return 0;
}

std::int32_t OnMouseButton(HWND hwnd, std::int32_t x, std::int32_t y, bool left, bool middle, bool right)
{
    if (left) {
        const GridPoint pt = PickUnder(hwnd, x, y);
        if (pt.Row != -1 && pt.Col != -1 && PointAt(pt)->State == Stone_None) {
            BoardPoint* point = PointAt(pt);
            if (IsIllegalMove(point, CurrentPlayer)) {
                MessageBoxA(hwnd, "Feeling suicidal today huh? :)", "Illegal move", MB_ICONEXCLAMATION);
                return 0;
            }
            point->State = CurrentPlayer;
            CurrentPlayer = CurrentPlayer % 2 + 1;
            PassedLastTurn = false;
            if (CaptureAround(pt.Row, pt.Col))
                StartCaptureBursts();
        }

        if (CurrentPlayer == Stone_White) {
            std::int32_t moveX = 0, moveY = 0;
            if (ChooseMove(&moveX, &moveY, 1000, 2.0f)) {
                if (CaptureAround(moveX, moveY))
                    StartCaptureBursts();
                PassedLastTurn = false;
            } else {
                if (PassedLastTurn)
                    ShowEndGame();
                PassedLastTurn = true;
            }
            CurrentPlayer = Stone_Black;
        }
    }

    if (right) {
        const Vector3 MoveDiff(static_cast<float>(x - LastMouseX), static_cast<float>(y - LastMouseY), 0.0f);
        MainCamera.Rotate(0.0f, static_cast<float>(MoveDiff.x / 50.0), 0.0f);
        MainCamera.SetPosition(MainCamera.GetPosition() + Vector3(0.0f, MoveDiff.y, 0.0f));
    }

    if (middle) {
        const GridPoint pt = PickUnder(hwnd, x, y);
        if (pt.Row != -1 && pt.Col != -1) {
            const float s = EvaluateMove(PointAt(pt), CurrentPlayer);
            char eval_str[100];
            std::snprintf(eval_str, sizeof eval_str, "Position Evaluation: %f", static_cast<double>(s));
            SetWindowTextA(hwnd, eval_str);
        }
    }

    LastMouseX = x;
    LastMouseY = y;
    return 0;
}

std::int32_t OnMouseWheel(HWND, std::int32_t, std::int32_t, std::int32_t delta)
{
    MainCamera.Zoom(delta > 0 ? 0.05f : -0.05f);
    return 0;
}
