// Textures on the device: creation, UpdateTexture, and binding the stages'
// textures with their addressing and filters at each draw.

#include <algorithm>
#include <cstring>

#include "platform/d3d/device.h"
#include "platform/d3d/texture_format.h"
#include "platform/d3d/unsupported.h"

namespace go3d::d3d {

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture8** out)
{
    gl_->Log("CreateTexture", width, height, levels, usage, format, pool);
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!TexelSize(format) && !DepthRenderFormat(format))
    {
        ReportUnsupported("texture format", format);
        return D3DERR_INVALIDCALL;
    }
    Texture* t = nullptr;
    const HRESULT hr =
        Texture::Create(gl_, width, height, levels, usage, format, pool, adapter_->Info().maxTextureSize, &t);
    *out = t;
    glState_.ForgetTextures();  // the new name may be one a deleted texture had
    return hr;
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture8* source, IDirect3DBaseTexture8* destination)
{
    gl_->Log("UpdateTexture", source, destination);
    auto* src = dynamic_cast<Texture*>(source);
    auto* dst = dynamic_cast<Texture*>(destination);
    if (!src || !dst || src == dst || src->Pool() != D3DPOOL_SYSTEMMEM || dst->Pool() != D3DPOOL_DEFAULT ||
        src->Format() != dst->Format() || dst->Level(0).GetKind() != Surface::Kind::Memory)
        return D3DERR_INVALIDCALL;
    // The destination's top level matches one of the source's levels, and
    // every level below it has a source level of its own.
    const D3DSURFACE_DESC& top = dst->Level(0).Desc();
    UINT first = 0;
    while (first < src->GetLevelCount() &&
           (src->Level(first).Desc().Width != top.Width || src->Level(first).Desc().Height != top.Height))
        ++first;
    if (first + dst->GetLevelCount() > src->GetLevelCount())
        return D3DERR_INVALIDCALL;
    for (UINT l = 0; l < dst->GetLevelCount(); ++l)
    {
        Surface& from = src->Level(first + l);
        Surface& to = dst->Level(l);
        if (to.Locked())
            return D3DERR_INVALIDCALL;
        std::memcpy(to.Bytes(), from.Bytes(), static_cast<std::size_t>(to.Pitch()) * to.Desc().Height);
        to.SetDirty(true);
    }
    return D3D_OK;
}

namespace {

GLint Address(DWORD a)
{
    switch (a)
    {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
    }
}

}  // namespace

void Device::ApplySampler(DWORD i)
{
    const auto& t = state_.stage[i];
    const GLuint s = samplers_[i].get();
    glSamplerParameteri(s, GL_TEXTURE_WRAP_S, Address(t[D3DTSS_ADDRESSU]));
    glSamplerParameteri(s, GL_TEXTURE_WRAP_T, Address(t[D3DTSS_ADDRESSV]));
    glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, GlMagFilter(t[D3DTSS_MAGFILTER]));
    glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, GlMinFilter(t[D3DTSS_MINFILTER], t[D3DTSS_MIPFILTER]));
    // Only the anisotropic filter gets anisotropy: llvmpipe blurs even
    // point-filtered textures with it.
    if (adapter_->Info().maxAnisotropy > 1)
    {
        const bool aniso = t[D3DTSS_MINFILTER] == D3DTEXF_ANISOTROPIC || t[D3DTSS_MAGFILTER] == D3DTEXF_ANISOTROPIC;
        const DWORD n = aniso ? std::min(t[D3DTSS_MAXANISOTROPY], adapter_->Info().maxAnisotropy) : 1;
        glSamplerParameterf(s, GL_TEXTURE_MAX_ANISOTROPY_EXT, static_cast<float>(n));
    }
    const DWORD b = t[D3DTSS_BORDERCOLOR];
    const float border[4] = {((b >> 16) & 0xFF) / 255.0f, ((b >> 8) & 0xFF) / 255.0f, (b & 0xFF) / 255.0f,
                             (b >> 24) / 255.0f};
    glSamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, border);
    glSamplerParameterf(s, GL_TEXTURE_LOD_BIAS, DwordToFloat(t[D3DTSS_MIPMAPLODBIAS]));
    glSamplerParameterf(s, GL_TEXTURE_MIN_LOD, static_cast<float>(t[D3DTSS_MAXMIPLEVEL]));
    glState_.Count(8);
}

void Device::BindTextures()
{
    const ProgramKey& k = program_->key;
    for (DWORD i = 0; i < k.stageCount; ++i)
    {
        if (!k.stage[i].texture || !textures_[i])
            continue;
        auto* t = static_cast<Texture*>(textures_[i]);
        t->Prepare();  // uploads on the spare unit
        glState_.BindTexture(i, t->Name());
        if (!samplers_[i])
            samplers_[i] = GlSampler(NewGlSampler());
        if (samplerDirty_ & (1u << i))
        {
            ApplySampler(i);
            samplerDirty_ &= ~(1u << i);
        }
        glState_.BindSampler(i, samplers_[i].get());
    }
}

}  // namespace go3d::d3d
