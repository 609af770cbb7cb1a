// Writes the seed corpora of the fuzz targets, one folder each: small valid
// scenes covering every chunk the 3DS reader knows (one of them followed by
// a fitting normals side file), tiny PNG files of every colour type and
// depth, small JPEG files in colour and grey, and configuration files and
// board pictures at the edges of their line rules.

#include "tests/platform/d3d/image_writer.h"
#include "tools/game_scene.h"
#include "tools/tds_writer.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

// An odd-sized picture of made-up texels, with a full palette where it has one.
d3dtest::PngPicture Png(int colorType, int bitDepth, bool interlaced = false)
{
    const unsigned w = interlaced ? 9 : 5, h = interlaced ? 7 : 3;
    const int channels = colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_PALETTE ? 1
                         : colorType == PNG_COLOR_TYPE_GRAY_ALPHA                               ? 2
                         : colorType == PNG_COLOR_TYPE_RGB                                      ? 3
                                                                                                : 4;
    d3dtest::PngPicture p{w, h, colorType, bitDepth, interlaced, {}, {}, {}};
    const std::size_t pitch = (std::size_t{w} * channels * bitDepth + 7) / 8;
    for (std::size_t i = 0; i < pitch * h; ++i)
        p.rows.push_back(static_cast<unsigned char>(i * 37 + 11));
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        for (int i = 0; i < (1 << bitDepth); ++i)
            p.palette.push_back({static_cast<png_byte>(i * 3), static_cast<png_byte>(255 - i), static_cast<png_byte>(i * 7)});
    return p;
}

// Samples of a small picture, components 3 (RGB) or 1 (grey).
std::vector<unsigned char> Samples(unsigned w, unsigned h, int components)
{
    std::vector<unsigned char> samples;
    for (unsigned i = 0; i < w * h * static_cast<unsigned>(components); ++i)
        samples.push_back(static_cast<unsigned char>(i * 13));
    return samples;
}

bool SaveText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s seeds-directory\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    for (const char* target : {"sceneloader", "png", "jpeg", "config", "board_picture"})
        std::filesystem::create_directories(dir + "/" + target);
    int failures = 0;
    auto save = [&](const std::string& name, const tds::SceneFile& scene,
                    const std::vector<std::uint8_t>& sideFile = {}) {
        std::vector<std::uint8_t> bytes = scene.Build();
        bytes.insert(bytes.end(), sideFile.begin(), sideFile.end());
        if (!tds::SaveFile(dir + "/sceneloader/" + name, bytes))
            ++failures;
    };
    auto text = [&](const std::string& name, const std::string& content) {
        if (!SaveText(dir + "/" + name, content))
            ++failures;
    };

    const struct {
        const char* name;
        int colorType, bitDepth;
    } pngs[] = {
        {"grey1", PNG_COLOR_TYPE_GRAY, 1},
        {"grey2", PNG_COLOR_TYPE_GRAY, 2},
        {"grey4", PNG_COLOR_TYPE_GRAY, 4},
        {"grey8", PNG_COLOR_TYPE_GRAY, 8},
        {"grey16", PNG_COLOR_TYPE_GRAY, 16},
        {"greyalpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {"greyalpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16},
        {"rgb8", PNG_COLOR_TYPE_RGB, 8},
        {"rgb16", PNG_COLOR_TYPE_RGB, 16},
        {"palette1", PNG_COLOR_TYPE_PALETTE, 1},
        {"palette2", PNG_COLOR_TYPE_PALETTE, 2},
        {"palette4", PNG_COLOR_TYPE_PALETTE, 4},
        {"palette8", PNG_COLOR_TYPE_PALETTE, 8},
        {"rgba8", PNG_COLOR_TYPE_RGBA, 8},
        {"rgba16", PNG_COLOR_TYPE_RGBA, 16},
    };
    for (const auto& p : pngs)
        failures += !d3dtest::WritePng(dir + "/png/" + p.name + ".png", Png(p.colorType, p.bitDepth));
    failures += !d3dtest::WritePng(dir + "/png/interlaced.png", Png(PNG_COLOR_TYPE_RGBA, 8, true));
    d3dtest::PngPicture transparent = Png(PNG_COLOR_TYPE_PALETTE, 8);
    transparent.transparency = {0, 128, 255};
    failures += !d3dtest::WritePng(dir + "/png/palette8-transparency.png", transparent);

    failures += !d3dtest::WriteJpeg(dir + "/jpeg/colour.jpg", 16, 8, 3, Samples(16, 8, 3), 75);
    failures += !d3dtest::WriteJpeg(dir + "/jpeg/grey.jpg", 8, 8, 1, Samples(8, 8, 1), 75);

    // Every key in its working form, then the forms at the rule's edges.
    text("config/keys.conf", "fullscreen = true\nresolution = 640x480\nbpp = 16\nzbufferdepth = 16\n"
                             "device = ref\ntnl = false\nrefresh = 75\nantialiasing = speed\n"
                             "flipchain = triplebuffering\nvsync = false\n"
                             "dontcareabout = bpp, refresh, alpha, zbufferdepth, tnl, flipchain, aamode, vsync\n");
    text("config/edges.conf", "; comment\r\n indented = true\r\n\r\nresolution = 1024 x 768\r\n"
                              "bpp =32\r\ntnl false\r\nfullscreen = true \r\nrefresh = -99999999999\r\n"
                              "antialiasing = low\r\nantialiasing = none\r\nunknown = 1\r\n"
                              "dontcareabout = bpp ,refresh,\tvsync,\r\nvsync = true");

    const std::string dots(19, '.');
    std::string picture;
    for (int k = 0; k < 19; ++k)
        picture += (k == 0 ? "b" + dots.substr(1) : k == 3 ? "bwB.x..............extra" : dots) + "\n";
    text("board_picture/picture.txt", picture);
    std::string crlf;
    for (int k = 0; k < 19; ++k)
        crlf += (k % 2 ? "..b.w" + dots.substr(5) : dots) + "\r\n";
    text("board_picture/crlf.txt", crlf);
    text("board_picture/short.txt", "b\n.b\r\n\n..w");

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
