#pragma once

// The game's program-wide state: the scene objects, the board's geometry,
// the turn, and the handlers that the window shell calls.

#include "engine/3dengine.h"
#include "engine/lights.h"
#include "engine/object.h"
#include "engine/particles.h"
#include "engine/timer.h"
#include "game/picking.h"
#include "game/rules.h"
#include "math/vector3.h"

#include <cstdint>

// Start-up and shut-down.
extern Timer AppTimer;
extern PointLight MainLight;
extern HWND WindowHandle;
extern GraphicsContext* Graphics;
extern Object* BoardObject;
extern Object* GridObject;
extern Object* WhiteStone;
extern Object* BlackStone;
extern Object* TrapeziObject;
extern Object* GuiQuad;
// Row first, like the board.
extern Vector3 GridPositions[BoardSize][BoardSize];
extern float GridSpacing;
extern float StoneHeight;

ATOM RegisterWindowClass();
int RunApplication();
bool InitializeScene();
void InitBoard();
std::int32_t OnClose();
void CleanUp();

// Input and the turn.
extern std::int32_t CurrentPlayer;
extern bool PassedLastTurn;
extern char KeyHistory[8];
extern std::int32_t LastMouseX;
extern std::int32_t LastMouseY;

std::int32_t OnKeyDown(HWND hwnd, std::uint32_t vk);
std::int32_t OnMouseButton(HWND hwnd, std::int32_t x, std::int32_t y, bool left, bool middle, bool right);
std::int32_t OnMouseWheel(HWND hwnd, std::int32_t x, std::int32_t y, std::int32_t delta);
void ShowEndGame();

// Frame drawing.
void DrawFrame();
void DrawStones();

// The particle bursts of the latest capture.
extern ParticleSystem** CaptureBursts;
extern std::int32_t CaptureBurstCount;
extern float CaptureStartTime;
extern bool CaptureAnimating;

void StartCaptureBursts();
void SetUpCaptureBurst(ParticleSystem* burst, const Vector3& pos);
void DrawCaptureBursts(float t);
void DestroyCaptureBursts();
