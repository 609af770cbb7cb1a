// The graphics context on a real layer device: what its operations leave on
// the device and which calls they make.

#include "engine/3dengine.h"
#include "engine/assertion.h"
#include "engine/exceptions.h"
#include "device_fixture.h"
#include "fake_adapter.h"
#include "platform/d3d/call_log.h"
#include "platform/d3d/readback.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>


namespace
{
class Context : public enginetest::DeviceTest
{
protected:
    DWORD Rs(D3DRENDERSTATETYPE s)
    {
        DWORD v = 0xDEADBEEF;
        c->Device->GetRenderState(s, &v);
        return v;
    }

    DWORD Tss(DWORD stage, D3DTEXTURESTAGESTATETYPE t)
    {
        DWORD v = 0xDEADBEEF;
        c->Device->GetTextureStageState(stage, t, &v);
        return v;
    }

    D3DMATRIX Transform(D3DTRANSFORMSTATETYPE t)
    {
        D3DMATRIX m{};
        c->Device->GetTransform(t, &m);
        return m;
    }

    static bool IsIdentity(const D3DMATRIX& m)
    {
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                if (m.m[r][k] != (r == k ? 1.0f : 0.0f))
                    return false;
        return true;
    }

    static Matrix4x4 Translation(float x, float y, float z)
    {
        Matrix4x4 m;
        m.SetTranslation(x, y, z);
        return m;
    }

    // The fake adapter's stage count.
    static constexpr DWORD stages = 8;
};

Vertex At(float x, float y, float z)
{
    Vertex v;
    v.Position = Vector3(x, y, z);
    v.Color = 0xFFFFFFFF;
    return v;
}
}

TEST_F(Context, DefaultStates)
{
    EXPECT_EQ(Rs(D3DRS_LOCALVIEWER), 1u);
    EXPECT_EQ(Rs(D3DRS_CULLMODE), 3u);
    EXPECT_EQ(Rs(D3DRS_LIGHTING), 1u);
    EXPECT_EQ(Rs(D3DRS_COLORVERTEX), 0u);
    EXPECT_EQ(Rs(D3DRS_AMBIENT), 0xFF000000u);
    EXPECT_EQ(Rs(D3DRS_SPECULARENABLE), 1u);
    for (DWORD s = 0; s < stages; ++s) {
        EXPECT_EQ(Tss(s, D3DTSS_MINFILTER), 2u) << s;
        EXPECT_EQ(Tss(s, D3DTSS_MAGFILTER), 2u) << s;
        EXPECT_EQ(Tss(s, D3DTSS_MIPFILTER), 1u) << s;
    }
    EXPECT_TRUE(IsIdentity(Transform(D3DTS_WORLDMATRIX(0))));
    EXPECT_EQ(c->PrimitiveType, 4u);
    EXPECT_EQ(c->CullOrder, 3u);
    EXPECT_TRUE(c->MipMapping);
    EXPECT_EQ(c->MipFilter, 1u);
    EXPECT_FALSE(c->Billboarding);
    const D3DMATRIX proj = Transform(D3DTS_PROJECTION);
    EXPECT_FLOAT_EQ(proj.m[0][0], 1.73205078f);
    EXPECT_FLOAT_EQ(proj.m[1][1], 2.41421342f);
}

TEST(ProjectionMatrix, HorizontalAngleIsFovTimesAspect)
{
    Matrix4x4 m;
    CreateProjectionMatrix(m, 0.785398185f, 1.33333337f, 1.0f, 10000.0f);
    const float expected[4][4] = {
        {1.73205078f, 0, 0, 0}, {0, 2.41421342f, 0, 0}, {0, 0, 1.00010002f, 1}, {0, 0, -1.00010002f, 0}};
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            EXPECT_FLOAT_EQ(m.m[r][k], expected[r][k]) << r << k;
}

