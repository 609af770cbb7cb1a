// What the device keeps and answers for, what it refuses, and its call log.

#include "device_fixture.h"

namespace {
using namespace d3dtest;

struct Default
{
    DWORD state, value;
};

TEST_F(DeviceTest, NewDeviceHasDirect3DsDefaults)
{
    const Default render[] = {{D3DRS_ZENABLE, D3DZB_TRUE},        {D3DRS_ZWRITEENABLE, TRUE},
                              {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},    {D3DRS_CULLMODE, D3DCULL_CCW},
                              {D3DRS_LIGHTING, TRUE},             {D3DRS_ALPHABLENDENABLE, FALSE},
                              {D3DRS_SRCBLEND, D3DBLEND_ONE},     {D3DRS_DESTBLEND, D3DBLEND_ZERO},
                              {D3DRS_SHADEMODE, D3DSHADE_GOURAUD}, {D3DRS_COLORVERTEX, TRUE},
                              {D3DRS_LOCALVIEWER, TRUE},          {D3DRS_SPECULARENABLE, FALSE},
                              {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
                              {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
                              {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
                              {D3DRS_STENCILMASK, 0xFFFFFFFF},   {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
                              {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF}, {D3DRS_COLORWRITEENABLE, 0xF},
                              {D3DRS_POINTSIZE, 0x3F800000},     {D3DRS_POINTSCALE_A, 0x3F800000},
                              {D3DRS_FILLMODE, D3DFILL_SOLID},   {D3DRS_AMBIENT, 0}};
    for (const auto& d : render)
    {
        DWORD v = 0xDEAD;
        ASSERT_EQ(device->GetRenderState(d.state, &v), D3D_OK);
        EXPECT_EQ(v, d.value) << "render state " << d.state;
    }
    const Default stage0[] = {{D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                              {D3DTSS_COLORARG2, D3DTA_CURRENT}, {D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
                              {D3DTSS_TEXCOORDINDEX, 0},        {D3DTSS_MAGFILTER, D3DTEXF_POINT},
                              {D3DTSS_MIPFILTER, D3DTEXF_NONE}, {D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
                              {D3DTSS_MAXANISOTROPY, 1}};
    for (const auto& d : stage0)
    {
        DWORD v = 0xDEAD;
        ASSERT_EQ(device->GetTextureStageState(0, d.state, &v), D3D_OK);
        EXPECT_EQ(v, d.value) << "stage state " << d.state;
    }
    DWORD v = 0;
    device->GetTextureStageState(3, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, D3DTOP_DISABLE);
    device->GetTextureStageState(3, D3DTSS_TEXCOORDINDEX, &v);
    EXPECT_EQ(v, 3u);
}

TEST_F(DeviceTest, EveryValueSetIsAnsweredBack)
{
    const Default render[] = {{D3DRS_ZFUNC, D3DCMP_GREATER},         {D3DRS_AMBIENT, 0xFF102030},
                              {D3DRS_STENCILPASS, D3DSTENCILOP_INCR}, {D3DRS_STENCILREF, 7},
                              {D3DRS_POINTSCALE_C, 0x3F800000},     {D3DRS_FOGENABLE, TRUE},
                              {D3DRS_ALPHAREF, 0x80},               {D3DRS_COLORWRITEENABLE, 0xA}};
    for (const auto& r : render)
    {
        ASSERT_EQ(device->SetRenderState(r.state, r.value), D3D_OK);
        DWORD v = 0;
        device->GetRenderState(r.state, &v);
        EXPECT_EQ(v, r.value);
    }
    ASSERT_EQ(device->SetTextureStageState(2, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL | 1), D3D_OK);
    DWORD v = 0;
    device->GetTextureStageState(2, D3DTSS_TEXCOORDINDEX, &v);
    EXPECT_EQ(v, D3DTSS_TCI_CAMERASPACENORMAL | 1);

    const D3DTRANSFORMSTATETYPE transforms[] = {D3DTS_WORLD, D3DTS_WORLDMATRIX(5), D3DTS_VIEW, D3DTS_PROJECTION,
                                                D3DTS_TEXTURE0 + 7};
    for (auto t : transforms)
    {
        D3DMATRIX m = Translation(static_cast<float>(t), 2, 3);
        ASSERT_EQ(device->SetTransform(t, &m), D3D_OK);
        D3DMATRIX got{};
        ASSERT_EQ(device->GetTransform(t, &got), D3D_OK);
        EXPECT_EQ(std::memcmp(&got, &m, sizeof m), 0) << t;
    }
    D3DMATERIAL8 m{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}, 17};
    device->SetMaterial(&m);
    D3DMATERIAL8 gotm{};
    device->GetMaterial(&gotm);
    EXPECT_EQ(std::memcmp(&gotm, &m, sizeof m), 0);
    D3DLIGHT8 l{};
    l.Type = D3DLIGHT_POINT;
    l.Range = 1000;
    l.Attenuation0 = 1;
    l.Position = {0, 100, 0};
    ASSERT_EQ(device->SetLight(4, &l), D3D_OK);
    D3DLIGHT8 gotl{};
    device->GetLight(4, &gotl);
    EXPECT_EQ(std::memcmp(&gotl, &l, sizeof l), 0);

    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(680, 0, kFvf, D3DPOOL_DEFAULT, &vb), D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(72, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib), D3D_OK);
    device->SetStreamSource(0, vb, 68);
    device->SetIndices(ib, 3);
    IDirect3DVertexBuffer8* gotvb = nullptr;
    UINT stride = 0;
    device->GetStreamSource(0, &gotvb, &stride);
    EXPECT_EQ(gotvb, vb);
    EXPECT_EQ(stride, 68u);
    IDirect3DIndexBuffer8* gotib = nullptr;
    UINT base = 0;
    device->GetIndices(&gotib, &base);
    EXPECT_EQ(gotib, ib);
    EXPECT_EQ(base, 3u);
    gotvb->Release();
    gotib->Release();
    DWORD shader = 0;
    device->GetVertexShader(&shader);
    EXPECT_EQ(shader, kFvf);
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
    vb->Release();
    ib->Release();
}

TEST_F(DeviceTest, UnsupportedValuesAreRefusedAndTheOldValueStays)
{
    const Default refused[] = {{D3DRS_ZENABLE, D3DZB_USEW}, {D3DRS_VERTEXBLEND, 1}, {D3DRS_CULLMODE, 0},
                               {D3DRS_STENCILPASS, 9},      {D3DRS_ZFUNC, 0},       {999, 0},
                               {D3DRS_WRAP0, 1}};
    for (const auto& r : refused)
    {
        DWORD before = 0, after = 0;
        device->GetRenderState(r.state, &before);
        EXPECT_EQ(device->SetRenderState(r.state, r.value), D3DERR_INVALIDCALL) << r.state;
        device->GetRenderState(r.state, &after);
        EXPECT_EQ(before, after);
    }
    EXPECT_EQ(device->SetVertexShader(D3DFVF_XYZRHW), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetVertexShader(1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetPixelShader(5), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetPixelShader(0), D3D_OK);
    EXPECT_EQ(device->SetTransform(1, nullptr), D3DERR_INVALIDCALL);
    IDirect3DIndexBuffer8* ib = nullptr;
    EXPECT_EQ(device->CreateIndexBuffer(8, 0, D3DFMT_INDEX32, D3DPOOL_DEFAULT, &ib), D3DERR_INVALIDCALL);
    EXPECT_EQ(ib, nullptr);
}

TEST_F(DeviceTest, BuffersLockWithinTheirBoundsAndDrawWhatWasWritten)
{
    Unlit();
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * 68, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_DEFAULT, &vb),
              D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib), D3D_OK);
    D3DVERTEXBUFFER_DESC vd{};
    vb->GetDesc(&vd);
    EXPECT_EQ(vd.Size, 272u);
    EXPECT_EQ(vd.FVF, kFvf);
    EXPECT_EQ(vd.Usage, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY);
    BYTE* data = nullptr;
    EXPECT_EQ(vb->Lock(200, 100, &data, 0), D3DERR_INVALIDCALL) << "past the end";
    EXPECT_EQ(data, nullptr);
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    const Vertex v[4] = {V(-1, 1, 0.5f, 0xFF00FF00), V(1, 1, 0.5f, 0xFF00FF00), V(-1, -1, 0.5f, 0xFF00FF00),
                         V(1, -1, 0.5f, 0xFF00FF00)};
    std::memcpy(data, v, sizeof v);
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL) << "not locked";
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    const std::uint16_t idx[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(data, idx, sizeof idx);
    ib->Unlock();
    device->SetStreamSource(0, vb, 68);
    device->SetIndices(ib, 0);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
    ExpectColor(Pixel(32, 32), 0, 255, 0, 0);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 3), D3DERR_INVALIDCALL) << "too many";
    device->SetIndices(ib, 1);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL)
        << "index 3 + base 1 reads past the vertices";
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);
    const std::uint16_t far[3] = {0, 1, 9};
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, far, D3DFMT_INDEX16, v, 68),
              D3DERR_INVALIDCALL);
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(vb->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device);
    owner->Release();
    vb->Release();
    ib->Release();
}

TEST_F(DeviceTest, CallLogRecordsCallsInOrderOnlyWhileEnabled)
{
    auto* log = GetDeviceCallLog(device);
    ASSERT_NE(log, nullptr);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    EXPECT_TRUE(log->Records().empty());
    log->Enable(true);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->LightEnable(0, TRUE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_ZFUNC, 0);  // refused, still a call received
    const std::vector<std::string> expected = {"SetRenderState(23, 2)", "SetTextureStageState(1, 1, 1)",
                                               "LightEnable(0, 1)", "Clear(0, null, 1, 4278190080, 1, 0)",
                                               "SetRenderState(23, 0)"};
    EXPECT_EQ(log->Texts(), expected);
    log->Clear();
    log->Enable(false);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    EXPECT_TRUE(log->Records().empty());
}

}  // namespace
