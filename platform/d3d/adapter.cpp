#include "platform/d3d/adapter.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d/device.h"
#include "platform/d3d/device_state.h"
#include "platform/d3d/gl_objects.h"
#include "platform/d3d/unsupported.h"

namespace go3d::d3d {

unsigned ColorRenderFormat(D3DFORMAT f)
{
    switch (f)
    {
    case D3DFMT_A8R8G8B8: return GL_RGBA8;
    case D3DFMT_X8R8G8B8: return GL_RGB8;
    case D3DFMT_R5G6B5: return GL_RGB565;
    case D3DFMT_X1R5G5B5: return GL_RGB5;
    case D3DFMT_A1R5G5B5: return GL_RGB5_A1;
    default: return 0;
    }
}

unsigned DepthRenderFormat(D3DFORMAT f)
{
    switch (f)
    {
    case D3DFMT_D16: return GL_DEPTH_COMPONENT16;
    case D3DFMT_D24X8: return GL_DEPTH_COMPONENT24;
    case D3DFMT_D24S8: return GL_DEPTH24_STENCIL8;
    case D3DFMT_D32: return GL_DEPTH_COMPONENT32;
    default: return 0;  // D15S1 and D24X4S4 have no GL counterpart
    }
}

bool HasStencil(D3DFORMAT f) { return f == D3DFMT_D24S8; }

bool IsDeviceType(D3DDEVTYPE type) { return type == D3DDEVTYPE_HAL || type == D3DDEVTYPE_REF; }

namespace {

bool IsDisplayFormat(D3DFORMAT f) { return f == D3DFMT_R5G6B5 || f == D3DFMT_X8R8G8B8; }

// Whether a framebuffer object with this colour and depth format is complete.
bool FramebufferAccepts(GLenum color, GLenum depth, GLsizei samples)
{
    GlFramebuffer fbo(NewGlFramebuffer());
    GlRenderbuffer c(NewGlRenderbuffer()), d(NewGlRenderbuffer());
    glBindFramebuffer(GL_FRAMEBUFFER, fbo.get());
    glBindRenderbuffer(GL_RENDERBUFFER, c.get());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, color, 16, 16);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, c.get());
    if (depth)
    {
        glBindRenderbuffer(GL_RENDERBUFFER, d.get());
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, depth, 16, 16);
        const GLenum point = depth == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, point, GL_RENDERBUFFER, d.get());
    }
    bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (ok && samples > 0)
    {
        GLint got = 0;
        glBindRenderbuffer(GL_RENDERBUFFER, c.get());
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &got);
        ok = got == samples;  // Direct3D's types are exact sample counts
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    while (glGetError() != GL_NO_ERROR)
    {
    }
    return ok;
}

void ProbeGl(AdapterInfo& info)
{
    auto str = [](GLenum name) {
        const auto* s = reinterpret_cast<const char*>(glGetString(name));
        return std::string(s ? s : "");
    };
    info.renderer = str(GL_RENDERER);
    info.vendor = str(GL_VENDOR);
    info.version = str(GL_VERSION);
    for (D3DFORMAT f : {D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32})
        if (DepthRenderFormat(f) && FramebufferAccepts(GL_RGBA8, DepthRenderFormat(f), 0))
            info.depthFormats.push_back(f);
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    for (GLint n = 2; n <= std::min(maxSamples, 16); ++n)
    {
        bool all = FramebufferAccepts(GL_RGBA8, GL_DEPTH24_STENCIL8, n) &&
                   FramebufferAccepts(GL_RGB565, GL_DEPTH_COMPONENT16, n);
        if (all)
            info.sampleCounts.push_back(static_cast<DWORD>(n));
    }
    GLfloat range[2] = {1.0f, 1.0f};
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, range);
    info.maxPointSize = std::min(range[1], kMaxPointSize);
    GLfloat aniso = 1.0f;
    if (epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") || epoxy_gl_version() >= 46)
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &aniso);
    info.maxAnisotropy = static_cast<DWORD>(std::clamp(aniso, 1.0f, 16.0f));
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    info.maxTextureSize = static_cast<DWORD>(std::min(size, 4096));
}