TEST_F(Context, FrontFaceAndCulling)
{
    struct Case
    {
        bool culling;
        DWORD winding;
        DWORD order;
        std::vector<std::string> calls;
    } cases[] = {
        {true, 3, 2, {"SetRenderState(22, 2)"}},
        {true, 2, 3, {"SetRenderState(22, 3)"}},
        {true, 1, 2, {"SetRenderState(22, 2)"}},
        {true, 7, 2, {"SetRenderState(22, 2)"}},
        {false, 3, 2, {}},
    };
    for (const Case& k : cases) {
        c->SetBackfaceCulling(k.culling);
        EXPECT_EQ(Calls([&] { c->SetFrontFace(k.winding); }), k.calls) << k.winding;
        EXPECT_EQ(c->CullOrder, k.order);
    }
    // Culling was off: switching it on writes the order chosen meanwhile.
    c->SetBackfaceCulling(true);
    EXPECT_EQ(Rs(D3DRS_CULLMODE), 2u);
    c->SetBackfaceCulling(false);
    EXPECT_EQ(Rs(D3DRS_CULLMODE), 1u);
}

TEST_F(Context, RenderStateSetters)
{
    struct Case
    {
        const char* what;
        std::function<void(GraphicsContext&)> set;
        std::vector<std::string> calls;
    } cases[] = {
        {"colour write", [](GraphicsContext& g) { g.SetColorWrite(false, true, false, true); },
         {"SetRenderState(168, 10)"}},
        {"blend function", [](GraphicsContext& g) { g.SetBlendFunc(5, 6); },
         {"SetRenderState(19, 5)", "SetRenderState(20, 6)"}},
        {"stencil op order", [](GraphicsContext& g) { g.SetStencilOp(1, 2, 7); },
         {"SetRenderState(55, 7)", "SetRenderState(53, 1)", "SetRenderState(54, 2)"}},
        {"ambient packs the colour", [](GraphicsContext& g) { g.SetAmbientLight(Color(1.0f, 0.5f, 0.0f, 1.0f)); },
         {"SetRenderState(139, 4294934272)"}},
        {"bools as 0 and 1", [](GraphicsContext& g) { g.SetZWrite(true), g.SetAlphaBlending(false); },
         {"SetRenderState(14, 1)", "SetRenderState(27, 0)"}},
        {"stage colour without arg0",
         [](GraphicsContext& g) { g.SetTextureStageColor(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, 0); },
         {"SetTextureStageState(1, 1, 4)", "SetTextureStageState(1, 2, 2)", "SetTextureStageState(1, 3, 1)"}},
        {"stage alpha with arg0",
         [](GraphicsContext& g) { g.SetTextureStageAlpha(2, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTA_TFACTOR); },
         {"SetTextureStageState(2, 4, 7)", "SetTextureStageState(2, 5, 2)", "SetTextureStageState(2, 6, 1)",
          "SetTextureStageState(2, 27, 3)"}},
        {"primitive type is kept, not sent", [](GraphicsContext& g) { g.SetPrimitiveType(5); }, {}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(Calls([&] { k.set(*c); }), k.calls) << k.what;
    c->SetPrimitiveType(D3DPT_TRIANGLELIST);
}

TEST_F(Context, MipMappingAndFilteringMeetAtTheMipFilter)
{
    c->SetMipMapping(false, 1);
    c->SetTextureFiltering(2, 1);
    EXPECT_EQ(Tss(1, D3DTSS_MIPFILTER), 0u);
    EXPECT_EQ(Tss(1, D3DTSS_MINFILTER), 2u);
    EXPECT_EQ(c->MipFilter, 2u);
    c->SetMipMapping(true, 1);
    EXPECT_EQ(Tss(1, D3DTSS_MIPFILTER), 2u);

    c->SetTextureFiltering(3, AllStages);
    for (DWORD s = 0; s < stages; ++s) {
        EXPECT_EQ(Tss(s, D3DTSS_MAGFILTER), 3u);
        EXPECT_EQ(Tss(s, D3DTSS_MIPFILTER), 2u);
    }
    EXPECT_EQ(Calls([&] { c->SetTextureFiltering(0, 4); }),
              (std::vector<std::string>{"SetTextureStageState(4, 17, 1)", "SetTextureStageState(4, 16, 1)",
                                        "SetTextureStageState(4, 18, 1)"}));
}

TEST_F(Context, AllStagesWithoutStagesMakesNoCall)
{
    c->MaxTextureStages = 0;
    const auto calls = Calls([&] {
        c->SetMipMapping(false, AllStages);
        c->SetTextureFiltering(2, AllStages);
        c->SetTextureAddressing(D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, AllStages);
        c->SetTextureBorderColor(0xFF00FF00, AllStages);
    });
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(c->MipMapping);
    EXPECT_EQ(c->MipFilter, 2u);

    c->MaxTextureStages = 2;
    EXPECT_EQ(Calls([&] { c->SetTextureAddressing(3, 1, AllStages); }),
              (std::vector<std::string>{"SetTextureStageState(0, 13, 3)", "SetTextureStageState(0, 14, 1)",
                                        "SetTextureStageState(1, 13, 3)", "SetTextureStageState(1, 14, 1)"}));
}

TEST_F(Context, TransformsAreKeptAndSent)
{
    c->SetWorldMatrix(Translation(1, 2, 3), 5);
    EXPECT_EQ(Transform(D3DTS_WORLDMATRIX(5)).m[3][1], 2.0f);
    EXPECT_EQ(c->GetWorldMatrix(5)->m[3][2], 3.0f);
    c->SetViewMatrix(Translation(0, 0, 10));
    EXPECT_EQ(Transform(D3DTS_VIEW).m[3][2], 10.0f);
    c->SetTextureMatrix(Translation(0.5f, 0, 0), 7);
    EXPECT_EQ(Transform(D3DTS_TEXTURE0 + 7).m[3][0], 0.5f);
    EXPECT_EQ(c->GetTextureMatrix(7)->m[3][0], 0.5f);
    c->SetViewport(0, 0, 32, 16, 0.0f, 1.0f);
    D3DVIEWPORT8 vp{};
    c->Device->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 32u);
    EXPECT_EQ(vp.Height, 16u);
}

TEST_F(Context, BillboardingSendsWorldMatrixZeroOnly)
{
    c->SetWorldMatrix(Translation(4, 5, 6), 0);
    c->SetViewMatrix(Matrix4x4());
    c->SetBillboarding(true);
    const auto calls = Calls([&] { c->SetWorldMatrix(Translation(9, 9, 9), 5); });
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("SetTransform(256, ", 0), 0u) << calls[0];
    EXPECT_EQ(c->GetWorldMatrix(5)->m[3][0], 9.0f);

    // The view looks along +z (x = 0): the second yaw formula, -atan(inf) - pi/2
    // = -pi, turns the quad about y by a half turn and keeps its origin.
    const D3DMATRIX w = Transform(D3DTS_WORLDMATRIX(0));
    EXPECT_NEAR(w.m[0][0], -1.0f, 1e-5f);
    EXPECT_NEAR(w.m[2][2], -1.0f, 1e-5f);
    EXPECT_NEAR(w.m[3][0], 4.0f, 1e-5f);
    EXPECT_NEAR(w.m[3][1], 5.0f, 1e-5f);
    EXPECT_NEAR(w.m[3][2], 6.0f, 1e-5f);

    // The view is not sent while billboarding.
    const auto viewCalls = Calls([&] { c->SetViewMatrix(Translation(0, 0, 3)); });
    ASSERT_EQ(viewCalls.size(), 1u);
    EXPECT_EQ(viewCalls[0].rfind("SetTransform(256, ", 0), 0u);

    c->SetBillboarding(false);
    EXPECT_NEAR(Transform(D3DTS_WORLDMATRIX(0)).m[0][0], 1.0f, 0.0f);
}

