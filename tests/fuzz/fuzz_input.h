#pragma once

// The fuzzer's input as a file, for readers that only take a path: one file
// per process, in memory where the machine has a RAM disk, removed at exit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace fuzz {

// Where the targets keep their files: a file written for every input on a
// disk other builds keep busy would make the fuzzer wait.
inline std::string ScratchFolder() { return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"; }

inline const std::string& InputPath()
{
    static const std::string path = ScratchFolder() + "/go3d_fuzz_input_" + std::to_string(getpid());
    // Registered after the string is made, so it runs before the string goes.
    static const bool removed = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)removed;
    return path;
}

// False when the file cannot be written; the input is then skipped.
inline bool WriteInput(const std::uint8_t* data, std::size_t size)
{
    FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool whole = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && whole;
}

// A broken oracle: says what and aborts, which libFuzzer reports as a crash
// and keeps the input.
[[noreturn]] inline void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void Check(bool ok, const char* what)
{
    if (!ok)
        Fail(what);
}

}  // namespace fuzz
