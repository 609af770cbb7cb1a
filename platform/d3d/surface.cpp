#include "platform/d3d/surface.h"

#include "platform/d3d/device.h"
#include "platform/d3d/texture.h"
#include "platform/d3d/texture_format.h"

namespace go3d::d3d {

namespace {

D3DSURFACE_DESC Describe(D3DFORMAT format, DWORD usage, D3DPOOL pool, UINT size, D3DMULTISAMPLE_TYPE samples,
                         UINT width, UINT height)
{
    return {format, D3DRTYPE_SURFACE, usage, pool, size, samples, width, height};
}

}  // namespace

Surface::Surface(std::shared_ptr<GlContext> gl, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool)
    : gl_(std::move(gl)), kind_(Kind::Memory), pitch_(RowPitch(format, width))
{
    bytes_.assign(static_cast<std::size_t>(pitch_) * height, 0);
    desc_ = Describe(format, 0, pool, static_cast<UINT>(bytes_.size()), D3DMULTISAMPLE_NONE, width, height);
}

Surface::Surface(std::shared_ptr<GlContext> gl, Kind kind, GlRenderbuffer renderbuffer, UINT width, UINT height,
                 D3DFORMAT format, D3DMULTISAMPLE_TYPE samples)
    : gl_(std::move(gl)), kind_(kind), renderbuffer_(std::move(renderbuffer))
{
    const DWORD usage = kind == Kind::Depth ? D3DUSAGE_DEPTHSTENCIL : D3DUSAGE_RENDERTARGET;
    desc_ = Describe(format, usage, D3DPOOL_DEFAULT, 0, samples, width, height);
}

Surface::Surface(std::shared_ptr<GlContext> gl, Texture* container, UINT level, Kind kind, UINT width,
                 UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool)
    : gl_(std::move(gl)), kind_(kind), container_(container), level_(level)
{
    if (kind == Kind::Memory)
    {
        pitch_ = RowPitch(format, width);
        bytes_.assign(static_cast<std::size_t>(pitch_) * height, 0);
        dirty_ = true;  // GL's storage starts undefined: the zeros go up at first use
    }
    desc_ = Describe(format, usage, pool, static_cast<UINT>(bytes_.size()), D3DMULTISAMPLE_NONE, width, height);
}

ULONG Surface::AddRef()
{
    if (container_)
        return container_->AddRef();
    return ++refs_;
}

ULONG Surface::Release()
{
    if (container_)
        return container_->Release();
    const ULONG left = --refs_;
    if (left == 0)
    {
        auto keep = gl_;
        keep->MakeCurrent();
        delete this;
    }
    return left;
}

HRESULT Surface::GetDevice(IDirect3DDevice8** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = gl_->device;
    if (!*device)
        return D3DERR_INVALIDCALL;
    (*device)->AddRef();
    return D3D_OK;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    gl_->Log("Surface::LockRect", rect, flags);
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked->pBits = nullptr;
    locked->Pitch = 0;
    // Only system-memory texels can be handed out; GL-only surfaces are not
    // lockable, and a level is locked once at a time.
    if (kind_ != Kind::Memory || locked_)
        return D3DERR_INVALIDCALL;
    LONG left = 0, top = 0;
    if (rect)
    {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            static_cast<UINT>(rect->right) > desc_.Width || static_cast<UINT>(rect->bottom) > desc_.Height)
            return D3DERR_INVALIDCALL;
        left = rect->left;
        top = rect->top;
    }
    locked_ = true;
    if (!(flags & D3DLOCK_READONLY))
        dirty_ = true;
    locked->Pitch = static_cast<int>(pitch_);
    locked->pBits = bytes_.data() + static_cast<std::size_t>(top) * pitch_ +
                    static_cast<std::size_t>(left) * TexelSize(desc_.Format);
    return D3D_OK;
}

HRESULT Surface::UnlockRect()
{
    gl_->Log("Surface::UnlockRect");
    if (!locked_)
        return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
}

}  // namespace go3d::d3d
