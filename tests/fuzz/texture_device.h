#pragma once

// A device that only answers the calls a texture load makes: its caps, with
// a texture size limit, and textures whose levels live in system memory, so
// that image files become textures without a display.

#include "null_device.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/texture.h"

#include <memory>

class TextureDevice final : public NullDevice
{
public:
    static constexpr UINT MaxTextureSize = 1024;

    HRESULT GetDeviceCaps(D3DCAPS8* caps) override
    {
        *caps = {};
        caps->MaxTextureWidth = caps->MaxTextureHeight = MaxTextureSize;
        return D3D_OK;
    }

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL,
                          IDirect3DTexture8** out) override
    {
        go3d::d3d::Texture* t = nullptr;
        const HRESULT hr = go3d::d3d::Texture::Create(gl_, width, height, levels, usage, format, D3DPOOL_SYSTEMMEM,
                                                      MaxTextureSize, &t);
        *out = t;
        return hr;
    }

private:
    // No GL context: system-memory textures never reach GL.
    std::shared_ptr<go3d::d3d::GlContext> gl_ = std::make_shared<go3d::d3d::GlContext>();
};
