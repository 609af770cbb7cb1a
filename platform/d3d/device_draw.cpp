// The draw path of the device: clearing, presenting, and bringing GL up to
// date with the fixed-function state at each draw.

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d/device.h"
#include "platform/d3d/first_frame.h"
#include "platform/d3d/shader_gen.h"
#include "platform/d3d/unsupported.h"

namespace go3d::d3d {

namespace {

HRESULT Refuse(const char* what, DWORD value)
{
    ReportUnsupported(what, value);
    return D3DERR_INVALIDCALL;
}

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, float out[16])
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
        {
            double s = 0.0;
            for (int k = 0; k < 4; ++k)
                s += static_cast<double>(a.m[r][k]) * b.m[k][c];
            out[r * 4 + c] = static_cast<float>(s);
        }
}

// The matrix that takes row-vector normals to camera space: the transposed
// inverse of the upper 3x3 of the world-view matrix m (row-major 4x4).
void NormalMatrix(const float m[16], float out[9])
{
    const double a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9], i = m[10];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    const double s = det != 0.0 ? 1.0 / det : 0.0;
    // inverse = adjugate / det; out = inverse transposed, row-major.
    const double inv[9] = {A * s, -(b * i - c * h) * s, (b * f - c * e) * s,
                           B * s, (a * i - c * g) * s,  -(a * f - c * d) * s,
                           C * s, -(a * h - b * g) * s, (a * e - b * d) * s};
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            out[r * 3 + col] = static_cast<float>(inv[col * 3 + r]);
}

void TransformPoint(const D3DVECTOR& p, const D3DMATRIX& m, float out[3])
{
    for (int c = 0; c < 3; ++c)
        out[c] = p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c] + m.m[3][c];
}

void TransformDirection(const D3DVECTOR& p, const D3DMATRIX& m, float out[3])
{
    for (int c = 0; c < 3; ++c)
        out[c] = p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c];
    const float len = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
    if (len > 0.0f)
        for (int c = 0; c < 3; ++c)
            out[c] /= len;
}

void ColorFloats(D3DCOLOR c, float out[4])
{
    out[0] = ((c >> 16) & 0xFF) / 255.0f;
    out[1] = ((c >> 8) & 0xFF) / 255.0f;
    out[2] = (c & 0xFF) / 255.0f;
    out[3] = ((c >> 24) & 0xFF) / 255.0f;
}

