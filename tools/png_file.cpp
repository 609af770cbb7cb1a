#include "tools/png_file.h"

#include <png.h>

namespace tools {

bool SavePng(const std::string& path, const std::vector<std::uint32_t>& argb, unsigned width, unsigned height)
{
    if (argb.size() != std::size_t(width) * height)
        return false;
    std::vector<png_byte> rgb;
    rgb.reserve(argb.size() * 3);
    for (std::uint32_t v : argb)
        rgb.insert(rgb.end(), {png_byte(v >> 16), png_byte(v >> 8), png_byte(v)});
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

}  // namespace tools
