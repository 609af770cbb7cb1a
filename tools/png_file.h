#pragma once

// Writes PNG files: a frame read back from a device (0xAARRGGBB values, top
// row first) as an RGB image, for screenshots; and a white image with an
// alpha channel of its own, for textures that carry only coverage.

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// False when the file cannot be written.
bool SavePng(const std::string& path, const std::vector<std::uint32_t>& argb, unsigned width, unsigned height);
// Grey and alpha; the grey white throughout. False when it cannot be written.
bool SaveAlphaPng(const std::string& path, const std::vector<std::uint8_t>& alpha, unsigned width,
                  unsigned height);

}  // namespace tools
