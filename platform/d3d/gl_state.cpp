#include "platform/d3d/gl_state.h"

namespace go3d::d3d {

namespace {

unsigned CapBit(GLenum cap)
{
    switch (cap)
    {
    case GL_DEPTH_TEST: return 1;
    case GL_STENCIL_TEST: return 2;
    case GL_BLEND: return 4;
    case GL_CULL_FACE: return 8;
    default: return 16;  // GL_SCISSOR_TEST
    }
}

}  // namespace

void GlState::Enable(GLenum cap, bool on)
{
    const unsigned bit = CapBit(cap);
    if ((known_ & bit) && ((enabled_ & bit) != 0) == on)
        return;
    known_ |= bit;
    enabled_ = on ? enabled_ | bit : enabled_ & ~bit;
    ++calls_;
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void GlState::DepthFunc(GLenum f)
{
    if (Change(depthFunc_, f))
        glDepthFunc(f);
}

void GlState::DepthMask(bool on)
{
    if (Change(depthMask_, on ? 1 : 0))
        glDepthMask(on ? GL_TRUE : GL_FALSE);
}

void GlState::StencilFunc(GLenum f, GLint ref, GLuint mask)
{
    if (Change(stencilFunc_, {f, static_cast<GLuint>(ref), mask}))
        glStencilFunc(f, ref, mask);
}

void GlState::StencilOp(GLenum fail, GLenum zfail, GLenum pass)
{
    if (Change(stencilOp_, {fail, zfail, pass}))
        glStencilOp(fail, zfail, pass);
}

void GlState::StencilMask(GLuint mask)
{
    if (Change(stencilMask_, mask))
        glStencilMask(mask);
}

void GlState::BlendFunc(GLenum src, GLenum dst)
{
    if (Change(blendFunc_, {src, dst}))
        glBlendFunc(src, dst);
}

void GlState::BlendEquation(GLenum e)
{
    if (Change(blendEquation_, e))
        glBlendEquation(e);
}

void GlState::FrontFace(GLenum f)
{
    if (Change(frontFace_, f))
        glFrontFace(f);
}

void GlState::ColorMask(bool r, bool g, bool b, bool a)
{
    if (Change(colorMask_, (r ? 1 : 0) | (g ? 2 : 0) | (b ? 4 : 0) | (a ? 8 : 0)))
        glColorMask(r ? GL_TRUE : GL_FALSE, g ? GL_TRUE : GL_FALSE, b ? GL_TRUE : GL_FALSE, a ? GL_TRUE : GL_FALSE);
}

void GlState::PolygonMode(GLenum m)
{
    if (Change(polygonMode_, m))
        glPolygonMode(GL_FRONT_AND_BACK, m);
}

void GlState::Viewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    if (Change(viewport_, {x, y, w, h}))
        glViewport(x, y, w, h);
}

void GlState::Scissor(GLint x, GLint y, GLsizei w, GLsizei h)
{
    if (Change(scissor_, {x, y, w, h}))
        glScissor(x, y, w, h);
}

void GlState::DepthRange(double n, double f)
{
    if (Change(depthRange_, {n, f}))
        glDepthRange(n, f);
}

void GlState::UseProgram(GLuint p)
{
    if (Change(program_, p))
        glUseProgram(p);
}

void GlState::BindArrayBuffer(GLuint b)
{
    if (Change(arrayBuffer_, b))
        glBindBuffer(GL_ARRAY_BUFFER, b);
}

void GlState::BindElementBuffer(GLuint b)
{
    if (Change(elementBuffer_, b))
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b);
}

void GlState::BindTexture(GLuint unit, GLuint texture)
{
    if (!Change(textures_[unit], texture))
        return;
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    glActiveTexture(GL_TEXTURE0 + kSpareUnit);
}

void GlState::BindSampler(GLuint unit, GLuint sampler)
{
    if (Change(samplers_[unit], sampler))
        glBindSampler(unit, sampler);
}

}  // namespace go3d::d3d
