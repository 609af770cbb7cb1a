#pragma once

// Everything a device is told and answers for: render states, texture-stage
// states, transforms, lights, material and viewport, with Direct3D 8's
// defaults, and the test of whether a value is one the layer can draw.

#include <array>
#include <cstdint>
#include <map>

#include "platform/d3d/d3d8.h"

namespace go3d::d3d {

constexpr DWORD kMaxRenderState = 256;
constexpr DWORD kMaxStageState = 32;
constexpr DWORD kStages = 8;
constexpr DWORD kMaxActiveLights = 8;
constexpr float kMaxPointSize = 256.0f;

struct LightSlot
{
    D3DLIGHT8 light{};
    bool enabled = false;
};

struct DeviceState
{
    std::array<DWORD, kMaxRenderState> render{};
    std::array<std::array<DWORD, kMaxStageState>, kStages> stage{};
    std::array<D3DMATRIX, 256> world{};
    D3DMATRIX view{};
    D3DMATRIX projection{};
    std::array<D3DMATRIX, kStages> texture{};
    D3DVIEWPORT8 viewport{};
    D3DMATERIAL8 material{};
    std::map<DWORD, LightSlot> lights;

    // Direct3D 8's state of a new device with a target of the given size.
    void Reset(bool hasDepth, UINT width, UINT height);
    int EnabledLights() const;
};

D3DMATRIX IdentityMatrix();
// The light a LightEnable of an index never set gets.
D3DLIGHT8 DefaultLight();
inline float DwordToFloat(DWORD v)
{
    float f;
    static_assert(sizeof f == sizeof v);
    __builtin_memcpy(&f, &v, sizeof f);
    return f;
}
inline DWORD FloatToDwordBits(float f)
{
    DWORD v;
    __builtin_memcpy(&v, &f, sizeof v);
    return v;
}

// D3D_OK when the layer draws this value as Direct3D would; an error result
// (and one line on standard error) when it cannot.
HRESULT CheckRenderState(D3DRENDERSTATETYPE state, DWORD value);
HRESULT CheckStageState(D3DTEXTURESTAGESTATETYPE type, DWORD value);
HRESULT CheckLight(const D3DLIGHT8& light);

}  // namespace go3d::d3d
