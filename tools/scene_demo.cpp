// A whole scene read by LoadScene and drawn by the scene itself, with stencil
// shadows and the lamp's halo, its camera going round: a floor, a few shapes
// and a shadow-casting lamp, written by our 3DS writer into a temporary
// folder at start. scene_demo [seconds] [screenshot.png]
// The screenshot is the last frame.

#include "engine/3dengine.h"
#include "engine/camera.h"
#include "engine/object.h"
#include "engine/scene.h"
#include "engine/sceneloader.h"
#include "platform/d3d/readback.h"
#include "platform/win/win32.h"
#include "tools/demo_window.h"
#include "tools/png_file.h"
#include "tools/shadow_scene.h"
#include "tools/tds_writer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace
{
constexpr int Width = 640;
constexpr int Height = 480;  // the scene projects with the aspect 4:3
constexpr float OrbitSpeed = 0.3f;  // radians a second


// A folder of our own under the temporary folder, removed with what it holds.
class TemporaryFolder
{
public:
    TemporaryFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/scene_demo.XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Empty when it could not be made.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Writes the demo's scene file and reads it back whole; null on failure.
std::unique_ptr<Scene> LoadShadowScene(GraphicsContext* gc)
{
    TemporaryFolder folder;
    if (folder.Path().empty()) {
        std::fprintf(stderr, "scene_demo: no temporary folder\n");
        return nullptr;
    }
    const std::string file = folder.Path() + "/shapes.3ds";
    if (!tds::SaveFile(file, scene::BuildShadowScene().Build())) {
        std::fprintf(stderr, "scene_demo: cannot write %s\n", file.c_str());
        return nullptr;
    }
    SceneLoader::SetGraphicsContext(gc);
    SceneLoader::SetDataPath((folder.Path() + "/").c_str());
    SceneLoader::SetNormalFileSaving(false);
    Scene* loaded = nullptr;
    if (!SceneLoader::LoadScene(file.c_str(), &loaded)) {
        std::fprintf(stderr, "scene_demo: cannot load %s\n", file.c_str());
        return nullptr;
    }
    return std::unique_ptr<Scene>(loaded);
}
}

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const char* screenshot = argc > 2 ? argv[2] : nullptr;
    // Declared in this order, they go in the reverse: the scene, then the
    // device, then the window.
    demo::Window window("SceneDemo", "Scene: shadows and a halo", Width, Height);
    if (window.Handle() == nullptr)
        return 1;
    demo::Device device(window.Handle(), Width, Height);
    GraphicsContext* gc = device.Context();
    if (gc == nullptr)
        return 1;

    std::unique_ptr<Scene> scene = LoadShadowScene(gc);
    if (scene == nullptr)
        return 1;
    Camera* camera = scene->GetActiveCamera();
    if (camera == nullptr) {
        std::fprintf(stderr, "scene_demo: the scene has no camera\n");
        return 1;
    }
    // The file says which lights cast shadows, not which objects do: every
    // shape does; the floor only takes them.
    for (Object* object : scene->GetObjectsList())
        object->SetShadowCasting(object != scene->GetObject(scene::ShadowFloorName));
    scene->SetShadows(true);
    scene->SetLightHalos(true);
    scene->SetHaloSize(6.0f);
    const Vector3 start = camera->GetPosition();

    auto draw = [&](float t) {
        camera->SetPosition(start);
        camera->Rotate(0.0f, OrbitSpeed * t, 0.0f);
        gc->Clear(0xFF182028);
        gc->ClearZBufferStencil(1.0f, 0);
        scene->Render();
    };

    const auto begin = std::chrono::steady_clock::now();
    float t = 0.0f;
    while (demo::PumpMessages()) {
        t = std::chrono::duration<float>(std::chrono::steady_clock::now() - begin).count();
        if (t > seconds)
            break;
        draw(t);
        gc->Flip();
    }

    int status = 0;
    if (screenshot != nullptr) {
        draw(t);
        std::vector<std::uint32_t> pixels;
        UINT w = 0, h = 0;
        if (D3DReadBackBuffer(gc->Device, pixels, w, h) != D3D_OK || !tools::SavePng(screenshot, pixels, w, h)) {
            std::fprintf(stderr, "scene_demo: cannot save %s\n", screenshot);
            status = 1;
        }
    }
    SceneLoader::SetGraphicsContext(nullptr);
    return status;
}
