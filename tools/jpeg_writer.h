#pragma once

// Writes the tools' images as baseline JPEG files through libjpeg.

#include <vector>

namespace tools {

// rgb holds width x height pixels, three bytes each, row by row from the
// top; quality 0 to 100. False when the file cannot be written.
bool WriteJpeg(const char* path, int width, int height, const std::vector<unsigned char>& rgb, int quality);

}  // namespace tools
