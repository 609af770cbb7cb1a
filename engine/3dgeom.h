#pragma once

// The engine's one vertex layout, the triangle record and the edge record of
// the shadow builder.

#include "math/dword.h"
#include "math/vector3.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

// A vertex index of triangles and index buffers.
using Index = std::uint16_t;
using word = std::uint16_t;

struct TexCoord
{
    float U = 0.0f;
    float V = 0.0f;

    TexCoord() = default;
    TexCoord(float u, float v) : U(u), V(v) {}
};

struct Triangle;

// Byte for byte the device's stream layout: position, one blend weight, four
// byte blend indices, normal, diffuse colour (B, G, R, A in memory), four
// coordinate sets.
struct Vertex
{
    Vector3 Position;
    float BlendWeight = 0.0f;   // no operation enables vertex blending
    dword BlendIndices = 0;
    Vector3 Normal;
    dword Color = 0x00FFFFFF;   // white with alpha 0
    TexCoord Tex[4];

    Vertex() = default;
    // The same (u, v) in all four sets.
    Vertex(const Vector3& pos, float u, float v, dword colour);

    // The normalised sum of the stored normals of the triangles that use this
    // vertex, which must be an element of vbuffer. No triangle gives the
    // normalised zero vector.
    void CalculateNormal(const Vertex* vbuffer, const Triangle* triangles, long tricount);
};

static_assert(sizeof(Vertex) == 68, "the stream stride of the vertex format");
static_assert(std::is_standard_layout_v<Vertex>);
static_assert(std::is_trivially_copyable_v<Vertex>);
static_assert(offsetof(Vertex, Position) == 0);
static_assert(offsetof(Vertex, BlendWeight) == 12);
static_assert(offsetof(Vertex, BlendIndices) == 16);
static_assert(offsetof(Vertex, Normal) == 20);
static_assert(offsetof(Vertex, Color) == 32);
static_assert(offsetof(Vertex, Tex) == 36);
static_assert(sizeof(TexCoord) == 8);

struct Triangle
{
    Index Vertices[3] = {0, 0, 0};
    Vector3 Normal;

    Triangle() = default;
    Triangle(Index a, Index b, Index c) : Vertices{a, b, c} {}

    // (P1 - P0) x (P2 - P0): twice the area long unless normalised.
    void CalculateNormal(const Vertex* vbuffer, bool normalize);
};

static_assert(std::is_standard_layout_v<Triangle>);
static_assert(std::is_trivially_copyable_v<Triangle>);
static_assert(offsetof(Triangle, Normal) == 8);
static_assert(sizeof(Triangle) == 20);

// A and B are the edge's vertices; C and D are carried along unread.
struct Edge
{
    Index A = 0;
    Index B = 0;
    word C = 0;
    word D = 0;

    Edge() = default;
    Edge(Index a, Index b, word c, word d) : A(a), B(b), C(c), D(d) {}
};

static_assert(sizeof(Edge) == 8);
