// Objects: how their transforms compose, their render settings and the
// shadow volumes they own.

#include "engine/lights.h"
#include "engine/object.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
Vector3 Apply(const Object& o, Vector3 p)
{
    p.Transform(o.GetWorldTransform());
    return p;
}

void ExpectNear(const Vector3& a, const Vector3& b, const char* what)
{
    EXPECT_NEAR(a.x, b.x, 1e-4f) << what;
    EXPECT_NEAR(a.y, b.y, 1e-4f) << what;
    EXPECT_NEAR(a.z, b.z, 1e-4f) << what;
}

constexpr float HalfPi = 1.5707964f;
}

TEST(Object, DefaultsAndIdentity)
{
    Object o(nullptr, 1);
    ExpectNear(Apply(o, Vector3(1, 2, 3)), Vector3(1, 2, 3), "identity");
    EXPECT_EQ(o.ShadingMode, 2u);
    EXPECT_EQ(o.VertexShader, 0x1458u);
    EXPECT_EQ(o.PixelShader, 0u);
    EXPECT_TRUE(o.ZWrite);
    EXPECT_TRUE(o.AutoSetZWrite);
    dword src = 0, dest = 0;
    o.GetBlendingMode(src, dest);
    EXPECT_EQ(src, 5u);
    EXPECT_EQ(dest, 6u);
    EXPECT_NE(o.GetTriMesh(), nullptr);
    EXPECT_EQ(o.GetTriMesh()->GetLevelCount(), 1);
    EXPECT_EQ(o.GetShadowVolume(0), nullptr);
    EXPECT_FALSE(o.UseTextureMatrix);
}

TEST(Object, TransformsCompose)
{
    struct Case
    {
        const char* what;
        void (*build)(Object&);
        Vector3 from, to;
    } cases[] = {
        {"scale then translate",
         [](Object& o) {
             o.SetScaling(2, 1, 1);
             o.SetTranslation(-6, 4, 0);
         },
         {1, 1, 0}, {-4, 5, 0}},
        {"set scaling twice", [](Object& o) { o.SetScaling(2, 2, 2), o.SetScaling(2, 2, 2); }, {1, 1, 1}, {2, 2, 2}},
        {"compose scaling twice", [](Object& o) { o.Scale(2, 2, 2), o.Scale(2, 2, 2); }, {1, 1, 1}, {4, 4, 4}},
        {"set rotation replaces",
         [](Object& o) {
             o.Rotate(HalfPi, 0, 0);
             o.SetRotation(0, HalfPi, 0);
         },
         {1, 0, 0}, {0, 0, -1}},
        {"orbit after translation",
         [](Object& o) {
             o.SetTranslation(10, 0, 0);
             o.Orbit(0, HalfPi, 0);
         },
         {0, 0, 0}, {0, 0, -10}},
        {"reset", [](Object& o) { o.Translate(1, 2, 3), o.Scale(3, 3, 3), o.ResetTransform(); }, {1, 1, 1}, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        Object o(nullptr, 1);
        c.build(o);
        ExpectNear(Apply(o, c.from), c.to, c.what);
    }
}

TEST(Object, ExplicitDepthWritingIsKept)
{
    Object o(nullptr, 1);
    o.SetZWrite(true);
    EXPECT_TRUE(o.ZWrite);
    EXPECT_FALSE(o.AutoSetZWrite);
    o.SetTextureMatrix(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0.25f, 0, 1);
    EXPECT_TRUE(o.UseTextureMatrix);
    EXPECT_EQ(o.GetTextureMatrix().m[3][1], 0.25f);
}

TEST(Object, ShadowVolumesAreReplacedWhole)
{
    Object o(nullptr, 1);
    o.GetTriMesh()->SetData(nullptr, nullptr, 0, 0);
    PointLight a(Vector3(0, 10, 0), 100, 1, 0, 0);
    PointLight b(Vector3(0, 20, 0), 100, 1, 0, 0);
    Light* lights[2] = {&a, &b};

    o.CalculateShadows(lights, 0);
    EXPECT_EQ(o.GetShadowVolume(0), nullptr);
    o.CalculateShadows(lights, 2);
    EXPECT_NE(o.GetShadowVolume(0), nullptr);
    EXPECT_NE(o.GetShadowVolume(1), nullptr);
    EXPECT_EQ(o.GetShadowVolume(2), nullptr);
    EXPECT_EQ(o.GetShadowVolume(-1), nullptr);
    o.CalculateShadows(lights, 1);
    EXPECT_EQ(o.ShadowVolumeCount, 1);
    EXPECT_EQ(o.GetShadowVolume(1), nullptr);
}
