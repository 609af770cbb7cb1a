#pragma once

// Decoding image files held in memory into A8R8G8B8 texels, top row first.
// Both decoders refuse truncated and corrupt data rather than hand back a
// partly decoded picture, and images wider or higher than maxSize.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace go3d::d3d {

struct DecodedImage
{
    unsigned width = 0, height = 0;
    bool alpha = false;  // the file carries transparency
    std::vector<std::uint32_t> texels;
};

bool IsPng(const unsigned char* data, std::size_t size);
bool IsJpeg(const unsigned char* data, std::size_t size);

// True and the picture, or false and the reason.
bool DecodePng(const unsigned char* data, std::size_t size, unsigned maxSize, DecodedImage& image,
               std::string& why);
bool DecodeJpeg(const unsigned char* data, std::size_t size, unsigned maxSize, DecodedImage& image,
                std::string& why);

}  // namespace go3d::d3d
