#include "platform/d3d/device.h"

#include <SDL.h>
#include <epoxy/egl.h>
#include <malloc.h>

#include <cstdio>
#include <cstring>

#include "platform/d3d/gl_work.h"
#include "platform/d3d/readback.h"
#include "platform/d3d/unsupported.h"
#include "platform/win/sdl_window.h"

namespace go3d::d3d {

GlContext::~GlContext()
{
    if (context)
    {
        if (SDL_GL_GetCurrentContext() == context)
            SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

namespace {

HRESULT Refuse(const char* what, DWORD value)
{
    ReportUnsupported(what, value);
    return D3DERR_INVALIDCALL;
}

// Mesa's software rasteriser builds each frame's scene in 64 KiB heap blocks
// and frees them once the frame is drawn. Past glibc's default threshold the
// freed top of the heap goes back to the kernel, and the next frame faults it
// in again page by page, on the thread that draws: a board whose draws each
// change the fragment program makes a scene of many megabytes, and that cost
// several times its drawing. Keep the freed heap instead.
void KeepFreedHeap()
{
    constexpr int kKeep = 64 << 20;
    mallopt(M_TRIM_THRESHOLD, kKeep);
}

}  // namespace

void WindowDrawableSize(SDL_Window* window, int& width, int& height)
{
    SDL_GL_GetDrawableSize(window, &width, &height);
    // The offscreen driver's window is an EGL pbuffer, which keeps the size
    // it was made with when the window is resized.
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0)
    {
        EGLint w = 0, h = 0;
        const EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
        if (surface != EGL_NO_SURFACE && eglQuerySurface(eglGetCurrentDisplay(), surface, EGL_WIDTH, &w) &&
            eglQuerySurface(eglGetCurrentDisplay(), surface, EGL_HEIGHT, &h))
        {
            width = w;
            height = h;
        }
    }
}

HRESULT Device::Create(Adapter* adapter, D3DDEVTYPE type, HWND window, DWORD behavior,
                       D3DPRESENT_PARAMETERS& pp, IDirect3DDevice8** out)
{
    HWND target = pp.hDeviceWindow ? pp.hDeviceWindow : window;
    SDL_Window* sdl = GetSDLWindow(target);
    if (!sdl)
        return D3DERR_INVALIDCALL;
    if (pp.BackBufferCount == 0)
        pp.BackBufferCount = 1;
    if (pp.BackBufferCount > 3)
    {
        pp.BackBufferCount = 3;  // as Direct3D does, so that a retry can succeed
        return D3DERR_INVALIDCALL;
    }
    if (pp.SwapEffect < D3DSWAPEFFECT_DISCARD || pp.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC)
        return D3DERR_INVALIDCALL;
    int ww = 0, wh = 0;
    SDL_GetWindowSize(sdl, &ww, &wh);
    if (pp.Windowed)
    {
        if (pp.BackBufferWidth == 0)
            pp.BackBufferWidth = static_cast<UINT>(ww);
        if (pp.BackBufferHeight == 0)
            pp.BackBufferHeight = static_cast<UINT>(wh);
        if (pp.BackBufferFormat == D3DFMT_UNKNOWN)
            pp.BackBufferFormat = adapter->Info().desktop.Format;
    }
    if (!ColorRenderFormat(pp.BackBufferFormat))
        return Refuse("back-buffer format", pp.BackBufferFormat);
    if (pp.BackBufferWidth == 0 || pp.BackBufferHeight == 0 || pp.BackBufferWidth > 8192 ||
        pp.BackBufferHeight > 8192)
        return D3DERR_INVALIDCALL;
    if (adapter->CheckDeviceMultiSampleType(0, type, pp.BackBufferFormat, pp.Windowed, pp.MultiSampleType) != D3D_OK)
        return Refuse("multisample type", pp.MultiSampleType);
    if (pp.EnableAutoDepthStencil &&
        adapter->CheckDeviceFormat(0, type, adapter->Info().desktop.Format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                   pp.AutoDepthStencilFormat) != D3D_OK)
        return Refuse("depth-stencil format", pp.AutoDepthStencilFormat);
    if (!pp.Windowed)
    {
        SDL_DisplayMode mode{};
        mode.w = static_cast<int>(pp.BackBufferWidth);
        mode.h = static_cast<int>(pp.BackBufferHeight);
        mode.refresh_rate = static_cast<int>(pp.FullScreen_RefreshRateInHz);
        mode.format = pp.BackBufferFormat == D3DFMT_R5G6B5 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
        SDL_SetWindowSize(sdl, mode.w, mode.h);
        // A window manager puts a full-screen window over its display; with
        // none (a kiosk session, a bare X server) the window stays where it
        // was made, mostly off the screen, unless it is moved there first.
        SDL_Rect display{};
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(sdl), 0), &display) == 0)
            SDL_SetWindowPosition(sdl, display.x, display.y);
        if (SDL_SetWindowDisplayMode(sdl, &mode) != 0 || SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN) != 0)
        {
            std::fprintf(stderr, "d3d8: no full-screen mode %ux%u: %s\n", pp.BackBufferWidth,
                         pp.BackBufferHeight, SDL_GetError());
            return D3DERR_NOTAVAILABLE;
        }
    }

    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return D3DERR_NOTAVAILABLE;
    KeepFreedHeap();
    auto gl = std::make_shared<GlContext>();
    gl->window = sdl;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    gl->context = SDL_GL_CreateContext(sdl);
    if (!gl->context || epoxy_gl_version() < 32)
    {
        std::fprintf(stderr, "d3d8: no OpenGL context on the window: %s\n", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    gl->MakeCurrent();
    int interval = 0;
    if (!pp.Windowed)
    {
        switch (pp.FullScreen_PresentationInterval)
        {
        case D3DPRESENT_INTERVAL_IMMEDIATE: interval = 0; break;
        case D3DPRESENT_INTERVAL_TWO: interval = 2; break;
        case D3DPRESENT_INTERVAL_THREE: interval = 3; break;
        case D3DPRESENT_INTERVAL_FOUR: interval = 4; break;
        default: interval = 1; break;
        }
    }
    SDL_GL_SetSwapInterval(interval);  // refused where there is no swap control; not an error

    auto* device = new Device(adapter, gl, type, target, behavior, pp);
    const HRESULT hr = device->MakeTargets();
    if (FAILED(hr))
    {
        device->Release();
        return hr;
    }
    *out = device;
    return D3D_OK;
}

Device::Device(Adapter* adapter, std::shared_ptr<GlContext> gl, D3DDEVTYPE type, HWND window, DWORD behavior,
               const D3DPRESENT_PARAMETERS& parameters)
    : adapter_(adapter), gl_(std::move(gl)), type_(type), window_(window), behavior_(behavior),
      parameters_(parameters)
{
    adapter_->AddRef();
    gl_->device = this;
    hasDepth_ = parameters_.EnableAutoDepthStencil != 0;
    hasStencil_ = hasDepth_ && HasStencil(parameters_.AutoDepthStencilFormat);
    targetWidth_ = parameters_.BackBufferWidth;
    targetHeight_ = parameters_.BackBufferHeight;
    state_.Reset(hasDepth_, parameters_.BackBufferWidth, parameters_.BackBufferHeight);
    scratchVertices_ = GlBuffer(NewGlBuffer());
    scratchIndices_ = GlBuffer(NewGlBuffer());
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // flat shading takes the first vertex's colour
    glEnable(GL_PROGRAM_POINT_SIZE);
    glEnable(GL_POINT_SPRITE);
    glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_UPPER_LEFT);
    glCullFace(GL_BACK);
    glActiveTexture(GL_TEXTURE0 + GlState::kSpareUnit);
    glState_.Enable(GL_SCISSOR_TEST, true);  // Direct3D never draws outside the viewport
}

