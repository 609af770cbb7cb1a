#include "engine/textureman.h"

#include "engine/3dengine.h"
#include "engine/assertion.h"
#include "math/color.h"
#include "platform/d3d/d3dx8.h"

#include <cstdint>

dword HashString(const std::string& key, dword size)
{
    if (size == 0)
        return 0;
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < 3 && i < key.size(); ++i)
        sum += static_cast<std::int8_t>(key[i]);
    return static_cast<dword>(sum) % size;
}

TextureManager::TextureManager(GraphicsContext* context) : gc(context), Textures(101), UnnamedCounter(0)
{
    Textures.SetHashFunction(HashString);
    CreateStockTextures();
}

IDirect3DTexture8* TextureManager::LoadTexture(const char* name)
{
    if (gc == nullptr || gc->Device == nullptr || name == nullptr)
        return nullptr;
    if (auto* pair = Textures.Find(name))
        return pair->Val;
    IDirect3DTexture8* texture = nullptr;
    if (D3DXCreateTextureFromFileA(gc->Device, name, &texture) != D3D_OK || texture == nullptr)
        return nullptr;
    Textures.Insert(name, texture);
    return texture;
}

IDirect3DTexture8* TextureManager::CreateTexture(dword width, dword height, dword usage, bool mipmaps, bool sysmem)
{
    if (gc == nullptr || gc->Device == nullptr)
        return nullptr;
    IDirect3DTexture8* texture = nullptr;
    if (gc->Device->CreateTexture(width, height, mipmaps ? 0 : 1, usage, D3DFMT_A8R8G8B8,
                                  sysmem ? D3DPOOL_SYSTEMMEM : D3DPOOL_DEFAULT, &texture) != D3D_OK)
        return nullptr;
    return texture;
}

IDirect3DTexture8* TextureManager::AddTexture(IDirect3DTexture8* texture, const char* name)
{
    // A null entry would hide a real texture added under the name later.
    if (texture == nullptr)
        return nullptr;
    const std::string key = name != nullptr ? std::string(name) : "not_a_file_" + std::to_string(UnnamedCounter++);
    Textures.Insert(key, texture);
    return texture;
}

namespace
{
dword BlobTexel(int x, int y)
{
    // 100 over the squared distance: infinity at the centre, which the
    // colour clamps to 1 like everything within ten texels.
    const float d2 = float((x - 128) * (x - 128) + (y - 128) * (y - 128));
    const float v = 100.0f / d2;
    return Color(v, v, v, v).GetPacked32();
}

dword ChessboardTexel(int x, int y)
{
    const int dx = x - 128;
    const int dy = y - 128;
    return (dx > 0 && dy > 0) || (dx < 0 && dy < 0) ? 0xFFFFFFFFu : 0xFF000000u;
}

dword GridTexel(int x, int y)
{
    return x == 0 || x == 255 || y == 0 || y == 255 ? 0xFFFFFFFFu : 0xFF000000u;
}
} // namespace

void TextureManager::CreateStockTextures()
{
    if (gc == nullptr || gc->Device == nullptr)
        return;
    const struct
    {
        const char* name;
        dword (*texel)(int x, int y);
    } stock[] = {{STOCKTEX_BLOB, BlobTexel}, {STOCKTEX_CHESSBOARD, ChessboardTexel}, {STOCKTEX_GRID, GridTexel}};

    for (const auto& s : stock) {
        // Drawn in system memory, then copied to the device; a texture that
        // cannot be made whole is left out rather than cached half-drawn.
        IDirect3DTexture8* staging = CreateTexture(256, 256, 0, true, true);
        if (!ENGINE_CHECK(staging != nullptr))
            continue;
        IDirect3DSurface8* surf = nullptr;
        if (!ENGINE_CHECK(staging->GetSurfaceLevel(0, &surf) == D3D_OK)) {
            staging->Release();
            continue;
        }
        D3DLOCKED_RECT d3dlock{};
        if (!ENGINE_CHECK(surf->LockRect(&d3dlock, 0, 0) == D3D_OK)) {
            surf->Release();
            staging->Release();
            continue;
        }
        for (int y = 0; y < 256; ++y) {
            auto* row = reinterpret_cast<dword*>(static_cast<BYTE*>(d3dlock.pBits) + y * d3dlock.Pitch);
            for (int x = 0; x < 256; ++x)
                row[x] = s.texel(x, y);
        }
        surf->UnlockRect();
        surf->Release();

        IDirect3DTexture8* texture = CreateTexture(256, 256, 0, true, false);
        if (ENGINE_CHECK(texture != nullptr)) {
            if (ENGINE_CHECK(gc->Device->UpdateTexture(staging, texture) == D3D_OK)) {
                UpdateMipmaps(texture);
                AddTexture(texture, s.name);
            } else {
                texture->Release();
            }
        }
        staging->Release();
    }
}