void ListModes(AdapterInfo& info)
{
    SDL_DisplayMode dm{};
    if (SDL_GetDesktopDisplayMode(0, &dm) != 0 || dm.w <= 0 || dm.h <= 0)
        dm = {SDL_PIXELFORMAT_RGB888, 1024, 768, 60, nullptr};
    const UINT refresh = dm.refresh_rate > 0 ? static_cast<UINT>(dm.refresh_rate) : 60;
    const D3DFORMAT desktopFormat = SDL_BITSPERPIXEL(dm.format) == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
    info.desktop = {static_cast<UINT>(dm.w), static_cast<UINT>(dm.h), refresh, desktopFormat};
    static constexpr UINT sizes[][2] = {{640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},
                                        {1280, 800},  {1280, 960},  {1280, 1024}, {1366, 768},  {1400, 1050},
                                        {1440, 900},  {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080},
                                        {1920, 1200}, {2560, 1440}, {2560, 1600}, {3840, 2160}};
    std::vector<std::pair<UINT, UINT>> fit;
    for (const auto& s : sizes)
        if (s[0] <= info.desktop.Width && s[1] <= info.desktop.Height)
            fit.emplace_back(s[0], s[1]);
    if (std::find(fit.begin(), fit.end(), std::make_pair(info.desktop.Width, info.desktop.Height)) == fit.end())
        fit.emplace_back(info.desktop.Width, info.desktop.Height);
    std::sort(fit.begin(), fit.end());
    for (const auto& [w, h] : fit)
        for (D3DFORMAT f : {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8})
            info.modes.push_back({w, h, refresh, f});
}

}  // namespace

Adapter::~Adapter() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

ULONG Adapter::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT Adapter::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* id)
{
    if (adapter != 0 || !id)
        return D3DERR_INVALIDCALL;
    std::memset(id, 0, sizeof *id);
    std::snprintf(id->Driver, sizeof id->Driver, "%s", info_.vendor.c_str());
    std::snprintf(id->Description, sizeof id->Description, "%s (OpenGL %s)", info_.renderer.c_str(),
                  info_.version.c_str());
    return D3D_OK;
}

UINT Adapter::GetAdapterModeCount(UINT adapter)
{
    return adapter == 0 ? static_cast<UINT>(info_.modes.size()) : 0;
}

HRESULT Adapter::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out)
{
    if (adapter != 0 || !out || mode >= info_.modes.size())
        return D3DERR_INVALIDCALL;
    *out = info_.modes[mode];
    return D3D_OK;
}

HRESULT Adapter::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* out)
{
    if (adapter != 0 || !out)
        return D3DERR_INVALIDCALL;
    *out = info_.desktop;
    return D3D_OK;
}

