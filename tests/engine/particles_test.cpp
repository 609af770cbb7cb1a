// The particle emitter: when it updates, what it spawns, how particles move,
// and what drawing leaves on the device.

#include "engine/3dengine.h"
#include "engine/particles.h"
#include "device_fixture.h"
#include "math/random.h"
#include "platform/d3d/call_log.h"
#include "platform/d3d/readback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// The game's capture burst.
void Burst(ParticleSystem& ps)
{
    ps.SetPosition(Vector3(0, 0, 0));
    ps.SetVelocity(Vector3(0, 3, 0));
    ps.SetGravity(0.9f);
    ps.SetFriction(0.05f);
    ps.SetSpawnRate(25);
    ps.SetSpawnRateChange(-2);
    ps.SetParticleLife(60);
    ps.SetParticleSize(7.0f);
    ps.SetPositionVariation(3.0f);
    ps.SetSpreadAngle(0.3926991f);
    ps.SetStartColor(1.0f, 0.3f, 0.1f);
    ps.SetEndColor(0, 0, 0);
}

// Steps well apart, so every update is due.
float Step(int k)
{
    return 0.04f * static_cast<float>(k);
}
}

TEST(Particles, UpdatesAtMostThirtyTimesASecond)
{
    ResetRand();
    ParticleSystem ps(nullptr);
    ps.Update(0.0f);
    EXPECT_EQ(ps.CountParticles(), 5u);
    EXPECT_EQ(ps.LastTime, 0.0f);

    const Vector3 before = ps.Particles.front().Position;
    ps.Update(0.02f); // not due: nothing changes, not even the time
    EXPECT_EQ(ps.CountParticles(), 5u);
    EXPECT_EQ(ps.LastTime, 0.0f);
    EXPECT_EQ(ps.Particles.front().Position.y, before.y);
    EXPECT_EQ(ps.Particles.front().Life, 99u);

    ps.Update(1.0f / 30.0f); // exactly due
    EXPECT_EQ(ps.CountParticles(), 10u);
}

TEST(Particles, TheGameBurstSpawnsThenEmpties)
{
    ResetRand();
    ParticleSystem ps(nullptr);
    Burst(ps);
    std::vector<dword> counts;
    for (int k = 0; k < 80; ++k) {
        ps.Update(Step(k));
        counts.push_back(ps.CountParticles());
    }
    dword expected = 0;
    for (int u = 0; u < 13; ++u) {
        expected += 25 - 2 * u;
        EXPECT_EQ(counts[u], expected) << "update " << u + 1;
    }
    EXPECT_EQ(counts[12], 169u);
    EXPECT_EQ(ps.SpawnRate, 0); // clamped, not negative
    EXPECT_EQ(counts[59], 169u); // nobody has gone yet
    EXPECT_EQ(counts[60], 169u - 25u); // the first batch goes at the 61st update
    EXPECT_GT(counts[71], 0u);
    EXPECT_EQ(counts[72], 0u); // the 73rd update removes the last one
}

TEST(Particles, MovementDampingAndGravity)
{
    struct Case
    {
        float friction;
        Vector3 velocity;
        Vector3 afterOne, afterTwo;
    } cases[] = {
        {0.0f, {1, 0, 0}, {1, -0.5f, 0}, {2, -1.0f, 0}},
        {0.5f, {4, 0, 0}, {2, -0.5f, 0}, {3, -1.0f, 0}},
        {1.0f, {4, 0, 0}, {0, -0.5f, 0}, {0, -1.0f, 0}}, // stops, keeps falling
    };
    const Vector3 gravity(0, -0.5f, 0);
    for (const Case& c : cases) {
        Particle p(Vector3(0, 0, 0), c.velocity, 2);
        p.Update(gravity, c.friction);
        EXPECT_FLOAT_EQ(p.Position.x, c.afterOne.x) << c.friction;
        EXPECT_FLOAT_EQ(p.Position.y, c.afterOne.y) << c.friction;
        p.Update(gravity, c.friction);
        EXPECT_FLOAT_EQ(p.Position.x, c.afterTwo.x) << c.friction;
        EXPECT_FLOAT_EQ(p.Position.y, c.afterTwo.y) << c.friction;
        EXPECT_EQ(p.Life, 0u);
        p.Update(gravity, c.friction); // dead: unchanged
        EXPECT_FLOAT_EQ(p.Position.y, c.afterTwo.y);
    }
}

TEST(Particles, SpawnRateSetterTruncatesAndNeverGoesNegative)
{
    ParticleSystem ps(nullptr);
    ps.SetSpawnRate(3.9f);
    EXPECT_EQ(ps.SpawnRate, 3);
    ps.SetSpawnRate(-2.0f);
    EXPECT_EQ(ps.SpawnRate, 0);
    EXPECT_EQ(FloatToDword(1.0f), 0x3F800000u);
    EXPECT_EQ(FloatToDword(0.0f), 0u);
}

namespace
{
class ParticleDrawing : public enginetest::DeviceTest
{
protected:};
}

TEST_F(ParticleDrawing, AnEmptyEmitterMakesNoDeviceCall)
{
    ParticleSystem ps(c);
    log->Enable(true);
    ps.Render();
    log->Enable(false);
    EXPECT_TRUE(log->Records().empty());
}

TEST_F(ParticleDrawing, StatesInOrderAndWhatStaysSet)
{
    ResetRand();
    ParticleSystem ps(c);
    Burst(ps);
    ps.Update(0.0f);
    log->Enable(true);
    ps.Render();
    log->Enable(false);
    std::vector<std::string> methods;
    for (const auto& r : log->Records())
        if (r.method == "SetRenderState" || r.method == "DrawPrimitive")
            methods.push_back(r.Text());
    const std::vector<std::string> expected = {
        "SetRenderState(137, 0)",          "SetRenderState(14, 0)",         "SetRenderState(27, 1)",
        "SetRenderState(19, 2)",           "SetRenderState(20, 2)",         "SetRenderState(141, 1)",
        "SetRenderState(156, 1)",          "SetRenderState(157, 1)",        "SetRenderState(154, 1088421888)",
        "SetRenderState(158, 0)",          "SetRenderState(159, 0)",        "SetRenderState(160, 1065353216)",
        "DrawPrimitive(1, 0, 25)",         "SetRenderState(156, 0)",        "SetRenderState(157, 0)",
        "SetRenderState(141, 0)",          "SetRenderState(137, 1)",        "SetRenderState(14, 1)",
        "SetRenderState(27, 0)",
    };
    EXPECT_EQ(methods, expected);
    DWORD size = 0;
    c->Device->GetRenderState(D3DRS_POINTSIZE, &size);
    EXPECT_EQ(size, FloatToDword(7.0f)); // the point size stays set
}