Device::~Device()
{
    gl_->MakeCurrent();
    for (auto*& t : textures_)
        if (t)
            std::exchange(t, nullptr)->Release();
    if (stream_)
        std::exchange(stream_, nullptr)->Release();
    if (indices_)
        std::exchange(indices_, nullptr)->Release();
    for (Surface** s : {&target_, &depthTarget_, &backBuffer_, &autoDepth_})
        if (*s)
            std::exchange(*s, nullptr)->Release();
    gl_->device = nullptr;
    adapter_->Release();
}

ULONG Device::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
    {
        auto keep = gl_;  // GL names below go with the context current
        keep->MakeCurrent();
        delete this;
    }
    return left;
}

HRESULT Device::MakeTargets()
{
    // The formats are tried on one texel here; the back buffer's storage is
    // made when a frame first goes to fbo_ (StoreBackBuffer), which a window
    // of the back buffer's size by the first frame never needs.
    fbo_ = GlFramebuffer(NewGlFramebuffer());
    drawFbo_ = fbo_.get();
    const auto samples = static_cast<GLsizei>(parameters_.MultiSampleType);
    GlRenderbuffer color(NewGlRenderbuffer());
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_.get());
    glBindRenderbuffer(GL_RENDERBUFFER, color.get());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, ColorRenderFormat(parameters_.BackBufferFormat), 1, 1);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color.get());
    const UINT w = parameters_.BackBufferWidth, h = parameters_.BackBufferHeight;
    backBuffer_ = new Surface(gl_, Surface::Kind::Color, std::move(color), w, h, parameters_.BackBufferFormat,
                              parameters_.MultiSampleType);
    target_ = backBuffer_;
    target_->AddRef();
    if (hasDepth_)
    {
        GlRenderbuffer depth(NewGlRenderbuffer());
        glBindRenderbuffer(GL_RENDERBUFFER, depth.get());
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples,
                                         DepthRenderFormat(parameters_.AutoDepthStencilFormat), 1, 1);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, hasStencil_ ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                  GL_RENDERBUFFER, depth.get());
        autoDepth_ = new Surface(gl_, Surface::Kind::Depth, std::move(depth), w, h,
                                 parameters_.AutoDepthStencilFormat, parameters_.MultiSampleType);
        depthTarget_ = autoDepth_;
        depthTarget_->AddRef();
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return D3DERR_NOTAVAILABLE;

    GLint doubleBuffered = 0;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    const GLenum colorBuffer = doubleBuffered ? GL_BACK_LEFT : GL_FRONT_LEFT;
    auto bits = [](GLenum attachment, GLenum what, GLint& out) {
        glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment, what, &out);
    };
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    auto& wb = windowBits_;
    bits(colorBuffer, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE, wb.red);
    bits(colorBuffer, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE, wb.green);
    bits(colorBuffer, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE, wb.blue);
    bits(colorBuffer, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE, wb.alpha);
    bits(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, wb.depth);
    bits(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, wb.stencil);
    glGetIntegerv(GL_SAMPLES, &wb.samples);
    while (glGetError() != GL_NO_ERROR)
    {
        // A window without depth or stencil refuses the question; 0 stays.
    }
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    untouched_ = true;
    return WindowCanHoldBackBuffer() ? UseWindow(true) : D3D_OK;
}

