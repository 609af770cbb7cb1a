#pragma once

// The plain-OpenGL side of the benchmarks: one program that lights the
// engine's 68-byte vertices with one point light as Direct3D does (or takes
// their colour unlit), optionally modulated by a texture and with a
// reflection map added (looked up by the camera-space normal), and the matrix
// work a program of its own would do on the CPU.

#include <epoxy/gl.h>

#include "platform/d3d/d3d8types.h"

namespace bench {

struct PlainProgram
{
    GLuint program = 0;
    GLint worldView, proj, normalMatrix, diffuse, ambient, specular, power, lightPosition, lit, textured, reflected;
};

// Compiled, linked and current, with the texture on unit 0 and the
// reflection map on unit 1.
PlainProgram MakePlainProgram();
void DeletePlainProgram(const PlainProgram& p);
// The engine vertex's position, normal, colour and first texture
// coordinates from the array buffer bound now.
void PointPlainAttributes();
void SetPlainMaterial(const PlainProgram& p, const D3DMATERIAL8& m);

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, float out[16]);
void NormalMatrix(const float m[16], float out[9]);
void TransformPoint(const D3DVECTOR& p, const D3DMATRIX& m, float out[3]);

}  // namespace bench
