#include "engine/3dgeom.h"

#include "engine/3dengine.h"
#include "engine/assertion.h"

#include <algorithm>
#include <cstring>

Vertex::Vertex(const Vector3& pos, float u, float v, dword colour) : Position(pos), Color(colour)
{
    for (TexCoord& t : Tex)
        t = TexCoord(u, v);
}

void Vertex::CalculateNormal(const Vertex* vbuffer, const Triangle* triangles, long tricount)
{
    // The index from the addresses as integers: defined even for a vertex
    // that is not in vbuffer, which then matches no corner.
    const std::uintptr_t self = reinterpret_cast<std::uintptr_t>(this);
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(vbuffer);
    long i = -1;
    if (self >= base && (self - base) % sizeof(Vertex) == 0)
        i = long((self - base) / sizeof(Vertex));

    Normal = Vector3();
    for (long n = 0; n < tricount; ++n)
    {
        const Triangle& tri = triangles[n];
        if (tri.Vertices[0] == i || tri.Vertices[1] == i || tri.Vertices[2] == i)
            Normal += tri.Normal;
    }
    Normal.Normalize();
}

void Triangle::CalculateNormal(const Vertex* vbuffer, bool normalize)
{
    const Vector3& p0 = vbuffer[Vertices[0]].Position;
    const Vector3& p1 = vbuffer[Vertices[1]].Position;
    const Vector3& p2 = vbuffer[Vertices[2]].Position;
    Normal = (p1 - p0).CrossProduct(p2 - p0);
    if (normalize)
        Normal.Normalize();
}

// ---------------------------------------------------------------------------
// TriMesh

TriMesh::TriMesh(byte levels, GraphicsContext* context)
    : gc(context),
      VertexArrays(levels),
      TriangleArrays(levels),
      VertexBuffers(levels, nullptr),
      IndexBuffers(levels, nullptr),
      AdjTriangles(levels),
      AdjValid(levels, 0),
      VertexCount(levels, 0),
      TriCount(levels, 0),
      Levels(levels),
      BuffersValid(levels, 0),
      Dynamic(0)
{
}

TriMesh::~TriMesh() { ReleaseBuffers(); }

TriMesh::TriMesh(const TriMesh& other) : Levels(0), Dynamic(0) { CopyFrom(other); }

TriMesh& TriMesh::operator=(const TriMesh& other)
{
    if (this != &other) {
        ReleaseBuffers();
        CopyFrom(other);
    }
    return *this;
}

void TriMesh::CopyFrom(const TriMesh& other)
{
    gc = other.gc;
    Levels = other.Levels;
    Dynamic = other.Dynamic;
    VertexCount = other.VertexCount;
    TriCount = other.TriCount;
    VertexArrays.clear();
    VertexArrays.resize(Levels);
    TriangleArrays.clear();
    TriangleArrays.resize(Levels);
    for (byte l = 0; l < Levels; ++l) {
        if (other.VertexArrays[l]) {
            VertexArrays[l] = std::make_unique<Vertex[]>(VertexCount[l]);
            std::copy_n(other.VertexArrays[l].get(), VertexCount[l], VertexArrays[l].get());
        }
        if (other.TriangleArrays[l]) {
            TriangleArrays[l] = std::make_unique<Triangle[]>(TriCount[l]);
            std::copy_n(other.TriangleArrays[l].get(), TriCount[l], TriangleArrays[l].get());
        }
    }
    VertexBuffers.assign(Levels, nullptr);
    IndexBuffers.assign(Levels, nullptr);
    AdjTriangles.clear();
    AdjTriangles.resize(Levels);
    AdjValid.assign(Levels, 0);
    BuffersValid.assign(Levels, 0);
    for (byte l = 0; l < Levels; ++l)
        UpdateBuffers(l);
}

void TriMesh::ReleaseBuffers()
{
    for (IDirect3DVertexBuffer8*& vb : VertexBuffers) {
        if (vb != nullptr)
            vb->Release();
        vb = nullptr;
    }
    for (IDirect3DIndexBuffer8*& ib : IndexBuffers) {
        if (ib != nullptr)
            ib->Release();
        ib = nullptr;
    }
    std::fill(BuffersValid.begin(), BuffersValid.end(), 0);
}

void TriMesh::InvalidateBuffers() { std::fill(BuffersValid.begin(), BuffersValid.end(), 0); }