HRESULT Device::StoreBackBuffer()
{
    if (backStored_)
        return D3D_OK;
    const auto w = static_cast<GLsizei>(parameters_.BackBufferWidth);
    const auto h = static_cast<GLsizei>(parameters_.BackBufferHeight);
    const auto samples = static_cast<GLsizei>(parameters_.MultiSampleType);
    while (glGetError() != GL_NO_ERROR)
    {
        // Left by earlier calls; the check below is about this storage.
    }
    glBindRenderbuffer(GL_RENDERBUFFER, backBuffer_->Renderbuffer());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, ColorRenderFormat(parameters_.BackBufferFormat), w, h);
    if (autoDepth_)
    {
        glBindRenderbuffer(GL_RENDERBUFFER, autoDepth_->Renderbuffer());
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples,
                                         DepthRenderFormat(parameters_.AutoDepthStencilFormat), w, h);
    }
    if (samples > 0)
    {
        resolveFbo_ = GlFramebuffer(NewGlFramebuffer());
        resolveColor_ = GlRenderbuffer(NewGlRenderbuffer());
        glBindFramebuffer(GL_FRAMEBUFFER, resolveFbo_.get());
        glBindRenderbuffer(GL_RENDERBUFFER, resolveColor_.get());
        glRenderbufferStorage(GL_RENDERBUFFER, ColorRenderFormat(parameters_.BackBufferFormat), w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolveColor_.get());
    }
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_.get());
    ClearAsNew();
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    if (glGetError() != GL_NO_ERROR)
        return D3DERR_OUTOFVIDEOMEMORY;
    backStored_ = true;
    return D3D_OK;
}

void Device::ClearAsNew()
{
    // A new back buffer holds black, an untouched depth buffer 1 and stencil 0.
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClearStencil(0);
    glState_.ColorMask(true, true, true, true);
    glState_.DepthMask(true);
    glState_.StencilMask(0xFF);
    glState_.Enable(GL_SCISSOR_TEST, false);
    glClear(GL_COLOR_BUFFER_BIT | (autoDepth_ ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : 0u));
    glState_.Enable(GL_SCISSOR_TEST, true);
    Dirty(kDirtyFixed);
}

