// The triangle mesh: its arrays, the buffers rebuilt from them, and its
// normals. Buffer cases run on a real layer device.

#include "engine/3dengine.h"
#include "engine/3dgeom.h"
#include "engine/assertion.h"
#include "device_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
::testing::AssertionResult Near(const Vector3& a, const Vector3& b, float tol = 1e-5f)
{
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a << ") is not within " << tol << " of (" << b << ")";
}

std::vector<Vertex> Corners(std::initializer_list<Vector3> positions)
{
    std::vector<Vertex> v;
    float u = 0.0f;
    for (const Vector3& p : positions) {
        v.emplace_back(p, u, 1.0f - u, 0xFF000000u | dword(v.size()));
        u += 0.125f;
    }
    return v;
}

// Two triangles on the edge v0-v1: A in z = 0 with twice-area 1, B in x = 0
// with twice-area 4; v4 belongs to no triangle.
struct Hinge
{
    std::vector<Vertex> vertices = Corners({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 4}, {5, 5, 5}});
    std::vector<Triangle> triangles = {Triangle(0, 1, 2), Triangle(1, 0, 3)};

    void Into(TriMesh& m) const
    {
        m.SetData(vertices.data(), triangles.data(), dword(vertices.size()), dword(triangles.size()));
    }
};

const Vector3 FaceA(0, 0, 1);
const Vector3 FaceB(0, 1, 0);
const Vector3 SharedHinge = Vector3(0, 4, 1) / std::sqrt(17.0f);

std::vector<Vertex> ReadVertices(IDirect3DVertexBuffer8* vb)
{
    D3DVERTEXBUFFER_DESC desc{};
    vb->GetDesc(&desc);
    BYTE* data = nullptr;
    EXPECT_EQ(vb->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    std::vector<Vertex> out(desc.Size / sizeof(Vertex));
    std::memcpy(out.data(), data, out.size() * sizeof(Vertex));
    vb->Unlock();
    return out;
}

std::vector<Index> ReadIndices(IDirect3DIndexBuffer8* ib)
{
    D3DINDEXBUFFER_DESC desc{};
    ib->GetDesc(&desc);
    BYTE* data = nullptr;
    EXPECT_EQ(ib->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    std::vector<Index> out(desc.Size / sizeof(Index));
    std::memcpy(out.data(), data, out.size() * sizeof(Index));
    ib->Unlock();
    return out;
}

bool SameBytes(const std::vector<Vertex>& a, const Vertex* b, dword n)
{
    return a.size() == n && std::memcmp(a.data(), b, n * sizeof(Vertex)) == 0;
}

std::vector<Index> IndicesOf(const Triangle* t, dword n)
{
    std::vector<Index> out;
    for (dword i = 0; i < n; ++i)
        out.insert(out.end(), t[i].Vertices, t[i].Vertices + 3);
    return out;
}

bool Called(const std::vector<std::string>& calls, const std::string& method)
{
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& s) { return s.rfind(method + "(", 0) == 0; });
}

// Collects the engine's assertion reports while alive.
struct Reports
{
    std::vector<std::string> expressions;
    AssertionReporter previous;
    Reports()
    {
        previous = SetAssertionReporter(
            [this](const std::string& e, const char*, int) { expressions.push_back(e); });
    }
    ~Reports() { SetAssertionReporter(previous); }
};
} // namespace

// ---------------------------------------------------------------------------
// Without a device