void CopyColor(const D3DCOLORVALUE& c, float out[4])
{
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

GLenum Compare(DWORD f)
{
    static constexpr GLenum table[] = {GL_ALWAYS, GL_NEVER,  GL_LESS,     GL_EQUAL,
                                       GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return table[f <= 8 ? f : 0];
}

GLenum StencilOp(DWORD op)
{
    static constexpr GLenum table[] = {GL_KEEP, GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR,
                                       GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
    return table[op <= 8 ? op : 0];
}

GLenum BlendFactor(DWORD b)
{
    static constexpr GLenum table[] = {GL_ZERO,
                                       GL_ZERO,
                                       GL_ONE,
                                       GL_SRC_COLOR,
                                       GL_ONE_MINUS_SRC_COLOR,
                                       GL_SRC_ALPHA,
                                       GL_ONE_MINUS_SRC_ALPHA,
                                       GL_DST_ALPHA,
                                       GL_ONE_MINUS_DST_ALPHA,
                                       GL_DST_COLOR,
                                       GL_ONE_MINUS_DST_COLOR,
                                       GL_SRC_ALPHA_SATURATE};
    return table[b <= 11 ? b : 1];
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE t)
{
    switch (t)
    {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST: return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    default: return GL_TRIANGLE_FAN;
    }
}

// Points each declared input register of a shader at its place in the
// stream; returns the attributes used.
unsigned PointShaderInputs(const VertexShader& shader, UINT stride, std::size_t offset)
{
    unsigned wanted = 0;
    for (const VertexElement& e : shader.Elements())
    {
        static constexpr GLint sizes[] = {1, 2, 3, 4, GL_BGRA, 4, 2, 4};
        static constexpr GLenum types[] = {GL_FLOAT,         GL_FLOAT,         GL_FLOAT, GL_FLOAT,
                                           GL_UNSIGNED_BYTE, GL_UNSIGNED_BYTE, GL_SHORT, GL_SHORT};
        glVertexAttribPointer(e.reg, sizes[e.type], types[e.type], e.type == vs::kColor ? GL_TRUE : GL_FALSE,
                              static_cast<GLsizei>(stride), reinterpret_cast<const void*>(offset + e.offset));
        wanted |= 1u << e.reg;
    }
    return wanted;
}

// The same for the elements of a vertex format.
unsigned PointFixedInputs(const VertexLayout& l, UINT stride, std::size_t offset)
{
    auto at = [offset](int o) { return reinterpret_cast<const void*>(offset + static_cast<std::size_t>(o)); };
    unsigned wanted = 1u << kAttrPosition;
    glVertexAttribPointer(kAttrPosition, 3, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), at(0));
    if (l.normalOffset >= 0)
    {
        wanted |= 1u << kAttrNormal;
        glVertexAttribPointer(kAttrNormal, 3, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), at(l.normalOffset));
    }
    if (l.psizeOffset >= 0)
    {
        wanted |= 1u << kAttrPSize;
        glVertexAttribPointer(kAttrPSize, 1, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), at(l.psizeOffset));
    }
    // D3DCOLOR is B, G, R, A in memory: GL's BGRA size reads it as it is.
    if (l.diffuseOffset >= 0)
    {
        wanted |= 1u << kAttrDiffuse;
        glVertexAttribPointer(kAttrDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLsizei>(stride),
                              at(l.diffuseOffset));
    }
    if (l.specularOffset >= 0)
    {
        wanted |= 1u << kAttrSpecular;
        glVertexAttribPointer(kAttrSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLsizei>(stride),
                              at(l.specularOffset));
    }
    for (int i = 0; i < l.texCount; ++i)
    {
        wanted |= 1u << (kAttrTex0 + i);
        glVertexAttribPointer(kAttrTex0 + static_cast<unsigned>(i), l.texSize[i], GL_FLOAT, GL_FALSE,
                              static_cast<GLsizei>(stride), at(l.texOffset[i]));
    }
    return wanted;
}

}  // namespace

void Device::ApplyFixedState()
{
    const auto& rs = state_.render;
    GlState& gl = glState_;
    const bool depth = hasDepth_ && rs[D3DRS_ZENABLE];
    gl.Enable(GL_DEPTH_TEST, depth);
    if (depth)
        gl.DepthFunc(Compare(rs[D3DRS_ZFUNC]));
    gl.DepthMask(rs[D3DRS_ZWRITEENABLE] != 0);
    const bool stencil = hasStencil_ && rs[D3DRS_STENCILENABLE];
    gl.Enable(GL_STENCIL_TEST, stencil);
    if (stencil)
    {
        gl.StencilFunc(Compare(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF] & 0xFF),
                       rs[D3DRS_STENCILMASK]);
        gl.StencilOp(StencilOp(rs[D3DRS_STENCILFAIL]), StencilOp(rs[D3DRS_STENCILZFAIL]),
                     StencilOp(rs[D3DRS_STENCILPASS]));
    }
    gl.StencilMask(rs[D3DRS_STENCILWRITEMASK]);
    gl.Enable(GL_BLEND, rs[D3DRS_ALPHABLENDENABLE] != 0);
    if (rs[D3DRS_ALPHABLENDENABLE])
    {
        DWORD src = rs[D3DRS_SRCBLEND], dst = rs[D3DRS_DESTBLEND];
        if (src == D3DBLEND_BOTHSRCALPHA)
        {
            src = D3DBLEND_SRCALPHA;
            dst = D3DBLEND_INVSRCALPHA;
        }
        else if (src == D3DBLEND_BOTHINVSRCALPHA)
        {
            src = D3DBLEND_INVSRCALPHA;
            dst = D3DBLEND_SRCALPHA;
        }
        gl.BlendFunc(BlendFactor(src), BlendFactor(dst));
        static constexpr GLenum ops[] = {GL_FUNC_ADD, GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT,
                                         GL_MIN, GL_MAX};
        gl.BlendEquation(ops[rs[D3DRS_BLENDOP] <= 5 ? rs[D3DRS_BLENDOP] : 1]);
    }
    // Front faces are clockwise on screen; GL's window y runs up but our
    // frame is not mirrored, so GL's clockwise is the one seen. Back faces
    // are the ones culled.
    gl.Enable(GL_CULL_FACE, rs[D3DRS_CULLMODE] != D3DCULL_NONE);
    if (rs[D3DRS_CULLMODE] != D3DCULL_NONE)
    {
        // A texture target is drawn upside down, which turns the winding.
        gl.FrontFace((rs[D3DRS_CULLMODE] == D3DCULL_CCW) != flipY_ ? GL_CW : GL_CCW);
    }
    const DWORD mask = rs[D3DRS_COLORWRITEENABLE];
    gl.ColorMask(mask & 1, mask & 2, mask & 4, mask & 8);
    const DWORD fill = rs[D3DRS_FILLMODE];
    gl.PolygonMode(fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
}

