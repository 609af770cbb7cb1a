// Lights: their defaults, what they install in the device's light slots, and
// their markers.

#include "engine/3dengine.h"
#include "engine/lights.h"
#include "device_fixture.h"

#include <gtest/gtest.h>

#include <memory>

TEST(Lights, DefaultsAndKinds)
{
    SpotLight spot;
    EXPECT_FLOAT_EQ(spot.GetTheta(), 0.6981317f);
    EXPECT_FLOAT_EQ(spot.GetPhi(), 0.7853982f);
    EXPECT_EQ(spot.GetPosition().y, 100.0f);

    struct Case
    {
        std::unique_ptr<Light> light;
        dword type;
    };
    Case cases[] = {{std::make_unique<DirectionalLight>(), 3},
                    {std::make_unique<PointLight>(), 1},
                    {std::make_unique<SpotLight>(), 2},
                    {std::make_unique<TargetSpotLight>(), 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.light->GetType(), c.type);
        EXPECT_EQ(c.light->GetIntensity(), 1.0f);
        EXPECT_FALSE(c.light->GetShadowCasting());
    }
    PointLight p;
    EXPECT_EQ(p.GetAttenuation(0), 1.0f);
    EXPECT_EQ(p.GetAttenuation(3), 0.0f); // past the three factors
    EXPECT_EQ(DirectionalLight().GetRange(), 0.0f);
}

TEST(Lights, TransformsMovePositionNotTheStoredOne)
{
    PointLight p(Vector3(0, 100, 0), 1000, 1, 0, 0);
    p.Translate(0, 10, 0);
    EXPECT_FLOAT_EQ(p.GetPosition().y, 110.0f);
    EXPECT_FLOAT_EQ(p.GetDirection().y, 100.0f);

    TargetSpotLight t(Vector3(0, 10, 0), Vector3(0, 0, 0), 0.5f, 0.6f, 100, 1, 0, 0);
    const Vector3 aim = t.GetDirection();
    EXPECT_FLOAT_EQ(aim.y, -1.0f);
    EXPECT_FLOAT_EQ(aim.x, 0.0f);
}

namespace
{
class LightSlots : public enginetest::DeviceTest
{
protected:
    D3DLIGHT8 Installed(dword index)
    {
        D3DLIGHT8 l{};
        c->Device->GetLight(index, &l);
        BOOL on = FALSE;
        c->Device->GetLightEnable(index, &on);
        EXPECT_TRUE(on);
        return l;
    }
};
}

TEST_F(LightSlots, PointLightRecord)
{
    PointLight light(Vector3(0, 100, 0), 1000.0f, 1.0f, 0, 0);
    light.SetIntensity(0.5f);
    light.SetLight(0, c);
    const D3DLIGHT8 l = Installed(0);
    EXPECT_EQ(l.Type, 1u);
    EXPECT_FLOAT_EQ(l.Diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(l.Diffuse.b, 0.5f);
    EXPECT_EQ(l.Diffuse.a, 0.0f);
    EXPECT_EQ(l.Specular.r, 0.0f);
    EXPECT_EQ(l.Ambient.g, 0.0f);
    EXPECT_EQ(l.Position.y, 100.0f);
    EXPECT_EQ(l.Range, 1000.0f);
    EXPECT_EQ(l.Attenuation0, 1.0f);
    EXPECT_EQ(l.Attenuation1, 0.0f);
    EXPECT_EQ(l.Theta, 0.0f);

    light.Translate(0, 10, 0);
    light.SetLight(1, c);
    EXPECT_FLOAT_EQ(Installed(1).Position.y, 110.0f);
}

TEST_F(LightSlots, SpotAndDirectionalRecords)
{
    TargetSpotLight spot(Vector3(0, 10, 0), Vector3(0, 0, 0), 0.5f, 0.6f, 50, 1, 0.1f, 0);
    spot.Direction = Vector3(1, 0, 0); // overwritten by the aim
    spot.SetLight(2, c);
    D3DLIGHT8 l = Installed(2);
    EXPECT_EQ(l.Type, 2u);
    EXPECT_FLOAT_EQ(l.Direction.y, -1.0f);
    EXPECT_FLOAT_EQ(l.Direction.x, 0.0f);
    EXPECT_EQ(l.Theta, 0.5f);
    EXPECT_EQ(l.Phi, 0.6f);
    EXPECT_EQ(l.Falloff, 1.0f);
    EXPECT_FLOAT_EQ(l.Attenuation1, 0.1f);

    DirectionalLight sun(Vector3(0, 0, 1));
    sun.RotateDirection(0, 3.14159274f, 0);
    sun.SetLight(3, c);
    l = Installed(3);
    EXPECT_EQ(l.Type, 3u);
    EXPECT_NEAR(l.Direction.z, -1.0f, 1e-5f);
    EXPECT_EQ(l.Range, 0.0f);
}
