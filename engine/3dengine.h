#pragma once

// The engine core: the engine root with its adapter inventory, the
// configuration file, device creation, and the graphics context through which
// everything is drawn.

#include "engine/3dgeom.h"
#include "engine/list.h"
#include "engine/material.h"
#include "math/color.h"
#include "math/dword.h"
#include "math/matrix4x4.h"
#include "math/vector3.h"
#include "math/vector4.h"
#include "platform/d3d/d3d8.h"
#include "platform/win/win32.h"

#include <cstdint>
#include <string>
#include <vector>

class GraphicsContext;
class TextureManager;

// ---------------------------------------------------------------------------
// Adapters and display modes

struct ColorDepth
{
    std::int32_t Bpp;
    dword ColorBits;
    dword AlphaBits;

    constexpr ColorDepth(std::int32_t bpp = 0, dword colorBits = 0, dword alphaBits = 0)
        : Bpp(bpp), ColorBits(colorBits), AlphaBits(alphaBits)
    {
    }

    constexpr bool operator==(const ColorDepth& o) const
    {
        return Bpp == o.Bpp && ColorBits == o.ColorBits && AlphaBits == o.AlphaBits;
    }
};

struct DisplayMode
{
    dword Width;
    dword Height;
    dword RefreshRate;
    ColorDepth Depth;

    // Only the depth is set; whoever makes a mode fills the rest.
    DisplayMode() : Depth(0, 0, 0) {}
};

struct AdapterInfo
{
    char* Driver = nullptr;
    char* Description = nullptr;
    std::int64_t DriverVersion = 0;
    dword VendorID = 0;
    dword DeviceID = 0;
    dword SubSysID = 0;
    dword Revision = 0;
    GUID DeviceIdentifier{};
    dword ModeCount = 0;
    DisplayMode* Modes = nullptr;
    D3DCAPS8 Caps{};
};

// Criteria of Engine3D::FilterModes.
constexpr dword ModeFilter_Resolution = 0;
constexpr dword ModeFilter_Bpp = 1;
constexpr dword ModeFilter_Alpha = 2;
constexpr dword ModeFilter_Refresh = 3;

ColorDepth GetColorDepthFromPixelFormat(D3DFORMAT format);
D3DFORMAT GetPixelFormatFromColorDepth(ColorDepth depth, bool noAlpha);

// ---------------------------------------------------------------------------
// The configuration file

// Bits of GraphicsInitParameters::DontCareFlags: what device creation may relax.
constexpr std::uint16_t DONT_CARE_BPP = 0x01;
constexpr std::uint16_t DONT_CARE_REFRESH = 0x02;
constexpr std::uint16_t DONT_CARE_ALPHA = 0x04;
constexpr std::uint16_t DONT_CARE_DEPTH = 0x08;
constexpr std::uint16_t DONT_CARE_TNL = 0x10;
constexpr std::uint16_t DONT_CARE_FLIPCHAIN = 0x20;
constexpr std::uint16_t DONT_CARE_AAMODE = 0x40;
constexpr std::uint16_t DONT_CARE_VSYNC = 0x80;

struct GraphicsInitParameters
{
    dword XRes = 0;
    dword YRes = 0;
    dword Bpp = 0;
    dword RefreshRate = 0;
    bool NeedAlpha = false;
    dword DepthBits = 0; // 0 reads as 32
    dword DevType = 0;
    bool HardwareTnL = false;
    bool FullScreen = false;
    bool AntiAliasing = false;
    std::uint8_t AAQuality = 0; // 0: two samples; 1: as many as there are
    bool VSync = false;
    dword NumBuffers = 0;
    std::uint16_t DontCareFlags = 0;
};

// The value of a "key = value" line: after the first '=', one character
// passed over whatever it is, then any blanks.
std::string GetValue(std::string line);

// The depth-stencil format for a number of depth bits (16, 24 or 32).
D3DFORMAT GetDepthStencilFormat(std::int32_t bits, bool stencil);

// ---------------------------------------------------------------------------
// The engine root

class Engine3D
{
public:
    IDirect3D8* D3D;
    dword AdapterCount;
    AdapterInfo* Adapters;
    std::vector<GraphicsContext*> Contexts;

    // Makes the Direct3D 8.1 interface and takes the adapter inventory.
    // Throws EngineInitException when there is no Direct3D 8.1.
    Engine3D();
    // The same on a given interface, which the root then owns; null throws
    // as a missing Direct3D does. For tests with adapters of their own.
    explicit Engine3D(IDirect3D8* d3d);
    ~Engine3D();

