#include "device_fixture.h"

#include "engine/textureman.h"

#include <set>

namespace enginetest {

void DisposeContext(GraphicsContext* context)
{
    if (context == nullptr)
        return;
    if (context->TextureManager != nullptr) {
        // A texture cached under two names is released once.
        std::set<IDirect3DTexture8*> textures;
        for (const auto& bucket : context->TextureManager->Textures.Buckets)
            for (const auto& pair : bucket)
                textures.insert(pair.Val);
        for (IDirect3DTexture8* t : textures)
            t->Release();
        delete context->TextureManager;
        context->TextureManager = nullptr;
    }
    if (context->MainSurface != nullptr)
        context->MainSurface->Release();
    if (context->DepthSurface != nullptr)
        context->DepthSurface->Release();
    if (context->Device != nullptr)
        context->Device->Release();
    delete context;
}

void DeviceTest::SetUp()
{
    window = TestWindow();
    ASSERT_NE(window, nullptr);
    engine = new Engine3D(&fake);
    GraphicsInitParameters p;
    p.XRes = 64;
    p.YRes = 64;
    p.Bpp = 32;
    p.RefreshRate = 60;
    p.DepthBits = 24;
    p.HardwareTnL = true;
    p.NumBuffers = 1;
    p.DevType = D3DDEVTYPE_HAL;
    c = engine->CreateGraphicsContext(window, 0, &p);
    ASSERT_NE(c, nullptr);
    log = GetDeviceCallLog(c->Device);
    ASSERT_NE(log, nullptr);
}

void DeviceTest::TearDown()
{
    DisposeContext(c);
    delete engine;
    if (window != nullptr)
        DestroyWindow(window);
}

std::vector<std::string> DeviceTest::Calls(const std::function<void()>& operation)
{
    log->Clear();
    log->Enable(true);
    operation();
    log->Enable(false);
    return log->Texts();
}

}  // namespace enginetest