bool Device::WindowCanHoldBackBuffer() const
{
    if (pairedBack_ || parameters_.MultiSampleType != D3DMULTISAMPLE_NONE || windowBits_.samples != 0)
        return false;
    int ww = 0, wh = 0;
    WindowDrawableSize(gl_->window, ww, wh);
    if (static_cast<UINT>(ww) != parameters_.BackBufferWidth || static_cast<UINT>(wh) != parameters_.BackBufferHeight)
        return false;
    const auto& w = windowBits_;
    const D3DFORMAT back = parameters_.BackBufferFormat;
    // The same bits, so that the window draws the pixels the copy would.
    if (w.red != 8 || w.green != 8 || w.blue != 8 ||
        !((back == D3DFMT_X8R8G8B8 && w.alpha == 0) || (back == D3DFMT_A8R8G8B8 && w.alpha == 8)))
        return false;
    if (!parameters_.EnableAutoDepthStencil)
        return true;
    GLint depth = 0;
    switch (parameters_.AutoDepthStencilFormat)
    {
    case D3DFMT_D16: depth = 16; break;
    case D3DFMT_D24X8:
    case D3DFMT_D24S8: depth = 24; break;
    case D3DFMT_D32: depth = 32; break;
    default: return false;
    }
    return w.depth == depth && (!HasStencil(parameters_.AutoDepthStencilFormat) || w.stencil == 8);
}

HRESULT Device::UseWindow(bool direct)
{
    if (direct == direct_)
        return D3D_OK;
    if (!direct)
    {
        const HRESULT hr = StoreBackBuffer();
        if (FAILED(hr))
            return hr;
    }
    // The back buffer keeps what it holds, as it would on a device that
    // never moved it.
    const GLuint from = BackFramebuffer();
    direct_ = direct;
    const GLuint to = BackFramebuffer();
    if (untouched_)
    {
        // Cleared again rather than copied: a copy's first use compiles a
        // shader, tens of milliseconds on a software renderer.
        glBindFramebuffer(GL_FRAMEBUFFER, to);
        ClearAsNew();
    }
    else
    {
        const auto w = static_cast<GLint>(parameters_.BackBufferWidth);
        const auto h = static_cast<GLint>(parameters_.BackBufferHeight);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
        glState_.Enable(GL_SCISSOR_TEST, false);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        if (autoDepth_)
            glBlitFramebuffer(0, 0, w, h, 0, 0, w, h,
                              GL_DEPTH_BUFFER_BIT | (HasStencil(autoDepth_->Desc().Format) ? GL_STENCIL_BUFFER_BIT : 0u),
                              GL_NEAREST);
        glState_.Enable(GL_SCISSOR_TEST, true);
    }
    if (target_ == backBuffer_)
        return AttachTargets(target_, depthTarget_);
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    return D3D_OK;
}

HRESULT Device::TakeWindowWhileUntouched()
{
    // The window is sized after the device is made, before the first frame:
    // taken now, the first frame is drawn into it rather than copied there.
    HRESULT hr = D3D_OK;
    if (!direct_)
        hr = WindowCanHoldBackBuffer() ? UseWindow(true) : StoreBackBuffer();
    untouched_ = false;
    return hr;
}

HRESULT Device::GetDirect3D(IDirect3D8** d3d)
{
    if (!d3d)
        return D3DERR_INVALIDCALL;
    adapter_->AddRef();
    *d3d = adapter_;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps)
{
    if (!caps)
        return D3DERR_INVALIDCALL;
    *caps = adapter_->Caps(type_);
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    if (!mode)
        return D3DERR_INVALIDCALL;
    if (parameters_.Windowed)
        *mode = adapter_->Info().desktop;
    else
        *mode = {parameters_.BackBufferWidth, parameters_.BackBufferHeight, parameters_.FullScreen_RefreshRateInHz,
                 parameters_.BackBufferFormat};
    return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* p)
{
    if (!p)
        return D3DERR_INVALIDCALL;
    *p = {0, type_, window_, behavior_};
    return D3D_OK;
}