void Device::ApplyProgram(const VertexLayout& layout, D3DPRIMITIVETYPE type)
{
    const bool points = type == D3DPT_POINTLIST;
    if (!(dirty_ & kDirtyKey) && program_ && points == keyPoints_)
        return;
    StageTextures textures;
    for (DWORD i = 0; i < kStages; ++i)
        textures.kind[i] = textures_[i] ? 1 : 0;  // SetTexture lets only samplable textures in
    key_ = MakeProgramKey(state_, layout, type, textures);
    if (shader_)
    {
        // The shader does transform and lighting; the key keeps the pixel
        // side, where the specular colour is added whenever it is enabled.
        key_.lighting = 0;
        std::memset(key_.lightType, 0, sizeof key_.lightType);
        key_.specularAdd = state_.render[D3DRS_SPECULARENABLE] != 0;
    }
    keyPoints_ = points;
    keyType_ = type;
    // A program just linked is current already, but never the one the
    // state last sent, so UseProgram below still goes out for it.
    Program* p = shader_ ? shader_->ProgramFor(key_) : programs_.Get(key_);
    program_ = p;
    if (p)
        glState_.UseProgram(p->program.get());
    dirty_ &= ~kDirtyKey;
}

void Device::SendUniforms()
{
    if (dirty_ & kDirtyTransform)
    {
        Multiply(state_.world[0], state_.view, worldView_);
        NormalMatrix(worldView_, normalMatrix_);
        ++versions_[kGroupTransform];
    }
    if (dirty_ & (kDirtyProjection | kDirtyViewport))
    {
        std::memcpy(projection_, &state_.projection, sizeof projection_);
        if (flipY_)
            for (int r = 0; r < 4; ++r)
                projection_[r * 4 + 1] = -projection_[r * 4 + 1];
        ++versions_[kGroupProjection];
    }
    if (dirty_ & kDirtyMaterial)
        ++versions_[kGroupMaterial];
    if (dirty_ & kDirtyLights)
    {
        int n = 0;
        for (const auto& [index, slot] : state_.lights)
        {
            if (!slot.enabled || n >= static_cast<int>(kMaxActiveLights))
                continue;
            const D3DLIGHT8& l = slot.light;
            auto& u = lightUniforms_;
            CopyColor(l.Diffuse, u.diffuse[n]);
            CopyColor(l.Specular, u.specular[n]);
            CopyColor(l.Ambient, u.ambient[n]);
            TransformPoint(l.Position, state_.view, u.position[n]);
            TransformDirection(l.Direction, state_.view, u.direction[n]);
            if (l.Type == D3DLIGHT_DIRECTIONAL)
                for (float& c : u.direction[n])
                    c = -c;  // towards the light
            u.attenuation[n][0] = l.Attenuation0;
            u.attenuation[n][1] = l.Attenuation1;
            u.attenuation[n][2] = l.Attenuation2;
            u.attenuation[n][3] = l.Range;
            u.spot[n][0] = std::cos(l.Theta * 0.5f);
            u.spot[n][1] = std::cos(l.Phi * 0.5f);
            u.spot[n][2] = l.Falloff;
            ++n;
        }
        ++versions_[kGroupLights];
    }
    if (dirty_ & kDirtyGlobals)
        ++versions_[kGroupGlobals];
    if (dirty_ & kDirtyTexMatrix)
        ++versions_[kGroupTextureMatrices];
    if (dirty_ & kDirtyConstants)
        ++versions_[kGroupConstants];
    dirty_ &= ~(kDirtyTransform | kDirtyProjection | kDirtyMaterial | kDirtyLights | kDirtyGlobals |
                kDirtyTexMatrix | kDirtyConstants);

    Program& p = *program_;
    const auto& L = p.loc;
    // Whether the program's copy of a group is behind; counts the upload.
    auto behind = [&](UniformGroup g, unsigned calls) {
        if (p.versions[g] == versions_[g])
            return false;
        p.versions[g] = versions_[g];
        glState_.Count(calls);
        return true;
    };
    if (behind(kGroupTransform, 2))
    {
        glUniformMatrix4fv(L.worldView, 1, GL_FALSE, worldView_);
        glUniformMatrix3fv(L.normalMatrix, 1, GL_FALSE, normalMatrix_);
    }
    if (behind(kGroupProjection, 3))
    {
        glUniformMatrix4fv(L.proj, 1, GL_FALSE, projection_);
        // Half a pixel right and down; a hair less downwards, so that an edge
        // through pixel centres includes the top row as Direct3D does (GL's
        // y-up window breaks vertical ties the other way).
        const float down = (1.0f - 1.0f / 64.0f) / static_cast<float>(state_.viewport.Height);
        glUniform2f(L.pixelOffset, 1.0f / static_cast<float>(state_.viewport.Width), flipY_ ? down : -down);
        glUniform1f(L.flipY, flipY_ ? -1.0f : 1.0f);
    }
    if (p.key.lighting && behind(kGroupMaterial, 5))
    {
        const D3DMATERIAL8& m = state_.material;
        glUniform4fv(L.matDiffuse, 1, &m.Diffuse.r);
        glUniform4fv(L.matAmbient, 1, &m.Ambient.r);
        glUniform4fv(L.matSpecular, 1, &m.Specular.r);
        glUniform4fv(L.matEmissive, 1, &m.Emissive.r);
        glUniform1f(L.matPower, m.Power);
    }
    if (p.key.lighting && behind(kGroupLights, 7))
    {
        const auto& u = lightUniforms_;
        glUniform4fv(L.lightDiffuse, 8, &u.diffuse[0][0]);
        glUniform4fv(L.lightSpecular, 8, &u.specular[0][0]);
        glUniform4fv(L.lightAmbient, 8, &u.ambient[0][0]);
        glUniform3fv(L.lightPosition, 8, &u.position[0][0]);
        glUniform3fv(L.lightDirection, 8, &u.direction[0][0]);
        glUniform4fv(L.lightAttenuation, 8, &u.attenuation[0][0]);
        glUniform3fv(L.lightSpot, 8, &u.spot[0][0]);
    }
    if (behind(kGroupGlobals, 7))
    {
        const auto& rs = state_.render;
        float c[4];
        ColorFloats(rs[D3DRS_AMBIENT], c);
        glUniform4fv(L.ambient, 1, c);
        ColorFloats(rs[D3DRS_TEXTUREFACTOR], c);
        glUniform4fv(L.textureFactor, 1, c);
        ColorFloats(rs[D3DRS_FOGCOLOR], c);
        glUniform4fv(L.fogColor, 1, c);
        glUniform3f(L.fog, DwordToFloat(rs[D3DRS_FOGSTART]), DwordToFloat(rs[D3DRS_FOGEND]),
                    DwordToFloat(rs[D3DRS_FOGDENSITY]));
        glUniform1f(L.alphaRef, static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF));
        const float maxSize = std::min(DwordToFloat(rs[D3DRS_POINTSIZE_MAX]), adapter_->Info().maxPointSize);
        glUniform4f(L.pointSize, DwordToFloat(rs[D3DRS_POINTSIZE]), DwordToFloat(rs[D3DRS_POINTSIZE_MIN]), maxSize,
                    static_cast<float>(state_.viewport.Height));
        glUniform4f(L.pointScale, DwordToFloat(rs[D3DRS_POINTSCALE_A]), DwordToFloat(rs[D3DRS_POINTSCALE_B]),
                    DwordToFloat(rs[D3DRS_POINTSCALE_C]), 0.0f);
    }
    if (L.constants >= 0 && behind(kGroupConstants, 1))
        glUniform4fv(L.constants, static_cast<GLsizei>(vs::kConstants), &constants_[0][0]);
    if (behind(kGroupTextureMatrices, 0))
    {
        for (DWORD i = 0; i < kStages; ++i)
            if (L.texMatrix[i] >= 0)
            {
                glUniformMatrix4fv(L.texMatrix[i], 1, GL_FALSE, &state_.texture[i].m[0][0]);
                glState_.Count();
            }
    }
}

