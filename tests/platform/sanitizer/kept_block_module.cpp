// A library loaded with dlopen that keeps a heap block in its statics for
// the life of the process and never frees it, as a GL driver keeps what it
// learnt of the processor.
#include <cstdlib>

namespace {
void* kept = nullptr;
}

extern "C" void KeepBlock()
{
    kept = std::realloc(kept, 128);
}
