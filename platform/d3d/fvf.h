#pragma once

// The layout of a flexible vertex format: where each element sits in a
// vertex and how large the vertex is.

#include <cstdint>

#include "platform/d3d/d3d8types.h"

namespace go3d::d3d {

struct VertexLayout
{
    bool valid = false;
    UINT size = 0;
    int blendWeights = 0;  // floats after the position
    bool lastBetaUByte4 = false;
    int normalOffset = -1;
    int psizeOffset = -1;
    int diffuseOffset = -1;
    int specularOffset = -1;
    int blendOffset = -1;
    int texCount = 0;
    int texOffset[8] = {};
    int texSize[8] = {};  // components, 1 to 4
};

// Decodes an FVF code; invalid (valid false) for codes the layer does not
// draw: no position, transformed positions, or unknown bits.
VertexLayout DecodeFVF(DWORD fvf);

// Vertices a primitive count needs; 0 for an unknown primitive type.
UINT VertexCountFor(D3DPRIMITIVETYPE type, UINT primitives);

}  // namespace go3d::d3d
