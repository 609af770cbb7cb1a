#include "platform/d3d/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace go3d::d3d {

namespace {

struct CloseFile
{
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The system's reason when it gave one.
std::string Reason(const char* otherwise)
{
    return errno != 0 ? std::strerror(errno) : otherwise;
}

}  // namespace

bool ReadWholeFile(const char* path, std::vector<unsigned char>& bytes, std::string& why)
{
    bytes.clear();
    errno = 0;
    const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path, "rb"));
    if (!file)
    {
        why = Reason("the file cannot be opened");
        return false;
    }
    constexpr std::size_t kStep = 64 * 1024;
    std::size_t size = 0;
    for (;;)
    {
        bytes.resize(size + kStep);
        const std::size_t n = std::fread(bytes.data() + size, 1, kStep, file.get());
        size += n;
        if (n < kStep)
            break;
    }
    bytes.resize(size);
    // A short count is the end of the file or an error; only ferror tells.
    if (std::ferror(file.get()))
    {
        why = Reason("the file cannot be read");
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace go3d::d3d
