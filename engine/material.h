#pragma once

// How a surface is lit and textured: the device's material block, a name,
// one texture per kind of map, and transparency.

#include "math/color.h"
#include "platform/d3d/d3d8.h"

#include <cstddef>
#include <string>

// Index into Material::Textures.
using MapType = dword;
constexpr MapType TextureMap = 0;
constexpr MapType TextureMap2 = 1;
constexpr MapType OpacityMap = 2;
constexpr MapType SelfIlluminationMap = 3;
constexpr MapType BumpMap = 4;
constexpr MapType ReflectionMap = 5;
constexpr dword MaterialTextureSlots = 7;

class Material
{
public:
    // These five lie exactly as the device's material record, so the
    // graphics context hands them over unchanged.
    Color Diffuse;
    Color Ambient;
    Color Specular;
    Color Emissive;
    float Power;

    std::string Name;
    // Not owned: the texture cache keeps every texture alive, and copies of
    // a material share them.
    IDirect3DTexture8* Textures[MaterialTextureSlots];
    float ReflectionStrength;
    float BumpStrength;
    float Alpha;
    bool SpecularEnabled;

    Material();
    // Diffuse and ambient (r, g, b, a), stored as given, without clamping.
    Material(float r, float g, float b, float a);

    void SetAmbient(float r, float g, float b);
    void SetAmbient(const Color& c);
    void SetDiffuse(float r, float g, float b);
    void SetDiffuse(const Color& c);
    void SetSpecular(float r, float g, float b);
    void SetSpecular(const Color& c);
    void SetEmissive(float r, float g, float b);
    void SetEmissive(const Color& c);
    void SetReflectionStrength(float s);
    // Specular highlights follow the power: on exactly when it is above 0.
    void SetPower(float p);
    void SetAlpha(float a);
    // slot must be a MapType below MaterialTextureSlots.
    void SetTexture(IDirect3DTexture8* texture, dword slot);

    const D3DMATERIAL8* GetD3DMaterial() const { return reinterpret_cast<const D3DMATERIAL8*>(&Diffuse); }
};

static_assert(sizeof(Color) == sizeof(D3DCOLORVALUE));
static_assert(offsetof(Material, Diffuse) == offsetof(D3DMATERIAL8, Diffuse));
static_assert(offsetof(Material, Ambient) == offsetof(D3DMATERIAL8, Ambient));
static_assert(offsetof(Material, Specular) == offsetof(D3DMATERIAL8, Specular));
static_assert(offsetof(Material, Emissive) == offsetof(D3DMATERIAL8, Emissive));
static_assert(offsetof(Material, Power) == offsetof(D3DMATERIAL8, Power));