HRESULT Device::CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle, DWORD usage)
{
    gl_->Log("CreateVertexShader", declaration, function, usage);
    if (!handle)
        return D3DERR_INVALIDCALL;
    *handle = 0;
    if (usage & ~D3DUSAGE_SOFTWAREPROCESSING)
        return D3DERR_INVALIDCALL;
    if (!function)
        return Refuse("vertex shader without code (fixed-function declarations)", 0);
    std::unique_ptr<VertexShader> shader;
    std::string why;
    const HRESULT hr = VertexShader::Create(declaration, function, shader, why);
    if (FAILED(hr))
    {
        std::fprintf(stderr, "d3d8: vertex shader refused: %s\n", why.c_str());
        return hr;
    }
    // Odd, so that no handle is mistaken for a vertex format.
    const DWORD h = (nextShader_++ << 1) | 1;
    shaders_.emplace(h, std::move(shader));
    *handle = h;
    return D3D_OK;
}

HRESULT Device::DeleteVertexShader(DWORD handle)
{
    gl_->Log("DeleteVertexShader", handle);
    auto found = shaders_.find(handle);
    if (found == shaders_.end())
        return Refuse("vertex shader handle", handle);
    if (vertexShader_ == handle)
    {
        vertexShader_ = 0;
        shader_ = nullptr;
        layout_ = VertexLayout{};
        program_ = nullptr;
        Dirty(kDirtyKey);
    }
    gl_->MakeCurrent();
    shaders_.erase(found);
    return D3D_OK;
}

HRESULT Device::SetVertexShaderConstant(DWORD reg, const void* data, DWORD count)
{
    gl_->Log("SetVertexShaderConstant", reg, data, count);
    if (reg >= vs::kConstants || count > vs::kConstants - reg || (count && !data))
        return D3DERR_INVALIDCALL;
    const std::size_t bytes = static_cast<std::size_t>(count) * 16;
    if (count && std::memcmp(constants_[reg], data, bytes) != 0)
    {
        std::memcpy(constants_[reg], data, bytes);
        Dirty(kDirtyConstants);
    }
    return D3D_OK;
}

HRESULT Device::GetVertexShaderConstant(DWORD reg, void* data, DWORD count)
{
    if (reg >= vs::kConstants || count > vs::kConstants - reg || (count && !data))
        return D3DERR_INVALIDCALL;
    if (count)
        std::memcpy(data, constants_[reg], static_cast<std::size_t>(count) * 16);
    return D3D_OK;
}

HRESULT Device::GetFrontBuffer(IDirect3DSurface8* destination)
{
    gl_->Log("GetFrontBuffer", destination);
    if (!destination)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{};
    if (FAILED(destination->GetDesc(&desc)) || desc.Format != D3DFMT_A8R8G8B8 ||
        desc.Width < parameters_.BackBufferWidth || desc.Height < parameters_.BackBufferHeight)
        return D3DERR_INVALIDCALL;
    std::vector<std::uint32_t> pixels;
    UINT w = 0, h = 0;
    HRESULT hr = ReadBackBuffer(pixels, w, h);
    if (FAILED(hr))
        return hr;
    D3DLOCKED_RECT locked{};
    hr = destination->LockRect(&locked, nullptr, 0);
    if (FAILED(hr))
        return hr;
    for (UINT y = 0; y < h; ++y)
        std::memcpy(static_cast<BYTE*>(locked.pBits) + static_cast<std::ptrdiff_t>(y) * locked.Pitch,
                    pixels.data() + static_cast<std::size_t>(y) * w, w * 4);
    return destination->UnlockRect();
}