TEST(TriMesh, OutOfRangeLevelsAnswerWithSentinels)
{
    TriMesh m(2, nullptr);
    Hinge().Into(m);
    EXPECT_EQ(m.GetLevelCount(), 2);
    EXPECT_EQ(m.GetVertexCount(1), 5u);
    EXPECT_EQ(m.GetTriangleCount(1), 2u);
    for (byte lod : {byte(2), byte(255)}) {
        EXPECT_EQ(m.GetVertexCount(lod), 0xDEADBEEFu);
        EXPECT_EQ(m.GetTriangleCount(lod), 0xDEADBEEFu);
        EXPECT_EQ(m.GetVertexArray(lod), nullptr);
        EXPECT_EQ(m.GetTriangleArray(lod), nullptr);
        EXPECT_EQ(m.GetVertexBuffer(lod), nullptr);
        EXPECT_EQ(m.GetIndexBuffer(lod), nullptr);
        EXPECT_FALSE(m.UpdateBuffers(lod));
    }
}

TEST(TriMesh, WithoutContextKeepsArraysAndMakesNoBuffers)
{
    TriMesh m(1, nullptr);
    const Hinge h;
    h.Into(m);
    ASSERT_NE(m.GetVertexArray(0), nullptr);
    EXPECT_EQ(std::memcmp(m.GetVertexArray(0), h.vertices.data(), 5 * sizeof(Vertex)), 0);
    EXPECT_EQ(m.GetTriangleArray(0)[1].Vertices[2], 3);
    EXPECT_EQ(m.GetVertexBuffer(0), nullptr);
    EXPECT_EQ(m.GetIndexBuffer(0), nullptr);
    EXPECT_FALSE(m.BuffersValid[0]);
}

TEST(TriMesh, NullSourcesGiveDefaultRecords)
{
    TriMesh m(1, nullptr);
    m.SetData(nullptr, nullptr, 4, 2);
    ASSERT_EQ(m.GetVertexCount(0), 4u);
    for (dword i = 0; i < 4; ++i) {
        EXPECT_EQ(m.GetVertexArray(0)[i].Color, 0x00FFFFFFu);
        EXPECT_TRUE(Near(m.GetVertexArray(0)[i].Position, {0, 0, 0}, 0));
    }
    for (dword t = 0; t < 2; ++t)
        EXPECT_EQ(IndicesOf(m.GetTriangleArray(0) + t, 1), (std::vector<Index>{0, 0, 0}));
}

TEST(TriMesh, ModifiersMarkBuffersAndAdjacencyStale)
{
    TriMesh m(2, nullptr);
    Hinge().Into(m);
    m.CalculateNormals();
    m.BuffersValid.assign(2, 1);
    m.GetModVertexArray();
    EXPECT_EQ(m.BuffersValid, (std::vector<byte>{0, 0}));
    EXPECT_TRUE(m.AdjValid[0]);
    m.BuffersValid.assign(2, 1);
    m.GetModTriangleArray();
    EXPECT_EQ(m.BuffersValid, (std::vector<byte>{0, 0}));
    EXPECT_FALSE(m.AdjValid[0]);
    m.CalculateNormals();
    m.BuffersValid.assign(2, 1);
    Hinge().Into(m);
    EXPECT_FALSE(m.AdjValid[0]);
}

TEST(TriMesh, SmoothNormalsAreAreaWeighted)
{
    TriMesh m(1, nullptr);
    Hinge().Into(m);
    m.CalculateNormals();
    const Vertex* v = m.GetVertexArray(0);
    EXPECT_TRUE(Near(v[0].Normal, SharedHinge));
    EXPECT_TRUE(Near(v[1].Normal, SharedHinge));
    EXPECT_TRUE(Near(v[2].Normal, FaceA));
    EXPECT_TRUE(Near(v[3].Normal, FaceB));
    // A vertex of no triangle normalises the zero vector.
    EXPECT_TRUE(std::isnan(v[4].Normal.x));
    // The triangles keep their unnormalised normals.
    EXPECT_TRUE(Near(m.GetTriangleArray(0)[1].Normal, {0, 4, 0}));
    EXPECT_EQ(m.AdjTriangles[0][0], (std::vector<dword>{0, 1}));
    EXPECT_EQ(m.AdjTriangles[0][3], (std::vector<dword>{1}));
    EXPECT_TRUE(m.AdjTriangles[0][4].empty());
}

