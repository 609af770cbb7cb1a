#include "platform/d3d/texture_format.h"

#include <cstring>

namespace go3d::d3d {

UINT TexelSize(D3DFORMAT f)
{
    switch (f)
    {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return 4;
    case D3DFMT_R8G8B8: return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: return 2;
    case D3DFMT_A8: return 1;
    default: return 0;
    }
}

GlTextureFormat GlFormatOf(D3DFORMAT f)
{
    switch (f)
    {
    // An X8 or X1 format stored without alpha samples alpha as 1 whatever the
    // unused bits hold.
    case D3DFMT_A8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case D3DFMT_X8R8G8B8: return {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case D3DFMT_R8G8B8: return {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE};
    case D3DFMT_R5G6B5: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case D3DFMT_X1R5G5B5: return {GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case D3DFMT_A1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case D3DFMT_A8: return {GL_R8, GL_RED, GL_UNSIGNED_BYTE, true};
    default: return {};
    }
}

UINT RowPitch(D3DFORMAT f, UINT width) { return (width * TexelSize(f) + 3u) & ~3u; }

namespace {

DWORD Expand5(DWORD v) { return (v << 3) | (v >> 2); }
DWORD Expand6(DWORD v) { return (v << 2) | (v >> 4); }
DWORD To5(DWORD v) { return (v * 31 + 127) / 255; }
DWORD To6(DWORD v) { return (v * 63 + 127) / 255; }

std::uint16_t Load16(const BYTE* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void Store16(BYTE* p, DWORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}

}  // namespace

DWORD ReadTexel(D3DFORMAT f, const BYTE* p)
{
    switch (f)
    {
    case D3DFMT_A8R8G8B8: return static_cast<DWORD>(p[0] | (p[1] << 8) | (p[2] << 16)) | (DWORD{p[3]} << 24);
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R8G8B8: return static_cast<DWORD>(p[0] | (p[1] << 8) | (p[2] << 16)) | 0xFF000000u;
    case D3DFMT_R5G6B5:
    {
        const DWORD v = Load16(p);
        return 0xFF000000u | (Expand5(v >> 11) << 16) | (Expand6((v >> 5) & 63) << 8) | Expand5(v & 31);
    }
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    {
        const DWORD v = Load16(p);
        const DWORD a = f == D3DFMT_X1R5G5B5 || (v & 0x8000) ? 0xFF000000u : 0;
        return a | (Expand5((v >> 10) & 31) << 16) | (Expand5((v >> 5) & 31) << 8) | Expand5(v & 31);
    }
    case D3DFMT_A8: return DWORD{p[0]} << 24;
    default: return 0;
    }
}

void WriteTexel(D3DFORMAT f, BYTE* p, DWORD c)
{
    const DWORD a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    switch (f)
    {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        p[0] = static_cast<BYTE>(b);
        p[1] = static_cast<BYTE>(g);
        p[2] = static_cast<BYTE>(r);
        p[3] = static_cast<BYTE>(f == D3DFMT_X8R8G8B8 ? 0xFF : a);
        break;
    case D3DFMT_R8G8B8:
        p[0] = static_cast<BYTE>(b);
        p[1] = static_cast<BYTE>(g);
        p[2] = static_cast<BYTE>(r);
        break;
    case D3DFMT_R5G6B5: Store16(p, (To5(r) << 11) | (To6(g) << 5) | To5(b)); break;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        Store16(p, (a >= 128 || f == D3DFMT_X1R5G5B5 ? 0x8000u : 0u) | (To5(r) << 10) | (To5(g) << 5) | To5(b));
        break;
    case D3DFMT_A8: p[0] = static_cast<BYTE>(a); break;
    default: break;
    }
}

GLint GlMinFilter(DWORD minFilter, DWORD mipFilter)
{
    const bool point = minFilter == D3DTEXF_POINT;
    if (mipFilter == D3DTEXF_POINT)
        return point ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
    if (mipFilter == D3DTEXF_LINEAR)
        return point ? GL_NEAREST_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
    return point ? GL_NEAREST : GL_LINEAR;
}

GLint GlMagFilter(DWORD magFilter)
{
    return magFilter == D3DTEXF_POINT ? GL_NEAREST : GL_LINEAR;
}

}  // namespace go3d::d3d