HRESULT Device::BeginScene()
{
    gl_->Log("BeginScene");
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    gl_->Log("EndScene");
    return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE t, const D3DMATRIX* m)
{
    gl_->Log("SetTransform", t, m);
    if (!m)
        return D3DERR_INVALIDCALL;
    D3DMATRIX* slot = nullptr;
    unsigned dirty = 0;
    if (t == D3DTS_VIEW)
    {
        slot = &state_.view;
        dirty = kDirtyTransform | kDirtyLights;
    }
    else if (t == D3DTS_PROJECTION)
    {
        slot = &state_.projection;
        dirty = kDirtyProjection;
    }
    else if (t >= D3DTS_TEXTURE0 && t <= D3DTS_TEXTURE7)
    {
        slot = &state_.texture[t - D3DTS_TEXTURE0];
        dirty = kDirtyTexMatrix;
    }
    else if (t >= D3DTS_WORLD && t < D3DTS_WORLD + 256)
    {
        slot = &state_.world[t - D3DTS_WORLD];
        dirty = t == D3DTS_WORLD ? unsigned{kDirtyTransform} : 0u;
    }
    else
        return Refuse("transform state", t);
    if (std::memcmp(slot, m, sizeof *m) != 0)
    {
        *slot = *m;
        Dirty(dirty);
    }
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE t, D3DMATRIX* m)
{
    if (!m)
        return D3DERR_INVALIDCALL;
    if (t == D3DTS_VIEW)
        *m = state_.view;
    else if (t == D3DTS_PROJECTION)
        *m = state_.projection;
    else if (t >= D3DTS_TEXTURE0 && t <= D3DTS_TEXTURE7)
        *m = state_.texture[t - D3DTS_TEXTURE0];
    else if (t >= D3DTS_WORLD && t < D3DTS_WORLD + 256)
        *m = state_.world[t - D3DTS_WORLD];
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* v)
{
    gl_->Log("SetViewport", v);
    if (!v)
        return D3DERR_INVALIDCALL;
    const UINT w = targetWidth_, h = targetHeight_;
    if (v->Width == 0 || v->Height == 0 || v->X > w || v->Y > h || v->Width > w - v->X || v->Height > h - v->Y ||
        !(v->MinZ >= 0.0f && v->MinZ <= 1.0f && v->MaxZ >= 0.0f && v->MaxZ <= 1.0f))
        return D3DERR_INVALIDCALL;
    if (std::memcmp(&state_.viewport, v, sizeof *v) != 0)
    {
        state_.viewport = *v;
        Dirty(kDirtyViewport | kDirtyGlobals);
    }
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* v)
{
    if (!v)
        return D3DERR_INVALIDCALL;
    *v = state_.viewport;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* m)
{
    gl_->Log("SetMaterial", m);
    if (!m)
        return D3DERR_INVALIDCALL;
    if (std::memcmp(&state_.material, m, sizeof *m) != 0)
    {
        state_.material = *m;
        Dirty(kDirtyMaterial);
    }
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* m)
{
    if (!m)
        return D3DERR_INVALIDCALL;
    *m = state_.material;
    return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* l)
{
    gl_->Log("SetLight", index, l);
    if (!l)
        return D3DERR_INVALIDCALL;
    const HRESULT hr = CheckLight(*l);
    if (FAILED(hr))
        return hr;
    auto& slot = state_.lights[index];
    if (std::memcmp(&slot.light, l, sizeof *l) == 0)
        return D3D_OK;
    const bool typeChanged = slot.light.Type != l->Type;
    slot.light = *l;
    if (slot.enabled)
        Dirty(kDirtyLights | (typeChanged ? unsigned{kDirtyKey} : 0u));
    return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* l)
{
    auto found = state_.lights.find(index);
    if (!l || found == state_.lights.end())
        return D3DERR_INVALIDCALL;
    *l = found->second.light;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable)
{
    gl_->Log("LightEnable", index, enable);
    auto found = state_.lights.find(index);
    if (found == state_.lights.end())
    {
        if (!enable)
            return D3D_OK;
        found = state_.lights.emplace(index, LightSlot{DefaultLight(), false}).first;
    }
    const bool on = enable != 0;
    if (found->second.enabled == on)
        return D3D_OK;
    if (on && state_.EnabledLights() >= static_cast<int>(kMaxActiveLights))
        return Refuse("more active lights than 8, light", index);
    found->second.enabled = on;
    Dirty(kDirtyLights | kDirtyKey);
    return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable)
{
    auto found = state_.lights.find(index);
    if (!enable || found == state_.lights.end())
        return D3DERR_INVALIDCALL;
    *enable = found->second.enabled ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE s, DWORD v)
{
    gl_->Log("SetRenderState", s, v);
    const HRESULT hr = CheckRenderState(s, v);
    if (FAILED(hr))
        return hr;
    if (state_.render[s] == v)
        return D3D_OK;
    state_.render[s] = v;
    switch (s)
    {
    case D3DRS_AMBIENT:
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_ALPHAREF:
    case D3DRS_POINTSIZE:
    case D3DRS_POINTSIZE_MIN:
    case D3DRS_POINTSIZE_MAX:
    case D3DRS_POINTSCALE_A:
    case D3DRS_POINTSCALE_B:
    case D3DRS_POINTSCALE_C: Dirty(kDirtyGlobals); break;
    case D3DRS_LIGHTING:
    case D3DRS_COLORVERTEX:
    case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_SPECULARENABLE:
    case D3DRS_SHADEMODE:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
    case D3DRS_FOGENABLE:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGVERTEXMODE:
    case D3DRS_RANGEFOGENABLE:
    case D3DRS_POINTSPRITEENABLE:
    case D3DRS_POINTSCALEENABLE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC: Dirty(kDirtyKey); break;
    case D3DRS_FILLMODE: Dirty(kDirtyKey | kDirtyFixed); break;
    default: Dirty(kDirtyFixed); break;
    }
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE s, DWORD* v)
{
    if (!v || s >= kMaxRenderState)
        return D3DERR_INVALIDCALL;
    *v = state_.render[s];
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture)
{
    if (!texture || stage >= kStages)
        return D3DERR_INVALIDCALL;
    *texture = textures_[stage];
    if (*texture)
        (*texture)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture)
{
    gl_->Log("SetTexture", stage, texture);
    if (stage >= kStages)
        return D3DERR_INVALIDCALL;
    // Only textures of the layer can be sampled, and not from system memory.
    if (texture)
    {
        auto* t = dynamic_cast<Texture*>(texture);
        if (!t || !t->Name() || (t->Usage() & D3DUSAGE_DEPTHSTENCIL))
            return D3DERR_INVALIDCALL;
    }
    if (texture == textures_[stage])
        return D3D_OK;
    // The program only knows whether a stage has a texture.
    if ((texture == nullptr) != (textures_[stage] == nullptr))
        Dirty(kDirtyKey);
    if (texture)
        texture->AddRef();
    if (textures_[stage])
        textures_[stage]->Release();
    textures_[stage] = texture;
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (!value || stage >= kStages || type >= kMaxStageState)
        return D3DERR_INVALIDCALL;
    *value = state_.stage[stage][type];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    gl_->Log("SetTextureStageState", stage, type, value);
    if (stage >= kStages)
        return D3DERR_INVALIDCALL;
    const HRESULT hr = CheckStageState(type, value);
    if (FAILED(hr))
        return hr;
    DWORD& slot = state_.stage[stage][type];
    if (slot == value)
        return D3D_OK;
    slot = value;
    switch (type)
    {
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_ADDRESSW:
    case D3DTSS_BORDERCOLOR:
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER:
    case D3DTSS_MIPMAPLODBIAS:
    case D3DTSS_MAXMIPLEVEL:
    case D3DTSS_MAXANISOTROPY: samplerDirty_ |= 1u << stage; break;
    case D3DTSS_BUMPENVMAT00:
    case D3DTSS_BUMPENVMAT01:
    case D3DTSS_BUMPENVMAT10:
    case D3DTSS_BUMPENVMAT11:
    case D3DTSS_BUMPENVLSCALE:
    case D3DTSS_BUMPENVLOFFSET: break;  // no bump mapping: nothing reads them
    default: Dirty(kDirtyKey); break;
    }
    return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD handle)
{
    gl_->Log("SetVertexShader", handle);
    if (handle & 1)
    {
        auto found = shaders_.find(handle);
        if (found == shaders_.end())
            return Refuse("vertex shader handle", handle);
        VertexShader& shader = *found->second;
        // The declaration's and the code's constants load with the shader,
        // also when it is set again.
        for (const ShaderConstant& c : shader.Constants())
            if (std::memcmp(constants_[c.reg], c.value, sizeof c.value) != 0)
            {
                std::memcpy(constants_[c.reg], c.value, sizeof c.value);
                Dirty(kDirtyConstants);
            }
        if (handle == vertexShader_)
            return D3D_OK;
        vertexShader_ = handle;
        shader_ = &shader;
        layout_ = VertexLayout{};
        layout_.valid = true;
        layout_.size = shader.Stride();
        Dirty(kDirtyKey);
        return D3D_OK;
    }
    if (handle == vertexShader_ && layout_.valid)
        return D3D_OK;
    const VertexLayout layout = DecodeFVF(handle);
    if (!layout.valid)
        return Refuse("vertex format", handle);
    vertexShader_ = handle;
    shader_ = nullptr;
    layout_ = layout;
    Dirty(kDirtyKey);
    return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* handle)
{
    if (!handle)
        return D3DERR_INVALIDCALL;
    *handle = vertexShader_;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride)
{
    gl_->Log("SetStreamSource", stream, buffer, stride);
    if (stream != 0)
        return Refuse("stream number", stream);
    auto* vb = dynamic_cast<VertexBuffer*>(buffer);
    if (buffer && !vb)
        return D3DERR_INVALIDCALL;  // a buffer of another device kind
    if (vb)
        vb->AddRef();
    if (stream_)
        stream_->Release();
    stream_ = vb;
    streamStride_ = stride;
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride)
{
    if (stream != 0 || !buffer || !stride)
        return D3DERR_INVALIDCALL;
    *buffer = stream_;
    if (stream_)
        stream_->AddRef();
    *stride = streamStride_;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT base)
{
    gl_->Log("SetIndices", buffer, base);
    auto* ib = dynamic_cast<IndexBuffer*>(buffer);
    if (buffer && !ib)
        return D3DERR_INVALIDCALL;
    if (ib)
        ib->AddRef();
    if (indices_)
        indices_->Release();
    indices_ = ib;
    baseVertex_ = base;
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** buffer, UINT* base)
{
    if (!buffer || !base)
        return D3DERR_INVALIDCALL;
    *buffer = indices_;
    if (indices_)
        indices_->AddRef();
    *base = baseVertex_;
    return D3D_OK;
}

