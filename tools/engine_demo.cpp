// The engine's drawers together: a textured, lit, spinning cube, the halo of
// its point light and a particle burst that repeats. engine_demo [seconds]

#include "engine/3dengine.h"
#include "engine/lights.h"
#include "engine/object.h"
#include "engine/particles.h"
#include "engine/textureman.h"
#include "platform/win/win32.h"
#include "tools/demo_window.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{
void ConfigureBurst(ParticleSystem& burst, GraphicsContext* gc)
{
    burst.SetPosition(Vector3(2.0f, -1.2f, 0.0f));
    burst.SetVelocity(Vector3(0, 0.06f, 0));
    burst.SetGravity(0.002f);
    burst.SetFriction(0.02f);
    burst.SetSpawnRate(25);
    burst.SetSpawnRateChange(-2);
    burst.SetParticleLife(60);
    burst.SetParticleSize(2.0f);
    burst.SetPositionVariation(0.3f);
    burst.SetSpreadAngle(0.3926991f);
    burst.SetStartColor(1.0f, 0.3f, 0.1f);
    burst.SetEndColor(0, 0, 0);
    burst.SetTexture(gc->TextureManager->LoadTexture(STOCKTEX_BLOB));
}
}

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    // Declared in this order, they go in the reverse: what is drawn, then the
    // device, then the window.
    demo::Window window("EngineDemo", "Engine: cube, halo and burst", 640, 480);
    if (window.Handle() == nullptr)
        return 1;
    demo::Device device(window.Handle(), 640, 480);
    GraphicsContext* gc = device.Context();
    if (gc == nullptr)
        return 1;

    Matrix4x4 view;
    view.SetTranslation(0, 0, 8);
    gc->SetViewMatrix(view);
    gc->SetAmbientLight(Color(0.25f, 0.25f, 0.25f, 1.0f));

    PointLight lamp(Vector3(-2.5f, 2.0f, -2.5f), 100.0f, 1.0f, 0.0f, 0.0f);
    lamp.SetColor(Color(1.0f, 0.95f, 0.85f, 1.0f));

    Object cube(gc, 1);
    cube.CreateCube(2.0f);
    cube.Material.SetTexture(gc->TextureManager->LoadTexture(STOCKTEX_CHESSBOARD), TextureMap);
    cube.Material.SetSpecular(0.6f, 0.6f, 0.6f);
    cube.Material.SetPower(20.0f);
    cube.SetTranslation(-0.6f, 0.0f, 0.0f);

    auto burst = std::make_unique<ParticleSystem>(gc);
    ConfigureBurst(*burst, gc);
    float burstStart = 0.0f;

    const auto start = std::chrono::steady_clock::now();
    while (demo::PumpMessages()) {
        const float t = std::chrono::duration<float>(std::chrono::steady_clock::now() - start).count();
        if (t > seconds)
            break;

        gc->Clear(0xFF182028);
        gc->ClearZBufferStencil(1.0f, 0);
        lamp.SetLight(0, gc);
        cube.SetRotation(0.5f, 0.6f + t, 0.0f);
        cube.Render();
        lamp.Draw(gc, 1.5f);

        burst->Update(t - burstStart);
        if (burst->CountParticles() == 0 && t - burstStart > 0.5f) {
            burst = std::make_unique<ParticleSystem>(gc);
            ConfigureBurst(*burst, gc);
            burstStart = t;
        }
        burst->Render();
        gc->Flip();
    }
    return 0;
}
