#pragma once

// Surfaces: a rectangle of texels in system memory (image surfaces and the
// levels of textures that can be locked), a GL renderbuffer (the back
// buffer, render targets, depth-stencil surfaces), or a level of a
// render-target or depth texture, drawn into through a framebuffer object.

#include <atomic>
#include <memory>
#include <vector>

#include "platform/d3d/d3d8.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_objects.h"

namespace go3d::d3d {

class Texture;

class Surface final : public IDirect3DSurface8
{
public:
    enum class Kind { Memory, Color, Depth };

    // An image surface: lockable bytes, never drawn into.
    Surface(std::shared_ptr<GlContext> gl, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool);
    // A colour or depth renderbuffer of the given GL name.
    Surface(std::shared_ptr<GlContext> gl, Kind kind, GlRenderbuffer renderbuffer, UINT width, UINT height,
            D3DFORMAT format, D3DMULTISAMPLE_TYPE samples);
    // A level of a texture; it shares the texture's reference count.
    Surface(std::shared_ptr<GlContext> gl, Texture* container, UINT level, Kind kind, UINT width, UINT height,
            D3DFORMAT format, DWORD usage, D3DPOOL pool);
    ~Surface() override = default;  // by Release, or by the owning texture

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    Kind GetKind() const { return kind_; }
    const D3DSURFACE_DESC& Desc() const { return desc_; }
    BYTE* Bytes() { return bytes_.data(); }
    const BYTE* Bytes() const { return bytes_.data(); }
    UINT Pitch() const { return pitch_; }
    bool Locked() const { return locked_; }
    bool Dirty() const { return dirty_; }
    void SetDirty(bool dirty) { dirty_ = dirty; }
    Texture* Container() const { return container_; }
    UINT Level() const { return level_; }
    GLuint Renderbuffer() const { return renderbuffer_.get(); }

private:
    std::shared_ptr<GlContext> gl_;
    Kind kind_;
    D3DSURFACE_DESC desc_{};
    std::vector<BYTE> bytes_;
    UINT pitch_ = 0;
    bool locked_ = false, dirty_ = false;
    Texture* container_ = nullptr;
    UINT level_ = 0;
    GlRenderbuffer renderbuffer_;
    std::atomic<ULONG> refs_{1};
};

}  // namespace go3d::d3d