void Device::BindVertices(GLuint buffer, std::size_t offset, UINT stride, const VertexLayout& l)
{
    if (buffer == boundArrayBuffer_ && offset == boundOffset_ && stride == boundStride_ && vertexShader_ == boundFvf_)
        return;
    glState_.BindArrayBuffer(buffer);
    const unsigned wanted = shader_ ? PointShaderInputs(*shader_, stride, offset) : PointFixedInputs(l, stride, offset);
    glState_.Count(static_cast<unsigned>(__builtin_popcount(wanted)));
    for (unsigned a = 0; a < 16; ++a)
    {
        const unsigned bit = 1u << a;
        if ((wanted & bit) && !(enabledAttributes_ & bit))
            glEnableVertexAttribArray(a);
        else if (!(wanted & bit) && (enabledAttributes_ & bit))
            glDisableVertexAttribArray(a);
        else
            continue;
        glState_.Count();
    }
    enabledAttributes_ = wanted;
    boundArrayBuffer_ = buffer;
    boundOffset_ = offset;
    boundStride_ = stride;
    boundFvf_ = vertexShader_;
}

HRESULT Device::CheckDrawable(D3DPRIMITIVETYPE type, const char*& why)
{
    if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN)
        return why = "primitive type", D3DERR_INVALIDCALL;
    if (!layout_.valid)
        return why = "no vertex format", D3DERR_INVALIDCALL;
    gl_->MakeCurrent();
    if (FAILED(BeforeBackBufferUse()))
        return why = "back buffer storage", D3DERR_OUTOFVIDEOMEMORY;
    if (dirty_ & kDirtyFixed)
    {
        ApplyFixedState();
        dirty_ &= ~kDirtyFixed;
    }
    if (dirty_ & kDirtyViewport)
    {
        const auto& v = state_.viewport;
        const auto y = static_cast<GLint>(flipY_ ? v.Y : targetHeight_ - v.Y - v.Height);
        glState_.Viewport(static_cast<GLint>(v.X), y, static_cast<GLsizei>(v.Width), static_cast<GLsizei>(v.Height));
        glState_.Scissor(static_cast<GLint>(v.X), y, static_cast<GLsizei>(v.Width), static_cast<GLsizei>(v.Height));
        glState_.DepthRange(v.MinZ, v.MaxZ);
    }
    ApplyProgram(layout_, type);
    if (!program_)
        return why = "program", D3DERR_INVALIDCALL;
    SendUniforms();
    BindTextures();
    dirty_ &= ~kDirtyViewport;
    return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count)
{
    gl_->Log("DrawPrimitive", type, start, count);
    const UINT n = VertexCountFor(type, count);
    if (count == 0)
        return D3D_OK;
    if (!stream_ || streamStride_ < layout_.size || stream_->Store().Locked())
        return D3DERR_INVALIDCALL;
    const UINT capacity = stream_->Store().Size() / streamStride_;
    if (n == 0 || start > capacity || n > capacity - start)
        return D3DERR_INVALIDCALL;
    const char* why = nullptr;
    HRESULT hr = CheckDrawable(type, why);
    if (FAILED(hr))
        return hr;
    BindVertices(stream_->Store().Name(), 0, streamStride_, layout_);
    glDrawArrays(PrimitiveMode(type), static_cast<GLint>(start), static_cast<GLsizei>(n));
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                     UINT count)
{
    gl_->Log("DrawIndexedPrimitive", type, minIndex, numVertices, startIndex, count);
    const UINT n = VertexCountFor(type, count);
    if (count == 0)
        return D3D_OK;
    if (!stream_ || !indices_ || streamStride_ < layout_.size || stream_->Store().Locked() ||
        indices_->Store().Locked() || n == 0)
        return D3DERR_INVALIDCALL;
    const UINT indexCount = indices_->Store().Size() / 2;
    if (startIndex > indexCount || n > indexCount - startIndex)
        return D3DERR_INVALIDCALL;
    // No index may reach past the vertices of the stream.
    const UINT capacity = stream_->Store().Size() / streamStride_;
    if (static_cast<unsigned long long>(baseVertex_) + indices_->MaxIndex() >= capacity)
    {
        const BYTE* b = indices_->Store().Bytes() + 2 * static_cast<std::size_t>(startIndex);
        UINT top = 0;
        for (UINT i = 0; i < n; ++i)
            top = std::max<UINT>(top, static_cast<UINT>(b[2 * i] | (b[2 * i + 1] << 8)));
        if (static_cast<unsigned long long>(baseVertex_) + top >= capacity)
            return D3DERR_INVALIDCALL;
    }
    const char* why = nullptr;
    HRESULT hr = CheckDrawable(type, why);
    if (FAILED(hr))
        return hr;
    BindVertices(stream_->Store().Name(), 0, streamStride_, layout_);
    glState_.BindElementBuffer(indices_->Store().Name());
    glDrawElementsBaseVertex(PrimitiveMode(type), static_cast<GLsizei>(n), GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(static_cast<std::size_t>(startIndex) * 2),
                             static_cast<GLint>(baseVertex_));
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* vertices, UINT stride)
{
    gl_->Log("DrawPrimitiveUP", type, count, vertices, stride);
    const UINT n = VertexCountFor(type, count);
    if (count == 0)
        return D3D_OK;
    if (!vertices || n == 0 || stride < layout_.size)
        return D3DERR_INVALIDCALL;
    const char* why = nullptr;
    HRESULT hr = CheckDrawable(type, why);
    if (FAILED(hr))
        return hr;
    glState_.BindArrayBuffer(scratchVertices_.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(n) * stride, vertices, GL_STREAM_DRAW);
    boundArrayBuffer_ = 0;
    BindVertices(scratchVertices_.get(), 0, stride, layout_);
    boundArrayBuffer_ = 0;  // the scratch contents change with every call
    glDrawArrays(PrimitiveMode(type), 0, static_cast<GLsizei>(n));
    // Direct3D leaves no stream bound after an immediate draw.
    if (stream_)
        std::exchange(stream_, nullptr)->Release();
    streamStride_ = 0;
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT count,
                                       const void* indices, D3DFORMAT format, const void* vertices, UINT stride)
{
    gl_->Log("DrawIndexedPrimitiveUP", type, minIndex, numVertices, count, indices, format, vertices, stride);
    const UINT n = VertexCountFor(type, count);
    if (count == 0)
        return D3D_OK;
    if (format != D3DFMT_INDEX16)
        return D3DERR_INVALIDCALL;
    if (!indices || !vertices || n == 0 || stride < layout_.size || numVertices == 0)
        return D3DERR_INVALIDCALL;
    const auto* idx = static_cast<const std::uint16_t*>(indices);
    for (UINT i = 0; i < n; ++i)
        if (idx[i] < minIndex || idx[i] >= static_cast<unsigned long long>(minIndex) + numVertices)
            return D3DERR_INVALIDCALL;  // outside the vertices the caller handed over
    const char* why = nullptr;
    HRESULT hr = CheckDrawable(type, why);
    if (FAILED(hr))
        return hr;
    glState_.BindArrayBuffer(scratchVertices_.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(numVertices) * stride,
                 static_cast<const BYTE*>(vertices) + static_cast<std::size_t>(minIndex) * stride, GL_STREAM_DRAW);
    boundArrayBuffer_ = 0;
    BindVertices(scratchVertices_.get(), 0, stride, layout_);
    boundArrayBuffer_ = 0;
    glState_.BindElementBuffer(scratchIndices_.get());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(n) * 2, indices, GL_STREAM_DRAW);
    glDrawElementsBaseVertex(PrimitiveMode(type), static_cast<GLsizei>(n), GL_UNSIGNED_SHORT, nullptr,
                             -static_cast<GLint>(minIndex));
    if (stream_)
        std::exchange(stream_, nullptr)->Release();
    streamStride_ = 0;
    if (indices_)
        std::exchange(indices_, nullptr)->Release();
    baseVertex_ = 0;
    return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    gl_->Log("Clear", count, rects, flags, color, z, stencil);
    if ((flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) || (count && !rects))
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_ZBUFFER) && !hasDepth_)
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && !hasStencil_)
        return D3DERR_INVALIDCALL;
    gl_->MakeCurrent();
    if (const HRESULT hr = BeforeBackBufferUse(); FAILED(hr))
        return hr;
    GLbitfield bits = 0;
    if (flags & D3DCLEAR_TARGET)
    {
        float c[4];
        ColorFloats(color, c);
        glClearColor(c[0], c[1], c[2], c[3]);
        glState_.ColorMask(true, true, true, true);
        bits |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER)
    {
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        glState_.DepthMask(true);
        bits |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL)
    {
        glClearStencil(static_cast<GLint>(stencil & 0xFF));
        glState_.StencilMask(0xFF);
        bits |= GL_STENCIL_BUFFER_BIT;
    }
    // A clear covers the viewport, or the given rectangles inside it.
    const auto& v = state_.viewport;
    const LONG H = static_cast<LONG>(targetHeight_);
    auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
        x1 = std::max<LONG>(x1, static_cast<LONG>(v.X));
        y1 = std::max<LONG>(y1, static_cast<LONG>(v.Y));
        x2 = std::min<LONG>(x2, static_cast<LONG>(v.X + v.Width));
        y2 = std::min<LONG>(y2, static_cast<LONG>(v.Y + v.Height));
        if (x2 <= x1 || y2 <= y1)
            return;
        glState_.Scissor(x1, flipY_ ? y1 : H - y2, x2 - x1, y2 - y1);
        glClear(bits);
    };
    if (count == 0)
        clearRect(0, 0, LONG{1} << 30, LONG{1} << 30);
    for (DWORD i = 0; i < count; ++i)
        clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    Dirty(kDirtyFixed | kDirtyViewport);
    return D3D_OK;
}

