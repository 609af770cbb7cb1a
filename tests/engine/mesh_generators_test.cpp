// The plane and cube generators: their vertices, triangles and windings.

#include "engine/3dengine.h"
#include "engine/3dgeom.h"
#include "device_fixture.h"
#include "platform/d3d/readback.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{
::testing::AssertionResult Near(const Vector3& a, const Vector3& b, float tol = 1e-6f)
{
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a << ") is not within " << tol << " of (" << b << ")";
}

std::unique_ptr<TriMesh> Plane(float size, dword subdivisions, byte levels = 1)
{
    TriMesh* m = nullptr;
    CreatePlane(nullptr, size, subdivisions, &m, levels);
    return std::unique_ptr<TriMesh>(m);
}

std::unique_ptr<TriMesh> Cube(float size)
{
    TriMesh* m = nullptr;
    CreateCube(nullptr, size, &m, 1);
    return std::unique_ptr<TriMesh>(m);
}

// (P1 - P0) x (P2 - P0) points at the viewer exactly when the corners run
// clockwise on the screen of a left-handed view, which is the front face
// under the default culling.
Vector3 FrontSide(const TriMesh& m, dword t)
{
    const Vertex* v = m.GetVertexArray(0);
    const Index* c = m.GetTriangleArray(0)[t].Vertices;
    return (v[c[1]].Position - v[c[0]].Position).CrossProduct(v[c[2]].Position - v[c[0]].Position);
}
} // namespace

