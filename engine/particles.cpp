#include "engine/particles.h"

#include "engine/3dengine.h"
#include "math/color.h"
#include "math/random.h"

#include <cstring>

dword FloatToDword(float f)
{
    dword d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

Particle::Particle(dword life) : Position(0, 0, 0), Velocity(0, 0, 0), Life(life) {}
Particle::Particle(const Vector3& position, dword life) : Position(position), Velocity(0, 0, 0), Life(life) {}
Particle::Particle(const Vector3& position, const Vector3& velocity, dword life)
    : Position(position), Velocity(velocity), Life(life)
{
}

void Particle::Update(const Vector3& gravity, float friction)
{
    if (Life == 0)
        return;
    Velocity = Velocity * (1.0f - friction);
    Position += Velocity + gravity;
    --Life;
}

ParticleSystem::ParticleSystem(GraphicsContext* context)
    : gc(context),
      RateLimited(true),
      UpdateRate(30.0f),
      LastTime(-1.0f / 30.0f),
      SrcBlend(D3DBLEND_ONE),
      DestBlend(D3DBLEND_ONE),
      Position(0, 0, 0),
      LastPosition(0, 0, 0),
      Velocity(0, 0, 0),
      Size(1.0f),
      Friction(0.0f),
      SpawnRate(5),
      PositionVariation(0.0f),
      Gravity(0.0f),
      SpreadAngle(0.01f),
      ParticleLife(100),
      InheritMotion(false),
      VelocityJitter(0.0f),
      SpawnRateChange(0),
      StartColor{1.0f, 1.0f, 1.0f},
      EndColor{0.0f, 0.0f, 0.0f},
      Texture(nullptr),
      ParticleCount(0)
{
}

void ParticleSystem::SetSpawnRate(float rate)
{
    const auto n = static_cast<std::int32_t>(rate);
    SpawnRate = n < 0 ? 0 : n;
}

void ParticleSystem::Update(float time)
{
    if (RateLimited && time - LastTime < 1.0f / UpdateRate)
        return;
    LastTime = time;

    Particles.remove_if([](const Particle& p) { return p.Life == 0; });

    const std::int32_t n = SpawnRate;

    // One random turn of the base velocity for every particle of this step;
    // the angles are drawn z first.
    const float az = frand(SpreadAngle) - SpreadAngle / 2;
    const float ay = frand(SpreadAngle) - SpreadAngle / 2;
    const float ax = frand(SpreadAngle) - SpreadAngle / 2;
    Matrix4x4 dispxform;
    dispxform.Rotate(ax, ay, az);
    Vector3 ShootDir = Velocity;
    ShootDir.Transform(dispxform);

    const Vector3 forces(0.0f, -Gravity, 0.0f);
    const Vector3 SpawnDisp = (Position - LastPosition) * 0.1f;
    if (InheritMotion)
        ShootDir += SpawnDisp;

    for (std::int32_t i = 0; i < n; ++i) {
        const float oz = frand(PositionVariation) - PositionVariation / 2;
        const float oy = frand(PositionVariation) - PositionVariation / 2;
        const float ox = frand(PositionVariation) - PositionVariation / 2;
        const Vector3 SpawnOffset(ox, oy, oz);

        Vector3 velocity(0.0f, 0.0f, 0.0f);
        if (VelocityJitter > 0.0f) {
            const float jz = frand(1.0f) - 0.5f;
            const float jy = frand(1.0f) - 0.5f;
            const float jx = frand(1.0f) - 0.5f;
            velocity = Vector3(jx, jy, jz);
            velocity.Normalize();
            velocity = velocity * VelocityJitter;
        }
        Particles.emplace_back(Position + SpawnOffset, ShootDir + velocity, ParticleLife);
    }

    for (Particle& p : Particles)
        p.Update(forces, Friction);

    SpawnRate += SpawnRateChange;
    if (SpawnRate < 0)
        SpawnRate = 0;
}

dword ParticleSystem::CountParticles()
{
    ParticleCount = static_cast<dword>(Particles.size());
    return ParticleCount;
}

void ParticleSystem::Render()
{
    const dword n = CountParticles();
    if (n == 0)
        return;

    IDirect3DVertexBuffer8* buffer = nullptr;
    if (!gc->CreateVertexBuffer(n, 0, &buffer))
        return;
    void* data = nullptr;
    if (!Lock(buffer, &data)) {
        buffer->Release();
        return;
    }
    auto* vertices = static_cast<Vertex*>(data);
    dword i = 0;
    for (const Particle& p : Particles) {
        const float t = 1.0f - static_cast<float>(p.Life) / static_cast<float>(ParticleLife);
        const Color c((EndColor.r - StartColor.r) * t + StartColor.r, (EndColor.g - StartColor.g) * t + StartColor.g,
                      (EndColor.b - StartColor.b) * t + StartColor.b, 1.0f);
        // Only position and colour: the rest of the record is left as the
        // buffer had it.
        vertices[i].Position = p.Position;
        vertices[i].Color = c.GetPacked32();
        ++i;
    }
    Unlock(buffer);

    gc->SetWorldMatrix(Matrix4x4(), 0);
    gc->SetLighting(false);
    gc->SetZWrite(false);
    gc->SetTexture(0, Texture);
    gc->SetTextureStageColor(0, D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_TEXTURE, 0);
    gc->SetAlphaBlending(true);
    gc->SetBlendFunc(SrcBlend, DestBlend);
    gc->SetVertexShader(0x1458);
    gc->SetColorVertex(true);

    IDirect3DDevice8* device = gc->Device;
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSIZE, FloatToDword(Size));
    device->SetRenderState(D3DRS_POINTSCALE_A, FloatToDword(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_B, FloatToDword(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_C, FloatToDword(1.0f));

    device->SetStreamSource(0, buffer, sizeof(Vertex));
    device->DrawPrimitive(D3DPT_POINTLIST, 0, n);

    device->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
    gc->SetColorVertex(false);
    gc->SetLighting(true);
    gc->SetZWrite(true);
    gc->SetAlphaBlending(false);

    buffer->Release();
}