    Engine3D(const Engine3D&) = delete;
    Engine3D& operator=(const Engine3D&) = delete;

    dword GetAdapterCount() const { return AdapterCount; }
    // adapter must be below the adapter count.
    AdapterInfo* GetAdapterInfo(dword adapter) { return &Adapters[adapter]; }
    // A new list of copies of the adapter's modes, owned by the caller; null
    // for an adapter out of range.
    LinkedList<DisplayMode>* GetModes(dword adapter);
    void FilterModes(LinkedList<DisplayMode>* list, dword criterion, dword a, dword b);
    // The largest resolution, alpha if any mode has it, the most bits, then
    // the fastest refresh; narrows the list in place.
    DisplayMode FindBestMode(LinkedList<DisplayMode>* list);

    // Throws EngineInitException when the file cannot be opened.
    GraphicsInitParameters ReadConfigFile(const char* fileName);

    // Opens a device in the window; may adjust the caller's HardwareTnL and
    // DepthBits. Null for an adapter out of range, hardware vertex processing
    // that the adapter lacks, or a depth buffer it lacks; other failures throw
    // EngineInitException.
    GraphicsContext* CreateGraphicsContext(HWND window, dword adapter, GraphicsInitParameters* parameters);
    GraphicsContext* CreateGraphicsContext(HWND window, dword xres, dword yres, dword bpp, std::uint16_t flags);

    // Releases the context's device; the context stays listed.
    void ReleaseGraphicsContext(GraphicsContext* context);

private:
    void EnumerateAdapters();
};

// The one engine root of the program, made before the game's code runs.
extern Engine3D MainEngine;

// ---------------------------------------------------------------------------
// The graphics context

// The stage argument that means every stage the device has.
constexpr dword AllStages = 2577;

struct RenderSurfaces
{
    IDirect3DSurface8* ColorSurface;
    IDirect3DSurface8* DepthSurface;
};

// The vertex shader declaration of the engine's vertex layout.
extern const DWORD VertDecl[11];

// Builds the left-handed perspective with a horizontal angle of fov * aspect.
void CreateProjectionMatrix(Matrix4x4& m, float fov, float aspect, float znear, float zfar);

class GraphicsContext
{
public:
    dword PrimitiveType;
    dword CullOrder;
    bool BackfaceCulling;
    bool MipMapping;
    bool Billboarding;
    dword MipFilter;
    Matrix4x4 WorldMatrix[256];
    Matrix4x4 ViewMatrix;
    Matrix4x4 ProjectionMatrix;
    Matrix4x4 TextureMatrix[8];
    HWND Window;
    IDirect3DSurface8* MainSurface;
    IDirect3DSurface8* DepthSurface;
    IDirect3DDevice8* Device;
    GraphicsInitParameters Parameters;
    D3DFORMAT BackBufferFormat;
    D3DFORMAT DepthFormat;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    dword MaxTextureStages; // compared as a signed number
    ::TextureManager* TextureManager;

    GraphicsContext();

    void SetDefaultStates();

    // Render states.
    void SetLighting(bool on);
    void SetColorVertex(bool on);
    void SetAmbientLight(Color c);
    void SetShadingMode(dword mode);
    void SetSpecular(bool on);
    void SetAutoNormalize(bool on);
    void SetColorWrite(bool r, bool g, bool b, bool a);
    void SetAlphaBlending(bool on);
    void SetBlendFunc(dword src, dword dest);
    void SetZBuffering(bool on);
    void SetZWrite(bool on);
    void SetZFunc(dword func);
    void SetStencilBuffering(bool on);
    void SetStencilFailOp(dword op);
    void SetStencilPassZFailOp(dword op);
    void SetStencilPassOp(dword op);
    void SetStencilOp(dword fail, dword zfail, dword pass);
    void SetStencilFunc(dword func);
    void SetStencilReference(dword ref);
    void SetTextureFactor(dword argb);
    void SetMaterial(const Material& material);

    void SetPrimitiveType(dword type);
    void SetBackfaceCulling(bool on);
    // winding names the front faces: 2 clockwise, 3 counter-clockwise.
    void SetFrontFace(dword winding);

    // Texture stages; the last four take AllStages.
    void SetTexture(dword stage, IDirect3DTexture8* texture);
    void DisableTextureStage(dword stage);
    void SetTextureStageColor(dword stage, dword op, dword arg1, dword arg2, dword arg0 = 0);
    void SetTextureStageAlpha(dword stage, dword op, dword arg1, dword arg2, dword arg0 = 0);
    void SetTextureCoordIndex(dword stage, dword index);
    void SetTextureTransformFlags(dword stage, dword flags);
    void SetTextureAddressing(dword u, dword v, dword stage);
    void SetTextureBorderColor(dword colour, dword stage);
    void SetMipMapping(bool on, dword stage);
    // 0 point, 1 linear, 2 linear with linear mip-maps, 3 anisotropic.
    void SetTextureFiltering(dword mode, dword stage);

