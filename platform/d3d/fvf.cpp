#include "platform/d3d/fvf.h"

namespace go3d::d3d {

VertexLayout DecodeFVF(DWORD fvf)
{
    VertexLayout l;
    constexpr DWORD known = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE |
                            D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK | D3DFVF_LASTBETA_UBYTE4 | 0xFFFF0000u;
    if (fvf & ~known)
        return l;
    const DWORD pos = fvf & D3DFVF_POSITION_MASK;
    if (pos == 0 || pos == D3DFVF_XYZRHW)
        return l;
    UINT offset = 12;
    if (pos >= D3DFVF_XYZB1)
    {
        int betas = static_cast<int>((pos - D3DFVF_XYZB1) / 2 + 1);
        l.lastBetaUByte4 = (fvf & D3DFVF_LASTBETA_UBYTE4) != 0;
        l.blendWeights = l.lastBetaUByte4 ? betas - 1 : betas;
        offset += 4 * static_cast<UINT>(l.blendWeights);
        if (l.lastBetaUByte4)
        {
            l.blendOffset = static_cast<int>(offset);
            offset += 4;
        }
    }
    else if (fvf & D3DFVF_LASTBETA_UBYTE4)
        return l;
    if (fvf & D3DFVF_NORMAL)
    {
        l.normalOffset = static_cast<int>(offset);
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE)
    {
        l.psizeOffset = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_DIFFUSE)
    {
        l.diffuseOffset = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR)
    {
        l.specularOffset = static_cast<int>(offset);
        offset += 4;
    }
    l.texCount = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    if (l.texCount > 8)
        return l;
    for (int i = 0; i < l.texCount; ++i)
    {
        static constexpr int sizes[4] = {2, 3, 4, 1};
        l.texSize[i] = sizes[(fvf >> (16 + 2 * i)) & 3];
        l.texOffset[i] = static_cast<int>(offset);
        offset += 4 * static_cast<UINT>(l.texSize[i]);
    }
    l.size = offset;
    l.valid = true;
    return l;
}

UINT VertexCountFor(D3DPRIMITIVETYPE type, UINT n)
{
    switch (type)
    {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return 2 * n;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return 3 * n;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n + 2;
    default: return 0;
    }
}

}  // namespace go3d::d3d
