// Arbitrary bytes as a 3DS file, through the materials pass, the object
// loader and the scene loader; whatever follows the main chunk's length is
// the scene's normals side file. Every failure must be a clean false: no
// crash, no undefined behaviour, no leak.

#include "engine/3dengine.h"
#include "engine/assertion.h"
#include "engine/object.h"
#include "engine/scene.h"
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

const std::string& NormalsPath()
{
    static const std::string path = Path() + ".normals";
    return path;
}

void RemoveInput()
{
    std::remove(Path().c_str());
    std::remove(NormalsPath().c_str());
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
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
    // A side file that does not fit the scene is written anew.
    SceneLoader::SetNormalFileSaving(true);
    std::atexit(RemoveInput);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Write(Path(), data, size);
    // The bytes behind the main chunk, as its length gives it.
    const std::size_t mainLength =
        size >= 6 ? std::size_t(data[2]) | std::size_t(data[3]) << 8 | std::size_t(data[4]) << 16 |
                        std::size_t(data[5]) << 24
                  : size;
    if (mainLength < size)
        Write(NormalsPath(), data + mainLength, size - mainLength);
    else
        std::remove(NormalsPath().c_str());

    SceneLoader::LoadMaterials(Path().c_str(), &SceneLoader::MaterialArray);
    // A name no seed uses makes the loader build and destroy every object.
    for (const char* name : {"Box01", "\x01none"}) {
        Object* object = nullptr;
        if (SceneLoader::LoadObject(Path().c_str(), name, &object))
            delete object;
    }
    Scene* scene = nullptr;
    if (SceneLoader::LoadScene(Path().c_str(), &scene))
        delete scene;
    return 0;
}
