#include "device_fixture.h"

#include "engine/camera.h"
#include "engine/lights.h"
#include "platform/d3d/readback.h"

namespace enginetest {

void LookAsTheGameStarts(GraphicsContext* context)
{
    LookAsTheGameFrom(context, Vector3(0, 100, -100));
}

void LookAsTheGameFrom(GraphicsContext* context, const Vector3& eye)
{
    Camera camera;
    camera.SetCamera(eye, Vector3(0, 0, 0), Vector3(0, 1, 0));
    camera.CreateViewMatrix();
    context->SetViewMatrix(camera.GetViewMatrix());
    PointLight light(Vector3(0, 100, 0), 1000.0f, 1.0f, 0.0f, 0.0f);
    light.SetLight(0, context);
    context->SetAmbientLight(Color(0.1f));
    context->SetTextureFiltering(2, AllStages);
}

std::array<int, 2> ToPixel(const GraphicsContext* context, const Vector3& point, int width, int height)
{
    const Matrix4x4 m = context->ViewMatrix * context->ProjectionMatrix;
    const float in[4] = {point.x, point.y, point.z, 1.0f};
    float out[4] = {0, 0, 0, 0};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            out[col] += in[row] * m.m[row][col];
    const float x = out[0] / out[3];
    const float y = out[1] / out[3];
    return {int((x + 1.0f) * 0.5f * float(width)), int((1.0f - y) * 0.5f * float(height))};
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
    tools::ReleaseContext(c);
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

std::uint32_t DeviceTest::Pixel(int x, int y)
{
    std::vector<std::uint32_t> pixels;
    UINT w = 0, h = 0;
    EXPECT_EQ(D3DReadBackBuffer(c->Device, pixels, w, h), D3D_OK);
    EXPECT_TRUE(x >= 0 && y >= 0 && UINT(x) < w && UINT(y) < h) << x << ", " << y;
    if (pixels.empty() || x < 0 || y < 0 || UINT(x) >= w || UINT(y) >= h)
        return 0;
    return pixels[static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)];
}

}  // namespace enginetest
