// Material defaults, setters and copies.

#include "engine/assertion.h"
#include "engine/material.h"

#include <gtest/gtest.h>

namespace
{
void ExpectColor(const Color& c, float r, float g, float b, float a, const char* what)
{
    EXPECT_EQ(c.r, r) << what;
    EXPECT_EQ(c.g, g) << what;
    EXPECT_EQ(c.b, b) << what;
    EXPECT_EQ(c.a, a) << what;
}

IDirect3DTexture8* FakeTexture(std::uintptr_t n)
{
    return reinterpret_cast<IDirect3DTexture8*>(n * 16);
}
}

TEST(Material, Defaults)
{
    const Material m;
    ExpectColor(m.Diffuse, 1, 1, 1, 1, "diffuse");
    ExpectColor(m.Ambient, 1, 1, 1, 1, "ambient");
    ExpectColor(m.Specular, 1, 1, 1, 0, "specular");
    ExpectColor(m.Emissive, 0, 0, 0, 0, "emissive");
    EXPECT_EQ(m.Power, 0.0f);
    EXPECT_FALSE(m.SpecularEnabled);
    EXPECT_TRUE(m.Name.empty());
    for (IDirect3DTexture8* t : m.Textures)
        EXPECT_EQ(t, nullptr);
    EXPECT_EQ(m.Alpha, 1.0f);
    EXPECT_EQ(m.ReflectionStrength, 1.0f);
    EXPECT_EQ(m.BumpStrength, 0.0f);
}

TEST(Material, FourFloatConstructorSetsDiffuseAndAmbientUnclamped)
{
    const Material m(0.9f, 0.8f, 0.3f, 1.0f);
    ExpectColor(m.Diffuse, 0.9f, 0.8f, 0.3f, 1.0f, "diffuse");
    ExpectColor(m.Ambient, 0.9f, 0.8f, 0.3f, 1.0f, "ambient");
    ExpectColor(m.Specular, 1, 1, 1, 0, "specular");
    EXPECT_FALSE(m.SpecularEnabled);

    const Material bright(2.0f, -1.0f, 0.5f, 3.0f);
    ExpectColor(bright.Diffuse, 2.0f, -1.0f, 0.5f, 3.0f, "unclamped");
}

TEST(Material, PowerSwitchesSpecular)
{
    const struct
    {
        float power;
        bool on;
    } cases[] = {{0.0f, false}, {-2.0f, false}, {0.001f, true}, {40.0f, true}};
    for (const auto& c : cases) {
        Material m;
        m.SetPower(c.power);
        EXPECT_EQ(m.Power, c.power);
        EXPECT_EQ(m.SpecularEnabled, c.on) << c.power;
    }
}

TEST(Material, ThreeFloatSettersGiveAlphaOneColourSettersKeepIt)
{
    Material m;
    m.SetDiffuse(Color(0.5f, 0.5f, 0.5f, 0.2f));
    ExpectColor(m.Diffuse, 0.5f, 0.5f, 0.5f, 0.2f, "colour");
    m.SetDiffuse(0.5f, 0.5f, 0.5f);
    ExpectColor(m.Diffuse, 0.5f, 0.5f, 0.5f, 1.0f, "three floats");
    m.SetAmbient(0.1f, 0.2f, 0.3f);
    m.SetSpecular(0.4f, 0.5f, 0.6f);
    m.SetEmissive(1.5f, 0.0f, 0.0f);
    ExpectColor(m.Ambient, 0.1f, 0.2f, 0.3f, 1.0f, "ambient");
    ExpectColor(m.Specular, 0.4f, 0.5f, 0.6f, 1.0f, "specular");
    ExpectColor(m.Emissive, 1.5f, 0.0f, 0.0f, 1.0f, "emissive");
}

TEST(Material, CopiesShareTexturesButNotSlots)
{
    Material a;
    a.Name = "board";
    a.SetTexture(FakeTexture(1), TextureMap);
    Material b = a;
    b.SetTexture(FakeTexture(2), TextureMap);
    b.Name = "stone";
    EXPECT_EQ(a.Textures[TextureMap], FakeTexture(1));
    EXPECT_EQ(b.Textures[TextureMap], FakeTexture(2));
    EXPECT_EQ(a.Name, "board");

    Material c;
    c = a;
    EXPECT_EQ(c.Textures[TextureMap], a.Textures[TextureMap]);
}

TEST(Material, ASlotPastTheArrayIsReportedAndWritesNothing)
{
    int reports = 0;
    AssertionReporter previous = SetAssertionReporter([&](const std::string&, const char*, int) { ++reports; });
    Material m;
    m.SetTexture(FakeTexture(3), 7);
    SetAssertionReporter(previous);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(m.ReflectionStrength, 1.0f);
    for (IDirect3DTexture8* t : m.Textures)
        EXPECT_EQ(t, nullptr);
}
