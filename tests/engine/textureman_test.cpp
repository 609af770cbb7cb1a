// The texture cache: its hash table, lookups by name, image files loaded
// once, and the stock textures' texels read back from the device.

#include "engine/3dengine.h"
#include "engine/assertion.h"
#include "engine/textureman.h"
#include "device_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
bool Called(const std::vector<std::string>& calls, const std::string& method)
{
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& s) { return s.rfind(method + "(", 0) == 0; });
}

// A small opaque PNG of one colour.
void WritePng(const std::string& path, unsigned width, unsigned height, std::uint32_t rgb)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels;
    for (unsigned i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), {png_byte(rgb >> 16), png_byte(rgb >> 8), png_byte(rgb)});
    ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr), 0) << path;
}

dword Texel(IDirect3DTexture8* texture, UINT level, int x, int y)
{
    D3DLOCKED_RECT locked{};
    if (texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK)
        return 0xDEADBEEF;
    const dword v = reinterpret_cast<const dword*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch)[x];
    texture->UnlockRect(level);
    return v;
}
} // namespace

// ---------------------------------------------------------------------------
// The hash table

TEST(HashString, SumsTheFirstThreeCharactersAsSignedBytes)
{
    struct Case
    {
        std::string key;
        dword size;
        dword hash;
    } cases[] = {
        {"data/gui01.jpg", 101, 10},
        {"data/anything_else.png", 101, 10},
        {STOCKTEX_BLOB, 101, 44},
        {STOCKTEX_CHESSBOARD, 101, 44},
        {STOCKTEX_GRID, 101, 44},
        {"abc", 101, 92},
        {"abcdef", 7, 294 % 7},
        {"\xff\xff\xff", 101, 65},  // -3 as an unsigned 32-bit value
        {"\x80\x80\x80z", 101, 88},
        // Shorter keys count what they have.
        {"ab", 101, 94},
        {"a", 101, 97},
        {"", 101, 0},
        {"abc", 0, 0},
    };
    for (const Case& k : cases)
        EXPECT_EQ(HashString(k.key, k.size), k.hash) << '"' << k.key << "\" in " << k.size;
}

TEST(HashTable, ChainsKeysAndFindsTheFirstInsertion)
{
    HashTable<std::string, int> table(101);
    table.SetHashFunction(HashString);
    table.Insert("data/a.jpg", 1);
    table.Insert("data/b.jpg", 2);
    table.Insert("data/a.jpg", 3);
    EXPECT_EQ(table.Buckets[10].size(), 3u);
    ASSERT_NE(table.Find("data/a.jpg"), nullptr);
    EXPECT_EQ(table.Find("data/a.jpg")->Val, 1);
    EXPECT_EQ(table.Find("data/b.jpg")->Val, 2);
    EXPECT_EQ(table.Find("data/c.jpg"), nullptr);
    EXPECT_EQ(table.Find("DATA/a.jpg"), nullptr);
    EXPECT_EQ(table.Find("data/a.jp"), nullptr);
}

TEST(HashTable, WithoutHashFunctionOrBucketsStillFindsEverything)
{
    HashTable<std::string, int> unset(101);
    HashTable<std::string, int> empty(0);
    empty.SetHashFunction(HashString);
    for (HashTable<std::string, int>* table : {&unset, &empty}) {
        table->Insert("one", 1);
        table->Insert("two", 2);
        EXPECT_EQ(table->Find("two")->Val, 2);
        EXPECT_EQ(table->Find("three"), nullptr);
    }
}

TEST(TextureManager, WithoutContextMakesAndFindsNothing)
{
    TextureManager cache(nullptr);
    EXPECT_EQ(cache.LoadTexture(STOCKTEX_BLOB), nullptr);
    EXPECT_EQ(cache.CreateTexture(4, 4, 0, false, true), nullptr);
    for (const auto& bucket : cache.Textures.Buckets)
        EXPECT_TRUE(bucket.empty());
}

// ---------------------------------------------------------------------------
// On a device

namespace
{
class Cache : public enginetest::DeviceTest
{
protected:
    TextureManager& Manager() { return *c->TextureManager; }

    testsupport::TempDir temp;
};
} // namespace

