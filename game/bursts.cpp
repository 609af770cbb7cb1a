#include "game/game.h"

#include "engine/textureman.h"

ParticleSystem** CaptureBursts = nullptr;
std::int32_t CaptureBurstCount = 0;
float CaptureStartTime = 0.0f;
bool CaptureAnimating = false;

namespace
{
float Seconds()
{
    return static_cast<float>(static_cast<std::uint32_t>(AppTimer.GetMilliSec()) / 1000.0);
}
}

void StartCaptureBursts()
{
    CaptureAnimating = true;
    CaptureStartTime = Seconds();
    DestroyCaptureBursts();

    CaptureBurstCount = static_cast<std::int32_t>(CapturedPositions.size());
    CaptureBursts = new ParticleSystem*[CaptureBurstCount];
    for (std::int32_t i = 0; i < CaptureBurstCount; ++i) {
        CaptureBursts[i] = new ParticleSystem(Graphics);
        SetUpCaptureBurst(CaptureBursts[i], CapturedPositions[i]);
    }
}

void SetUpCaptureBurst(ParticleSystem* burst, const Vector3& pos)
{
    burst->SetPosition(pos);
    burst->SetGravity(0.9f);
    burst->SetFriction(0.05f);
    burst->SetStartColor(1.0f, 0.3f, 0.1f);
    burst->SetEndColor(0, 0, 0);
    burst->SetParticleSize(7.0f);
    burst->SetParticleLife(60);
    burst->SetPositionVariation(3.0f);
    burst->SetSpawnRate(25.0f);
    burst->SetTexture(Graphics->TextureManager->LoadTexture(STOCKTEX_BLOB));
    burst->SetVelocity(Vector3(0, 3.0f, 0));
    burst->SetSpreadAngle(0.7853982f / 2.0f);
    burst->SetBlendFactors(D3DBLEND_ONE, D3DBLEND_ONE);
    burst->SetSpawnRateChange(-2);
}

void DrawCaptureBursts(float t)
{
    if (!CaptureAnimating)
        return;
    for (std::int32_t i = 0; i < CaptureBurstCount; ++i) {
        CaptureBursts[i]->Update(t - CaptureStartTime);
        CaptureBursts[i]->Render();
    }
    // All bursts share their settings and start, so the first one decides.
    if (CaptureBurstCount == 0 || CaptureBursts[0]->CountParticles() == 0) {
        CapturedPositions.clear();
        CaptureAnimating = false;
    }
}

void DestroyCaptureBursts()
{
    for (std::int32_t i = 0; i < CaptureBurstCount; ++i)
        delete CaptureBursts[i];
    delete[] CaptureBursts;
    CaptureBursts = nullptr;
    CaptureBurstCount = 0;
}