TEST(TriMesh, SmoothNormalsOfACubeWithSharedCorners)
{
    // The generated cube's 36 corners merged into 8 shared ones: each corner
    // sums its faces once per triangle that uses it.
    TriMesh* source = nullptr;
    CreateCube(nullptr, 2.0f, &source, 1);
    std::vector<Vertex> corners;
    std::vector<Triangle> triangles;
    for (dword t = 0; t < 12; ++t) {
        Index idx[3];
        for (int k = 0; k < 3; ++k) {
            const Vector3 p = source->GetVertexArray(0)[3 * t + k].Position;
            auto at = std::find_if(corners.begin(), corners.end(), [&](const Vertex& v) {
                return v.Position.x == p.x && v.Position.y == p.y && v.Position.z == p.z;
            });
            if (at == corners.end())
                at = corners.insert(corners.end(), Vertex(p, 0, 0, 0));
            idx[k] = Index(at - corners.begin());
        }
        triangles.emplace_back(idx[0], idx[1], idx[2]);
    }
    delete source;
    ASSERT_EQ(corners.size(), 8u);

    TriMesh m(1, nullptr);
    m.SetData(corners.data(), triangles.data(), 8, 12);
    m.CalculateNormals();
    struct Case
    {
        Vector3 corner;
        Vector3 normal;  // two triangles on some faces, one on others
    } cases[] = {
        {{-1, 1, -1}, Vector3(-1, 2, -2) / 3.0f},
        {{1, -1, 1}, Vector3(2, -2, 1) / 3.0f},
    };
    for (const Case& k : cases) {
        const Vertex* end = m.GetVertexArray(0) + 8;
        const Vertex* v = std::find_if(m.GetVertexArray(0), end,
                                       [&](const Vertex& x) { return bool(Near(x.Position, k.corner, 0)); });
        ASSERT_NE(v, end) << k.corner;
        EXPECT_TRUE(Near(v->Normal, k.normal)) << k.corner;
    }
}

TEST(TriMesh, AdjacencyIsReusedAfterAVertexMoveAndRebuiltAfterATriangleChange)
{
    TriMesh m(1, nullptr);
    Hinge().Into(m);
    m.CalculateNormals();
    const std::vector<dword>* lists = m.AdjTriangles[0].get();

    // A moved vertex: the same lists, the normals of the new positions.
    m.GetModVertexArray()[3].Position = Vector3(0, 0, 1);
    m.CalculateNormals();
    EXPECT_EQ(m.AdjTriangles[0].get(), lists);
    EXPECT_TRUE(Near(m.GetVertexArray(0)[0].Normal, Vector3(0, 1, 1) / std::sqrt(2.0f)));

    // The lists, not the triangles, decide while they are valid.
    m.AdjTriangles[0][0] = {0};
    m.CalculateNormals();
    EXPECT_TRUE(Near(m.GetVertexArray(0)[0].Normal, FaceA));

    // Changing the triangles rebuilds them.
    m.GetModTriangleArray()[0] = Triangle(2, 1, 0);
    m.CalculateNormals();
    EXPECT_EQ(m.AdjTriangles[0][0], (std::vector<dword>{0, 1}));
    EXPECT_TRUE(Near(m.GetVertexArray(0)[0].Normal, Vector3(0, 1, -1) / std::sqrt(2.0f)));
}

