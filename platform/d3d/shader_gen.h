#pragma once

// GLSL text for one fixed-function state combination: Direct3D 8's
// transform, lighting, texture coordinate, point size and fog formulas in
// the vertex program, the texture-stage cascade, specular add, fog and alpha
// test in the fragment program.

#include <string>

#include "platform/d3d/program_key.h"

namespace go3d::d3d {

// Attribute locations the programs are linked with.
enum AttributeLocation : unsigned
{
    kAttrPosition = 0,
    kAttrNormal = 3,
    kAttrPSize = 4,
    kAttrDiffuse = 5,
    kAttrSpecular = 6,
    kAttrTex0 = 7,  // to 14
};

std::string GenerateVertexShader(const ProgramKey& key);
std::string GenerateFragmentShader(const ProgramKey& key);

}  // namespace go3d::d3d
