// Arbitrary bytes as a PNG file, through the decoder and into a texture.
// Besides no crash and no leak: an accepted picture has its header's size
// and every texel, keeps the alpha its colour type gives, stays grey when
// it is grey, and loads as a whole mip chain.

#include "image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::CheckImage(data, size, fuzz::ReadPngHeader(data, size), go3d::d3d::DecodePng);
    return 0;
}