TEST_F(Context, DrawFormsCountPrimitivesAndUnbind)
{
    c->SetVertexShader(0x1458); // callers set the shader; the draws do not
    std::vector<Vertex> v(30, At(0, 0, 0.5f));
    EXPECT_EQ(Calls([&] { EXPECT_TRUE(c->Draw(v.data(), 7)); }),
              (std::vector<std::string>{"DrawPrimitiveUP(4, 2, " + go3d::d3d::FormatArg(v.data()) + ", 68)"}));

    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_TRUE(c->CreateVertexBuffer(30, 0, &vb));
    ASSERT_TRUE(c->CreateIndexBuffer(36, 0, &ib));
    D3DVERTEXBUFFER_DESC vdesc{};
    vb->GetDesc(&vdesc);
    EXPECT_EQ(vdesc.Size, 30u * 68);
    EXPECT_EQ(vdesc.FVF, 0x1458u);
    void* data = nullptr;
    ASSERT_TRUE(Lock(ib, &data));
    std::memset(data, 0, 72);
    Unlock(ib);

    const auto calls = Calls([&] { EXPECT_TRUE(c->Draw(vb, ib)); });
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[2], "DrawIndexedPrimitive(4, 0, 30, 0, 12)");
    EXPECT_EQ(calls[3], "SetIndices(null, 0)");
    EXPECT_EQ(calls[4], "SetStreamSource(0, null, 0)");
    IDirect3DVertexBuffer8* bound = vb;
    UINT stride = 1;
    c->Device->GetStreamSource(0, &bound, &stride);
    EXPECT_EQ(bound, nullptr);

    const auto vbCalls = Calls([&] { EXPECT_TRUE(c->Draw(vb)); });
    ASSERT_EQ(vbCalls.size(), 3u);
    EXPECT_EQ(vbCalls[1], "DrawPrimitive(4, 0, 10)");
    EXPECT_EQ(vbCalls[2], "SetStreamSource(0, null, 0)");

    const Triangle tris[2] = {Triangle(0, 1, 2), Triangle(2, 1, 3)};
    EXPECT_TRUE(c->Draw(v.data(), tris, 4, 2));
    vb->Release();
    ib->Release();
}

