#pragma once

// The part of Direct3D 8's utility library the engine calls: image files
// into textures, the box filter for mip levels, and the vertex shader
// assembler with its result buffers.

#include "platform/d3d/d3d8.h"

struct PALETTEENTRY
{
    BYTE peRed, peGreen, peBlue, peFlags;
};

// A block of bytes handed out by the library: assembled code, error text.
class ID3DXBuffer : public IUnknown
{
public:
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};
using LPD3DXBUFFER = ID3DXBuffer*;

constexpr DWORD D3DX_DEFAULT = 0xFFFFFFFFu;
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;

constexpr HRESULT D3DXERR_INVALIDDATA = MakeD3DError(2905);

// Loads a JPEG or PNG file into a new managed texture of the image's size
// with a full, box-filtered mip chain: A8R8G8B8 when the file carries
// alpha, X8R8G8B8 when it does not. A missing, truncated or corrupt file
// is a failure result and no texture.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* path, IDirect3DTexture8** texture);

// Rebuilds every level below sourceLevel (D3DX_DEFAULT: 0) from the one
// above it, each texel the average of a 2 x 2 block. Only the box filter
// (or D3DX_DEFAULT) is offered; palettes are not used.
HRESULT D3DXFilterTexture(IDirect3DBaseTexture8* texture, const PALETTEENTRY* palette, UINT sourceLevel,
                          DWORD filter);

// Assembles a vs.1.1 text file into shader tokens. Declaration tokens for
// its def constants go to *constants when that is not null; a failure
// leaves the file, line and reason in *errors.
HRESULT D3DXAssembleShaderFromFileA(const char* path, DWORD flags, LPD3DXBUFFER* constants, LPD3DXBUFFER* code,
                                    LPD3DXBUFFER* errors);
