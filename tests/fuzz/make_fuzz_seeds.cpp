// Writes the fuzzer's seed corpus: small valid scenes covering every chunk
// the reader knows, one of them followed by a fitting normals side file.

#include "tools/game_scene.h"
#include "tools/tds_writer.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

tds::MeshData Box(const std::string& name)
{
    tds::MeshData m;
    m.name = name;
    m.vertices = {{0, 0, 0}, {10, 0, 0}, {0, 0, 10}, {10, 0, 10}};
    m.faces = {{0, 1, 2, 0}, {1, 3, 2, 0}};
    return m;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s corpus-directory\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    int failures = 0;
    auto save = [&](const std::string& name, const tds::SceneFile& scene,
                    const std::vector<std::uint8_t>& sideFile = {}) {
        std::vector<std::uint8_t> bytes = scene.Build();
        bytes.insert(bytes.end(), sideFile.begin(), sideFile.end());
        if (!tds::SaveFile(dir + "/" + name, bytes))
            ++failures;
    };

    {
        tds::SceneFile s;
        s.meshes.push_back(Box("Box01"));
        save("mesh.3ds", s);
    }
    {
        tds::SceneFile s;
        s.ambient = tds::Rgb{0.1f, 0.1f, 0.1f};
        tds::MaterialData m;
        m.name = "Wood";
        m.diffuse = tds::Rgb{0.8f, 0.6f, 0.3f};
        m.ambient = tds::Rgb{0.2f, 0.2f, 0.2f};
        m.specular = tds::Rgb{1, 1, 1};
        m.shininess = tds::Percent::Int(25);
        m.shininessStrength = tds::Percent::Fraction(0.5f);
        m.transparency = tds::Percent::Int(40);
        m.selfIllumination = tds::Percent::Fraction(0.1f);
        m.maps = {{tds::Chunk_Mat_TextureMap, tds::Percent::Int(100), "wood.jpg"},
                  {tds::Chunk_Mat_BumpMap, tds::Percent::Int(30), "bump.png"},
                  {tds::Chunk_Mat_ReflectionMap, tds::Percent::Fraction(0.2f), "sky.png"}};
        s.materials.push_back(m);
        m.name = "Float";
        m.colorForm = tds::ColorForm::Float;
        m.maps.clear();
        s.materials.push_back(m);
        tds::MeshData box = Box("Box01");
        box.material = "Wood";
        box.texCoords = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        box.axes = tds::LocalAxes{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {5, 1, 2}};
        s.meshes.push_back(box);
        save("materials.3ds", s);
    }
    {
        tds::SceneFile s;
        tds::MeshData path;
        path.name = "Path01";
        path.vertices = {{0, 0, 0}, {5, 5, 5}, {10, 0, 10}};
        s.meshes.push_back(path);
        tds::LightData omni;
        omni.name = "Omni01";
        omni.position = {0, 100, 0};
        omni.shadowed = true;
        omni.multiplier = 0.5f;
        omni.outerRange = 300.0f;
        s.lights.push_back(omni);
        tds::LightData spot;
        spot.name = "Spot01";
        spot.position = {0, 50, -50};
        spot.colorForm = tds::ColorForm::Bytes24;
        spot.spot = tds::SpotData{{0, 0, 0}, 30, 45};
        s.lights.push_back(spot);
        tds::CameraData camera;
        camera.name = "Camera01";
        camera.position = {0, 100, -100};
        camera.bank = 0.1f;
        s.cameras.push_back(camera);
        s.meshes.push_back(Box("Box01"));
        save("objects.3ds", s);

        // The side file for its one mesh: object count, name, vertex count,
        // one normal per vertex.
        tds::ChunkWriter normals;
        normals.Dword(1);
        normals.String("Box01");
        normals.Dword(4);
        for (int i = 0; i < 4; ++i) {
            normals.Float(0);
            normals.Float(-1);
            normals.Float(0);
        }
        save("objects_normals.3ds", s, normals.Result());
    }
    {
        // One stone of the game's scene, with its materials.
        tds::SceneFile game = scene::BuildGameScene();
        tds::SceneFile s;
        s.materials = game.materials;
        for (const tds::MeshData& m : game.meshes)
            if (m.name == "White")
                s.meshes.push_back(m);
        save("stone.3ds", s);
    }
    return failures == 0 ? 0 : 1;
}
