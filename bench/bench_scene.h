#pragma once

// The benchmark's scene: one small lit mesh drawn 362 times a frame, each
// time with its own world matrix and material, as the game draws its board.

#include <cstdint>
#include <vector>

#include "platform/d3d/d3d8types.h"

namespace bench {

struct Vertex
{
    float x, y, z, weight;
    std::uint8_t indices[4];
    float nx, ny, nz;
    D3DCOLOR color;
    float uv[4][2];
};
static_assert(sizeof(Vertex) == 68);

constexpr int kDraws = 362;
constexpr int kWidth = 1024, kHeight = 768;

struct Mesh
{
    std::vector<Vertex> vertices;
    std::vector<std::uint16_t> indices;
};

// A sphere of radius 1 with 60 triangles.
Mesh MakeSphere();
D3DMATRIX World(int draw, int frame);
D3DMATERIAL8 Material(int draw);
D3DMATRIX View();
D3DMATRIX Projection();
D3DLIGHT8 Light();

}  // namespace bench
