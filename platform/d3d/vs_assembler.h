#pragma once

// The vs.1.1 assembler behind D3DXAssembleShaderFromFileA: shader text to
// Direct3D 8 shader tokens.

#include <string>
#include <vector>

#include "platform/d3d/d3d8types.h"

namespace go3d::d3d {

struct AssembledShader
{
    std::vector<DWORD> tokens;     // version first, end token last
    std::vector<DWORD> constants;  // a declaration fragment loading the def constants
};

// True and the shader, or false and "line N: reason" for the first fault.
bool AssembleVertexShader(const std::string& text, AssembledShader& out, std::string& error);

}  // namespace go3d::d3d
