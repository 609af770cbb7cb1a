#pragma once

// Textures: a chain of level surfaces and, outside system memory, a GL
// texture. Locked levels keep their texels in system memory and reach GL
// when the texture is next drawn with; render-target and depth textures
// live in GL alone.

#include <atomic>
#include <memory>
#include <vector>

#include "platform/d3d/d3d8.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_objects.h"
#include "platform/d3d/surface.h"

namespace go3d::d3d {

class Texture final : public IDirect3DTexture8
{
public:
    // D3D_OK and a texture with one reference, or an error result and null.
    static HRESULT Create(std::shared_ptr<GlContext> gl, UINT width, UINT height, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, UINT maxSize, Texture** out);

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD SetLOD(DWORD lod) override;
    DWORD GetLOD() override { return lod_; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    D3DFORMAT Format() const { return format_; }
    DWORD Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }
    Surface& Level(UINT level) { return *levels_[level]; }
    // The GL texture, 0 in system memory.
    GLuint Name() const { return name_.get(); }
    // Sends the levels written since the last draw to GL.
    void Prepare();

private:
    Texture(std::shared_ptr<GlContext> gl, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~Texture() override;

    std::shared_ptr<GlContext> gl_;
    DWORD usage_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    DWORD lod_ = 0;
    std::vector<std::unique_ptr<Surface>> levels_;
    GlTexture name_;
    std::atomic<ULONG> refs_{1};
};

}  // namespace go3d::d3d
