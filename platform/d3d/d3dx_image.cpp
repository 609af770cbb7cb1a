#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d/d3dx8.h"
#include "platform/d3d/image_decode.h"
#include "platform/d3d/whole_file.h"

namespace {

// A file that gives no texture is said on standard error, whatever the cause:
// the caller only sees a failure code, and a texture left out draws white.
void SayUnread(const char* path, const std::string& why)
{
    std::fprintf(stderr, "d3dx: cannot read the image %s: %s\n", path, why.c_str());
}

}  // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* path, IDirect3DTexture8** out)
{
    using namespace go3d::d3d;
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!device || !path)
        return D3DERR_INVALIDCALL;
    std::vector<unsigned char> bytes;
    std::string why;
    if (!ReadWholeFile(path, bytes, why))
    {
        SayUnread(path, why);
        return D3DERR_NOTFOUND;
    }

    D3DCAPS8 caps{};
    if (FAILED(device->GetDeviceCaps(&caps)))
        return D3DERR_INVALIDCALL;
    const unsigned maxSize = std::min(caps.MaxTextureWidth, caps.MaxTextureHeight);
    DecodedImage image;
    why = "neither a PNG nor a JPEG file";
    bool ok = false;
    if (IsPng(bytes.data(), bytes.size()))
        ok = DecodePng(bytes.data(), bytes.size(), maxSize, image, why);
    else if (IsJpeg(bytes.data(), bytes.size()))
        ok = DecodeJpeg(bytes.data(), bytes.size(), maxSize, image, why);
    if (!ok)
    {
        SayUnread(path, why);
        return D3DXERR_INVALIDDATA;
    }

    IDirect3DTexture8* t = nullptr;
    HRESULT hr = device->CreateTexture(image.width, image.height, 0, 0,
                                       image.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t);
    if (FAILED(hr))
        return hr;
    D3DLOCKED_RECT locked{};
    hr = t->LockRect(0, &locked, nullptr, 0);
    if (SUCCEEDED(hr))
    {
        for (unsigned y = 0; y < image.height; ++y)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch,
                        image.texels.data() + static_cast<std::size_t>(y) * image.width,
                        static_cast<std::size_t>(image.width) * 4);
        t->UnlockRect(0);
        hr = D3DXFilterTexture(t, nullptr, 0, D3DX_FILTER_BOX);
    }
    if (FAILED(hr))
    {
        t->Release();
        return hr;
    }
    *out = t;
    return D3D_OK;
}