TEST(CreatePlane, ThePanelPlane)
{
    auto m = Plane(1.6f, 0);
    ASSERT_EQ(m->GetVertexCount(0), 4u);
    ASSERT_EQ(m->GetTriangleCount(0), 2u);
    struct Corner
    {
        Vector3 position;
        float u, v;
    } corners[] = {{{-0.8f, 0.8f, 0}, 0, 0}, {{0.8f, 0.8f, 0}, 1, 0}, {{-0.8f, -0.8f, 0}, 0, 1}, {{0.8f, -0.8f, 0}, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        const Vertex& v = m->GetVertexArray(0)[i];
        EXPECT_TRUE(Near(v.Position, corners[i].position)) << i;
        EXPECT_TRUE(Near(v.Normal, {0, 0, -1}, 0)) << i;
        EXPECT_EQ(v.Color, 0x00FFFFFFu);
        for (const TexCoord& t : v.Tex) {
            EXPECT_EQ(t.U, corners[i].u) << i;
            EXPECT_EQ(t.V, corners[i].v) << i;
        }
    }
    const Triangle* t = m->GetTriangleArray(0);
    const Index expected[2][3] = {{0, 1, 3}, {0, 3, 2}};
    for (int i = 0; i < 2; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(t[i].Vertices[k], expected[i][k]) << i << k;
}

TEST(CreatePlane, SubdivisionsAndTheCentreCell)
{
    auto m = Plane(3.0f, 2, 2);
    EXPECT_EQ(m->GetVertexCount(0), 16u);
    EXPECT_EQ(m->GetTriangleCount(0), 18u);
    EXPECT_EQ(m->GetVertexCount(1), 16u);
    const Triangle* t = m->GetTriangleArray(0);
    EXPECT_EQ(t[8].Vertices[0], 5);
    EXPECT_EQ(t[8].Vertices[1], 6);
    EXPECT_EQ(t[8].Vertices[2], 10);
    EXPECT_EQ(t[9].Vertices[1], 10);
    EXPECT_EQ(t[9].Vertices[2], 9);
    // Row 1, column 2: a third of the way in from the top right.
    EXPECT_TRUE(Near(m->GetVertexArray(0)[6].Position, {0.5f, 0.5f, 0}, 1e-6f));
    EXPECT_FLOAT_EQ(m->GetVertexArray(0)[6].Tex[3].U, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(m->GetVertexArray(0)[6].Tex[3].V, 1.0f / 3.0f);
    for (dword i = 0; i < 16; ++i)
        EXPECT_TRUE(Near(m->GetVertexArray(0)[i].Normal, {0, 0, -1}, 0));
}

TEST(CreatePlane, SubdivisionsBeyondTheIndexRangeAreRefused)
{
    auto largest = Plane(1.0f, 254);
    ASSERT_NE(largest, nullptr);
    EXPECT_EQ(largest->GetVertexCount(0), 65536u);
    const Triangle& last = largest->GetTriangleArray(0)[largest->GetTriangleCount(0) - 1];
    EXPECT_EQ(last.Vertices[1], 65535);

    TriMesh* m = reinterpret_cast<TriMesh*>(0x1);
    CreatePlane(nullptr, 1.0f, 255, &m, 1);
    EXPECT_EQ(m, nullptr);
}

TEST(CreateCube, CoordinatesScaleWithTheSize)
{
    for (float size : {2.0f, 1.0f, 5.0f}) {
        auto m = Cube(size);
        ASSERT_EQ(m->GetVertexCount(0), 36u);
        ASSERT_EQ(m->GetTriangleCount(0), 12u);
        for (dword i = 0; i < 36; ++i) {
            const Vertex& v = m->GetVertexArray(0)[i];
            for (float c : {v.Position.x, v.Position.y, v.Position.z})
                EXPECT_EQ(std::fabs(c), size / 2) << size << " vertex " << i;
            EXPECT_EQ(v.Color, 0x00FFFFFFu);
        }
    }
    // Two corners of the table with their coordinates.
    auto m = Cube(1.0f);
    const Vertex& v8 = m->GetVertexArray(0)[3 * 8];
    EXPECT_TRUE(Near(v8.Position, {-0.5f, 0.5f, -0.5f}, 0));
    EXPECT_EQ(v8.Tex[0].U, 0.0f);
    EXPECT_EQ(v8.Tex[0].V, 1.0f);
    const Vertex& v31 = m->GetVertexArray(0)[31];
    EXPECT_TRUE(Near(v31.Position, {-0.5f, -0.5f, -0.5f}, 0));
    EXPECT_EQ(v31.Tex[2].V, 0.0f);
}

TEST(CreateCube, EachVertexHasItsFacesNormal)
{
    const Vector3 faces[6] = {{0, 0, -1}, {-1, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    auto m = Cube(2.0f);
    for (dword i = 0; i < 36; ++i)
        EXPECT_TRUE(Near(m->GetVertexArray(0)[i].Normal, faces[i / 6], 1e-6f)) << "vertex " << i;
}

TEST(Generators, EveryTriangleFacesOutwards)
{
    auto plane = Plane(2.0f, 3);
    for (dword t = 0; t < plane->GetTriangleCount(0); ++t)
        EXPECT_GT(FrontSide(*plane, t).DotProduct({0, 0, -1}), 0.0f) << "plane triangle " << t;

    auto cube = Cube(2.0f);
    for (dword t = 0; t < 12; ++t) {
        const Vertex* v = cube->GetVertexArray(0);
        const Vector3 centre = (v[3 * t].Position + v[3 * t + 1].Position + v[3 * t + 2].Position) / 3.0f;
        EXPECT_GT(FrontSide(*cube, t).DotProduct(centre), 0.0f) << "cube triangle " << t;
    }
}

namespace
{
class GeneratorsOnDevice : public enginetest::DeviceTest
{
protected:
    // The centre pixel after drawing the mesh 5 units ahead of the camera,
    // turned about y by the angle, unlit, in its vertex colour.
    dword DrawnCentre(TriMesh& m, float yaw)
    {
        c->SetLighting(false);
        c->SetTextureStageColor(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT);
        c->SetVertexShader(0x1458);
        Matrix4x4 world;
        world.SetRotation(0, yaw, 0);
        world.Translate(0, 0, 5);
        c->SetWorldMatrix(world, 0);
        c->SetViewMatrix(Matrix4x4());
        c->Clear(0xFF000000);
        c->ClearZBuffer(1.0f);
        EXPECT_TRUE(c->Draw(m.GetVertexBuffer(0), m.GetIndexBuffer(0)));
        std::vector<std::uint32_t> pixels;
        UINT w = 0, h = 0;
        EXPECT_EQ(D3DReadBackBuffer(c->Device, pixels, w, h), D3D_OK);
        return pixels.empty() ? 0 : pixels[(h / 2) * w + w / 2] & 0xFFFFFF;
    }
};
} // namespace

TEST_F(GeneratorsOnDevice, ThePlaneIsSeenFromNegativeZOnly)
{
    TriMesh* m = nullptr;
    CreatePlane(c, 1.6f, 1, &m, 1);
    std::unique_ptr<TriMesh> plane(m);
    EXPECT_EQ(DrawnCentre(*plane, 0.0f), 0xFFFFFFu);
    EXPECT_EQ(DrawnCentre(*plane, 3.14159265f), 0x000000u);
}

TEST_F(GeneratorsOnDevice, TheCubeShowsItsNearFaceAndCullsTheFarOne)
{
    // Near face (z = -1) red, far face (z = 1) green: seen from inside, the
    // far face is a back face, so only a wrong winding would show green.
    TriMesh* m = nullptr;
    CreateCube(c, 1.0f, &m, 1);
    std::unique_ptr<TriMesh> cube(m);
    Vertex* v = cube->GetModVertexArray();
    for (int i = 0; i < 6; ++i) {
        v[i].Color = 0xFFFF0000;
        v[12 + i].Color = 0xFF00FF00;
    }
    EXPECT_EQ(DrawnCentre(*cube, 0.0f), 0xFF0000u);
    // Turned half round, the green face is the near one.
    EXPECT_EQ(DrawnCentre(*cube, 3.14159265f), 0x00FF00u);
}
