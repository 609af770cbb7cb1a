#pragma once

// A Direct3D interface with one adapter whose modes, formats, sample counts
// and capabilities a test sets, and that records what device creation asked.
// Devices it lets through are made by the real layer, in a window, so the
// engine can go on to set its states.

#include "platform/d3d/d3d8.h"
#include "platform/win/win32.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

namespace enginetest {

struct CreateDeviceCall
{
    UINT Adapter;
    D3DDEVTYPE Type;
    DWORD Behaviour;
    D3DPRESENT_PARAMETERS Parameters;
};

class FakeAdapter : public IDirect3D8
{
public:
    std::vector<D3DDISPLAYMODE> Modes;
    std::set<D3DFORMAT> UnusableModeFormats; // CheckDeviceType refuses these
    std::set<D3DFORMAT> DepthFormats = {D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32};
    std::set<D3DMULTISAMPLE_TYPE> SampleCounts;
    D3DFORMAT DesktopFormat = D3DFMT_X8R8G8B8;
    DWORD DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    DWORD MaxSimultaneousTextures = 8;

    // CreateDevice fails this many times first, proposing this back-buffer
    // count in the parameters each time (0: leaves them as they were).
    int CreateFailures = 0;
    UINT ProposedBackBufferCount = 0;

    // Every check's device type, and every CreateDevice call.
    std::vector<D3DDEVTYPE> CheckedTypes;
    std::vector<D3DFORMAT> CheckedDepthFormats;
    std::vector<D3DMULTISAMPLE_TYPE> CheckedSampleCounts;
    std::vector<CreateDeviceCall> Creations;
    bool Released = false;

    FakeAdapter() = default;
    explicit FakeAdapter(std::vector<D3DDISPLAYMODE> modes) : Modes(std::move(modes)) {}
    ~FakeAdapter() override
    {
        if (real_ != nullptr)
            real_->Release();
    }

    ULONG AddRef() override { return ++refs_; }
    // The test owns the object; the engine's release is only recorded.
    ULONG Release() override
    {
        Released = true;
        return --refs_;
    }

    UINT GetAdapterCount() override { return 1; }

    HRESULT GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER8* id) override
    {
        *id = {};
        std::strcpy(id->Driver, "fake.so");
        std::strcpy(id->Description, "A fake adapter");
        id->VendorId = 0x1234;
        id->DeviceId = 0x5678;
        id->DriverVersion.QuadPart = 0x0001000200030004;
        return D3D_OK;
    }

    UINT GetAdapterModeCount(UINT) override { return static_cast<UINT>(Modes.size()); }

    HRESULT EnumAdapterModes(UINT, UINT mode, D3DDISPLAYMODE* out) override
    {
        if (mode >= Modes.size())
            return D3DERR_INVALIDCALL;
        *out = Modes[mode];
        return D3D_OK;
    }

    HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* out) override
    {
        *out = {1280, 1024, 60, DesktopFormat};
        return D3D_OK;
    }

    HRESULT CheckDeviceType(UINT, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT back, BOOL) override
    {
        CheckedTypes.push_back(type);
        return UnusableModeFormats.count(back) ? D3DERR_NOTAVAILABLE : D3D_OK;
    }

    HRESULT CheckDeviceFormat(UINT, D3DDEVTYPE type, D3DFORMAT, DWORD usage, D3DRESOURCETYPE,
                              D3DFORMAT format) override
    {
        CheckedTypes.push_back(type);
        if (usage & D3DUSAGE_DEPTHSTENCIL)
            CheckedDepthFormats.push_back(format);
        return DepthFormats.count(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDeviceMultiSampleType(UINT, D3DDEVTYPE type, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE samples) override
    {
        CheckedTypes.push_back(type);
        CheckedSampleCounts.push_back(samples);
        return SampleCounts.count(samples) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override { return D3D_OK; }

    HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS8* caps) override
    {
        *caps = {};
        caps->DevCaps = DevCaps;
        caps->MaxSimultaneousTextures = MaxSimultaneousTextures;
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND window, DWORD behaviour, D3DPRESENT_PARAMETERS* pp,
                         IDirect3DDevice8** device) override
    {
        Creations.push_back({adapter, type, behaviour, *pp});
        if (CreateFailures > 0) {
            --CreateFailures;
            if (ProposedBackBufferCount != 0)
                pp->BackBufferCount = ProposedBackBufferCount;
            return D3DERR_NOTAVAILABLE;
        }
        // The real device: windowed, small, with formats the layer has.
        if (real_ == nullptr)
            real_ = Direct3DCreate8(D3D_SDK_VERSION);
        if (real_ == nullptr)
            return D3DERR_NOTAVAILABLE;
        D3DPRESENT_PARAMETERS actual = *pp;
        actual.Windowed = TRUE;
        actual.BackBufferWidth = std::min<UINT>(actual.BackBufferWidth, 64);
        actual.BackBufferHeight = std::min<UINT>(actual.BackBufferHeight, 64);
        actual.BackBufferFormat = D3DFMT_X8R8G8B8;
        actual.BackBufferCount = 1;
        actual.MultiSampleType = 0;
        actual.AutoDepthStencilFormat = D3DFMT_D24S8;
        actual.FullScreen_RefreshRateInHz = 0;
        actual.FullScreen_PresentationInterval = 0;
        return real_->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &actual, device);
    }

private:
    ULONG refs_ = 1;
    IDirect3D8* real_ = nullptr;
};

inline D3DDISPLAYMODE Mode(UINT w, UINT h, UINT hz, D3DFORMAT f)
{
    return D3DDISPLAYMODE{w, h, hz, f};
}

// A window of the layer for devices to draw into.
inline HWND TestWindow(int width = 64, int height = 64)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "EngineTest";
        RegisterClassExA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "EngineTest", "engine", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace enginetest