    // Transforms.
    void SetWorldMatrix(const Matrix4x4& m, dword BlendIndex);
    void SetViewMatrix(const Matrix4x4& m);
    void SetProjectionMatrix(const Matrix4x4& m);
    void SetTextureMatrix(const Matrix4x4& m, dword TextureStage);
    Matrix4x4* GetWorldMatrix(dword BlendIndex);
    Matrix4x4* GetViewMatrix() { return &ViewMatrix; }
    Matrix4x4* GetProjectionMatrix() { return &ProjectionMatrix; }
    Matrix4x4* GetTextureMatrix(dword TextureStage);
    void SetViewport(dword x, dword y, dword width, dword height, float minz, float maxz);
    dword GetMaxTextureStages() const { return MaxTextureStages; }
    // Turns world matrix 0 to face the camera, keeping only its origin.
    void SetBillboarding(bool on);

    // Resources, all in the default pool; counts are of vertices or indices.
    bool CreateVertexBuffer(dword count, dword usage, IDirect3DVertexBuffer8** out);
    bool CreateIndexBuffer(dword count, dword usage, IDirect3DIndexBuffer8** out);
    bool CreateSurface(dword width, dword height, IDirect3DSurface8** out);
    bool CreateDepthStencil(dword width, dword height, IDirect3DSurface8** out);

    void Clear(dword colour);
    void ClearZBuffer(float z);
    void ClearStencil(std::uint8_t stencil);
    void ClearZBufferStencil(float z, std::uint8_t stencil);
    void Flip();

    // Each draws count / 3 primitives of PrimitiveType, whatever the type.
    bool Draw(IDirect3DVertexBuffer8* vb);
    bool Draw(const Vertex* vertices, dword count);
    bool Draw(IDirect3DVertexBuffer8* vb, IDirect3DIndexBuffer8* ib);
    bool Draw(const Vertex* vertices, const Index* indices, dword vcount, dword icount);
    bool Draw(const Vertex* vertices, const Triangle* triangles, dword vcount, dword tricount);

    void ResetRenderTarget();
    void SetRenderTarget(const RenderSurfaces& surfaces);
    void SetRenderTarget(IDirect3DTexture8* color, IDirect3DTexture8* depth);

    void SetVertexShader(dword handle);
    void SetPixelShader(dword handle);
    void DeleteVertexShader(dword handle);
    // 0xFFFFFFFF when the file does not assemble; throws
    // EngineGeneralException when the device takes the shader in neither
    // hardware nor software vertex processing.
    dword CreateVertexShader(const char* filename);
    void SetVertexShaderConstant(dword reg, float f);
    void SetVertexShaderConstant(dword reg, const Vector3& v);
    void SetVertexShaderConstant(dword reg, const Vector4& v);
    void SetVertexShaderConstant(dword reg, const Color& c);
    void SetVertexShaderConstant(dword reg, const Matrix4x4& m);
    void SetVertexShaderConstant(dword reg, const void* data, dword count);

private:
    // The stages an AllStages argument stands for, or the one stage.
    template <typename F>
    void ForStages(dword stage, F&& apply);
};

// Lock a whole buffer: discard and no-overwrite for dynamic buffers, no flags
// for static ones. False when the lock failed; then data must not be used.
bool Lock(IDirect3DVertexBuffer8* vb, void** data);
bool Lock(IDirect3DIndexBuffer8* ib, void** data);
void Unlock(IDirect3DVertexBuffer8* vb);
void Unlock(IDirect3DIndexBuffer8* ib);

// ---------------------------------------------------------------------------
// Texture helpers

// Rebuilds every lower mip level from level 0 with a 2 x 2 box filter.
void UpdateMipmaps(IDirect3DTexture8* texture);
// An ARGB texel: x, y, z of a unit vector as 127 c + 128 in red, green and
// blue, a in [0, 1] as 255 a in alpha, each truncated.
dword PackVector(const Vector3& v, float a);
// Turns the height map in the red channel of every level of a 32-bit
// texture into a normal map in place, the height kept in alpha. The last
// column and row take themselves as their missing neighbours.
void CreateNormalMap(IDirect3DTexture8* texture);
