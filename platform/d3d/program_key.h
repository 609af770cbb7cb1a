#pragma once

// The compact description of a fixed-function state combination from which
// one GLSL program is generated; equal keys share a program. Only what
// changes the generated text is in it: numeric values travel as uniforms.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/d3d/device_state.h"
#include "platform/d3d/fvf.h"

namespace go3d::d3d {

// Where a lit colour comes from once the vertex format is known.
enum class ColorSource : std::uint8_t { Material, Diffuse, Specular };

struct StageKey
{
    std::uint8_t colorOp, colorArg0, colorArg1, colorArg2;
    std::uint8_t alphaOp, alphaArg0, alphaArg1, alphaArg2;
    std::uint8_t texture;      // 0 none bound, 1 two-dimensional
    std::uint8_t coordSource;  // vertex coordinate set
    std::uint8_t coordGen;     // 0 pass-through, 1 normal, 2 position, 3 reflection
    std::uint8_t transform;    // count 0 (off) to 4, plus 8 when projected
};

struct ProgramKey
{
    std::uint8_t hasNormal, hasDiffuse, hasSpecular, hasPSize;
    std::uint8_t texCount;
    std::uint8_t texSize[8];
    std::uint8_t lighting;
    std::uint8_t lightType[kMaxActiveLights];  // D3DLIGHTTYPE, 0 for an unused slot
    std::uint8_t specular, localViewer, normalize;
    ColorSource diffuseSource, ambientSource, specularSource, emissiveSource;
    std::uint8_t points, pointScale, pointSprite;
    std::uint8_t flat;
    std::uint8_t fogMode;  // D3DFOG_*; 0 off
    std::uint8_t fogPixel, fogRange, fogFromSpecular;
    std::uint8_t specularAdd;
    std::uint8_t alphaFunc;  // D3DCMP_*; 0 when the test is off
    std::uint8_t stageCount;
    StageKey stage[kStages];

    bool operator==(const ProgramKey& o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};
static_assert(std::is_trivially_copyable_v<ProgramKey>);

struct ProgramKeyHash
{
    std::size_t operator()(const ProgramKey& k) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(&k);
        std::uint64_t h = 1469598103934665603ull;
        for (std::size_t i = 0; i < sizeof k; ++i)
            h = (h ^ p[i]) * 1099511628211ull;
        return static_cast<std::size_t>(h);
    }
};

// Which GL texture kind a stage has bound: filled by the texture code.
struct StageTextures
{
    std::uint8_t kind[kStages] = {};
};

// The key for drawing with this state, vertex layout and primitive type.
// The light slots follow the enabled lights in index order.
ProgramKey MakeProgramKey(const DeviceState& state, const VertexLayout& layout, D3DPRIMITIVETYPE type,
                          const StageTextures& textures);

}  // namespace go3d::d3d
