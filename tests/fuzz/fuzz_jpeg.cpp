// Arbitrary bytes as a JPEG file, through the decoder and into a texture.
// Besides no crash and no leak: an accepted picture has its frame header's
// size and every texel, no alpha, stays grey when it has one component, and
// loads as a whole mip chain.

#include "image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::CheckImage(data, size, fuzz::ReadJpegHeader(data, size), go3d::d3d::DecodeJpeg);
    return 0;
}