HRESULT Device::SetPixelShader(DWORD handle)
{
    gl_->Log("SetPixelShader", handle);
    if (handle != 0)
        return Refuse("pixel shader handle", handle);
    pixelShader_ = 0;
    return D3D_OK;
}

HRESULT Device::GetPixelShader(DWORD* handle)
{
    if (!handle)
        return D3DERR_INVALIDCALL;
    *handle = pixelShader_;
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer8** out)
{
    gl_->Log("CreateVertexBuffer", length, usage, fvf, pool);
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0 || pool > D3DPOOL_SYSTEMMEM || (fvf && !DecodeFVF(fvf).valid) ||
        (fvf && length < DecodeFVF(fvf).size))
        return D3DERR_INVALIDCALL;
    gl_->MakeCurrent();
    *out = new VertexBuffer(gl_, length, usage, fvf, pool);
    // Its name may be one a deleted buffer had.
    boundArrayBuffer_ = 0;
    glState_.ForgetBuffers();
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** out)
{
    gl_->Log("CreateIndexBuffer", length, usage, format, pool);
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (format != D3DFMT_INDEX16)
        return Refuse("index format", format);
    if (length == 0 || pool > D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    gl_->MakeCurrent();
    *out = new IndexBuffer(gl_, length, usage, format, pool);
    boundArrayBuffer_ = 0;
    glState_.ForgetBuffers();
    return D3D_OK;
}

HRESULT Device::ReadBackBuffer(std::vector<std::uint32_t>& pixels, UINT& width, UINT& height)
{
    gl_->MakeCurrent();
    width = parameters_.BackBufferWidth;
    height = parameters_.BackBufferHeight;
    const auto w = static_cast<GLint>(width), h = static_cast<GLint>(height);
    // The window's back buffer keeps the frame after a swap on Mesa's
    // software paths (a pbuffer has one buffer; X copies the back out).
    if (!direct_)
    {
        const HRESULT hr = StoreBackBuffer();
        if (FAILED(hr))
            return hr;
    }
    GLuint source = BackFramebuffer();
    if (resolveFbo_)
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_.get());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFbo_.get());
        glState_.Enable(GL_SCISSOR_TEST, false);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glState_.Enable(GL_SCISSOR_TEST, true);
        source = resolveFbo_.get();
    }
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    pixels.resize(rows.size());
    for (GLint y = 0; y < h; ++y)
        std::memcpy(&pixels[static_cast<std::size_t>(y * w)], &rows[static_cast<std::size_t>((h - 1 - y) * w)],
                    static_cast<std::size_t>(w) * 4);
    return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_INVALIDCALL;
}

}  // namespace go3d::d3d

go3d::d3d::CallLog* GetDeviceCallLog(IDirect3DDevice8* device)
{
    auto* d = dynamic_cast<go3d::d3d::Device*>(device);
    return d ? &d->Log() : nullptr;
}

HRESULT D3DReadBackBuffer(IDirect3DDevice8* device, std::vector<std::uint32_t>& pixels, UINT& width, UINT& height)
{
    auto* d = dynamic_cast<go3d::d3d::Device*>(device);
    return d ? d->ReadBackBuffer(pixels, width, height) : D3DERR_INVALIDCALL;
}

std::uint64_t D3DGlCalls(IDirect3DDevice8* device)
{
    auto* d = dynamic_cast<go3d::d3d::Device*>(device);
    return d ? d->GlCalls() : 0;
}

bool D3DDrawsIntoWindow(IDirect3DDevice8* device)
{
    auto* d = dynamic_cast<go3d::d3d::Device*>(device);
    return d && d->DrawsIntoWindow();
}
