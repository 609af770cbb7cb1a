// Arbitrary bytes as a 3DS file, through the materials pass and the object
// loader. Every failure must be a clean false: no crash, no undefined
// behaviour, no leak.

#include "engine/3dengine.h"
#include "engine/assertion.h"
#include "engine/object.h"
#include "engine/sceneloader.h"
#include "null_device.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

std::string InputPath()
{
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/go3d_fuzz_" + std::to_string(getpid()) + ".3ds";
}

const std::string& Path()
{
    static const std::string path = InputPath();
    return path;
}

void RemoveInput()
{
    std::remove(Path().c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Malformed input reports its checks by design; keep the output quiet.
    SetAssertionReporter([](const std::string&, const char*, int) {});
    static NullDevice device;
    // No texture cache: maps leave their slots empty.
    static GraphicsContext context;
    context.Device = &device;
    SceneLoader::SetGraphicsContext(&context);
    SceneLoader::SetDataPath("/nonexistent/");
    std::atexit(RemoveInput);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FILE* f = std::fopen(Path().c_str(), "wb");
    if (f == nullptr)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    SceneLoader::LoadMaterials(Path().c_str(), &SceneLoader::MaterialArray);
    // A name no seed uses makes the loader build and destroy every object.
    for (const char* name : {"Box01", "\x01none"}) {
        Object* object = nullptr;
        if (SceneLoader::LoadObject(Path().c_str(), name, &object))
            delete object;
    }
    return 0;
}
