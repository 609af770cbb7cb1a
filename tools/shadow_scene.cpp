#include "tools/shadow_scene.h"

#include "tools/mesh_builder.h"

#include <string>

namespace scene {

namespace {

// Up to the left of the shapes and below the camera, so that the shadows
// fall to the right, away from it, and the lamp's halo stays in view as the
// camera goes round.
const Vector3 LampPosition{-14.0f, 18.0f, -4.0f};
const Vector3 CameraPosition{0.0f, 35.0f, -50.0f};
const Vector3 CameraTarget{0.0f, 3.0f, 0.0f};

tds::MaterialData Plain(const char* name, tds::Rgb colour)
{
    tds::MaterialData m;
    m.name = name;
    m.ambient = colour;
    m.diffuse = colour;
    return m;
}

tds::MeshData Box(const char* name, const char* material, const Vector3& lo, const Vector3& hi, int topCells = 1)
{
    MeshBuilder b(name, material);
    b.Box(lo, hi, topCells, 0.0f);
    return b.Finish(false);
}

// A square pyramid on the floor, its corners shared by its faces.
tds::MeshData Pyramid(const char* name, const char* material, const Vector3& baseCentre, float half, float height)
{
    MeshBuilder b(name, material);
    const Vector3 apex = baseCentre + Vector3(0, height, 0);
    const std::uint16_t top = b.Vertex(apex);
    std::uint16_t corner[4];
    const float x[4] = {-half, half, half, -half};
    const float z[4] = {-half, -half, half, half};
    for (int i = 0; i < 4; ++i)
        corner[i] = b.Vertex(baseCentre + Vector3(x[i], 0, z[i]));
    const Vector3 middle = baseCentre + Vector3(0, height / 4, 0);
    for (int i = 0; i < 4; ++i) {
        const std::uint16_t a = corner[i], c = corner[(i + 1) % 4];
        b.Triangle(top, a, c, (b.Position(a) + b.Position(c) + apex) * (1.0f / 3) - middle);
    }
    b.Quad(corner[0], corner[1], corner[2], corner[3], Vector3(0, -1, 0));
    return b.Finish(false);
}

}  // namespace

tds::SceneFile BuildShadowScene()
{
    tds::SceneFile file;
    file.ambient = tds::Rgb{0.15f, 0.15f, 0.15f};
    file.materials = {Plain("Stone", {0.75f, 0.75f, 0.72f}), Plain("Red", {0.8f, 0.2f, 0.15f}),
                      Plain("Green", {0.2f, 0.7f, 0.3f}), Plain("Blue", {0.2f, 0.35f, 0.8f}),
                      Plain("Yellow", {0.85f, 0.75f, 0.2f})};

    // The floor's top in small cells, so the lamp's light falls off across it.
    file.meshes.push_back(Box(ShadowFloorName, "Stone", Vector3(-30, -1, -30), Vector3(30, 0, 30), 24));
    file.meshes.push_back(Box("Cube", "Red", Vector3(-9, 0, -3), Vector3(-3, 6, 3)));
    file.meshes.push_back(Box("Pillar", "Blue", Vector3(2, 0, 4), Vector3(5, 12, 7)));
    file.meshes.push_back(Box("Slab", "Green", Vector3(-4, 0, -14), Vector3(6, 2, -9)));
    file.meshes.push_back(Pyramid("Pyramid", "Yellow", Vector3(10, 0, -4), 3.5f, 7.0f));

    tds::LightData lamp;
    lamp.name = "Lamp";
    lamp.position = LampPosition;
    lamp.color = tds::Rgb{1.0f, 0.95f, 0.85f};
    lamp.shadowed = true;
    file.lights.push_back(lamp);

    tds::CameraData camera;
    camera.name = "Camera01";
    camera.position = CameraPosition;
    camera.target = CameraTarget;
    camera.lens = 35.0f;
    file.cameras.push_back(camera);
    return file;
}

}  // namespace scene
