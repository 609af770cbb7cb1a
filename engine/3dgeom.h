#pragma once

// The engine's one vertex layout, the triangle record and the edge record of
// the shadow builder.

#include "math/dword.h"
#include "math/vector3.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

class GraphicsContext;
class IDirect3DVertexBuffer8;
class IDirect3DIndexBuffer8;

// A vertex index of triangles and index buffers.
using Index = std::uint16_t;
using word = std::uint16_t;
using byte = std::uint8_t;

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

// The geometry of one renderable: per level a vertex and a triangle array,
// which are the master copy, and the device buffers rebuilt from them when
// asked for after a change. Levels above 0 are copies of level 0.
class TriMesh
{
public:
    GraphicsContext* gc;                                    // null: arrays only, no buffers
    std::vector<std::unique_ptr<Vertex[]>> VertexArrays;
    std::vector<std::unique_ptr<Triangle[]>> TriangleArrays;
    std::vector<IDirect3DVertexBuffer8*> VertexBuffers;     // one reference each
    std::vector<IDirect3DIndexBuffer8*> IndexBuffers;
    // Per vertex the triangles using it, in increasing order; level 0 only.
    std::vector<std::unique_ptr<std::vector<dword>[]>> AdjTriangles;
    std::vector<byte> AdjValid;
    std::vector<dword> VertexCount;
    std::vector<dword> TriCount;
    byte Levels;
    std::vector<byte> BuffersValid;
    byte Dynamic;

    TriMesh(byte levels, GraphicsContext* gc);
    ~TriMesh();
    // Deep copies without adjacency; the copy builds its own buffers at once.
    TriMesh(const TriMesh& other);
    TriMesh& operator=(const TriMesh& other);

    // Replaces level 0 (a null source leaves default records) and copies it
    // into the other levels.
    void SetData(const Vertex* vdata, const Triangle* tdata, dword vcount, dword tcount);
    void UpdateLODs();
    // True when the level's buffers now hold its arrays.
    bool UpdateBuffers(byte lod);

    const Vertex* GetVertexArray(byte lod) const;
    const Triangle* GetTriangleArray(byte lod) const;
    // Level 0 for changing; marks the buffers stale (and, for triangles, the
    // adjacency).
    Vertex* GetModVertexArray();
    Triangle* GetModTriangleArray();
    // Rebuilt first when stale; null when the level has none. No reference
    // is added.
    IDirect3DVertexBuffer8* GetVertexBuffer(byte lod);
    IDirect3DIndexBuffer8* GetIndexBuffer(byte lod);
    // 0xDEADBEEF for a level out of range.
    dword GetVertexCount(byte lod) const;
    dword GetTriangleCount(byte lod) const;
    byte GetLevelCount() const { return Levels; }

    void SetGraphicsContext(GraphicsContext* context);
    // Takes effect when a buffer is next created; returns the new Dynamic.
    bool SetStatic(bool makeStatic);

    // Area-weighted smooth normals of level 0.
    void CalculateNormals();
    // Each vertex gets the unit normal of the last triangle that uses it.
    void CalculateNormalsFlat();
    // The triangles' normals of level 0 alone, as CalculateNormals makes
    // them, for vertex normals that came from elsewhere.
    void CalculateFaceNormals();

private:
    void ReleaseBuffers();
    void CopyFrom(const TriMesh& other);
    void InvalidateBuffers();
    // False, reported, when some triangle of level 0 has a corner past the
    // vertex array; those triangles take no part in the normals.
    bool CheckCorners() const;
    // Area-weighted face normals of level 0; false when some corner is out
    // of range (those triangles get a zero normal).
    bool FaceNormals();
    bool CornersInRange(const Triangle& t) const;
};

// A square of size x size in the XY plane facing -z, centred on the origin,
// with subdivisions + 1 cells per side. More than 254 subdivisions would
// overflow the 16-bit indices: then *mesh is null.
void CreatePlane(GraphicsContext* gc, float size, dword subdivisions, TriMesh** mesh, byte levels);
// A cube of edge size centred on the origin, 36 unshared vertices with their
// face normals.
void CreateCube(GraphicsContext* gc, float size, TriMesh** mesh, byte levels);