TEST_F(Context, LockFlagsFollowTheUsage)
{
    struct Case
    {
        DWORD usage;
        std::string flags;
    } cases[] = {{D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, "12288"}, {D3DUSAGE_WRITEONLY, "0"}};
    for (const Case& k : cases) {
        IDirect3DVertexBuffer8* vb = nullptr;
        ASSERT_TRUE(c->CreateVertexBuffer(4, k.usage, &vb));
        void* data = nullptr;
        const auto calls = Calls([&] {
            EXPECT_TRUE(Lock(vb, &data));
            Unlock(vb);
        });
        EXPECT_EQ(calls, (std::vector<std::string>{"VertexBuffer::Lock(0, 0, " + k.flags + ")",
                                                   "VertexBuffer::Unlock()"}));
        vb->Release();
    }
}

TEST_F(Context, ClearsReachTheirBuffers)
{
    EXPECT_EQ(Calls([&] { c->ClearStencil(5); }),
              (std::vector<std::string>{"Clear(0, null, 4, 0, 1, 5)"}));
    EXPECT_EQ(Calls([&] { c->ClearZBufferStencil(0.5f, 3); }),
              (std::vector<std::string>{"Clear(0, null, 6, 0, 0.5, 3)"}));
    c->Clear(0xFF102030);
    std::vector<std::uint32_t> pixels;
    UINT w = 0, h = 0;
    ASSERT_EQ(D3DReadBackBuffer(c->Device, pixels, w, h), D3D_OK);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x102030u);
}

TEST_F(Context, ShaderConstants)
{
    c->SetVertexShaderConstant(4, 2.5f);
    float r[4] = {};
    c->Device->GetVertexShaderConstant(4, r, 1);
    EXPECT_EQ(r[0], 2.5f);
    EXPECT_EQ(r[1], 0.0f);
    EXPECT_EQ(r[2], 0.0f);
    EXPECT_EQ(r[3], 1.0f);
    c->SetVertexShaderConstant(5, Vector3(1, 2, 3));
    c->Device->GetVertexShaderConstant(5, r, 1);
    EXPECT_EQ(r[3], 1.0f);
    c->SetVertexShaderConstant(10, Translation(7, 8, 9));
    c->Device->GetVertexShaderConstant(13, r, 1);
    EXPECT_EQ(r[0], 7.0f);
    EXPECT_EQ(r[2], 9.0f);
}