void TriMesh::SetData(const Vertex* vdata, const Triangle* tdata, dword vcount, dword tcount)
{
    InvalidateBuffers();
    std::fill(AdjValid.begin(), AdjValid.end(), 0);
    if (Levels == 0)
        return; // no level to hold the data

    VertexArrays[0] = std::make_unique<Vertex[]>(vcount);
    TriangleArrays[0] = std::make_unique<Triangle[]>(tcount);
    if (vdata != nullptr)
        std::copy_n(vdata, vcount, VertexArrays[0].get());
    if (tdata != nullptr)
        std::copy_n(tdata, tcount, TriangleArrays[0].get());
    VertexCount[0] = vcount;
    TriCount[0] = tcount;
    UpdateLODs();
}

void TriMesh::UpdateLODs()
{
    if (Levels == 0)
        return;
    for (byte l = 1; l < Levels; ++l) {
        if (!VertexArrays[l] || VertexCount[l] != VertexCount[0])
            VertexArrays[l] = std::make_unique<Vertex[]>(VertexCount[0]);
        if (!TriangleArrays[l] || TriCount[l] != TriCount[0])
            TriangleArrays[l] = std::make_unique<Triangle[]>(TriCount[0]);
        VertexCount[l] = VertexCount[0];
        TriCount[l] = TriCount[0];
        if (VertexArrays[0])
            std::copy_n(VertexArrays[0].get(), VertexCount[0], VertexArrays[l].get());
        if (TriangleArrays[0])
            std::copy_n(TriangleArrays[0].get(), TriCount[0], TriangleArrays[l].get());
        UpdateBuffers(l);
    }
    if (!BuffersValid[0])
        UpdateBuffers(0);
}

bool TriMesh::UpdateBuffers(byte lod)
{
    if (gc == nullptr || lod >= Levels)
        return false;
    // Stale until both buffers are filled, whichever step fails.
    BuffersValid[lod] = 0;
    const dword usage = Dynamic ? D3DUSAGE_DYNAMIC : 0;

    IDirect3DVertexBuffer8*& vb = VertexBuffers[lod];
    if (vb != nullptr) {
        D3DVERTEXBUFFER_DESC desc{};
        vb->GetDesc(&desc);
        if (desc.Size / sizeof(Vertex) != VertexCount[lod]) {
            vb->Release();
            vb = nullptr;
        }
    }
    if (vb == nullptr && !gc->CreateVertexBuffer(VertexCount[lod], usage, &vb)) {
        vb = nullptr;
        return false;
    }
    void* data = nullptr;
    if (!Lock(vb, &data))
        return false;
    if (VertexCount[lod] != 0)
        std::memcpy(data, VertexArrays[lod].get(), VertexCount[lod] * sizeof(Vertex));
    Unlock(vb);

    IDirect3DIndexBuffer8*& ib = IndexBuffers[lod];
    if (ib != nullptr) {
        D3DINDEXBUFFER_DESC desc{};
        ib->GetDesc(&desc);
        if (desc.Size / sizeof(Index) != 3 * TriCount[lod]) {
            ib->Release();
            ib = nullptr;
        }
    }
    if (ib == nullptr && !gc->CreateIndexBuffer(3 * TriCount[lod], usage, &ib)) {
        ib = nullptr;
        return false;
    }
    if (!Lock(ib, &data))
        return false;
    Index* indices = static_cast<Index*>(data);
    const Triangle* tris = TriangleArrays[lod].get();
    for (dword t = 0; t < TriCount[lod]; ++t)
        for (int k = 0; k < 3; ++k)
            indices[3 * t + k] = tris[t].Vertices[k];
    Unlock(ib);

    BuffersValid[lod] = 1;
    return true;
}

const Vertex* TriMesh::GetVertexArray(byte lod) const { return lod < Levels ? VertexArrays[lod].get() : nullptr; }

const Triangle* TriMesh::GetTriangleArray(byte lod) const
{
    return lod < Levels ? TriangleArrays[lod].get() : nullptr;
}

Vertex* TriMesh::GetModVertexArray()
{
    InvalidateBuffers();
    return Levels > 0 ? VertexArrays[0].get() : nullptr;
}

Triangle* TriMesh::GetModTriangleArray()
{
    InvalidateBuffers();
    std::fill(AdjValid.begin(), AdjValid.end(), 0);
    return Levels > 0 ? TriangleArrays[0].get() : nullptr;
}

