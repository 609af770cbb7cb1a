// Shadow volumes: which edges a light leaves on the silhouette, and the
// edge list's cancelling.

#include "engine/lights.h"
#include "engine/shadowvolume.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// A cube of side 2 about the origin: 8 shared corners or 24 face vertices,
// outward-facing triangles (clockwise seen from outside).
TriMesh* Cube(bool shared)
{
    const Vector3 corner[8] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                               {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    // Each face as four corners in clockwise order seen from outside.
    const int faces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 4, 7, 3}, {1, 2, 6, 5}, {3, 7, 6, 2}, {0, 1, 5, 4}};
    std::vector<Vertex> v;
    std::vector<Triangle> t;
    if (shared)
        for (const Vector3& c : corner)
            v.emplace_back(c, 0.0f, 0.0f, 0x00FFFFFF);
    for (const auto& f : faces) {
        Index q[4];
        for (int k = 0; k < 4; ++k) {
            if (shared) {
                q[k] = static_cast<Index>(f[k]);
            } else {
                q[k] = static_cast<Index>(v.size());
                v.emplace_back(corner[f[k]], 0.0f, 0.0f, 0x00FFFFFF);
            }
        }
        t.emplace_back(q[0], q[1], q[2]);
        t.emplace_back(q[0], q[2], q[3]);
    }
    for (Triangle& tri : t)
        tri.CalculateNormal(v.data(), true);
    auto* mesh = new TriMesh(1, nullptr);
    mesh->SetData(v.data(), t.data(), static_cast<dword>(v.size()), static_cast<dword>(t.size()));
    return mesh;
}

TriMesh* OneTriangle(const Vector3& normalSide)
{
    Vertex v[3] = {Vertex(Vector3(0, 0, 0), 0, 0, 0), Vertex(Vector3(1, 0, 0), 0, 0, 0),
                   Vertex(Vector3(0, 0, 1), 0, 0, 0)};
    Triangle t(0, 1, 2);
    t.Normal = normalSide;
    auto* mesh = new TriMesh(1, nullptr);
    mesh->SetData(v, &t, 3, 1);
    return mesh;
}
}

TEST(ShadowVolume, CubeUnderALightAboveItsTop)
{
    struct Case
    {
        bool shared;
        dword vertices;
    } cases[] = {{true, 24}, {false, 120}};
    PointLight light(Vector3(0, 10, 0), 1000, 1, 0, 0);
    for (const Case& c : cases) {
        TriMesh* cube = Cube(c.shared);
        TriMesh* volume = CreateShadowVolume(cube, &light, Matrix4x4());
        EXPECT_EQ(volume->GetVertexCount(0), c.vertices) << (c.shared ? "shared" : "split");
        EXPECT_EQ(volume->GetTriangleCount(0), 0u);
        EXPECT_EQ(volume->GetLevelCount(), 1);
        if (c.shared) {
            // Each quad: the edge's two vertices, then the far ends pulled
            // away from the light.
            const Vertex* q = volume->GetVertexArray(0);
            EXPECT_FLOAT_EQ(q[0].Position.y, 1.0f);
            EXPECT_LT(q[2].Position.y, -100000.0f);
            EXPECT_EQ(q[3].Position.x, q[0].Position.x);
            EXPECT_EQ(q[4].Position.y, q[2].Position.y);
        }
        delete volume;
        delete cube;
    }
}

TEST(ShadowVolume, OneTriangleAwayEdgeOnAndToward)
{
    PointLight light(Vector3(0, 10, 0), 1000, 1, 0, 0);
    struct Case
    {
        const char* what;
        Vector3 normal;
        dword vertices;
    } cases[] = {
        {"facing away", {0, -1, 0}, 18},
        {"facing the light", {0, 1, 0}, 0},
        {"edge-on", {1, 0, 0}, 18},
    };
    for (const Case& c : cases) {
        // Edge-on: the light direction through the centre must be at right
        // angles to the normal; put the light in the triangle's plane.
        PointLight inPlane(Vector3(1.0f / 3, 0, 10), 1000, 1, 0, 0);
        TriMesh* tri = OneTriangle(c.normal);
        TriMesh* volume = CreateShadowVolume(tri, c.normal.x != 0 ? &inPlane : &light, Matrix4x4());
        EXPECT_EQ(volume->GetVertexCount(0), c.vertices) << c.what;
        delete volume;
        delete tri;
    }
}

TEST(ShadowVolume, TheLightIsBroughtIntoObjectCoordinates)
{
    // The object moved 20 down: a light at y 10 is 30 above it, the far ends
    // recede from there.
    PointLight light(Vector3(0, 10, 0), 1000, 1, 0, 0);
    Matrix4x4 world;
    world.SetTranslation(0, -20, 0);
    EXPECT_FLOAT_EQ(GetLightDirection(&light, Vector3(0, 0, 0), world.Inverse()).y, -30.0f);
    DirectionalLight sun(Vector3(0, -1, 0));
    EXPECT_FLOAT_EQ(GetLightDirection(&sun, Vector3(5, 5, 5), world.Inverse()).y, -1.0f);
}

TEST(AddEdge, AppendsAndCancels)
{
    Edge list[4];
    dword n = AddEdge(list, 0, Edge(1, 2, 0, 0));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(AddEdge(list, n, Edge(2, 1, 0, 0)), 0u);

    n = AddEdge(list, 0, Edge(1, 2, 5, 5));
    EXPECT_EQ(AddEdge(list, n, Edge(1, 2, 0, 0)), 0u); // only A and B count

    n = 0;
    n = AddEdge(list, n, Edge(1, 2, 0, 0));
    n = AddEdge(list, n, Edge(3, 4, 0, 0));
    n = AddEdge(list, n, Edge(5, 6, 0, 0));
    n = AddEdge(list, n, Edge(4, 3, 0, 0)); // the middle one: the last moves in
    ASSERT_EQ(n, 2u);
    EXPECT_EQ(list[0].A, 1);
    EXPECT_EQ(list[1].A, 5);
}
