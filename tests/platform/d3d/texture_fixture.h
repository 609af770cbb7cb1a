#pragma once

// Drawing the viewport with a texture, and filling texture levels.

#include <cstring>
#include <vector>

#include "device_fixture.h"

namespace d3dtest {

class TextureTest : public DeviceTest
{
protected:
    // A quad over the whole viewport, texture coordinates (0, 0) at the top
    // left to (1, 1) at the bottom right, stage 0 showing the texture's
    // colour, or its alpha in every channel.
    HRESULT TexturedQuad(IDirect3DBaseTexture8* texture, bool alpha = false)
    {
        Unlit();
        EXPECT_EQ(device->SetTexture(0, texture), D3D_OK);
        Tss(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        Tss(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | (alpha ? D3DTA_ALPHAREPLICATE : 0));
        Tss(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        Tss(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        std::vector<Vertex> v = {V(-1, 1, 0.5f), V(1, 1, 0.5f), V(-1, -1, 0.5f), V(1, -1, 0.5f)};
        const float uv[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        for (int i = 0; i < 4; ++i)
            for (auto& set : v[i].uv)
            {
                set[0] = uv[i][0];
                set[1] = uv[i][1];
            }
        return Draw(D3DPT_TRIANGLESTRIP, v, 2);
    }

    // Fills a whole level with one A8R8G8B8 value.
    static void Fill(IDirect3DTexture8* t, UINT level, D3DCOLOR c)
    {
        D3DSURFACE_DESC d{};
        ASSERT_EQ(t->GetLevelDesc(level, &d), D3D_OK);
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(t->LockRect(level, &lr, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < d.Height; ++y)
            for (UINT x = 0; x < d.Width; ++x)
                std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
        ASSERT_EQ(t->UnlockRect(level), D3D_OK);
    }
};

}  // namespace d3dtest