TEST_F(Context, VertexShadersFromFiles)
{
    EXPECT_EQ(c->CreateVertexShader("/nonexistent/shader.vsh"), 0xFFFFFFFFu);

    const testsupport::TempDir temp;
    const std::string path = temp.File("shader.vsh");
    std::ofstream(path) << "vs.1.1\n"
                           "m4x4 oPos, v0, c0\n"
                           "mov oD0, c4\n";
    const dword handle = c->CreateVertexShader(path.c_str());
    ASSERT_NE(handle, 0xFFFFFFFFu);

    // The shader reads the engine's vertex layout: a full-screen quad in
    // clip space comes out in the constant colour.
    Matrix4x4 identity;
    c->SetVertexShaderConstant(0, identity);
    c->SetVertexShaderConstant(4, Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    c->SetVertexShader(handle);
    c->SetLighting(false);
    c->SetBackfaceCulling(false);
    c->SetTexture(0, nullptr);
    c->SetTextureStageColor(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT, 0);
    c->Clear(0xFF000000);
    const Vertex quad[6] = {At(-1, 1, 0.5f), At(1, 1, 0.5f), At(-1, -1, 0.5f),
                            At(1, 1, 0.5f), At(1, -1, 0.5f), At(-1, -1, 0.5f)};
    EXPECT_TRUE(c->Draw(quad, 6));
    std::vector<std::uint32_t> pixels;
    UINT w = 0, h = 0;
    ASSERT_EQ(D3DReadBackBuffer(c->Device, pixels, w, h), D3D_OK);
    EXPECT_EQ(pixels[32 * 64 + 32] & 0xFFFFFF, 0x00FF00u);
    c->DeleteVertexShader(handle);
    c->SetVertexShader(0x1458);
}

TEST_F(Context, MaterialGoesToTheDeviceWhole)
{
    Material m(0.9f, 0.8f, 0.3f, 1.0f);
    m.SetPower(12.0f);
    m.SetEmissive(0.1f, 0.2f, 0.3f);
    c->SetMaterial(m);
    D3DMATERIAL8 d{};
    c->Device->GetMaterial(&d);
    EXPECT_EQ(d.Diffuse.r, 0.9f);
    EXPECT_EQ(d.Ambient.b, 0.3f);
    EXPECT_EQ(d.Specular.a, 0.0f);
    EXPECT_EQ(d.Emissive.g, 0.2f);
    EXPECT_EQ(d.Power, 12.0f);
}

TEST_F(Context, AnIndexOutOfRangeIsReportedAndTouchesNothing)
{
    std::vector<std::string> reports;
    AssertionReporter previous = SetAssertionReporter(
        [&](const std::string& e, const char* file, int) { reports.push_back(e + " @ " + file); });
    const Matrix4x4 before = *c->GetWorldMatrix(255);
    const auto calls = Calls([&] {
        c->SetWorldMatrix(Translation(1, 1, 1), 256);
        c->SetTextureMatrix(Translation(1, 1, 1), 8);
    });
    Matrix4x4* got = c->GetWorldMatrix(300);
    Matrix4x4* tex = c->GetTextureMatrix(9);
    SetAssertionReporter(previous);

    EXPECT_TRUE(calls.empty());
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0].rfind("BlendIndex < 256 @ ", 0), 0u);
    EXPECT_NE(reports[0].find("3dengine"), std::string::npos);
    EXPECT_EQ(reports[1].rfind("TextureStage < 8 @ ", 0), 0u);
    EXPECT_EQ(got, c->GetWorldMatrix(0));
    EXPECT_EQ(tex, c->GetTextureMatrix(0));
    EXPECT_EQ(std::memcmp(&before, c->GetWorldMatrix(255), sizeof before), 0);
}

TEST(Assertion, DefaultReportNamesExpressionFileAndLine)
{
    EXPECT_EQ(FormatAssertion("BlendIndex < 256", "engine/3dengine.cpp", 42),
              "Assertion failed: BlendIndex < 256, file engine/3dengine.cpp, line 42");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReportAssertion("x < 1", "f.cpp", 7));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Assertion failed: x < 1, file f.cpp, line 7\n");
}
