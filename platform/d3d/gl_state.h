#pragma once

// The GL state a device last sent, as a driver keeps it: a value already in
// place is not sent again. It also counts the GL calls the device makes to
// bring GL up to date (states, programs, uniforms, bindings), so that tests
// can see that a repeated value costs nothing.

#include <epoxy/gl.h>

#include <array>
#include <cstdint>

namespace go3d::d3d {

class GlState
{
public:
    // Capabilities the device switches: depth, stencil, blend, cull, scissor.
    void Enable(GLenum cap, bool on);
    void DepthFunc(GLenum f);
    void DepthMask(bool on);
    void StencilFunc(GLenum f, GLint ref, GLuint mask);
    void StencilOp(GLenum fail, GLenum zfail, GLenum pass);
    void StencilMask(GLuint mask);
    void BlendFunc(GLenum src, GLenum dst);
    void BlendEquation(GLenum e);
    void FrontFace(GLenum f);
    void ColorMask(bool r, bool g, bool b, bool a);
    void PolygonMode(GLenum m);
    void Viewport(GLint x, GLint y, GLsizei w, GLsizei h);
    void Scissor(GLint x, GLint y, GLsizei w, GLsizei h);
    void DepthRange(double n, double f);
    void UseProgram(GLuint p);
    void BindArrayBuffer(GLuint b);
    void BindElementBuffer(GLuint b);
    // Texture units are bound with the spare unit kept active, so that
    // texture uploads never disturb a unit that draws.
    void BindTexture(GLuint unit, GLuint texture);
    void BindSampler(GLuint unit, GLuint sampler);

    // Buffer and texture names can be reused once deleted: forget what is
    // bound when new ones may have been made.
    void ForgetBuffers() { arrayBuffer_ = elementBuffer_ = kUnknown; }
    void ForgetTextures() { textures_.fill(kUnknown); }

    // Calls made outside the setters above (uniforms, attribute pointers).
    void Count(unsigned calls = 1) { calls_ += calls; }
    std::uint64_t Calls() const { return calls_; }

    static constexpr GLuint kSpareUnit = 8;

private:
    static constexpr GLuint kUnknown = ~0u;
    template <typename T>
    bool Change(T& cached, const T& value)
    {
        if (cached == value)
            return false;
        cached = value;
        ++calls_;
        return true;
    }

    std::uint64_t calls_ = 0;
    // Starting values that no GL state has, so that the first set goes out.
    unsigned enabled_ = 0, known_ = 0;
    GLenum depthFunc_ = 0, blendEquation_ = 0, frontFace_ = 0, polygonMode_ = 0;
    int depthMask_ = -1, colorMask_ = -1;
    std::array<GLuint, 3> stencilFunc_{kUnknown, kUnknown, kUnknown};
    std::array<GLenum, 3> stencilOp_{};
    GLuint stencilMask_ = kUnknown - 1;
    std::array<GLenum, 2> blendFunc_{};
    std::array<GLint, 4> viewport_{-1, -1, -1, -1}, scissor_{-1, -1, -1, -1};
    std::array<double, 2> depthRange_{-1, -1};
    GLuint program_ = kUnknown, arrayBuffer_ = kUnknown, elementBuffer_ = kUnknown;
    std::array<GLuint, kSpareUnit> textures_{kUnknown, kUnknown, kUnknown, kUnknown,
                                             kUnknown, kUnknown, kUnknown, kUnknown};
    std::array<GLuint, kSpareUnit> samplers_{kUnknown, kUnknown, kUnknown, kUnknown,
                                             kUnknown, kUnknown, kUnknown, kUnknown};
};

}  // namespace go3d::d3d
