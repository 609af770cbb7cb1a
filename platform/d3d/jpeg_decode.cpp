#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "platform/d3d/image_decode.h"

namespace go3d::d3d {

namespace {

struct JpegErrors
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Fail(j_common_ptr c)
{
    auto* e = reinterpret_cast<JpegErrors*>(c->err);
    c->err->format_message(c, e->message);
    std::longjmp(e->jump, 1);
}

// libjpeg only warns about corrupt or missing data and fills in grey; a
// picture read that way is refused.
void Message(j_common_ptr c, int level)
{
    if (level < 0)
        Fail(c);
}

bool ReadRows(jpeg_decompress_struct& cinfo, JpegErrors& errors, const unsigned char* data, std::size_t size,
              unsigned maxSize, DecodedImage& image)
{
    if (setjmp(errors.jump))
        return false;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > maxSize ||
        cinfo.image_height > maxSize)
    {
        std::snprintf(errors.message, sizeof errors.message, "the image is larger than a texture can be");
        return false;
    }
    cinfo.out_color_space = JCS_EXT_BGRA;  // alpha 255: an A8R8G8B8 value
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 4)
        return false;
    image.width = cinfo.output_width;
    image.height = cinfo.output_height;
    image.texels.resize(static_cast<std::size_t>(image.width) * image.height);
    while (cinfo.output_scanline < cinfo.output_height)
    {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(image.texels.data() +
                                                  static_cast<std::size_t>(cinfo.output_scanline) * image.width);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

bool IsJpeg(const unsigned char* data, std::size_t size)
{
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool DecodeJpeg(const unsigned char* data, std::size_t size, unsigned maxSize, DecodedImage& image,
                std::string& why)
{
    jpeg_decompress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = Fail;
    errors.manager.emit_message = Message;
    errors.message[0] = '\0';
    jpeg_create_decompress(&cinfo);
    const bool ok = ReadRows(cinfo, errors, data, size, maxSize, image);
    jpeg_destroy_decompress(&cinfo);
    if (!ok)
    {
        why = errors.message[0] ? errors.message : "not a picture libjpeg can read";
        image = DecodedImage{};
    }
    return ok;
}

}  // namespace go3d::d3d
