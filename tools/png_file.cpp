#include "tools/png_file.h"

#include <png.h>

namespace tools {

namespace {

bool Write(const std::string& path, png_uint_32 format, const std::vector<png_byte>& bytes, unsigned width,
           unsigned height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    return png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

}  // namespace

bool SavePng(const std::string& path, const std::vector<std::uint32_t>& argb, unsigned width, unsigned height)
{
    if (argb.size() != std::size_t(width) * height)
        return false;
    std::vector<png_byte> rgb;
    rgb.reserve(argb.size() * 3);
    for (std::uint32_t v : argb)
        rgb.insert(rgb.end(), {png_byte(v >> 16), png_byte(v >> 8), png_byte(v)});
    return Write(path, PNG_FORMAT_RGB, rgb, width, height);
}

bool SaveAlphaPng(const std::string& path, const std::vector<std::uint8_t>& alpha, unsigned width,
                  unsigned height)
{
    if (alpha.size() != std::size_t(width) * height)
        return false;
    std::vector<png_byte> ga;
    ga.reserve(alpha.size() * 2);
    for (std::uint8_t a : alpha)
        ga.insert(ga.end(), {png_byte(255), png_byte(a)});
    return Write(path, PNG_FORMAT_GA, ga, width, height);
}

}  // namespace tools
