#pragma once

// What the PNG and JPEG targets check of every input: what the decoder
// makes of it must agree with the file's own header, and a picture it
// accepts must load as a whole texture.

#include "platform/d3d/image_decode.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// What a file's header says, read independently of the decoders.
struct ImageHeader
{
    bool found = false;
    unsigned width = 0, height = 0;
    bool grey = false;          // every texel must have R = G = B
    bool alpha = false;         // the texture must have alpha
    bool mayHaveAlpha = false;  // the texture may have alpha
    // A8R8G8B8 texels that libpng's simplified reader made of a PNG file;
    // empty where it could not read it or would have converted the values.
    std::vector<std::uint32_t> reference;
};

ImageHeader ReadPngHeader(const std::uint8_t* data, std::size_t size);
ImageHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size);

using Decoder = bool (*)(const unsigned char*, std::size_t, unsigned, go3d::d3d::DecodedImage&, std::string&);

// Decodes the input and, when the decoder takes it, loads it as a texture;
// aborts on the first disagreement.
void CheckImage(const std::uint8_t* data, std::size_t size, const ImageHeader& header, Decoder decode);

}  // namespace fuzz
