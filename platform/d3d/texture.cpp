#include "platform/d3d/texture.h"

#include <algorithm>

#include "platform/d3d/adapter.h"
#include "platform/d3d/device.h"
#include "platform/d3d/texture_format.h"

namespace go3d::d3d {

namespace {

UINT FullChain(UINT width, UINT height)
{
    UINT levels = 1;
    for (UINT s = std::max(width, height); s > 1; s >>= 1)
        ++levels;
    return levels;
}

}  // namespace

HRESULT Texture::Create(std::shared_ptr<GlContext> gl, UINT width, UINT height, UINT levels, DWORD usage,
                        D3DFORMAT format, D3DPOOL pool, UINT maxSize, Texture** out)
{
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || width > maxSize || height > maxSize || pool > D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    if (usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC))
        return D3DERR_INVALIDCALL;
    const bool target = usage & D3DUSAGE_RENDERTARGET, depth = usage & D3DUSAGE_DEPTHSTENCIL;
    if ((target || depth) && (pool != D3DPOOL_DEFAULT || (target && depth)))
        return D3DERR_INVALIDCALL;
    GLint internal = 0;
    if (depth)
        internal = static_cast<GLint>(DepthRenderFormat(format));
    else if (target)
        internal = static_cast<GLint>(ColorRenderFormat(format));
    else
        internal = GlFormatOf(format).internal;
    if (!internal)
        return D3DERR_INVALIDCALL;
    const UINT chain = FullChain(width, height);
    if (levels == 0)
        levels = chain;
    if (levels > chain)
        return D3DERR_INVALIDCALL;

    gl->MakeCurrent();
    auto* t = new Texture(gl, usage, format, pool);
    const Surface::Kind kind = depth ? Surface::Kind::Depth : target ? Surface::Kind::Color : Surface::Kind::Memory;
    for (UINT l = 0; l < levels; ++l)
        t->levels_.push_back(std::make_unique<Surface>(gl, t, l, kind, std::max(1u, width >> l),
                                                       std::max(1u, height >> l), format, usage, pool));
    if (pool != D3DPOOL_SYSTEMMEM)
    {
        t->name_ = GlTexture(NewGlTexture());
        glBindTexture(GL_TEXTURE_2D, t->name_.get());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
        const GlTextureFormat f = GlFormatOf(format);
        if (f.alphaOnly)
        {
            const GLint swizzle[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED};
            glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
        }
        // Storage for every level; the texels follow at first use.
        const GLenum upload = depth ? (HasStencil(format) ? GL_DEPTH_STENCIL : GL_DEPTH_COMPONENT) : f.format;
        const GLenum type = depth ? (HasStencil(format) ? GL_UNSIGNED_INT_24_8 : GL_UNSIGNED_INT) : f.type;
        for (UINT l = 0; l < levels; ++l)
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(l), internal, static_cast<GLsizei>(t->levels_[l]->Desc().Width),
                         static_cast<GLsizei>(t->levels_[l]->Desc().Height), 0, upload ? upload : GL_BGRA,
                         type ? type : GL_UNSIGNED_BYTE, nullptr);
        if (glGetError() != GL_NO_ERROR)
        {
            t->Release();
            return D3DERR_OUTOFVIDEOMEMORY;
        }
    }
    *out = t;
    return D3D_OK;
}

Texture::Texture(std::shared_ptr<GlContext> gl, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : gl_(std::move(gl)), usage_(usage), format_(format), pool_(pool)
{
}

Texture::~Texture() = default;

ULONG Texture::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
    {
        auto keep = gl_;
        keep->MakeCurrent();
        delete this;
    }
    return left;
}

HRESULT Texture::GetDevice(IDirect3DDevice8** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = gl_->device;
    if (!*device)
        return D3DERR_INVALIDCALL;
    (*device)->AddRef();
    return D3D_OK;
}

DWORD Texture::SetLOD(DWORD lod)
{
    const DWORD old = lod_;
    if (pool_ != D3DPOOL_MANAGED)
        return 0;
    lod_ = std::min<DWORD>(lod, GetLevelCount() - 1);
    gl_->MakeCurrent();
    glBindTexture(GL_TEXTURE_2D, name_.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(lod_));
    return old;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || level >= levels_.size())
        return D3DERR_INVALIDCALL;
    *desc = levels_[level]->Desc();
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= levels_.size())
        return D3DERR_INVALIDCALL;
    *surface = levels_[level].get();
    AddRef();
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    gl_->Log("Texture::LockRect", level, rect, flags);
    if (level >= levels_.size())
    {
        if (locked)
            *locked = {0, nullptr};
        return D3DERR_INVALIDCALL;
    }
    return levels_[level]->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level)
{
    gl_->Log("Texture::UnlockRect", level);
    if (level >= levels_.size())
        return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
}

void Texture::Prepare()
{
    if (!name_)
        return;
    bool bound = false;
    for (auto& level : levels_)
    {
        Surface& s = *level;
        if (!s.Dirty() || s.Locked())
            continue;
        if (!bound)
        {
            glBindTexture(GL_TEXTURE_2D, name_.get());
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
            bound = true;
        }
        const GlTextureFormat f = GlFormatOf(format_);
        glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(s.Level()), 0, 0, static_cast<GLsizei>(s.Desc().Width),
                        static_cast<GLsizei>(s.Desc().Height), f.format, f.type, s.Bytes());
        s.SetDirty(false);
    }
}

}  // namespace go3d::d3d