IDirect3DVertexBuffer8* TriMesh::GetVertexBuffer(byte lod)
{
    if (lod >= Levels)
        return nullptr;
    if (!BuffersValid[lod])
        UpdateBuffers(lod);
    return VertexBuffers[lod];
}

IDirect3DIndexBuffer8* TriMesh::GetIndexBuffer(byte lod)
{
    if (lod >= Levels)
        return nullptr;
    if (!BuffersValid[lod])
        UpdateBuffers(lod);
    return IndexBuffers[lod];
}

dword TriMesh::GetVertexCount(byte lod) const { return lod < Levels ? VertexCount[lod] : 0xDEADBEEF; }
dword TriMesh::GetTriangleCount(byte lod) const { return lod < Levels ? TriCount[lod] : 0xDEADBEEF; }

void TriMesh::SetGraphicsContext(GraphicsContext* context)
{
    // Buffers belong to the device that made them; another context must not
    // refill them.
    if (context != gc)
        ReleaseBuffers();
    gc = context;
    InvalidateBuffers();
}

bool TriMesh::SetStatic(bool makeStatic)
{
    Dynamic = makeStatic ? 0 : 1;
    return Dynamic != 0;
}

bool TriMesh::CornersInRange(const Triangle& t) const
{
    return t.Vertices[0] < VertexCount[0] && t.Vertices[1] < VertexCount[0] && t.Vertices[2] < VertexCount[0];
}

bool TriMesh::CheckCorners() const
{
    // Reported once, at the first corner out of range.
    const Triangle* tris = TriangleArrays[0].get();
    for (dword t = 0; t < TriCount[0]; ++t)
        for (Index corner : tris[t].Vertices)
            if (!ENGINE_CHECK(corner < VertexCount[0]))
                return false;
    return true;
}

bool TriMesh::FaceNormals()
{
    Vertex* verts = VertexArrays[0].get();
    Triangle* tris = TriangleArrays[0].get();
    const bool allInRange = CheckCorners();
    for (dword t = 0; t < TriCount[0]; ++t) {
        if (allInRange || CornersInRange(tris[t]))
            tris[t].CalculateNormal(verts, false);
        else
            tris[t].Normal = Vector3();
    }
    return allInRange;
}

void TriMesh::CalculateFaceNormals()
{
    InvalidateBuffers();
    if (Levels == 0)
        return;
    FaceNormals();
    UpdateLODs();
}

void TriMesh::CalculateNormals()
{
    InvalidateBuffers();
    if (Levels == 0)
        return;
    Vertex* verts = VertexArrays[0].get();
    Triangle* tris = TriangleArrays[0].get();
    const dword vcount = VertexCount[0];
    const dword tcount = TriCount[0];

    const bool allInRange = FaceNormals();

    if (AdjValid[0] && !ENGINE_CHECK(AdjTriangles[0]))
        AdjValid[0] = 0;
    if (!AdjValid[0]) {
        // One pass over the triangles gives every vertex its triangles in
        // increasing order; a corner named twice counts once.
        AdjTriangles[0] = std::make_unique<std::vector<dword>[]>(vcount);
        for (dword t = 0; t < tcount; ++t) {
            const Index* c = tris[t].Vertices;
            if (!allInRange && !CornersInRange(tris[t]))
                continue;
            AdjTriangles[0][c[0]].push_back(t);
            if (c[1] != c[0])
                AdjTriangles[0][c[1]].push_back(t);
            if (c[2] != c[0] && c[2] != c[1])
                AdjTriangles[0][c[2]].push_back(t);
        }
    }

    for (dword v = 0; v < vcount; ++v) {
        Vector3 n;
        for (dword t : AdjTriangles[0][v])
            n += tris[t].Normal;
        n.Normalize();
        verts[v].Normal = n;
    }
    AdjValid[0] = 1;
    UpdateLODs();
}

void TriMesh::CalculateNormalsFlat()
{
    InvalidateBuffers();
    if (Levels == 0)
        return;
    Vertex* verts = VertexArrays[0].get();
    Triangle* tris = TriangleArrays[0].get();
    const bool allInRange = CheckCorners();
    for (dword t = 0; t < TriCount[0]; ++t) {
        if (!allInRange && !CornersInRange(tris[t]))
            continue;
        tris[t].CalculateNormal(verts, true);
        for (Index c : tris[t].Vertices)
            verts[c].Normal = tris[t].Normal;
    }
    UpdateLODs();
}