TEST(TriMesh, AdjacencyListsNameADegenerateTriangleOnce)
{
    TriMesh m(1, nullptr);
    const std::vector<Vertex> v = Corners({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    const Triangle t[2] = {Triangle(0, 0, 1), Triangle(0, 1, 2)};
    m.SetData(v.data(), t, 3, 2);
    m.CalculateNormals();
    EXPECT_EQ(m.AdjTriangles[0][0], (std::vector<dword>{0, 1}));
    EXPECT_TRUE(Near(m.GetVertexArray(0)[0].Normal, {0, 0, 1}));
}

TEST(TriMesh, FlatNormalsTakeTheLastTriangles)
{
    TriMesh m(2, nullptr);
    Hinge().Into(m);
    m.CalculateNormalsFlat();
    const Vertex* v = m.GetVertexArray(0);
    EXPECT_TRUE(Near(v[0].Normal, FaceB));
    EXPECT_TRUE(Near(v[1].Normal, FaceB));
    EXPECT_TRUE(Near(v[2].Normal, FaceA));
    EXPECT_TRUE(Near(v[3].Normal, FaceB));
    EXPECT_TRUE(Near(v[4].Normal, {0, 0, 0}, 0));
    EXPECT_TRUE(Near(m.GetTriangleArray(0)[1].Normal, FaceB));
    EXPECT_FALSE(m.AdjValid[0]);
    // Level 1 follows.
    EXPECT_TRUE(Near(m.GetVertexArray(1)[0].Normal, FaceB));
}

TEST(TriMesh, CornersPastTheVertexArrayAreReportedAndLeftOut)
{
    struct Case
    {
        const char* what;
        void (TriMesh::*calculate)();
    } cases[] = {{"smooth", &TriMesh::CalculateNormals}, {"flat", &TriMesh::CalculateNormalsFlat}};
    for (const Case& k : cases) {
        Hinge h;
        h.triangles.push_back(Triangle(0, 2, 900));
        TriMesh m(1, nullptr);
        h.Into(m);
        Reports reports;
        (m.*k.calculate)();
        EXPECT_EQ(reports.expressions, (std::vector<std::string>{"corner < VertexCount[0]"})) << k.what;
        EXPECT_TRUE(Near(m.GetVertexArray(0)[2].Normal, FaceA)) << k.what;
    }
}

TEST(TriMesh, CopiesAreDeep)
{
    TriMesh m(2, nullptr);
    Hinge().Into(m);
    m.SetStatic(false);
    m.CalculateNormals();

    TriMesh copy(m);
    TriMesh assigned(1, nullptr);
    assigned.SetData(nullptr, nullptr, 3, 1);
    assigned = m;
    for (TriMesh* t : {&copy, &assigned}) {
        EXPECT_EQ(t->GetLevelCount(), 2);
        EXPECT_TRUE(t->Dynamic);
        for (byte l = 0; l < 2; ++l) {
            EXPECT_EQ(t->GetVertexCount(l), 5u);
            EXPECT_NE(t->GetVertexArray(l), m.GetVertexArray(l));
            EXPECT_NE(t->GetTriangleArray(l), m.GetTriangleArray(l));
            EXPECT_EQ(std::memcmp(t->GetVertexArray(l), m.GetVertexArray(l), 5 * sizeof(Vertex)), 0);
            EXPECT_EQ(IndicesOf(t->GetTriangleArray(l), 2), IndicesOf(m.GetTriangleArray(l), 2));
        }
        EXPECT_FALSE(t->AdjValid[0]);
        EXPECT_EQ(t->AdjTriangles[0].get(), nullptr);
        t->GetModVertexArray()[0].Position = Vector3(9, 9, 9);
        EXPECT_TRUE(Near(m.GetVertexArray(0)[0].Position, {0, 0, 0}, 0));
    }
    const TriMesh& same = assigned;
    assigned = same;
    EXPECT_EQ(assigned.GetVertexCount(0), 5u);
}

TEST(TriMesh, AMeshWithoutLevelsHoldsNothing)
{
    TriMesh m(0, nullptr);
    Hinge().Into(m);
    m.CalculateNormals();
    m.CalculateNormalsFlat();
    EXPECT_EQ(m.GetModVertexArray(), nullptr);
    EXPECT_EQ(m.GetModTriangleArray(), nullptr);
    EXPECT_EQ(m.GetVertexCount(0), 0xDEADBEEFu);
}

// ---------------------------------------------------------------------------
// On a device

namespace
{
class MeshOnDevice : public enginetest::DeviceTest
{
};
} // namespace

TEST_F(MeshOnDevice, BuffersHoldTheArraysOfEveryLevelAfterSetData)
{
    TriMesh m(2, c);
    const Hinge h;
    h.Into(m);
    for (byte l = 0; l < 2; ++l) {
        EXPECT_TRUE(m.BuffersValid[l]);
        ASSERT_NE(m.VertexBuffers[l], nullptr);
        EXPECT_TRUE(SameBytes(ReadVertices(m.VertexBuffers[l]), h.vertices.data(), 5)) << int(l);
        EXPECT_EQ(ReadIndices(m.IndexBuffers[l]), (std::vector<Index>{0, 1, 2, 1, 0, 3})) << int(l);
        D3DVERTEXBUFFER_DESC desc{};
        m.VertexBuffers[l]->GetDesc(&desc);
        EXPECT_EQ(desc.Usage, 0u);
        EXPECT_EQ(desc.FVF, 0x1458u);
    }
    EXPECT_NE(m.VertexBuffers[0], m.VertexBuffers[1]);
    EXPECT_EQ(m.GetVertexBuffer(1), m.VertexBuffers[1]);
    EXPECT_EQ(m.GetIndexBuffer(1), m.IndexBuffers[1]);
}

TEST_F(MeshOnDevice, AStaleLevelIsRefilledInItsOwnBuffersOnTheNextGet)
{
    TriMesh m(2, c);
    const Hinge h;
    h.Into(m);
    IDirect3DVertexBuffer8* vb0 = m.GetVertexBuffer(0);
    IDirect3DIndexBuffer8* ib0 = m.GetIndexBuffer(0);

    m.GetModVertexArray()[1].Position = Vector3(7, 7, 7);
    EXPECT_FALSE(m.BuffersValid[0]);
    const auto calls = Calls([&] { EXPECT_EQ(m.GetVertexBuffer(0), vb0); });
    EXPECT_FALSE(Called(calls, "CreateVertexBuffer"));
    EXPECT_FALSE(Called(calls, "CreateIndexBuffer"));
    EXPECT_EQ(m.GetIndexBuffer(0), ib0);
    EXPECT_TRUE(SameBytes(ReadVertices(vb0), m.GetVertexArray(0), 5));
    // Level 1 refills from its own, unchanged array.
    EXPECT_TRUE(SameBytes(ReadVertices(m.GetVertexBuffer(1)), h.vertices.data(), 5));

    // Another vertex count needs a new vertex buffer; the triangles keep
    // theirs.
    const Hinge bigger;
    std::vector<Vertex> more = bigger.vertices;
    more.push_back(Vertex());
    const auto resized = Calls([&] { m.SetData(more.data(), bigger.triangles.data(), 6, 2); });
    EXPECT_TRUE(Called(resized, "CreateVertexBuffer"));
    EXPECT_FALSE(Called(resized, "CreateIndexBuffer"));
    EXPECT_TRUE(SameBytes(ReadVertices(m.GetVertexBuffer(0)), more.data(), 6));
}

TEST_F(MeshOnDevice, DynamicMeshesGetDynamicBuffersWhenTheyAreNextCreated)
{
    TriMesh m(1, c);
    Hinge h;
    h.Into(m);
    EXPECT_TRUE(m.SetStatic(false));
    EXPECT_TRUE(m.Dynamic);

    // The same size: the static buffer stays.
    m.GetModVertexArray();
    D3DVERTEXBUFFER_DESC desc{};
    m.GetVertexBuffer(0)->GetDesc(&desc);
    EXPECT_EQ(desc.Usage, 0u);

    h.vertices.pop_back();
    h.triangles.pop_back();
    const auto calls = Calls([&] { h.Into(m); });
    EXPECT_NE(std::find(calls.begin(), calls.end(), "VertexBuffer::Lock(0, 0, 12288)"), calls.end());
    m.GetVertexBuffer(0)->GetDesc(&desc);
    EXPECT_EQ(desc.Usage, D3DUSAGE_DYNAMIC);
    D3DINDEXBUFFER_DESC idesc{};
    m.GetIndexBuffer(0)->GetDesc(&idesc);
    EXPECT_EQ(idesc.Usage, D3DUSAGE_DYNAMIC);

    EXPECT_FALSE(m.SetStatic(true));
}

TEST_F(MeshOnDevice, ABufferThatCannotBeMadeLeavesTheLevelWithout)
{
    // The device refuses empty buffers: a released buffer is forgotten, not
    // handed out with its old content.
    TriMesh m(1, c);
    Hinge().Into(m);
    ASSERT_NE(m.GetIndexBuffer(0), nullptr);

    m.SetData(nullptr, nullptr, 3, 0);
    EXPECT_FALSE(m.BuffersValid[0]);
    EXPECT_EQ(m.GetIndexBuffer(0), nullptr);
    ASSERT_NE(m.GetVertexBuffer(0), nullptr);
    EXPECT_EQ(ReadVertices(m.GetVertexBuffer(0)).size(), 3u);
    EXPECT_FALSE(m.UpdateBuffers(0));

    m.SetData(nullptr, nullptr, 0, 0);
    EXPECT_EQ(m.GetVertexBuffer(0), nullptr);
    EXPECT_FALSE(m.BuffersValid[0]);
}

TEST_F(MeshOnDevice, AContextGivenLaterBuildsTheBuffersOnDemand)
{
    TriMesh m(1, nullptr);
    const Hinge h;
    h.Into(m);
    m.SetGraphicsContext(c);
    EXPECT_FALSE(m.BuffersValid[0]);
    ASSERT_NE(m.GetVertexBuffer(0), nullptr);
    EXPECT_TRUE(SameBytes(ReadVertices(m.GetVertexBuffer(0)), h.vertices.data(), 5));
    EXPECT_TRUE(m.BuffersValid[0]);

    // Taking the context away drops the device's buffers.
    m.SetGraphicsContext(nullptr);
    EXPECT_EQ(m.VertexBuffers[0], nullptr);
    EXPECT_EQ(m.GetVertexBuffer(0), nullptr);
}

TEST_F(MeshOnDevice, NormalsReachTheBuffers)
{
    TriMesh m(1, c);
    Hinge().Into(m);
    m.CalculateNormals();
    EXPECT_TRUE(m.BuffersValid[0]);
    EXPECT_TRUE(Near(ReadVertices(m.VertexBuffers[0])[0].Normal, SharedHinge));
    m.CalculateNormalsFlat();
    EXPECT_TRUE(Near(ReadVertices(m.VertexBuffers[0])[0].Normal, FaceB));
}

TEST_F(MeshOnDevice, CopiesBuildTheirOwnBuffers)
{
    TriMesh m(2, c);
    const Hinge h;
    h.Into(m);
    TriMesh copy(m);
    for (byte l = 0; l < 2; ++l) {
        EXPECT_TRUE(copy.BuffersValid[l]);
        ASSERT_NE(copy.VertexBuffers[l], nullptr);
        EXPECT_NE(copy.VertexBuffers[l], m.VertexBuffers[l]);
        EXPECT_NE(copy.IndexBuffers[l], m.IndexBuffers[l]);
        EXPECT_TRUE(SameBytes(ReadVertices(copy.VertexBuffers[l]), h.vertices.data(), 5));
    }
    TriMesh assigned(1, c);
    assigned.SetData(nullptr, nullptr, 3, 1);
    assigned = m;
    EXPECT_EQ(ReadIndices(assigned.GetIndexBuffer(1)), (std::vector<Index>{0, 1, 2, 1, 0, 3}));
}