TEST_F(Cache, DeviceCreationMakesTheCacheWithItsStockTextures)
{
    ASSERT_NE(c->TextureManager, nullptr);
    EXPECT_EQ(Manager().gc, c);
    EXPECT_EQ(Manager().UnnamedCounter, 0u);
    for (const char* name : {STOCKTEX_BLOB, STOCKTEX_CHESSBOARD, STOCKTEX_GRID}) {
        IDirect3DTexture8* t = nullptr;
        const auto calls = Calls([&] { t = Manager().LoadTexture(name); });
        ASSERT_NE(t, nullptr) << name;
        EXPECT_TRUE(calls.empty()) << name << ": " << calls.front();
        EXPECT_EQ(Manager().GetTexture(name), t);
        EXPECT_EQ(t->GetLevelCount(), 9u);
        D3DSURFACE_DESC desc{};
        t->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, 256u);
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    }
    EXPECT_EQ(Manager().Textures.Buckets[44].size(), 3u);
}

TEST_F(Cache, StockTexels)
{
    struct Case
    {
        const char* name;
        int x, y;
        dword texel;
    } cases[] = {
        {STOCKTEX_BLOB, 128, 128, 0xFFFFFFFF},       {STOCKTEX_BLOB, 138, 128, 0xFFFFFFFF},
        {STOCKTEX_BLOB, 135, 135, 0xFFFFFFFF},       {STOCKTEX_BLOB, 139, 128, 0xD2D2D2D2},
        {STOCKTEX_BLOB, 148, 128, 0x3F3F3F3F},       {STOCKTEX_BLOB, 128, 0, 0x01010101},
        {STOCKTEX_BLOB, 0, 0, 0x00000000},           {STOCKTEX_BLOB, 255, 255, 0x00000000},
        {STOCKTEX_CHESSBOARD, 0, 0, 0xFFFFFFFF},     {STOCKTEX_CHESSBOARD, 127, 127, 0xFFFFFFFF},
        {STOCKTEX_CHESSBOARD, 128, 0, 0xFF000000},   {STOCKTEX_CHESSBOARD, 0, 128, 0xFF000000},
        {STOCKTEX_CHESSBOARD, 128, 128, 0xFF000000}, {STOCKTEX_CHESSBOARD, 200, 50, 0xFF000000},
        {STOCKTEX_CHESSBOARD, 50, 200, 0xFF000000},  {STOCKTEX_CHESSBOARD, 129, 129, 0xFFFFFFFF},
        {STOCKTEX_CHESSBOARD, 255, 255, 0xFFFFFFFF}, {STOCKTEX_GRID, 0, 17, 0xFFFFFFFF},
        {STOCKTEX_GRID, 255, 255, 0xFFFFFFFF},       {STOCKTEX_GRID, 17, 0, 0xFFFFFFFF},
        {STOCKTEX_GRID, 1, 1, 0xFF000000},           {STOCKTEX_GRID, 254, 254, 0xFF000000},
    };
    for (const Case& k : cases) {
        IDirect3DTexture8* t = Manager().LoadTexture(k.name);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(Texel(t, 0, k.x, k.y), k.texel) << k.name << " (" << k.x << ", " << k.y << ")";
    }
    // The lower levels are filtered from the drawn one: the grid's frame
    // reaches level 1's corner, the blob's centre stays white at level 2.
    const dword corner = Texel(Manager().LoadTexture(STOCKTEX_GRID), 1, 0, 0);
    EXPECT_EQ(corner >> 24, 0xFFu);
    EXPECT_GT(corner & 0xFF, 0x80u);
    EXPECT_EQ(Texel(Manager().LoadTexture(STOCKTEX_BLOB), 2, 32, 32), 0xFFFFFFFFu);
}