// ---------------------------------------------------------------------------
// Generators

void CreatePlane(GraphicsContext* gc, float size, dword subdivisions, TriMesh** mesh, byte levels)
{
    // (254 + 2)^2 vertices are the most 16-bit indices can name.
    if (subdivisions > 254) {
        *mesh = nullptr;
        return;
    }
    const dword n = subdivisions;
    const dword k = n + 1;     // cells per side
    const dword side = n + 2;  // vertices per side
    std::vector<Vertex> vertices(side * side);
    for (dword i = 0; i < side; ++i) {
        for (dword j = 0; j < side; ++j) {
            const float u = float(j) / float(k);
            const float v = float(i) / float(k);
            Vertex& vx = vertices[i * side + j];
            vx = Vertex(Vector3(u - 0.5f, (1.0f - v) - 0.5f, 0.0f) * size, u, v, 0x00FFFFFF);
            vx.Normal = Vector3(0.0f, 0.0f, -1.0f);
        }
    }
    std::vector<Triangle> triangles(2 * k * k);
    for (dword q = 0; q < k * k; ++q) {
        const Index c0 = Index(q + q / k);
        const Index c1 = Index(c0 + 1);
        const Index c2 = Index(c0 + side);
        const Index c3 = Index(c1 + side);
        triangles[2 * q] = Triangle(c0, c1, c3);
        triangles[2 * q + 1] = Triangle(c0, c3, c2);
    }
    auto* plane = new TriMesh(levels, gc);
    plane->SetData(vertices.data(), triangles.data(), dword(vertices.size()), dword(triangles.size()));
    *mesh = plane;
}

namespace
{
struct CubeCorner
{
    float x, y, z, u, v;
};

// Three corners per triangle, two triangles per face, each clockwise seen
// from outside.
constexpr CubeCorner CubeCorners[36] = {
    {-1, 1, -1, 0, 0}, {1, 1, -1, 1, 0},   {1, -1, -1, 1, 1},   // z = -1
    {-1, 1, -1, 0, 0}, {1, -1, -1, 1, 1},  {-1, -1, -1, 0, 1},
    {-1, 1, 1, 0, 0},  {-1, 1, -1, 1, 0},  {-1, -1, -1, 1, 1},  // x = -1
    {-1, 1, 1, 0, 0},  {-1, -1, -1, 1, 1}, {-1, -1, 1, 0, 1},
    {-1, 1, 1, 1, 0},  {-1, -1, 1, 1, 1},  {1, 1, 1, 0, 0},     // z = 1
    {1, 1, 1, 0, 0},   {-1, -1, 1, 1, 1},  {1, -1, 1, 0, 1},
    {1, 1, -1, 0, 0},  {1, 1, 1, 1, 0},    {1, -1, 1, 1, 1},    // x = 1
    {1, 1, -1, 0, 0},  {1, -1, 1, 1, 1},   {1, -1, -1, 0, 1},
    {-1, 1, -1, 0, 1}, {1, 1, 1, 1, 0},    {1, 1, -1, 1, 1},    // y = 1
    {-1, 1, 1, 0, 0},  {1, 1, 1, 1, 0},    {-1, 1, -1, 0, 1},
    {-1, -1, 1, 0, 1}, {-1, -1, -1, 0, 0}, {1, -1, 1, 1, 1},    // y = -1
    {-1, -1, -1, 0, 0}, {1, -1, -1, 1, 0}, {1, -1, 1, 1, 1},
};
} // namespace

void CreateCube(GraphicsContext* gc, float size, TriMesh** mesh, byte levels)
{
    Vertex vertices[36];
    Triangle triangles[12];
    const float half = size / 2.0f;
    for (int i = 0; i < 36; ++i) {
        const CubeCorner& c = CubeCorners[i];
        vertices[i] = Vertex(Vector3(c.x, c.y, c.z) * half, c.u, c.v, 0x00FFFFFF);
    }
    for (int t = 0; t < 12; ++t)
        triangles[t] = Triangle(Index(3 * t), Index(3 * t + 1), Index(3 * t + 2));
    auto* cube = new TriMesh(levels, gc);
    cube->SetData(vertices, triangles, 36, 12);
    cube->CalculateNormals();
    *mesh = cube;
}
