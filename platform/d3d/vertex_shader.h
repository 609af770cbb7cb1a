#pragma once

// A vertex shader made by CreateVertexShader: its declaration (where each
// input register sits in stream 0), its constants, and its instructions,
// translated to a GLSL vertex program that feeds the fixed-function pixel
// stages generated for the rest of the state.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/d3d/program_cache.h"
#include "platform/d3d/vs_tokens.h"

namespace go3d::d3d {

struct VertexElement
{
    DWORD reg, type;
    UINT offset;
};

struct ShaderConstant
{
    DWORD reg;
    float value[4];
};

struct ShaderOperand
{
    DWORD type = 0, number = 0, components = 0;  // write mask or swizzle
    bool negate = false, relative = false;
};

struct ShaderInstruction
{
    const vs::OpcodeInfo* info = nullptr;
    ShaderOperand dst;
    ShaderOperand src[3];
};

class VertexShader
{
public:
    // D3D_OK and the shader, or an error result and the reason.
    static HRESULT Create(const DWORD* declaration, const DWORD* function, std::unique_ptr<VertexShader>& out,
                          std::string& why);

    const std::vector<VertexElement>& Elements() const { return elements_; }
    UINT Stride() const { return stride_; }
    // Loaded into the constant registers whenever the shader is set.
    const std::vector<ShaderConstant>& Constants() const { return constants_; }
    // The program for this shader with the pixel stages of key; null when
    // it does not compile (a fault of the translator, told on standard error).
    Program* ProgramFor(const ProgramKey& key);
    std::string GlslFor(const ProgramKey& key) const;

private:
    std::vector<VertexElement> elements_;
    UINT stride_ = 0;
    std::vector<ShaderConstant> constants_;
    std::vector<ShaderInstruction> code_;
    unsigned inputsRead_ = 0;
    bool writesPointSize_ = false;
    std::unordered_map<ProgramKey, std::unique_ptr<Program>, ProgramKeyHash> programs_;
};

}  // namespace go3d::d3d
