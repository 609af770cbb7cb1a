#pragma once

// The layer's IDirect3DDevice8 on an OpenGL compatibility context: it keeps
// every state it is given, and at each draw brings the GL program, its
// uniforms, the fixed GL states and the vertex bindings up to date with what
// changed since the last draw.

#include <atomic>
#include <map>
#include <memory>
#include <vector>

#include "platform/d3d/adapter.h"
#include "platform/d3d/buffers.h"
#include "platform/d3d/device_state.h"
#include "platform/d3d/fvf.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_state.h"
#include "platform/d3d/program_cache.h"
#include "platform/d3d/surface.h"
#include "platform/d3d/texture.h"
#include "platform/d3d/vertex_shader.h"

namespace go3d::d3d {

class Device final : public IDirect3DDevice8
{
public:
    static HRESULT Create(Adapter* adapter, D3DDEVTYPE type, HWND window, DWORD behavior,
                          D3DPRESENT_PARAMETERS& parameters, IDirect3DDevice8** out);

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;

    HRESULT GetDirect3D(IDirect3D8** d3d) override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow, const void* dirty) override;
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override;

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override;
    HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE samples,
                               BOOL lockable, IDirect3DSurface8** surface) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE samples,
                                      IDirect3DSurface8** surface) override;
    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) override;
    HRESULT UpdateTexture(IDirect3DBaseTexture8* source, IDirect3DBaseTexture8* destination) override;
    HRESULT GetFrontBuffer(IDirect3DSurface8* destination) override;
    HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* depthStencil) override;
    HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface8** depthStencil) override;

    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT GetMaterial(D3DMATERIAL8* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                 UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertexIndices,
                                   UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                   const void* vertices, UINT stride) override;

    HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                               DWORD usage) override;
    HRESULT SetVertexShader(DWORD handle) override;
    HRESULT GetVertexShader(DWORD* handle) override;
    HRESULT DeleteVertexShader(DWORD handle) override;
    HRESULT SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) override;
    HRESULT GetVertexShaderConstant(DWORD reg, void* data, DWORD count) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;
    HRESULT GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) override;
    HRESULT SetPixelShader(DWORD handle) override;
    HRESULT GetPixelShader(DWORD* handle) override;

    // Inside the layer and for tests.
    CallLog& Log() { return gl_->log; }
    const DeviceState& State() const { return state_; }
    std::size_t ProgramCount() const { return programs_.Size(); }
    // GL calls made so far to bring GL up to date for draws and clears.
    std::uint64_t GlCalls() const { return glState_.Calls(); }
    // Whether the back buffer is drawn straight into the window.
    bool DrawsIntoWindow() const { return direct_; }
    // The back buffer as A8R8G8B8 values, top row first.
    HRESULT ReadBackBuffer(std::vector<std::uint32_t>& pixels, UINT& width, UINT& height);

