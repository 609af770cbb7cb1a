#include "image_check.h"

#include "fuzz_input.h"
#include "platform/d3d/d3dx8.h"
#include "texture_device.h"

#include <png.h>

#include <algorithm>
#include <cstring>

namespace fuzz {

namespace {

unsigned BigEndian16(const std::uint8_t* p) { return (unsigned{p[0]} << 8) | p[1]; }

unsigned BigEndian32(const std::uint8_t* p) { return (BigEndian16(p) << 16) | BigEndian16(p + 2); }

bool IsGrey(std::uint32_t argb)
{
    const std::uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return r == g && g == b;
}

// A second reading of a PNG file through libpng's other interface.
std::vector<std::uint32_t> SimplifiedPngRead(const std::uint8_t* data, std::size_t size)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<std::uint32_t> texels;
    if (png_image_begin_read_from_memory(&image, data, size) && image.width <= TextureDevice::MaxTextureSize &&
        image.height <= TextureDevice::MaxTextureSize)
    {
        image.format = PNG_FORMAT_BGRA;
        texels.resize(std::size_t{image.width} * image.height);
        if (!png_image_finish_read(&image, nullptr, texels.data(), 0, nullptr))
            texels.clear();
    }
    png_image_free(&image);
    return texels;
}

UINT FullChain(UINT width, UINT height)
{
    UINT levels = 1;
    for (UINT s = std::max(width, height); s > 1; s >>= 1)
        ++levels;
    return levels;
}

// Every level is locked and every texel of it read: the first level must be
// the decoded picture, the others its halvings, grey where it is grey.
void CheckLevels(IDirect3DTexture8* t, const go3d::d3d::DecodedImage& image, bool grey)
{
    const D3DFORMAT format = image.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    // An X8 format leaves its top byte to the format.
    const std::uint32_t mask = image.alpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
    Check(t->GetLevelCount() == FullChain(image.width, image.height), "a full mip chain");
    for (UINT level = 0; level < t->GetLevelCount(); ++level)
    {
        D3DSURFACE_DESC desc{};
        Check(t->GetLevelDesc(level, &desc) == D3D_OK, "every level has a desc");
        Check(desc.Width == std::max(1u, image.width >> level) && desc.Height == std::max(1u, image.height >> level),
              "each level half the size of the one above");
        Check(desc.Format == format, "the format the picture's alpha asks for");
        D3DLOCKED_RECT locked{};
        Check(t->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) == D3D_OK, "every level can be locked");
        Check(locked.Pitch >= static_cast<int>(desc.Width * 4), "a pitch that holds a row");
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
            {
                std::uint32_t texel = 0;
                std::memcpy(&texel, static_cast<const std::uint8_t*>(locked.pBits) + std::size_t{y} * locked.Pitch + x * 4,
                            4);
                if (level == 0)
                    Check((texel & mask) == (image.texels[std::size_t{y} * image.width + x] & mask),
                          "the top level holds the decoded texels");
                if (grey)
                    Check(IsGrey(texel), "a grey picture stays grey on every level");
            }
        Check(t->UnlockRect(level) == D3D_OK, "every level can be unlocked");
    }
}

}  // namespace

ImageHeader ReadPngHeader(const std::uint8_t* data, std::size_t size)
{
    static const std::uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    ImageHeader h;
    if (size < 8 || std::memcmp(data, signature, 8) != 0)
        return h;
    // Chunks of length, type, data and checksum. libpng passes over unknown
    // ancillary chunks even before IHDR, and drops a tRNS chunk it finds
    // wrong. The simplified reader converts 16-bit samples and what
    // colour-space chunks describe, so it only answers for files with neither.
    bool converted = false;
    for (std::size_t at = 8; at + 8 <= size;)
    {
        const std::size_t length = BigEndian32(data + at);
        const std::uint8_t* chunk = data + at + 4;
        if (!h.found && std::memcmp(chunk, "IHDR", 4) == 0 && at + 8 + 13 <= size)
        {
            // Width, height, depth, colour type.
            h.found = true;
            h.width = BigEndian32(chunk + 4);
            h.height = BigEndian32(chunk + 8);
            converted = converted || chunk[12] > 8;
            h.grey = !(chunk[13] & 2);
            h.alpha = chunk[13] & 4;
            h.mayHaveAlpha = h.mayHaveAlpha || h.alpha;
        }
        if (std::memcmp(chunk, "tRNS", 4) == 0)
            h.mayHaveAlpha = true;
        for (const char* colourSpace : {"gAMA", "sRGB", "iCCP", "cHRM"})
            converted = converted || std::memcmp(chunk, colourSpace, 4) == 0;
        if (length > size - at - 8)
            break;
        at += 12 + length;
    }
    if (h.found && !converted)
        h.reference = SimplifiedPngRead(data, size);
    return h;
}

ImageHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size)
{
    ImageHeader h;
    if (size < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return h;
    // Marker segments up to the first frame header; the scan comes after it.
    for (std::size_t at = 2;;)
    {
        if (at >= size || data[at] != 0xFF)
            return h;
        while (at < size && data[at] == 0xFF)
            ++at;
        if (at >= size)
            return h;
        const std::uint8_t marker = data[at++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;  // no length
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || at + 2 > size)
            return h;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
        {
            // Length, precision, height, width, components.
            if (at + 8 > size)
                return h;
            h.found = true;
            h.height = BigEndian16(data + at + 3);
            h.width = BigEndian16(data + at + 5);
            h.grey = data[at + 7] == 1;
            return h;
        }
        // A length below 2 still covers the length field itself.
        at += std::max(2u, BigEndian16(data + at));
    }
}

void CheckImage(const std::uint8_t* data, std::size_t size, const ImageHeader& header, Decoder decode)
{
    constexpr unsigned limit = TextureDevice::MaxTextureSize;
    go3d::d3d::DecodedImage image;
    std::string why;
    if (!decode(data, size, limit, image, why))
    {
        Check(image.width == 0 && image.height == 0 && image.texels.empty(), "a refused file leaves no picture");
        Check(!why.empty(), "a refused file says why");
        return;
    }
    Check(header.found, "an accepted file has a header");
    Check(image.width == header.width && image.height == header.height, "the picture has the header's size");
    Check(image.width <= limit && image.height <= limit, "no picture larger than a texture can be");
    Check(image.texels.size() == std::size_t{image.width} * image.height, "as many texels as the size says");
    Check(image.alpha || !header.alpha, "a picture with an alpha channel keeps it");
    Check(!image.alpha || header.mayHaveAlpha, "no alpha in a picture without any");
    if (header.grey)
        Check(std::all_of(image.texels.begin(), image.texels.end(), IsGrey), "a grey picture decodes grey");
    if (!header.reference.empty())
    {
        const std::uint32_t mask = image.alpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
        Check(std::equal(image.texels.begin(), image.texels.end(), header.reference.begin(), header.reference.end(),
                         [mask](std::uint32_t a, std::uint32_t b) { return (a & mask) == (b & mask); }),
              "the texels libpng's other reader gives");
    }

    if (!WriteInput(data, size))
        return;
    static TextureDevice device;
    IDirect3DTexture8* t = nullptr;
    Check(D3DXCreateTextureFromFileA(&device, InputPath().c_str(), &t) == D3D_OK && t != nullptr,
          "a file the decoder takes loads as a texture");
    CheckLevels(t, image, header.grey);
    t->Release();
}

}  // namespace fuzz
