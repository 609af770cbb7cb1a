#include "platform/d3d/program_cache.h"

#include <cstdio>
#include <string>

#include "platform/d3d/shader_gen.h"

namespace go3d::d3d {

namespace {

GLuint Compile(GLenum type, const std::string& text)
{
    GLuint shader = glCreateShader(type);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "d3d8: generated shader does not compile:\n%s\n%s\n", log, source);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

std::unique_ptr<Program> LinkProgram(const ProgramKey& key, const std::string& vertex, const std::string& fragment)
{
    GlShader vs(Compile(GL_VERTEX_SHADER, vertex));
    GlShader fs(Compile(GL_FRAGMENT_SHADER, fragment));
    if (!vs || !fs)
        return nullptr;
    auto p = std::make_unique<Program>();
    p->key = key;
    p->program = GlProgram(glCreateProgram());
    const GLuint prog = p->program.get();
    glAttachShader(prog, vs.get());
    glAttachShader(prog, fs.get());
    glBindAttribLocation(prog, kAttrPosition, "aPosition");
    glBindAttribLocation(prog, kAttrNormal, "aNormal");
    glBindAttribLocation(prog, kAttrPSize, "aPSize");
    glBindAttribLocation(prog, kAttrDiffuse, "aDiffuse");
    glBindAttribLocation(prog, kAttrSpecular, "aSpecular");
    for (unsigned i = 0; i < 8; ++i)
        glBindAttribLocation(prog, kAttrTex0 + i, ("aTex" + std::to_string(i)).c_str());
    // A vertex shader's input registers are attributes of their own number.
    // Appended, not "v" + ...: g++ 12 at -O3 warns falsely of an overlap.
    for (unsigned i = 0; i < 16; ++i)
    {
        std::string name = "v";
        name += std::to_string(i);
        glBindAttribLocation(prog, i, name.c_str());
    }
    glLinkProgram(prog);
    GLint ok = 0;
    glGetProgramiv(prog, GL_LINK_STATUS, &ok);
    if (!ok)
    {
        char log[2048];
        glGetProgramInfoLog(prog, sizeof log, nullptr, log);
        std::fprintf(stderr, "d3d8: generated program does not link:\n%s\n", log);
        return nullptr;
    }
    auto u = [prog](const char* name) { return glGetUniformLocation(prog, name); };
    auto& l = p->loc;
    l.worldView = u("uWorldView");
    l.proj = u("uProj");
    l.normalMatrix = u("uNormalMatrix");
    l.pixelOffset = u("uPixelOffset");
    l.matDiffuse = u("uMatDiffuse");
    l.matAmbient = u("uMatAmbient");
    l.matSpecular = u("uMatSpecular");
    l.matEmissive = u("uMatEmissive");
    l.matPower = u("uMatPower");
    l.ambient = u("uAmbient");
    l.lightDiffuse = u("uLightDiffuse");
    l.lightSpecular = u("uLightSpecular");
    l.lightAmbient = u("uLightAmbient");
    l.lightPosition = u("uLightPosition");
    l.lightDirection = u("uLightDirection");
    l.lightAttenuation = u("uLightAttenuation");
    l.lightSpot = u("uLightSpot");
    l.textureFactor = u("uTextureFactor");
    l.fog = u("uFog");
    l.fogColor = u("uFogColor");
    l.alphaRef = u("uAlphaRef");
    l.pointSize = u("uPointSize");
    l.pointScale = u("uPointScale");
    l.constants = u("c");
    l.flipY = u("uFlipY");
    glUseProgram(prog);
    for (unsigned i = 0; i < kStages; ++i)
    {
        l.texMatrix[i] = u(("uTexMatrix" + std::to_string(i)).c_str());
        l.sampler[i] = u(("uSampler" + std::to_string(i)).c_str());
        if (l.sampler[i] >= 0)
            glUniform1i(l.sampler[i], static_cast<GLint>(i));
    }
    return p;
}

Program* ProgramCache::Get(const ProgramKey& key)
{
    auto found = programs_.find(key);
    if (found != programs_.end())
        return found->second.get();
    auto p = LinkProgram(key, GenerateVertexShader(key), GenerateFragmentShader(key));
    if (!p)
        return nullptr;
    Program* raw = p.get();
    programs_.emplace(key, std::move(p));
    return raw;
}

}  // namespace go3d::d3d