private:
    Device(Adapter* adapter, std::shared_ptr<GlContext> gl, D3DDEVTYPE type, HWND window, DWORD behavior,
           const D3DPRESENT_PARAMETERS& parameters);
    ~Device() override;
    HRESULT MakeTargets();
    GLuint BackFramebuffer() const { return direct_ ? 0 : fbo_.get(); }
    bool WindowCanHoldBackBuffer() const;
    // Gives fbo_'s back buffer and depth their full storage, cleared as new.
    HRESULT StoreBackBuffer();
    void ClearAsNew();  // the bound framebuffer
    // Moves the back buffer and its depth between the window and fbo_.
    HRESULT UseWindow(bool direct);
    // Before a draw, clear or present: the first time, a window that has
    // come to the back buffer's size takes it over.
    HRESULT BeforeBackBufferUse() { return untouched_ ? TakeWindowWhileUntouched() : D3D_OK; }
    HRESULT TakeWindowWhileUntouched();
    void ApplyFixedState();
    HRESULT AttachTargets(Surface* color, Surface* depth);
    // A renderbuffer surface of the layer's sample counts and size limit.
    HRESULT NewRenderbufferSurface(Surface::Kind kind, unsigned internalFormat, UINT width, UINT height,
                                   D3DFORMAT format, D3DMULTISAMPLE_TYPE samples, IDirect3DSurface8** out);
    void BindTextures();
    void ApplySampler(DWORD stage);
    void ApplyProgram(const VertexLayout& layout, D3DPRIMITIVETYPE type);
    void SendUniforms();
    void BindVertices(GLuint buffer, std::size_t offset, UINT stride, const VertexLayout& layout);
    HRESULT CheckDrawable(D3DPRIMITIVETYPE type, const char*& why);
    void Dirty(unsigned bits) { dirty_ |= bits; }

    enum : unsigned
    {
        kDirtyFixed = 1,       // depth, stencil, blend, cull, masks, fill
        kDirtyKey = 2,         // anything the program key reads
        kDirtyViewport = 4,
        kDirtyTransform = 8,   // world or view: the world-view matrix
        kDirtyProjection = 16,
        kDirtyMaterial = 32,
        kDirtyLights = 64,
        kDirtyGlobals = 128,   // ambient, texture factor, fog, point, alpha ref
        kDirtyTexMatrix = 256,
        kDirtyConstants = 512,
    };

    std::atomic<ULONG> refs_{1};
    Adapter* adapter_;
    std::shared_ptr<GlContext> gl_;
    D3DDEVTYPE type_;
    HWND window_;
    DWORD behavior_;
    D3DPRESENT_PARAMETERS parameters_;
    DeviceState state_;

    // Targets. The back buffer and its depth surface draw through fbo_
    // (or the window, below), any other pair through targetFbo_. fbo_'s
    // renderbuffers get their full size only when a frame first goes there
    // (backStored_). Texture targets are drawn upside down, so that their
    // first row is the top of the picture as Direct3D samples it.
    GlFramebuffer fbo_, resolveFbo_, targetFbo_;
    GlRenderbuffer resolveColor_;
    Surface* backBuffer_ = nullptr;  // the device's own references
    Surface* autoDepth_ = nullptr;
    Surface* target_ = nullptr;  // the current pair, one reference each
    Surface* depthTarget_ = nullptr;
    GLuint drawFbo_ = 0;
    UINT targetWidth_ = 0, targetHeight_ = 0;
    bool flipY_ = false;
    bool hasDepth_ = false, hasStencil_ = false;
    // The window's own framebuffer holds the back buffer and its depth
    // when it can: the same formats and size, no multisampling, and the
    // back buffer never paired with another surface (pairedBack_).
    bool direct_ = false, pairedBack_ = false;
    // Nothing has been drawn or cleared since the targets were made: the
    // back buffer holds black, its depth 1 and its stencil 0.
    bool untouched_ = false;
    bool backStored_ = false;
    struct
    {
        GLint red = 0, green = 0, blue = 0, alpha = 0, depth = 0, stencil = 0, samples = 0;
    } windowBits_;

    // One sampler per stage, brought up to date when its stage states change.
    GlSampler samplers_[kStages];
    unsigned samplerDirty_ = ~0u;

    // Bound resources (each holds a reference).
    IDirect3DBaseTexture8* textures_[kStages] = {};
    VertexBuffer* stream_ = nullptr;
    UINT streamStride_ = 0;
    IndexBuffer* indices_ = nullptr;
    UINT baseVertex_ = 0;
    DWORD vertexShader_ = 0;
    VertexShader* shader_ = nullptr;  // the shader of vertexShader_, null for a vertex format
    std::map<DWORD, std::unique_ptr<VertexShader>> shaders_;  // by handle, always odd
    DWORD nextShader_ = 1;
    float constants_[vs::kConstants][4] = {};
    DWORD pixelShader_ = 0;
    VertexLayout layout_;

    // Draw-time state.
    unsigned dirty_ = ~0u;
    ProgramCache programs_;
    Program* program_ = nullptr;
    ProgramKey key_{};
    D3DPRIMITIVETYPE keyType_ = 0;
    bool keyPoints_ = false;
    unsigned versions_[kGroupCount] = {1, 1, 1, 1, 1, 1, 1};
    float worldView_[16] = {}, normalMatrix_[9] = {}, projection_[16] = {};
    struct LightUniforms
    {
        float diffuse[8][4], specular[8][4], ambient[8][4], position[8][3], direction[8][3], attenuation[8][4],
            spot[8][3];
    } lightUniforms_{};
    GlBuffer scratchVertices_, scratchIndices_;
    GlState glState_;
    GLuint boundArrayBuffer_ = 0;
    std::size_t boundOffset_ = ~std::size_t{0};
    UINT boundStride_ = 0;
    DWORD boundFvf_ = 0;
    unsigned enabledAttributes_ = 0;
};

}  // namespace go3d::d3d
