#pragma once

// The texture cache of one graphics context: every texture under a name,
// kept for the life of the process. Image files are loaded once per distinct
// name; three drawn stock textures are made with the cache and found by the
// same lookup.

#include "math/dword.h"
#include "platform/d3d/d3d8.h"

#include <list>
#include <string>
#include <utility>
#include <vector>

class GraphicsContext;

// A chained hash table. A key inserted twice stands twice in its bucket and
// the first insertion is the one found. Values are never freed.
template <typename KeyType, typename ValType>
class HashTable
{
public:
    struct Pair
    {
        KeyType Key;
        ValType Val{};

        Pair() = default;
        Pair(KeyType key, ValType val) : Key(std::move(key)), Val(std::move(val)) {}
    };

    // Returns a bucket index below size.
    using HashFunctionType = dword (*)(const KeyType& key, dword size);

    dword Size;
    std::vector<std::list<Pair>> Buckets;
    HashFunctionType HashFunction = nullptr;

    // A table of no buckets still keeps one, so that nothing indexes past the
    // vector.
    explicit HashTable(dword size) : Size(size), Buckets(size == 0 ? 1 : size) {}
    ~HashTable()
    {
        for (std::list<Pair>& bucket : Buckets)
            bucket.clear();
    }

    HashTable(const HashTable&) = delete;
    HashTable& operator=(const HashTable&) = delete;

    void SetHashFunction(HashFunctionType function) { HashFunction = function; }

    // Without a hash function (or buckets) everything shares bucket 0:
    // slower, never wrong.
    dword Hash(const KeyType& key) const
    {
        if (HashFunction == nullptr || Size == 0)
            return 0;
        return HashFunction(key, Size) % Size;
    }

    void Insert(KeyType key, ValType val)
    {
        std::list<Pair>& bucket = Buckets[Hash(key)];
        bucket.emplace_back(std::move(key), std::move(val));
    }

    Pair* Find(KeyType key)
    {
        for (Pair& pair : Buckets[Hash(key)])
            if (pair.Key == key)
                return &pair;
        return nullptr;
    }
};

// The sum of the first three characters as signed bytes, modulo size; a
// shorter key counts only the characters it has.
dword HashString(const std::string& key, dword size);

constexpr char STOCKTEX_BLOB[] = "STOCKTEX_BLOB";
constexpr char STOCKTEX_CHESSBOARD[] = "STOCKTEX_CHESSBOARD";
constexpr char STOCKTEX_GRID[] = "STOCKTEX_GRID";

class TextureManager
{
public:
    GraphicsContext* gc;  // not owned
    HashTable<std::string, IDirect3DTexture8*> Textures;
    dword UnnamedCounter;

    // Makes the stock textures on the context's device.
    explicit TextureManager(GraphicsContext* gc);
    // Releases no texture: they live until the process ends.
    ~TextureManager() = default;

    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    void SetGraphicsContext(GraphicsContext* context) { gc = context; }

    // The texture cached under exactly this name, or the image file at this
    // path loaded and cached. Null when it cannot be loaded; a failed name is
    // not remembered, so the next call tries the file again.
    IDirect3DTexture8* LoadTexture(const char* name);
    IDirect3DTexture8* GetTexture(const char* name) { return LoadTexture(name); }

    // A new, uncached A8R8G8B8 texture: a full mip chain or one level, in
    // system or device memory. Null on failure.
    IDirect3DTexture8* CreateTexture(dword width, dword height, dword usage, bool mipmaps, bool sysmem);

    // Caches the texture under the name (a null name makes a key of its
    // own) and returns it. A null texture is not cached.
    IDirect3DTexture8* AddTexture(IDirect3DTexture8* texture, const char* name);

    void CreateStockTextures();
};
