#pragma once

// The layer's IDirect3D8: one adapter, the GL renderer, with what a probe
// context found it can do.

#include <atomic>
#include <string>
#include <vector>

#include "platform/d3d/d3d8.h"

namespace go3d::d3d {

struct AdapterInfo
{
    std::string renderer, vendor, version;
    D3DDISPLAYMODE desktop{};
    std::vector<D3DDISPLAYMODE> modes;
    std::vector<D3DFORMAT> depthFormats;  // those a framebuffer object accepts
    std::vector<DWORD> sampleCounts;      // 2 and up, for every colour and depth format
    float maxPointSize = 1.0f;
    DWORD maxAnisotropy = 1;
    DWORD maxTextureSize = 2048;
};

// GL internal formats for the formats the layer renders into; 0 for others.
unsigned ColorRenderFormat(D3DFORMAT format);
unsigned DepthRenderFormat(D3DFORMAT format);
bool HasStencil(D3DFORMAT format);

class Adapter final : public IDirect3D8
{
public:
    explicit Adapter(AdapterInfo info) : info_(std::move(info)) {}

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    UINT GetAdapterCount() override { return 1; }
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override;
    UINT GetAdapterModeCount(UINT adapter) override;
    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* out) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                            BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL windowed,
                                       D3DMULTISAMPLE_TYPE samples) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) override;

    const AdapterInfo& Info() const { return info_; }
    // The capabilities every device of this adapter reports.
    D3DCAPS8 Caps(D3DDEVTYPE type) const;

private:
    ~Adapter() override;
    AdapterInfo info_;
    std::atomic<ULONG> refs_{1};
};

bool IsDeviceType(D3DDEVTYPE type);

}  // namespace go3d::d3d
