#include "game/game.h"

#include "engine/camera.h"

void DrawStones()
{
    for (int row = 0; row < BoardSize; ++row) {
        for (int col = 0; col < BoardSize; ++col) {
            const std::int32_t state = BoardPoints[row][col].State;
            if (state == Stone_None)
                continue;
            Object* stone = state == Stone_Black ? BlackStone : WhiteStone;
            stone->SetTranslation(GridPositions[row][col].x, StoneHeight, GridPositions[row][col].z);
            stone->Render();
        }
    }
}

void DrawFrame()
{
    const float t = static_cast<float>(static_cast<std::uint32_t>(AppTimer.GetMilliSec()) / 1000.0);

    // The light fades in over the first three seconds.
    MainLight.SetIntensity(t < 3.0f ? t / 3.0f : 1.0f);

    MainCamera.CreateViewMatrix();
    CameraToWorld = MainCamera.GetViewMatrix().Inverse();
    Graphics->SetViewMatrix(MainCamera.GetViewMatrix());

    MainLight.SetLight(0, Graphics);

    Graphics->Clear(0);
    Graphics->ClearZBufferStencil(1.0f, 0);
    Graphics->SetZBuffering(true);
    Graphics->SetZWrite(true);
    Graphics->SetZFunc(D3DCMP_LESSEQUAL);

    BoardObject->Render();
    GridObject->Render();
    TrapeziObject->Render();
    DrawStones();
    DrawCaptureBursts(t);

    Graphics->SetZBuffering(false);

    // The panel, seen through a fixed view.
    Matrix4x4 ViewMat;
    ViewMat.Translate(0, 0, 10);
    Graphics->SetViewMatrix(ViewMat);
    Graphics->SetLighting(false);
    GuiQuad->Render();
    Graphics->SetLighting(true);

    // Whose turn it is: a spinning stone through a second, fixed camera.
    Camera TempCam;
    TempCam.SetCamera(Vector3(0, 80, -80), Vector3(65, -260, 0), Vector3(0, 1, 0));
    TempCam.CreateViewMatrix();
    Graphics->SetViewMatrix(TempCam.GetViewMatrix());
    Object* indicator = CurrentPlayer == Stone_Black ? BlackStone : WhiteStone;
    indicator->ResetTransform();
    indicator->Rotate(t, t, 0);
    indicator->Render();
    indicator->ResetTransform();

    Graphics->SetZBuffering(true);
    Graphics->Flip();
}
