// The engine's drawers together: a textured, lit, spinning cube, the halo of
// its point light and a particle burst that repeats. engine_demo [seconds]

#include "engine/3dengine.h"
#include "engine/exceptions.h"
#include "engine/lights.h"
#include "engine/object.h"
#include "engine/particles.h"
#include "engine/textureman.h"
#include "platform/win/win32.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{
bool running = true;

LRESULT Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_CLOSE || (msg == WM_KEYDOWN && w == VK_ESCAPE))
        running = false;
    return DefWindowProcA(hwnd, msg, w, l);
}

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
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "EngineDemo";
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, "EngineDemo", "Engine: cube, halo and burst", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }

    GraphicsContext* gc = nullptr;
    std::unique_ptr<Engine3D> engine;
    try {
        engine = std::make_unique<Engine3D>();
        GraphicsInitParameters p;
        p.XRes = 640;
        p.YRes = 480;
        p.Bpp = 32;
        p.DepthBits = 24;
        p.DevType = D3DDEVTYPE_HAL;
        p.HardwareTnL = true;
        p.NumBuffers = 1;
        p.DontCareFlags = DONT_CARE_BPP | DONT_CARE_REFRESH | DONT_CARE_ALPHA | DONT_CARE_TNL;
        gc = engine->CreateGraphicsContext(window, 0, &p);
    } catch (const EngineInitException& e) {
        std::fprintf(stderr, "%s\n", e.GetErrorString().c_str());
        return 1;
    }
    if (gc == nullptr) {
        std::fprintf(stderr, "no graphics context\n");
        return 1;
    }

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
    while (running) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                running = false;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
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
    DestroyWindow(window);
    return 0;
}
