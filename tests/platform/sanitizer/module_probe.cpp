// Loads a module that keeps a heap block in its statics and unloads it the
// way a program's GL stack does before exit; the leak check at exit then
// tells what it finds.
//   module_probe MODULE keep     unloaded with dlclose
//   module_probe MODULE unload   unloaded with the C library's own dlclose
//   module_probe MODULE leak     as keep, and a block of our own is lost
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

namespace {
// Out of line, so that no live frame of main holds the pointer at exit.
[[gnu::noinline]] void LoseABlock()
{
    int* lost = new int[7];
    lost[0] = 1;
    std::printf("%d\n", lost[0]);
}

int Fail(const char* what)
{
    std::fprintf(stderr, "module_probe: %s: %s\n", what, dlerror());
    return 2;
}
}

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const char* mode = argv[2];
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return Fail("dlopen");
    auto keep = reinterpret_cast<void (*)()>(dlsym(module, "KeepBlock"));
    if (!keep)
        return Fail("dlsym");
    keep();

    // The C library's dlclose, past the one the sanitizer build puts first.
    using Close = int (*)(void*);
    Close close = dlclose;
    if (std::strcmp(mode, "unload") == 0)
        close = reinterpret_cast<Close>(dlsym(RTLD_NEXT, "dlclose"));
    if (!close || close(module) != 0)
        return Fail("dlclose");

    if (std::strcmp(mode, "leak") == 0)
        LoseABlock();
    return 0;
}
