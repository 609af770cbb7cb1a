// Surfaces on the device: image, depth-stencil and render-target surfaces,
// and switching the target pair that draws and clears go to.

#include "platform/d3d/device.h"
#include "platform/d3d/texture_format.h"
#include "platform/d3d/unsupported.h"

namespace go3d::d3d {

namespace {

HRESULT Refuse(const char* what, DWORD value)
{
    ReportUnsupported(what, value);
    return D3DERR_INVALIDCALL;
}

HRESULT Hand(Surface* s, IDirect3DSurface8** out)
{
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = s;
    if (!s)
        return D3DERR_NOTFOUND;
    s->AddRef();
    return D3D_OK;
}

}  // namespace

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface)
{
    if (surface)
        *surface = nullptr;
    if (index != 0 || type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    return Hand(backBuffer_, surface);
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** surface) { return Hand(target_, surface); }

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** surface)
{
    if (surface)
        *surface = nullptr;
    return Hand(depthTarget_, surface);
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** out)
{
    gl_->Log("CreateImageSurface", width, height, format);
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!TexelSize(format))
        return Refuse("image surface format", format);
    if (width == 0 || height == 0 || width > 16384 || height > 16384)
        return D3DERR_INVALIDCALL;
    *out = new Surface(gl_, width, height, format, D3DPOOL_SYSTEMMEM);
    return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE samples,
                                          IDirect3DSurface8** out)
{
    gl_->Log("CreateDepthStencilSurface", width, height, format, samples);
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (adapter_->CheckDeviceFormat(0, type_, adapter_->Info().desktop.Format, D3DUSAGE_DEPTHSTENCIL,
                                    D3DRTYPE_SURFACE, format) != D3D_OK)
        return Refuse("depth-stencil format", format);
    return NewRenderbufferSurface(Surface::Kind::Depth, DepthRenderFormat(format), width, height,
                                  format, samples, out);
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE samples,
                                   BOOL lockable, IDirect3DSurface8** out)
{
    gl_->Log("CreateRenderTarget", width, height, format, samples, lockable);
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (lockable)
        return Refuse("lockable render target", format);  // its texels live in GL alone
    if (!ColorRenderFormat(format))
        return Refuse("render-target format", format);
    return NewRenderbufferSurface(Surface::Kind::Color, ColorRenderFormat(format), width, height,
                                  format, samples, out);
}

HRESULT Device::NewRenderbufferSurface(Surface::Kind kind, unsigned internalFormat, UINT width, UINT height,
                                       D3DFORMAT format, D3DMULTISAMPLE_TYPE samples, IDirect3DSurface8** out)
{
    if (adapter_->CheckDeviceMultiSampleType(0, type_, format, TRUE, samples) != D3D_OK)
        return Refuse("multisample type", samples);
    const UINT limit = adapter_->Info().maxTextureSize;
    if (width == 0 || height == 0 || width > limit || height > limit)
        return D3DERR_INVALIDCALL;
    gl_->MakeCurrent();
    GlRenderbuffer rb(NewGlRenderbuffer());
    glBindRenderbuffer(GL_RENDERBUFFER, rb.get());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, static_cast<GLsizei>(samples), internalFormat,
                                     static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    if (glGetError() != GL_NO_ERROR)
        return D3DERR_OUTOFVIDEOMEMORY;
    *out = new Surface(gl_, kind, std::move(rb), width, height, format, samples);
    return D3D_OK;
}

HRESULT Device::AttachTargets(Surface* color, Surface* depth)
{
    // The window holds the back buffer with or without its depth; pairing
    // either with another surface needs both in framebuffer objects.
    if (color == backBuffer_ && (depth == autoDepth_ || (direct_ && !depth)))
    {
        drawFbo_ = BackFramebuffer();
        glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
        return D3D_OK;
    }
    if ((color == backBuffer_ && depth) || (depth && depth == autoDepth_))
    {
        pairedBack_ = true;
        if (const HRESULT hr = UseWindow(false); FAILED(hr))
            return hr;
    }
    if (!targetFbo_)
        targetFbo_ = GlFramebuffer(NewGlFramebuffer());
    drawFbo_ = targetFbo_.get();
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    if (Texture* t = color->Container())
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t->Name(),
                               static_cast<GLint>(color->Level()));
    else
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color->Renderbuffer());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    if (depth)
    {
        const GLenum point = HasStencil(depth->Desc().Format) ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
        if (Texture* t = depth->Container())
            glFramebufferTexture2D(GL_FRAMEBUFFER, point, GL_TEXTURE_2D, t->Name(), static_cast<GLint>(depth->Level()));
        else
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, point, GL_RENDERBUFFER, depth->Renderbuffer());
    }
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* depthStencil)
{
    gl_->Log("SetRenderTarget", renderTarget, depthStencil);
    // A null colour surface keeps the current one; a null depth surface
    // means drawing without depth and stencil.
    Surface* color = renderTarget ? dynamic_cast<Surface*>(renderTarget) : target_;
    Surface* depth = depthStencil ? dynamic_cast<Surface*>(depthStencil) : nullptr;
    if (!color || color->GetKind() != Surface::Kind::Color || (depthStencil && !depth))
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& c = color->Desc();
    if (depth && (depth->GetKind() != Surface::Kind::Depth || depth->Desc().Width < c.Width ||
                  depth->Desc().Height < c.Height || depth->Desc().MultiSampleType != c.MultiSampleType))
        return D3DERR_INVALIDCALL;
    gl_->MakeCurrent();
    if (FAILED(AttachTargets(color, depth)))
    {
        AttachTargets(target_, depthTarget_);
        return D3DERR_INVALIDCALL;
    }
    color->AddRef();
    if (depth)
        depth->AddRef();
    std::exchange(target_, color)->Release();
    if (Surface* old = std::exchange(depthTarget_, depth))
        old->Release();
    targetWidth_ = c.Width;
    targetHeight_ = c.Height;
    flipY_ = color->Container() != nullptr;
    hasDepth_ = depth != nullptr;
    hasStencil_ = depth && HasStencil(depth->Desc().Format);
    glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, flipY_ ? GL_LOWER_LEFT : GL_UPPER_LEFT);
    // A new target gets a viewport over all of it.
    state_.viewport = {0, 0, c.Width, c.Height, 0.0f, 1.0f};
    Dirty(kDirtyFixed | kDirtyViewport | kDirtyGlobals);
    return D3D_OK;
}

}  // namespace go3d::d3d
