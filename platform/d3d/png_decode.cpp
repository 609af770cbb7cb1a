#include <png.h>

#include <cstring>

#include "platform/d3d/image_decode.h"

namespace go3d::d3d {

namespace {

struct PngInput
{
    const unsigned char* data;
    std::size_t size, at;
    std::string* why;
};

void Read(png_structp png, png_bytep out, png_size_t n)
{
    auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
    if (n > in->size - in->at)
        png_error(png, "the file ends early");
    std::memcpy(out, in->data + in->at, n);
    in->at += n;
}

void Fail(png_structp png, png_const_charp message)
{
    auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
    if (in && in->why)
        *in->why = message;
    png_longjmp(png, 1);
}

void Warn(png_structp, png_const_charp) {}

// Everything between setjmp and a longjmp from libpng: only trivially
// destroyed values live here, and rows was sized by the caller's frame.
bool ReadRows(png_structp png, png_infop info, unsigned maxSize, DecodedImage& image, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || w > maxSize || h > maxSize)
        png_error(png, "the image is larger than a texture can be");
    const int type = png_get_color_type(png, info);
    image.alpha = (type & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);  // palette and low-depth grey to 8 bits, tRNS to alpha
    png_set_scale_16(png);
    if (!(type & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(png);
    png_set_bgr(png);  // B, G, R, A in memory: an A8R8G8B8 value
    if (!image.alpha)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(w) * 4)
        png_error(png, "unexpected row layout");
    image.width = w;
    image.height = h;
    image.texels.resize(static_cast<std::size_t>(w) * h);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y)
        rows[y] = reinterpret_cast<png_bytep>(image.texels.data() + static_cast<std::size_t>(y) * w);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);  // a file cut before its end is refused too
    return true;
}

}  // namespace

bool IsPng(const unsigned char* data, std::size_t size) { return size >= 8 && png_sig_cmp(data, 0, 8) == 0; }

bool DecodePng(const unsigned char* data, std::size_t size, unsigned maxSize, DecodedImage& image,
               std::string& why)
{
    PngInput in{data, size, 0, &why};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Warn);
    if (!png)
        return why = "out of memory", false;
    png_infop info = png_create_info_struct(png);
    if (!info)
    {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return why = "out of memory", false;
    }
    png_set_read_fn(png, &in, Read);
    std::vector<png_bytep> rows;
    const bool ok = ReadRows(png, info, maxSize, image, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        image = DecodedImage{};
    return ok;
}

}  // namespace go3d::d3d
