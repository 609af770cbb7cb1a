#pragma once

// A file read whole into memory, for the utility library's file readers.
// A file that opens but cannot be read (a folder opens for reading on
// POSIX) fails like a missing one, with the system's reason.

#include <string>
#include <vector>

namespace go3d::d3d {

// True and every byte of the file, or false and why not.
bool ReadWholeFile(const char* path, std::vector<unsigned char>& bytes, std::string& why);

}  // namespace go3d::d3d
