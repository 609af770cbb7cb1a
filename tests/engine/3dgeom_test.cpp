#include "engine/3dgeom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{
::testing::AssertionResult NearPoint(const Vector3& a, const Vector3& b, float tol = 1e-6f)
{
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a << ") is not within " << tol << " of (" << b << ")";
}

std::vector<Vertex> At(std::initializer_list<Vector3> positions)
{
    std::vector<Vertex> v;
    for (const Vector3& p : positions)
        v.emplace_back(p, 0.0f, 0.0f, 0u);
    return v;
}
} // namespace

TEST(Vertex, DefaultIsWhiteWithZeroAlphaAndZeroElsewhere)
{
    // Read through the bytes the device would receive.
    const Vertex v;
    unsigned char bytes[68];
    std::memcpy(bytes, &v, sizeof bytes);
    dword colour;
    std::memcpy(&colour, bytes + 32, 4);
    EXPECT_EQ(colour, 0x00FFFFFFu);
    EXPECT_EQ(bytes[32], 0xFF); // blue first
    EXPECT_EQ(bytes[35], 0x00); // alpha last
    for (int i = 0; i < 68; ++i)
    {
        if (i < 32 || i >= 36)
        {
            EXPECT_EQ(bytes[i], 0) << "byte " << i;
        }
    }
}

TEST(Vertex, ThePositionConstructorFillsEveryCoordinateSet)
{
    const Vertex v(Vector3(1, 2, 3), 0.25f, 0.75f, 0x80402010u);
    EXPECT_TRUE(NearPoint(v.Position, {1, 2, 3}, 0.0f));
    EXPECT_TRUE(NearPoint(v.Normal, {0, 0, 0}, 0.0f));
    EXPECT_EQ(v.Color, 0x80402010u);
    for (const TexCoord& t : v.Tex)
    {
        EXPECT_EQ(t.U, 0.25f);
        EXPECT_EQ(t.V, 0.75f);
    }
}

TEST(Records, ConstructorsSetTheirFields)
{
    const Triangle empty;
    EXPECT_EQ(empty.Vertices[0] + empty.Vertices[1] + empty.Vertices[2], 0);
    const Triangle t(3, 1, 65535);
    EXPECT_EQ(t.Vertices[0], 3);
    EXPECT_EQ(t.Vertices[1], 1);
    EXPECT_EQ(t.Vertices[2], 65535);
    EXPECT_TRUE(NearPoint(t.Normal, {0, 0, 0}, 0.0f));

    const Edge e0;
    EXPECT_EQ(e0.A + e0.B + e0.C + e0.D, 0);
    const Edge e(7, 9, 0, 4);
    EXPECT_EQ(e.A, 7);
    EXPECT_EQ(e.B, 9);
    EXPECT_EQ(e.C, 0);
    EXPECT_EQ(e.D, 4);
}

TEST(Triangle, FaceNormalIsTheCrossProductOfTheEdges)
{
    struct Case
    {
        Vector3 p0, p1, p2;
        bool normalize;
        Vector3 expected;
    };
    const Case cases[] = {
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, false, {0, 0, 1}},
        {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, false, {0, 0, 4}},
        {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, true, {0, 0, 1}},
        {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, false, {0, 0, -1}}, // the other winding
        {{1, 1, 1}, {1, 1, 1}, {3, 0, 2}, false, {0, 0, 0}},  // degenerate
    };
    for (const Case& c : cases)
    {
        const std::vector<Vertex> vb = At({c.p2, c.p0, c.p1});
        Triangle t(1, 2, 0);
        t.CalculateNormal(vb.data(), c.normalize);
        EXPECT_TRUE(NearPoint(t.Normal, c.expected)) << c.p0 << " / " << c.p1 << " / " << c.p2;
    }
}

TEST(Vertex, NormalIsTheNormalisedSumOfItsTrianglesStoredNormals)
{
    // A roof over the x axis: two faces meeting at vertices 0 and 1.
    std::vector<Vertex> vb = At({{0, 1, 0}, {1, 1, 0}, {0, 0, -1}, {0, 0, 1}, {5, 5, 5}});
    std::vector<Triangle> tris = {Triangle(0, 1, 2), Triangle(1, 0, 3)};
    tris[0].Normal = Vector3(0, 1, -1);
    tris[1].Normal = Vector3(0, 1, 1);

    vb[0].CalculateNormal(vb.data(), tris.data(), long(tris.size()));
    EXPECT_TRUE(NearPoint(vb[0].Normal, {0, 1, 0}));
    vb[2].CalculateNormal(vb.data(), tris.data(), long(tris.size()));
    EXPECT_TRUE(NearPoint(vb[2].Normal, Vector3(0, 1, -1).Normalized()));
    // Only the first triangle counted.
    vb[1].CalculateNormal(vb.data(), tris.data(), 1);
    EXPECT_TRUE(NearPoint(vb[1].Normal, Vector3(0, 1, -1).Normalized()));

    // A vertex no triangle uses normalises the zero vector.
    vb[4].CalculateNormal(vb.data(), tris.data(), long(tris.size()));
    EXPECT_TRUE(std::isnan(vb[4].Normal.x));
}

TEST(Vertex, AVertexOutsideTheBufferMatchesNoCorner)
{
    std::vector<Vertex> vb = At({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    std::vector<Triangle> tris = {Triangle(0, 1, 2)};
    tris[0].Normal = Vector3(0, 0, 1);
    Vertex other;
    other.CalculateNormal(vb.data(), tris.data(), 1);
    EXPECT_TRUE(std::isnan(other.Normal.x));
    // Against a buffer that starts at vb[1], vb[2] is index 1 and vb[0]
    // lies before the start.
    vb[2].CalculateNormal(vb.data() + 1, tris.data(), 1);
    EXPECT_TRUE(NearPoint(vb[2].Normal, {0, 0, 1}));
    vb[0].CalculateNormal(vb.data() + 1, tris.data(), 1);
    EXPECT_TRUE(std::isnan(vb[0].Normal.x));
}
