#include "engine/material.h"

#include "engine/assertion.h"

namespace
{
// The three-float setters store what they are given, unclamped.
Color Unclamped(float r, float g, float b, float a)
{
    Color c(0.0f);
    c.r = r;
    c.g = g;
    c.b = b;
    c.a = a;
    return c;
}
}

Material::Material()
    : Diffuse(1.0f, 1.0f, 1.0f, 1.0f),
      Ambient(1.0f, 1.0f, 1.0f, 1.0f),
      Specular(1.0f, 1.0f, 1.0f, 0.0f),
      Emissive(0.0f, 0.0f, 0.0f, 0.0f),
      Power(0.0f),
      Textures{},
      ReflectionStrength(1.0f),
      BumpStrength(0.0f),
      Alpha(1.0f),
      SpecularEnabled(false)
{
}

Material::Material(float r, float g, float b, float a) : Material()
{
    Diffuse = Unclamped(r, g, b, a);
    Ambient = Unclamped(r, g, b, a);
}

void Material::SetAmbient(float r, float g, float b) { Ambient = Unclamped(r, g, b, 1.0f); }
void Material::SetAmbient(const Color& c) { Ambient = c; }
void Material::SetDiffuse(float r, float g, float b) { Diffuse = Unclamped(r, g, b, 1.0f); }
void Material::SetDiffuse(const Color& c) { Diffuse = c; }
void Material::SetSpecular(float r, float g, float b) { Specular = Unclamped(r, g, b, 1.0f); }
void Material::SetSpecular(const Color& c) { Specular = c; }
void Material::SetEmissive(float r, float g, float b) { Emissive = Unclamped(r, g, b, 1.0f); }
void Material::SetEmissive(const Color& c) { Emissive = c; }
void Material::SetReflectionStrength(float s) { ReflectionStrength = s; }

void Material::SetPower(float p)
{
    Power = p;
    SpecularEnabled = p > 0.0f;
}

void Material::SetAlpha(float a) { Alpha = a; }
void Material::SetTexture(IDirect3DTexture8* texture, dword slot)
{
    // A slot past the array would overwrite the fields behind it.
    if (ENGINE_CHECK(slot < MaterialTextureSlots))
        Textures[slot] = texture;
}