HRESULT Adapter::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT back, BOOL windowed)
{
    if (adapter != 0 || !IsDeviceType(type))
        return D3DERR_INVALIDCALL;
    if (!IsDisplayFormat(display) || !ColorRenderFormat(back))
        return D3DERR_NOTAVAILABLE;
    if (windowed)
        return display == info_.desktop.Format ? D3D_OK : D3DERR_NOTAVAILABLE;
    const bool match = back == display || (display == D3DFMT_X8R8G8B8 && back == D3DFMT_A8R8G8B8);
    return match ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Adapter::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                   D3DRESOURCETYPE resourceType, D3DFORMAT format)
{
    if (adapter != 0 || !IsDeviceType(type) || !IsDisplayFormat(adapterFormat))
        return D3DERR_INVALIDCALL;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
    {
        const bool listed =
            std::find(info_.depthFormats.begin(), info_.depthFormats.end(), format) != info_.depthFormats.end();
        return resourceType == D3DRTYPE_SURFACE && listed ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    switch (resourceType)
    {
    case D3DRTYPE_SURFACE:
    case D3DRTYPE_TEXTURE:
        if (usage & D3DUSAGE_RENDERTARGET)
            return ColorRenderFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
        switch (format)
        {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R8G8B8:
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: return D3D_OK;
        default: return D3DERR_NOTAVAILABLE;
        }
    case D3DRTYPE_VERTEXBUFFER: return format == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_INDEXBUFFER: return format == D3DFMT_INDEX16 ? D3D_OK : D3DERR_NOTAVAILABLE;
    default: return D3DERR_NOTAVAILABLE;
    }
}

HRESULT Adapter::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, BOOL,
                                            D3DMULTISAMPLE_TYPE samples)
{
    if (adapter != 0 || !IsDeviceType(type) || samples == 1 || samples > 16)
        return D3DERR_INVALIDCALL;
    if (!ColorRenderFormat(format) && !DepthRenderFormat(format))
        return D3DERR_NOTAVAILABLE;
    if (samples == D3DMULTISAMPLE_NONE)
        return D3D_OK;
    const auto& c = info_.sampleCounts;
    return std::find(c.begin(), c.end(), samples) != c.end() ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Adapter::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                        D3DFORMAT renderTarget, D3DFORMAT depthStencil)
{
    if (adapter != 0 || !IsDeviceType(type) || !IsDisplayFormat(adapterFormat))
        return D3DERR_INVALIDCALL;
    const auto& d = info_.depthFormats;
    const bool depth = std::find(d.begin(), d.end(), depthStencil) != d.end();
    return depth && ColorRenderFormat(renderTarget) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

D3DCAPS8 Adapter::Caps(D3DDEVTYPE type) const
{
    D3DCAPS8 c{};
    c.DeviceType = type;
    c.AdapterOrdinal = 0;
    c.PresentationIntervals = D3DPRESENT_INTERVAL_CAPS;
    c.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_TLVERTEXVIDEOMEMORY |
                D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP |
                D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
    c.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                          D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP;
    c.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE |
                   D3DPRASTERCAPS_FOGRANGE | D3DPRASTERCAPS_ANISOTROPY;
    c.ZCmpCaps = c.AlphaCmpCaps = D3DPCMPCAPS_ALL;
    c.SrcBlendCaps = c.DestBlendCaps = D3DPBLENDCAPS_ALL;
    c.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                  D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD;
    c.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_PROJECTED |
                    D3DPTEXTURECAPS_MIPMAP;
    c.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                          D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    if (info_.maxAnisotropy > 1)
        c.TextureFilterCaps |= D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    c.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                           D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV;
    c.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP |
                 D3DLINECAPS_FOG;
    c.MaxTextureWidth = c.MaxTextureHeight = info_.maxTextureSize;
    c.MaxTextureRepeat = 8192;
    c.MaxTextureAspectRatio = info_.maxTextureSize;
    c.MaxAnisotropy = info_.maxAnisotropy;
    c.MaxVertexW = 1e10f;
    c.GuardBandLeft = c.GuardBandTop = -8192.0f;
    c.GuardBandRight = c.GuardBandBottom = 8192.0f;
    c.StencilCaps = D3DSTENCILCAPS_KEEP | D3DSTENCILCAPS_ZERO | D3DSTENCILCAPS_REPLACE | D3DSTENCILCAPS_INCRSAT |
                    D3DSTENCILCAPS_DECRSAT | D3DSTENCILCAPS_INVERT | D3DSTENCILCAPS_INCR | D3DSTENCILCAPS_DECR;
    c.FVFCaps = 8 | D3DFVFCAPS_PSIZE;
    c.TextureOpCaps = 0x3FFFFFF & ~((1u << (D3DTOP_PREMODULATE - 1)) | (1u << (D3DTOP_BUMPENVMAP - 1)) |
                                    (1u << (D3DTOP_BUMPENVMAPLUMINANCE - 1)));
    c.MaxTextureBlendStages = kStages;
    c.MaxSimultaneousTextures = kStages;
    c.VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                             D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
    c.MaxActiveLights = kMaxActiveLights;
    c.MaxPointSize = info_.maxPointSize;
    c.MaxPrimitiveCount = 0xFFFFF;
    c.MaxVertexIndex = 0xFFFF;
    c.MaxStreams = 1;
    c.MaxStreamStride = 255;
    c.VertexShaderVersion = D3DVS_VERSION(1, 1);
    c.MaxVertexShaderConst = 96;
    c.PixelShaderVersion = 0;
    return c;
}

HRESULT Adapter::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps)
{
    if (adapter != 0 || !IsDeviceType(type) || !caps)
        return D3DERR_INVALIDCALL;
    *caps = Caps(type);
    return D3D_OK;
}

HRESULT Adapter::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                              D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (adapter != 0 || !parameters)
        return D3DERR_INVALIDCALL;
    if (!IsDeviceType(type))
    {
        ReportUnsupported("device type", type);
        return D3DERR_INVALIDCALL;
    }
    return Device::Create(this, type, focusWindow, behaviorFlags, *parameters, device);
}

}  // namespace go3d::d3d

IDirect3D8* Direct3DCreate8(UINT sdkVersion)
{
    using namespace go3d::d3d;
    if (sdkVersion != D3D_SDK_VERSION)
        return nullptr;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "d3d8: no video: %s\n", SDL_GetError());
        return nullptr;
    }
    AdapterInfo info;
    ListModes(info);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = probe ? SDL_GL_CreateContext(probe) : nullptr;
    bool usable = context && epoxy_gl_version() >= 32;
    if (usable)
        ProbeGl(info);
    else
        std::fprintf(stderr, "d3d8: no OpenGL 3.2 compatibility context: %s\n", SDL_GetError());
    if (context)
    {
        SDL_GL_MakeCurrent(probe, nullptr);
        SDL_GL_DeleteContext(context);
    }
    if (probe)
        SDL_DestroyWindow(probe);
    if (!usable)
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return new Adapter(std::move(info));
}
