#pragma once

// Generated programs by key, compiled on first use, with the locations of
// their uniforms and which version of each uniform group they last got.

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/d3d/gl_objects.h"
#include "platform/d3d/program_key.h"

namespace go3d::d3d {

// Uniform groups, each re-sent to a program when its version moves on.
enum UniformGroup
{
    kGroupTransform,   // world-view and normal matrix
    kGroupProjection,  // projection, pixel offset, flip
    kGroupMaterial,
    kGroupLights,
    kGroupGlobals,
    kGroupTextureMatrices,
    kGroupConstants,
    kGroupCount
};

struct Program
{
    GlProgram program;
    ProgramKey key;
    struct
    {
        GLint worldView, proj, normalMatrix, pixelOffset;
        GLint matDiffuse, matAmbient, matSpecular, matEmissive, matPower, ambient;
        GLint lightDiffuse, lightSpecular, lightAmbient, lightPosition, lightDirection, lightAttenuation,
            lightSpot;
        GLint textureFactor, fog, fogColor, alphaRef, pointSize, pointScale;
        GLint constants, flipY;
        GLint texMatrix[kStages];
        GLint sampler[kStages];
    } loc;
    unsigned versions[kGroupCount] = {};  // 0: never sent
};

// Compiles and links a program with the layer's attribute locations and
// looks up its uniforms; null when it does not compile or link.
std::unique_ptr<Program> LinkProgram(const ProgramKey& key, const std::string& vertex, const std::string& fragment);

class ProgramCache
{
public:
    // The program for a key, or null when it does not compile (which is a
    // fault of the generator, told on standard error).
    Program* Get(const ProgramKey& key);
    std::size_t Size() const { return programs_.size(); }

private:
    std::unordered_map<ProgramKey, std::unique_ptr<Program>, ProgramKeyHash> programs_;
};

}  // namespace go3d::d3d
