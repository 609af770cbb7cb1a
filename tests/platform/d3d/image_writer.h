#pragma once

// Small PNG and JPEG files written by the tests themselves through libpng
// and libjpeg, so that every fixture shows what it holds.

#include <png.h>
#include <jpeglib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace d3dtest {

struct PngPicture
{
    unsigned width, height;
    int colorType, bitDepth;
    bool interlaced;
    std::vector<unsigned char> rows;  // packed rows as libpng takes them
    std::vector<png_color> palette;
    std::vector<png_byte> transparency;  // tRNS alpha of palette entries
};

inline bool WritePng(const std::string& path, const PngPicture& s)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    if (!s.transparency.empty())
        png_set_tRNS(png, info, s.transparency.data(), static_cast<int>(s.transparency.size()), nullptr);
    png_write_info(png, info);
    const std::size_t pitch = s.rows.size() / s.height;
    std::vector<png_bytep> rows(s.height);
    for (unsigned y = 0; y < s.height; ++y)
        rows[y] = const_cast<png_bytep>(s.rows.data() + y * pitch);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

// components 3 (RGB) or 1 (grey); quality 0 to 100.
inline bool WriteJpeg(const std::string& path, unsigned width, unsigned height, int components,
                      const std::vector<unsigned char>& samples, int quality)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    jpeg_compress_struct c{};
    jpeg_error_mgr e{};
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = width;
    c.image_height = height;
    c.input_components = components;
    c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;  // full-resolution colour
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + c.next_scanline * width * components);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(f) == 0;
}

inline std::vector<unsigned char> ReadAll(const std::string& path)
{
    std::vector<unsigned char> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb"))
    {
        int ch;
        while ((ch = std::fgetc(f)) != EOF)
            bytes.push_back(static_cast<unsigned char>(ch));
        std::fclose(f);
    }
    return bytes;
}

inline void WriteAll(const std::string& path, const std::vector<unsigned char>& bytes)
{
    if (FILE* f = std::fopen(path.c_str(), "wb"))
    {
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

}  // namespace d3dtest
