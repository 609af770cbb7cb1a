#pragma once

// Owners of GL names: each deletes its name when it goes, with the device's
// context current (the device and its buffers see to that).

#include <epoxy/gl.h>

#include <utility>

namespace go3d::d3d {

template <void (*Delete)(GLuint)>
class GlName
{
public:
    GlName() = default;
    explicit GlName(GLuint name) : name_(name) {}
    GlName(const GlName&) = delete;
    GlName& operator=(const GlName&) = delete;
    GlName(GlName&& o) noexcept : name_(std::exchange(o.name_, 0)) {}
    GlName& operator=(GlName&& o) noexcept
    {
        if (this != &o)
        {
            reset();
            name_ = std::exchange(o.name_, 0);
        }
        return *this;
    }
    ~GlName() { reset(); }

    GLuint get() const { return name_; }
    explicit operator bool() const { return name_ != 0; }
    void reset()
    {
        if (name_)
            Delete(name_);
        name_ = 0;
    }

private:
    GLuint name_ = 0;
};

inline void DeleteGlBuffer(GLuint n) { glDeleteBuffers(1, &n); }
inline void DeleteGlFramebuffer(GLuint n) { glDeleteFramebuffers(1, &n); }
inline void DeleteGlRenderbuffer(GLuint n) { glDeleteRenderbuffers(1, &n); }
inline void DeleteGlProgram(GLuint n) { glDeleteProgram(n); }
inline void DeleteGlShader(GLuint n) { glDeleteShader(n); }
inline void DeleteGlTexture(GLuint n) { glDeleteTextures(1, &n); }
inline void DeleteGlSampler(GLuint n) { glDeleteSamplers(1, &n); }

using GlBuffer = GlName<DeleteGlBuffer>;
using GlFramebuffer = GlName<DeleteGlFramebuffer>;
using GlRenderbuffer = GlName<DeleteGlRenderbuffer>;
using GlProgram = GlName<DeleteGlProgram>;
using GlShader = GlName<DeleteGlShader>;
using GlTexture = GlName<DeleteGlTexture>;
using GlSampler = GlName<DeleteGlSampler>;

inline GLuint NewGlBuffer()
{
    GLuint n = 0;
    glGenBuffers(1, &n);
    return n;
}
inline GLuint NewGlFramebuffer()
{
    GLuint n = 0;
    glGenFramebuffers(1, &n);
    return n;
}
inline GLuint NewGlRenderbuffer()
{
    GLuint n = 0;
    glGenRenderbuffers(1, &n);
    return n;
}

inline GLuint NewGlTexture()
{
    GLuint n = 0;
    glGenTextures(1, &n);
    return n;
}
inline GLuint NewGlSampler()
{
    GLuint n = 0;
    glGenSamplers(1, &n);
    return n;
}

}  // namespace go3d::d3d
