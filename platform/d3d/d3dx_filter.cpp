#include <algorithm>
#include <vector>

#include "platform/d3d/d3dx8.h"
#include "platform/d3d/texture_format.h"

namespace go3d::d3d {

namespace {

struct Tap
{
    UINT index;
    double weight;
};

// The source texels under destination texel i when n source texels shrink
// to m: a 2-texel box when n is twice m; on odd sizes the box is n / m
// texels wide and the texels it cuts count by the part it covers, so that
// no texel of the source is lost.
std::vector<std::vector<Tap>> Taps(UINT n, UINT m)
{
    std::vector<std::vector<Tap>> taps(m);
    for (UINT i = 0; i < m; ++i)
    {
        const double lo = static_cast<double>(i) * n / m, hi = static_cast<double>(i + 1) * n / m;
        for (auto k = static_cast<UINT>(lo); k < n && k < hi; ++k)
        {
            const double w = std::min(hi, k + 1.0) - std::max(lo, static_cast<double>(k));
            if (w > 0.0)
                taps[i].push_back({k, w});
        }
    }
    return taps;
}

// The common case, each 2x2 block of 32-bit texels to one: the box's mean,
// rounded to nearest, as the weighted sum below gives it, in a fraction of
// the time (a texture's mip chain is made while the game starts).
void HalveRgba32(const BYTE* s, int sourcePitch, BYTE* d, int pitch, UINT width, UINT height, bool opaque)
{
    for (UINT y = 0; y < height; ++y)
    {
        const BYTE* upper = s + static_cast<std::size_t>(2 * y) * sourcePitch;
        const BYTE* lower = upper + sourcePitch;
        BYTE* out = d + static_cast<std::size_t>(y) * pitch;
        for (UINT x = 0; x < width; ++x, upper += 8, lower += 8, out += 4)
        {
            for (int k = 0; k < 4; ++k)
                out[k] = static_cast<BYTE>((upper[k] + upper[k + 4] + lower[k] + lower[k + 4] + 2) >> 2);
            if (opaque)
                out[3] = 0xFF;
        }
    }
}

// One level from the level above it, both locked for the time it takes.
HRESULT Reduce(IDirect3DTexture8* t, UINT level)
{
    D3DSURFACE_DESC from{}, to{};
    if (FAILED(t->GetLevelDesc(level - 1, &from)) || FAILED(t->GetLevelDesc(level, &to)))
        return D3DERR_INVALIDCALL;
    const UINT size = TexelSize(from.Format);
    if (!size || to.Format != from.Format)
        return D3DERR_INVALIDCALL;
    D3DLOCKED_RECT src{}, dst{};
    HRESULT hr = t->LockRect(level - 1, &src, nullptr, D3DLOCK_READONLY);
    if (FAILED(hr))
        return hr;
    hr = t->LockRect(level, &dst, nullptr, 0);
    if (FAILED(hr))
    {
        t->UnlockRect(level - 1);
        return hr;
    }
    const auto* s = static_cast<const BYTE*>(src.pBits);
    auto* d = static_cast<BYTE*>(dst.pBits);
    if (size == 4 && (from.Format == D3DFMT_A8R8G8B8 || from.Format == D3DFMT_X8R8G8B8) &&
        from.Width == 2 * to.Width && from.Height == 2 * to.Height)
    {
        HalveRgba32(s, src.Pitch, d, dst.Pitch, to.Width, to.Height, from.Format == D3DFMT_X8R8G8B8);
        t->UnlockRect(level);
        t->UnlockRect(level - 1);
        return D3D_OK;
    }
    const auto xs = Taps(from.Width, to.Width), ys = Taps(from.Height, to.Height);
    for (UINT y = 0; y < to.Height; ++y)
        for (UINT x = 0; x < to.Width; ++x)
        {
            double sum[4] = {}, total = 0.0;
            for (const Tap& ty : ys[y])
                for (const Tap& tx : xs[x])
                {
                    const DWORD c =
                        ReadTexel(from.Format, s + static_cast<std::size_t>(ty.index) * src.Pitch + tx.index * size);
                    const double w = tx.weight * ty.weight;
                    for (int k = 0; k < 4; ++k)
                        sum[k] += w * ((c >> (8 * k)) & 0xFF);
                    total += w;
                }
            DWORD c = 0;
            for (int k = 0; k < 4; ++k)
                c |= std::min<DWORD>(255, static_cast<DWORD>(sum[k] / total + 0.5)) << (8 * k);
            WriteTexel(to.Format, d + static_cast<std::size_t>(y) * dst.Pitch + x * size, c);
        }
    t->UnlockRect(level);
    t->UnlockRect(level - 1);
    return D3D_OK;
}

}  // namespace

}  // namespace go3d::d3d

HRESULT D3DXFilterTexture(IDirect3DBaseTexture8* texture, const PALETTEENTRY*, UINT sourceLevel, DWORD filter)
{
    auto* t = dynamic_cast<IDirect3DTexture8*>(texture);
    if (!t || (filter != D3DX_FILTER_BOX && filter != D3DX_DEFAULT))
        return D3DERR_INVALIDCALL;
    if (sourceLevel == D3DX_DEFAULT)
        sourceLevel = 0;
    const UINT levels = t->GetLevelCount();
    if (sourceLevel >= levels)
        return D3DERR_INVALIDCALL;
    for (UINT l = sourceLevel + 1; l < levels; ++l)
    {
        const HRESULT hr = go3d::d3d::Reduce(t, l);
        if (FAILED(hr))
            return hr;
    }
    return D3D_OK;
}
