// Linked into every program of a build with AddressSanitizer, so that it
// runs the same however it is started. The runtime reads these first; the
// environment's ASAN_OPTIONS and LSAN_OPTIONS add to them.

// GCC 12's runtime intercepts __tls_get_addr to learn each thread's dynamic
// TLS blocks (those of libraries loaded later, such as Mesa's driver and
// LLVM). It takes a block that starts 16 bytes into a page for one of glibc
// 2.19's and reads the two words before it as the block's start and size.
// This glibc allocates the blocks with malloc, so those words are the
// allocator's chunk header: whenever a block lands at that offset, which
// depends only on how many chunks of its size came before, the leak check
// scans a made-up range at exit and its tracer dies on the first unmapped
// page ("Tracer caught signal 11").
//
// On this glibc the interception gives every other block no size, so the
// leak check scans the same memory without it; the blocks are heap chunks,
// checked like any other.
extern "C" const char* __asan_default_options()
{
    return "intercept_tls_get_addr=0";
}

// SDL's video start opens a D-Bus connection whose library keeps a buffer
// for the life of the process and never frees it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

extern "C" const char* __lsan_default_options()
{
    return "print_suppressions=0";
}

// A library loaded with dlopen keeps in its statics what it holds for the
// life of the process, as Mesa's driver keeps what it learnt of the
// processor (on AMD Zen, one block per L3 cache). The program's GL stack
// unloads the driver when it closes, before exit, and the leak check at exit
// then finds a block whose only pointer lay in a module that is gone. So in
// this build every loaded module stays until exit: the check sees the
// statics of each as it sees those of a library linked at start, and what
// they point to is held, not lost. The program's own code is never loaded
// this way, so a leak of its own is still told.
extern "C" int dlclose(void*)
{
    return 0;
}