HRESULT Device::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow, const void* dirty)
{
    gl_->Log("Present", sourceRect, destRect, destWindow, dirty);
    if (sourceRect || destRect || (destWindow && destWindow != window_))
        return Refuse("Present with rectangles or another window", 0);
    gl_->MakeCurrent();
    if (const HRESULT hr = BeforeBackBufferUse(); FAILED(hr))
        return hr;
    if (direct_)
    {
        SDL_GL_SwapWindow(gl_->window);
        AfterPresent();
        return UseWindow(WindowCanHoldBackBuffer());
    }
    int ww = 0, wh = 0;
    WindowDrawableSize(gl_->window, ww, wh);
    const auto w = static_cast<GLint>(parameters_.BackBufferWidth), h = static_cast<GLint>(parameters_.BackBufferHeight);
    glState_.Enable(GL_SCISSOR_TEST, false);
    GLuint source = fbo_.get();
    if (resolveFbo_ && (ww != w || wh != h))
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_.get());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFbo_.get());
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        source = resolveFbo_.get();
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, w, h, 0, 0, ww, wh, GL_COLOR_BUFFER_BIT, (ww == w && wh == h) ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(gl_->window);
    AfterPresent();
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    glState_.Enable(GL_SCISSOR_TEST, true);
    // A window that has come to the back buffer's size takes it over.
    return UseWindow(WindowCanHoldBackBuffer());
}

}  // namespace go3d::d3d
