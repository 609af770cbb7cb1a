#pragma once

// Writes a frame read back from a device (0xAARRGGBB values, top row first)
// as an RGB PNG file, for screenshots.

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// False when the file cannot be written.
bool SavePng(const std::string& path, const std::vector<std::uint32_t>& argb, unsigned width, unsigned height);

}  // namespace tools