TEST_F(Cache, AFileIsLoadedOncePerExactName)
{
    const std::string lower = temp.File("panel.png");
    const std::string upper = temp.File("PANEL.png");
    WritePng(lower, 8, 4, 0x336699);
    WritePng(upper, 8, 4, 0x336699);

    IDirect3DTexture8* first = nullptr;
    EXPECT_TRUE(Called(Calls([&] { first = Manager().LoadTexture(lower.c_str()); }), "CreateTexture"));
    ASSERT_NE(first, nullptr);
    D3DSURFACE_DESC desc{};
    first->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(first->GetLevelCount(), 4u);

    IDirect3DTexture8* again = nullptr;
    EXPECT_TRUE(Calls([&] { again = Manager().LoadTexture(lower.c_str()); }).empty());
    EXPECT_EQ(again, first);
    EXPECT_EQ(Manager().GetTexture(lower.c_str()), first);

    IDirect3DTexture8* other = nullptr;
    EXPECT_TRUE(Called(Calls([&] { other = Manager().LoadTexture(upper.c_str()); }), "CreateTexture"));
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, first);
}

TEST_F(Cache, AFailedLoadIsNotRemembered)
{
    const std::string path = temp.File("later.png");
    EXPECT_EQ(Manager().LoadTexture(path.c_str()), nullptr);
    EXPECT_EQ(Manager().LoadTexture(path.c_str()), nullptr);
    // A folder of that name opens but cannot be read: as missing.
    std::filesystem::create_directory(path);
    EXPECT_EQ(Manager().LoadTexture(path.c_str()), nullptr);
    EXPECT_EQ(Manager().LoadTexture(path.c_str()), nullptr);
    std::filesystem::remove(path);
    // Not a picture: still a failure, never a crash.
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a picture", f);
    std::fclose(f);
    EXPECT_EQ(Manager().LoadTexture(path.c_str()), nullptr);
    // The file appears: the next call loads it.
    WritePng(path, 2, 2, 0xFF0000);
    IDirect3DTexture8* t = Manager().LoadTexture(path.c_str());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Manager().LoadTexture(path.c_str()), t);
    EXPECT_EQ(Manager().LoadTexture(nullptr), nullptr);
}

TEST_F(Cache, AddedTexturesAreFoundByTheirNames)
{
    IDirect3DTexture8* a = Manager().CreateTexture(4, 4, 0, false, false);
    IDirect3DTexture8* b = Manager().CreateTexture(4, 4, 0, false, false);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Manager().AddTexture(a, "mine"), a);
    EXPECT_EQ(Manager().AddTexture(b, "mine"), b);
    EXPECT_EQ(Manager().LoadTexture("mine"), a);

    // A second texture under a stock name leaves the stock one found.
    IDirect3DTexture8* blob = Manager().LoadTexture(STOCKTEX_BLOB);
    IDirect3DTexture8* d = Manager().CreateTexture(4, 4, 0, false, false);
    Manager().AddTexture(d, STOCKTEX_BLOB);
    EXPECT_EQ(Manager().LoadTexture(STOCKTEX_BLOB), blob);

    // Unnamed ones get keys of their own.
    IDirect3DTexture8* e = Manager().CreateTexture(4, 4, 0, false, false);
    IDirect3DTexture8* g = Manager().CreateTexture(4, 4, 0, false, false);
    Manager().AddTexture(e, nullptr);
    Manager().AddTexture(g, nullptr);
    EXPECT_EQ(Manager().LoadTexture("not_a_file_0"), e);
    EXPECT_EQ(Manager().LoadTexture("not_a_file_1"), g);

    // Nothing stands for a null texture.
    EXPECT_EQ(Manager().AddTexture(nullptr, "nothing"), nullptr);
    EXPECT_EQ(Manager().Textures.Find("nothing"), nullptr);
}

TEST_F(Cache, CreateTextureChoosesLevelsAndPool)
{
    struct Case
    {
        bool mipmaps, sysmem;
        DWORD levels;
        D3DPOOL pool;
    } cases[] = {{true, true, 6, D3DPOOL_SYSTEMMEM}, {false, false, 1, D3DPOOL_DEFAULT}, {true, false, 6, D3DPOOL_DEFAULT}};
    for (const Case& k : cases) {
        IDirect3DTexture8* t = Manager().CreateTexture(32, 16, 0, k.mipmaps, k.sysmem);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->GetLevelCount(), k.levels);
        D3DSURFACE_DESC desc{};
        t->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Pool, k.pool);
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(desc.Height, 16u);
        t->Release();
    }
    EXPECT_EQ(Manager().CreateTexture(0, 0, 0, false, false), nullptr);
}
