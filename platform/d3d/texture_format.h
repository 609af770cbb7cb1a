#pragma once

// The texture formats the layer stores: their sizes, their GL upload form,
// texel conversion to and from A8R8G8B8 for the utility library, and GL's
// filters for a stage's.

#include <epoxy/gl.h>

#include "platform/d3d/d3d8types.h"

namespace go3d::d3d {

struct GlTextureFormat
{
    GLint internal = 0;  // 0: not a texture format of the layer
    GLenum format = 0, type = 0;
    bool alphaOnly = false;  // sampled as (0, 0, 0, a)
};

// Bytes of one texel; 0 for formats the layer does not store.
UINT TexelSize(D3DFORMAT format);
GlTextureFormat GlFormatOf(D3DFORMAT format);
// Rows are four-byte aligned, as GL's default unpack alignment reads them.
UINT RowPitch(D3DFORMAT format, UINT width);

// One texel at p as A8R8G8B8; formats without alpha read alpha 255.
DWORD ReadTexel(D3DFORMAT format, const BYTE* p);
// Writes an A8R8G8B8 value at p, rounding each channel to the format's bits.
void WriteTexel(D3DFORMAT format, BYTE* p, DWORD argb);

// GL's minification filter for a stage's D3DTSS_MINFILTER and
// D3DTSS_MIPFILTER, and its magnification filter for D3DTSS_MAGFILTER.
GLint GlMinFilter(DWORD minFilter, DWORD mipFilter);
GLint GlMagFilter(DWORD magFilter);

}  // namespace go3d::d3d
