// The 3DS reader on fixtures made by our own writer: the primitives, the
// file-to-engine conventions, objects, lights, cameras and paths, materials
// and their maps, malformed files, and the game's shipped scene.

#include "engine/sceneloader.h"

#include "counted.h"
#include "device_fixture.h"
#include "engine/assertion.h"
#include "engine/camera.h"
#include "engine/curves.h"
#include "engine/lights.h"
#include "engine/object.h"
#include "engine/scene.h"
#include "engine/textureman.h"
#include "tools/tds_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace sl = SceneLoader;
using Bytes = std::vector<std::uint8_t>;
using Writer = tds::ChunkWriter;

namespace {

std::string TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sceneloaderXXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    return made != nullptr ? std::string(made) : std::string();
}

void Save(const std::string& path, const Bytes& bytes)
{
    ASSERT_TRUE(tds::SaveFile(path, bytes)) << path;
}

void WritePng(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 4;
    image.height = 4;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(4 * 4 * 3, 200);
    ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr), 0) << path;
}

// Main chunk and editor block around what body writes.
Bytes Wrap(const std::function<void(Writer&)>& body)
{
    Writer w;
    w.BeginChunk(tds::Chunk_Main);
    w.BeginChunk(tds::Chunk_Edit);
    body(w);
    w.EndChunk();
    w.EndChunk();
    return w.Result();
}

// File values, as raw as they stand in the file (Z up, file winding).
void RawVertices(Writer& w, const std::vector<Vector3>& fileVectors)
{
    w.BeginChunk(tds::Chunk_TriMesh_VertexList);
    w.Word(std::uint16_t(fileVectors.size()));
    for (const Vector3& v : fileVectors) {
        w.Float(v.x);
        w.Float(v.y);
        w.Float(v.z);
    }
    w.EndChunk();
}

void RawFaces(Writer& w, const std::vector<std::array<std::uint16_t, 3>>& faces,
              const std::vector<std::string>& groups = {})
{
    w.BeginChunk(tds::Chunk_TriMesh_FaceList);
    w.Word(std::uint16_t(faces.size()));
    for (const auto& f : faces) {
        w.Word(f[0]);
        w.Word(f[1]);
        w.Word(f[2]);
        w.Word(7);
    }
    for (const std::string& g : groups) {
        w.BeginChunk(tds::Chunk_TriMesh_MaterialGroup);
        w.String(g);
        w.Word(1);
        w.Word(0);
        w.EndChunk();
    }
    w.EndChunk();
}

const std::vector<Vector3> Triangle3{{0, 0, 0}, {10, 0, 0}, {0, 0, 10}};

// A well-formed mesh "Box01" in engine terms.
tds::MeshData Box(const std::string& name = "Box01", std::vector<Vector3> vertices = Triangle3)
{
    tds::MeshData m;
    m.name = name;
    m.vertices = std::move(vertices);
    m.faces = {{0, 1, 2, 0}};
    return m;
}

void BoxChunk(Writer& w)
{
    tds::WriteMesh(w, Box());
}

// An object block whose trimesh holds what body writes.
void MeshBlock(Writer& w, const std::string& name, const std::function<void(Writer&)>& body)
{
    w.BeginChunk(tds::Chunk_Edit_Object);
    w.String(name);
    w.BeginChunk(tds::Chunk_Obj_TriMesh);
    body(w);
    w.EndChunk();
    w.EndChunk();
}

tds::LightData LightAt(const std::string& name, const Vector3& position)
{
    tds::LightData l;
    l.name = name;
    l.position = position;
    return l;
}

tds::CameraData CameraAt(const std::string& name, const Vector3& position, float lens = 50)
{
    tds::CameraData c;
    c.name = name;
    c.position = position;
    c.lens = lens;
    return c;
}

// Collects the expressions of failed checks while it lives.
class CheckLog
{
public:
    CheckLog()
    {
        previous_ = SetAssertionReporter(
            [this](const std::string& expression, const char*, int) { seen.push_back(expression); });
    }
    ~CheckLog() { SetAssertionReporter(previous_); }
    bool Saw(const std::string& expression) const
    {
        return std::find(seen.begin(), seen.end(), expression) != seen.end();
    }
    std::vector<std::string> seen;

private:
    AssertionReporter previous_;
};

// A file opened by hand, for the primitives.
class RawFile
{
public:
    explicit RawFile(const std::string& path)
        : h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr))
    {
        sl::eof = false;
        sl::BytesRead = 0;
    }
    ~RawFile()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    HANDLE h;
};

void ExpectVector(const Vector3& got, const Vector3& want, const std::string& what, float tol = 1e-5f)
{
    EXPECT_NEAR(got.x, want.x, tol) << what;
    EXPECT_NEAR(got.y, want.y, tol) << what;
    EXPECT_NEAR(got.z, want.z, tol) << what;
}

void ExpectColor(const Color& got, const Color& want, const std::string& what)
{
    EXPECT_NEAR(got.r, want.r, 1e-6f) << what;
    EXPECT_NEAR(got.g, want.g, 1e-6f) << what;
    EXPECT_NEAR(got.b, want.b, 1e-6f) << what;
    EXPECT_NEAR(got.a, want.a, 1e-6f) << what;
}

Color Raw(float r, float g, float b, float a)
{
    Color c(0.0f);
    c.r = r;
    c.g = g;
    c.b = b;
    c.a = a;
    return c;
}

// ---------------------------------------------------------------------------
// Primitives, on a file opened by hand

class Primitives : public ::testing::Test
{
protected:
    void SetUp() override { dir = TempDir(); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string File(const Bytes& bytes)
    {
        const std::string path = dir + "/raw.bin";
        Save(path, bytes);
        return path;
    }
    std::string dir;
};

TEST_F(Primitives, LittleEndianValuesVectorsAndNames)
{
    Writer w;
    w.Word(0x1234);
    w.Dword(0x89ABCDEF);
    for (int i = 0; i < 2; ++i) {
        w.Float(1);
        w.Float(2);
        w.Float(3);
    }
    w.String("Box01");
    w.Header(0x4110, 0x00010020);
    RawFile f(File(w.Result()));

    EXPECT_EQ(sl::ReadWord(f.h), 0x1234);
    EXPECT_EQ(sl::ReadDword(f.h), 0x89ABCDEFu);
    EXPECT_EQ(sl::BytesRead, 6u);
    ExpectVector(sl::ReadVector(f.h, true), {1, 3, 2}, "swapped");
    ExpectVector(sl::ReadVector(f.h, false), {1, 2, 3}, "as stored");
    EXPECT_EQ(sl::BytesRead, 30u);

    const std::string name = sl::ReadString(f.h);
    EXPECT_EQ(name, std::string("Box01\0", 6));
    EXPECT_EQ(name.back(), '\0');
    EXPECT_EQ(sl::BytesRead, 36u);

    const sl::ChunkHeader ch = sl::ReadChunk(f.h);
    EXPECT_EQ(ch.id, 0x4110u);
    EXPECT_EQ(ch.length, 0x00010020u);
    EXPECT_EQ(sl::BytesRead, 42u);
    EXPECT_FALSE(sl::eof);

    // Past the end: a short read sets eof, and BytesRead still counts it.
    sl::ReadDword(f.h);
    EXPECT_TRUE(sl::eof);
    EXPECT_EQ(sl::BytesRead, 46u);
}

TEST_F(Primitives, ColoursByTheirChunk)
{
    struct Case
    {
        const char* what;
        std::function<void(Writer&)> write;
        Color want;
        dword consumed;
    } cases[] = {
        {"24-bit", [](Writer& w) { w.BeginChunk(0x0011); w.Byte(255); w.Byte(128); w.Byte(0); w.EndChunk(); },
         Raw(1.0f, 0.5019608f, 0.0f, 1.0f), 9},
        {"linear 24-bit", [](Writer& w) { w.BeginChunk(0x0012); w.Byte(0); w.Byte(51); w.Byte(255); w.EndChunk(); },
         Raw(0.0f, 0.2f, 1.0f, 1.0f), 9},
        {"float, unclamped", [](Writer& w) { w.BeginChunk(0x0010); w.Float(2); w.Float(-1); w.Float(0.5f); w.EndChunk(); },
         Raw(2.0f, -1.0f, 0.5f, 1.0f), 18},
        {"linear float", [](Writer& w) { w.BeginChunk(0x0013); w.Float(0.25f); w.Float(0.5f); w.Float(0.75f); w.EndChunk(); },
         Raw(0.25f, 0.5f, 0.75f, 1.0f), 18},
        {"another id: black, header only", [](Writer& w) { w.BeginChunk(0x0030); w.Word(75); w.EndChunk(); },
         Raw(0.0f, 0.0f, 0.0f, 1.0f), 6},
    };
    for (const Case& c : cases) {
        Writer w;
        c.write(w);
        RawFile f(File(w.Result()));
        ExpectColor(sl::ReadColor(f.h), c.want, c.what);
        EXPECT_EQ(sl::BytesRead, c.consumed) << c.what;
    }
}

TEST_F(Primitives, PercentagesByTheirChunk)
{
    struct Case
    {
        const char* what;
        std::function<void(Writer&)> write;
        std::int32_t whole;
        float fraction;
    } cases[] = {
        {"integer 75", [](Writer& w) { tds::WritePercent(w, tds::Percent::Int(75)); }, 75, 0.75f},
        {"float 0.339", [](Writer& w) { tds::WritePercent(w, tds::Percent::Fraction(0.339f)); }, 33, 0.339f},
        {"negative float truncates toward zero", [](Writer& w) { tds::WritePercent(w, tds::Percent::Fraction(-0.339f)); },
         -33, -0.339f},
        {"another id gives zero", [](Writer& w) { w.BeginChunk(0x0011); w.Byte(1); w.Byte(2); w.Byte(3); w.EndChunk(); },
         0, 0.0f},
        // Whole percentages of floats beyond an int32 saturate instead of
        // overflowing the conversion.
        {"huge float", [](Writer& w) { w.BeginChunk(0x0031); w.Float(1e30f); w.EndChunk(); }, INT32_MAX, 1e30f},
        {"huge negative float", [](Writer& w) { w.BeginChunk(0x0031); w.Float(-1e30f); w.EndChunk(); }, INT32_MIN,
         -1e30f},
    };
    for (const Case& c : cases) {
        Writer w;
        c.write(w);
        RawFile f(File(w.Result()));
        const sl::Percent p = sl::ReadPercent(f.h);
        EXPECT_EQ(p.IntPercent, c.whole) << c.what;
        EXPECT_FLOAT_EQ(p.FloatPercent, c.fraction) << c.what;
    }

    Writer w;
    w.BeginChunk(0x0031);
    w.Float(std::nanf(""));
    w.EndChunk();
    RawFile f(File(w.Result()));
    EXPECT_EQ(sl::ReadPercent(f.h).IntPercent, 0) << "NaN";
}

TEST_F(Primitives, SkipsMoveForwardAndCount)
{
    Writer w;
    w.BeginChunk(0x1234);
    w.Dword(1);
    w.Dword(2);
    w.EndChunk();
    w.Word(0xAAAA);
    w.Word(0xBBBB);
    w.Word(0xCCCC);
    RawFile f(File(w.Result()));
    const sl::ChunkHeader ch = sl::ReadChunk(f.h);
    sl::SkipChunk(f.h, ch);
    EXPECT_EQ(sl::BytesRead, 14u);
    EXPECT_EQ(sl::ReadWord(f.h), 0xAAAA);
    sl::SkipBytes(f.h, 2);
    EXPECT_EQ(sl::BytesRead, 18u);
    EXPECT_EQ(sl::ReadWord(f.h), 0xCCCC);
}

// ---------------------------------------------------------------------------
// Loading, on a device

class SceneLoaderTest : public enginetest::DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        sl::SetGraphicsContext(c);
        sl::SetDataPath("");
        dir = TempDir();
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override
    {
        delete[] sl::MaterialArray;
        sl::MaterialArray = nullptr;
        sl::MaterialCount = 0;
        sl::SetGraphicsContext(nullptr);
        sl::SetDataPath("");
        std::filesystem::remove_all(dir);
        DeviceTest::TearDown();
    }

    std::string File(const Bytes& bytes, const std::string& name = "scene.3ds")
    {
        const std::string path = dir + "/" + name;
        Save(path, bytes);
        return path;
    }

    // Files the loaders refuse whole: nothing to open, no main chunk first,
    // no editor block.
    struct NoScene
    {
        const char* what;
        std::string path;
    };
    std::vector<NoScene> NoSceneFiles()
    {
        Writer notMain;
        notMain.BeginChunk(0x1234);
        notMain.Dword(0);
        notMain.EndChunk();
        Writer noEditor;
        noEditor.BeginChunk(tds::Chunk_Main);
        noEditor.BeginChunk(0x0002);
        noEditor.Dword(3);
        noEditor.EndChunk();
        noEditor.EndChunk();
        // A folder opens as a file does on this system; only reading fails.
        std::filesystem::create_directory(dir + "/folder.3ds");
        return {
            {"missing file", dir + "/missing.3ds"},
            {"a folder", dir + "/folder.3ds"},
            {"first chunk not the main chunk", File(notMain.Result(), "notmain.3ds")},
            {"no editor block", File(noEditor.Result(), "noeditor.3ds")},
        };
    }

    std::unique_ptr<Object> Load(const std::string& path, const char* name)
    {
        Object* o = nullptr;
        if (!sl::LoadObject(path.c_str(), name, &o))
            return nullptr;
        return std::unique_ptr<Object>(o);
    }

    // The first object block of the file through ReadObject.
    std::int32_t ReadFirst(const std::string& path, void** out)
    {
        RawFile f(path);
        EXPECT_EQ(sl::ReadChunk(f.h).id, 0x4D4Du);
        EXPECT_EQ(sl::ReadChunk(f.h).id, 0x3D3Du);
        for (;;) {
            const sl::ChunkHeader ch = sl::ReadChunk(f.h);
            if (sl::eof)
                return -2;
            if (ch.id == 0x4000)
                return sl::ReadObject(f.h, ch, out);
            sl::SkipChunk(f.h, ch);
        }
    }

    bool Materials(const std::string& path) { return sl::LoadMaterials(path.c_str(), &sl::MaterialArray); }

    std::string dir;
};

TEST_F(SceneLoaderTest, MeshFromTheFileTurnedToEngineAxes)
{
    const std::string path = File(Wrap([](Writer& w) {
        MeshBlock(w, "Box01", [](Writer& w) {
            RawVertices(w, {{1, 2, 3}, {5, 2, 3}, {1, 6, 3}});
            w.BeginChunk(tds::Chunk_TriMesh_TexCoords);
            w.Word(3);
            for (int i = 0; i < 3; ++i) {
                w.Float(0.25f);
                w.Float(0.75f);
            }
            w.EndChunk();
            RawFaces(w, {{0, 1, 2}});
        });
    }));
    auto o = Load(path, "Box01");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->Name, std::string("Box01\0", 6));
    TriMesh* mesh = o->GetTriMesh();
    ASSERT_EQ(mesh->GetVertexCount(0), 3u);
    ASSERT_EQ(mesh->GetTriangleCount(0), 1u);
    const Vertex* v = mesh->GetVertexArray(0);
    ExpectVector(v[0].Position, {1, 3, 2}, "vertex 0");
    ExpectVector(v[2].Position, {1, 3, 6}, "vertex 2");
    const Triangle& t = mesh->GetTriangleArray(0)[0];
    EXPECT_EQ(t.Vertices[0], 0);
    EXPECT_EQ(t.Vertices[1], 2);
    EXPECT_EQ(t.Vertices[2], 1);
    for (int set = 0; set < 2; ++set) {
        EXPECT_FLOAT_EQ(v[1].Tex[set].U, 0.25f) << set;
        EXPECT_FLOAT_EQ(v[1].Tex[set].V, -0.75f) << set;
    }
    EXPECT_FLOAT_EQ(v[1].Tex[2].U, 0.0f);
    EXPECT_FLOAT_EQ(v[1].Tex[3].V, 0.0f);
    // LoadObject computes the vertex normals.
    EXPECT_NEAR(v[0].Normal.Length(), 1.0f, 1e-5f);
}

TEST_F(SceneLoaderTest, MaterialGroupsChooseTheMaterial)
{
    struct Case
    {
        const char* what;
        std::vector<std::string> groups;
        float red;  // diffuse red of the result; the default material is white
        std::string name;
    } cases[] = {
        {"one group", {"Red"}, 1.0f, std::string("Red\0", 4)},
        {"the second of two groups", {"Red", "Blue"}, 0.0f, std::string("Blue\0", 5)},
        {"a material the file lacks keeps the default", {"Missing"}, 1.0f, ""},
        {"no group", {}, 1.0f, ""},
    };
    for (const Case& c : cases) {
        const std::string path = File(Wrap([&](Writer& w) {
            tds::MaterialData red;
            red.name = "Red";
            red.diffuse = tds::Rgb{1, 0, 0};
            tds::MaterialData blue;
            blue.name = "Blue";
            blue.diffuse = tds::Rgb{0, 0, 1};
            tds::WriteMaterial(w, red);
            tds::WriteMaterial(w, blue);
            MeshBlock(w, "Box01", [&](Writer& w) {
                RawVertices(w, Triangle3);
                RawFaces(w, {{0, 1, 2}}, c.groups);
            });
        }));
        auto o = Load(path, "Box01");
        ASSERT_NE(o, nullptr) << c.what;
        EXPECT_EQ(o->Material.Name, c.name) << c.what;
        EXPECT_FLOAT_EQ(o->Material.Diffuse.r, c.red) << c.what;
        EXPECT_FLOAT_EQ(o->Material.Diffuse.g, c.name.empty() ? 1.0f : 0.0f) << c.what;
    }
}

TEST_F(SceneLoaderTest, LoadObjectFindsOnlyMeshesByName)
{
    tds::SceneFile scene;
    scene.meshes.push_back(Box("Box01", Triangle3));
    scene.meshes.push_back(Box("Box01", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}}));
    tds::MeshData path;
    path.name = "Path01";
    path.vertices = Triangle3;
    scene.meshes.push_back(path);
    scene.lights.push_back(LightAt("Omni01", {0, 10, 0}));
    scene.cameras.push_back(CameraAt("Camera01", {0, 10, -10}));
    scene.meshes.push_back(Box("Last"));
    const std::string file = File(scene.Build());

    struct Case
    {
        const char* name;
        bool found;
        dword vertices;
    } cases[] = {
        {"Box01", true, 3},  // the first of two
        {"Last", true, 3},   // behind lights and cameras
        {"Path01", false, 0},
        {"Omni01", false, 0},
        {"Camera01", false, 0},
        {"Nothing", false, 0},
        {"Box0", false, 0},
    };
    for (const Case& c : cases) {
        Object* o = nullptr;
        EXPECT_EQ(sl::LoadObject(file.c_str(), c.name, &o), c.found) << c.name;
        std::unique_ptr<Object> owned(o);
        if (c.found) {
            ASSERT_NE(o, nullptr) << c.name;
            EXPECT_EQ(o->GetTriMesh()->GetVertexCount(0), c.vertices) << c.name;
        } else {
            EXPECT_EQ(o, nullptr) << c.name;
        }
    }
}

TEST_F(SceneLoaderTest, LoadObjectNeedsAContextAndAFile)
{
    const std::string file = File(Wrap(BoxChunk));
    Object* o = nullptr;
    sl::SetGraphicsContext(nullptr);
    EXPECT_FALSE(sl::LoadObject(file.c_str(), "Box01", &o));
    sl::SetGraphicsContext(c);
    EXPECT_FALSE(sl::LoadObject((dir + "/missing.3ds").c_str(), "Box01", &o));
    EXPECT_FALSE(sl::LoadObject(file.c_str(), "Box01", nullptr));
    EXPECT_EQ(o, nullptr);
    EXPECT_TRUE(sl::LoadObject(file.c_str(), "Box01", &o));
    delete o;
}

TEST_F(SceneLoaderTest, LocalAxesPutTheVerticesBackInWorldSpace)
{
    struct Case
    {
        const char* what;
        tds::LocalAxes axes;
    } cases[] = {
        {"moved origin", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {10, 5, -3}}},
        {"quarter turn about y", {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {10, 5, -3}}},
        {"tilted and scaled axes", {{2, 0, 0}, {0, 0, 2}, {0, -2, 0}, {-4, 1, 7}}},
        // No entry zero, no two axes alike and the frame not its own
        // transpose: two of its rows read in each other's place, or the
        // frame taken as columns, moves every vertex.
        {"oblique frame", {{2, 2, 1}, {-2, 1, 2}, {1, -2, 2}, {-4, 1, 7}}},
    };
    const std::vector<Vector3> world{{11, 5, -3}, {10, 6, -3}, {10, 5, -2}, {14, 9, 1}};
    for (const Case& c : cases) {
        tds::MeshData m = Box("Box01", world);
        m.axes = c.axes;
        const std::string file = File(Wrap([&](Writer& w) { tds::WriteMesh(w, m); }));
        auto o = Load(file, "Box01");
        ASSERT_NE(o, nullptr) << c.what;
        const Vertex* v = o->GetTriMesh()->GetVertexArray(0);
        const Matrix4x4 toWorld = o->GetWorldTransform();
        const Vector3 i = c.axes.i.Normalized(), j = c.axes.j.Normalized(), k = c.axes.k.Normalized();
        for (std::size_t n = 0; n < world.size(); ++n) {
            const std::string what = std::string(c.what) + ", vertex " + std::to_string(n);
            // In the object's own space a vertex stands at its distances
            // from the origin along the frame's axes.
            const Vector3 d = world[n] - c.axes.origin;
            ExpectVector(v[n].Position, {d.DotProduct(i), d.DotProduct(j), d.DotProduct(k)}, what + " in its own space",
                         1e-4f);
            Vector3 p = v[n].Position;
            p.Transform(toWorld);
            ExpectVector(p, world[n], what, 1e-4f);
        }
    }
}

TEST_F(SceneLoaderTest, LightsCamerasAndPaths)
{
    {
        tds::SceneFile scene;
        scene.cameras.push_back(CameraAt("Camera01", {0, 10, -20}, 50));
        void* out = nullptr;
        ASSERT_EQ(ReadFirst(File(scene.Build()), &out), sl::ObjType_Camera);
        std::unique_ptr<Camera> cam(static_cast<Camera*>(out));
        EXPECT_NEAR(cam->FOV, 0.5333333f, 1e-6f);
        EXPECT_EQ(cam->Name, std::string("Camera01\0", 9));
        ExpectVector(cam->GetPosition(), {0, 10, -20}, "camera position");
        ExpectVector(cam->GetTarget(), {0, 0, 0}, "camera target");
        ExpectVector(cam->GetUpVector(), {0, 1, 0}, "camera up");
    }
    {
        tds::SceneFile scene;
        tds::LightData spot = LightAt("Spot01", {0, 50, 0});
        spot.spot = tds::SpotData{{0, 0, 10}, 30, 45};
        scene.lights.push_back(spot);
        void* out = nullptr;
        ASSERT_EQ(ReadFirst(File(scene.Build()), &out), sl::ObjType_SpotLight);
        std::unique_ptr<TargetSpotLight> light(static_cast<TargetSpotLight*>(out));
        EXPECT_NEAR(light->GetTheta(), 0.1666667f, 1e-6f);
        EXPECT_NEAR(light->GetPhi(), 0.25f, 1e-6f);
        ExpectVector(light->Position, {0, 50, 0}, "spot position");
        ExpectVector(light->Target, {0, 0, 10}, "spot target");
        EXPECT_FLOAT_EQ(light->GetRange(), 1000.0f);
        EXPECT_EQ(light->Name, std::string("Spot01\0", 7));
    }
    {
        tds::SceneFile scene;
        tds::LightData omni = LightAt("Omni01", {1, 2, 3});
        omni.color = {1, 0.5f, 0};
        omni.shadowed = true;
        omni.multiplier = 0.5f;
        omni.outerRange = 50.0f;
        scene.lights.push_back(omni);
        void* out = nullptr;
        ASSERT_EQ(ReadFirst(File(scene.Build()), &out), sl::ObjType_PointLight);
        std::unique_ptr<PointLight> light(static_cast<PointLight*>(out));
        EXPECT_EQ(light->GetType(), LightType_Point);
        ExpectVector(light->Position, {1, 2, 3}, "light position");
        EXPECT_FLOAT_EQ(light->GetRange(), 1000.0f) << "the outer range does not reach the light";
        EXPECT_FLOAT_EQ(light->GetIntensity(), 0.5f);
        EXPECT_TRUE(light->GetShadowCasting());
        ExpectColor(light->GetColor(), Raw(1, 0.5f, 0, 1), "light colour");
    }
    {
        tds::SceneFile scene;
        tds::MeshData path;
        path.name = "Path01";
        path.vertices = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
        scene.meshes.push_back(path);
        void* out = nullptr;
        ASSERT_EQ(ReadFirst(File(scene.Build()), &out), sl::ObjType_Curve);
        std::unique_ptr<Curve> curve(static_cast<Curve*>(out));
        EXPECT_NE(dynamic_cast<CatmullRomSpline*>(curve.get()), nullptr);
        EXPECT_EQ(curve->Name, std::string("Path01\0", 7));
        ASSERT_EQ(curve->ControlPoints.Size(), 3u);
        const ListNode<Vector3>* n = curve->ControlPoints.Begin();
        for (const Vector3& want : path.vertices) {
            ExpectVector(n->Data, want, "control point");
            n = n->Next;
        }
    }
}

TEST_F(SceneLoaderTest, ReadObjectNeedsAContext)
{
    const std::string file = File(Wrap(BoxChunk));
    sl::SetGraphicsContext(nullptr);
    void* out = nullptr;
    EXPECT_EQ(ReadFirst(file, &out), sl::ObjType_None);
    EXPECT_EQ(out, nullptr);
}

// ---------------------------------------------------------------------------
// Materials

TEST_F(SceneLoaderTest, MaterialBlocks)
{
    struct Case
    {
        const char* what;
        std::function<void(Writer&)> body;  // sub-chunks after the name
        std::function<void(const Material&)> check;
    } cases[] = {
        {"the first of a gamma pair",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Diffuse);
             tds::WriteColor(w, {1, 0, 0}, tds::ColorForm::Bytes24);
             tds::WriteColor(w, {0, 1, 0}, tds::ColorForm::Linear24);
             w.EndChunk();
         },
         [](const Material& m) { ExpectColor(m.Diffuse, Raw(1, 0, 0, 1), "diffuse"); }},
        {"ambient as floats",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Ambient);
             tds::WriteColor(w, {0.25f, 0.5f, 2.0f}, tds::ColorForm::Float);
             w.EndChunk();
         },
         [](const Material& m) { ExpectColor(m.Ambient, Raw(0.25f, 0.5f, 2.0f, 1), "ambient"); }},
        {"shininess 0",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Shininess);
             tds::WritePercent(w, tds::Percent::Int(0));
             w.EndChunk();
         },
         [](const Material& m) {
             EXPECT_FLOAT_EQ(m.Power, 0.0f);
             EXPECT_FALSE(m.SpecularEnabled);
         }},
        {"shininess 25",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Shininess);
             tds::WritePercent(w, tds::Percent::Int(25));
             w.EndChunk();
         },
         [](const Material& m) {
             EXPECT_FLOAT_EQ(m.Power, 25.0f);
             EXPECT_TRUE(m.SpecularEnabled);
         }},
        {"transparency 40 %",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Transparency);
             tds::WritePercent(w, tds::Percent::Int(40));
             w.EndChunk();
         },
         [](const Material& m) { EXPECT_NEAR(m.Alpha, 0.6f, 1e-6f); }},
        {"shininess strength after the specular colour",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Specular);
             tds::WriteColor(w, {1, 1, 1});
             w.EndChunk();
             w.BeginChunk(tds::Chunk_Mat_ShininessStrength);
             tds::WritePercent(w, tds::Percent::Int(50));
             w.EndChunk();
         },
         [](const Material& m) { ExpectColor(m.Specular, Raw(0.5f, 0.5f, 0.5f, 1), "specular"); }},
        {"shininess strength before the specular colour",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_ShininessStrength);
             tds::WritePercent(w, tds::Percent::Int(50));
             w.EndChunk();
             w.BeginChunk(tds::Chunk_Mat_Specular);
             tds::WriteColor(w, {1, 1, 1});
             w.EndChunk();
         },
         [](const Material& m) { ExpectColor(m.Specular, Raw(1, 1, 1, 1), "specular"); }},
        {"self-illumination",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_SelfIllumination);
             tds::WritePercent(w, tds::Percent::Fraction(0.3f));
             w.EndChunk();
         },
         [](const Material& m) { ExpectColor(m.Emissive, Raw(0.3f, 0.3f, 0.3f, 1), "emissive"); }},
        {"unknown sub-chunks are skipped",
         [](Writer& w) {
             w.BeginChunk(0xA087);
             w.Float(1);
             w.EndChunk();
             w.BeginChunk(tds::Chunk_Mat_Diffuse);
             tds::WriteColor(w, {0, 0, 1});
             w.EndChunk();
         },
         [](const Material& m) { ExpectColor(m.Diffuse, Raw(0, 0, 1, 1), "diffuse"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = File(Wrap([&](Writer& w) {
            w.BeginChunk(tds::Chunk_Edit_Material);
            w.BeginChunk(tds::Chunk_Mat_Name);
            w.String("Mat");
            w.EndChunk();
            c.body(w);
            w.EndChunk();
        }));
        ASSERT_TRUE(Materials(path));
        ASSERT_EQ(sl::MaterialCount, 1u);
        EXPECT_EQ(sl::MaterialArray[0].Name, std::string("Mat\0", 4));
        c.check(sl::MaterialArray[0]);
    }
}

TEST_F(SceneLoaderTest, MapsFillTheirSlotsThroughTheDataPath)
{
    std::filesystem::create_directories(dir + "/data");
    WritePng(dir + "/data/bump.png");
    sl::SetDataPath((dir + "/data/").c_str());
    struct Case
    {
        std::uint16_t id;
        dword slot;
    } cases[] = {
        {tds::Chunk_Mat_TextureMap, TextureMap},   {tds::Chunk_Mat_TextureMap2, TextureMap2},
        {tds::Chunk_Mat_OpacityMap, OpacityMap},   {tds::Chunk_Mat_SelfIlluminationMap, SelfIlluminationMap},
        {tds::Chunk_Mat_BumpMap, BumpMap},         {tds::Chunk_Mat_ReflectionMap, ReflectionMap},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.id);
        tds::MaterialData m;
        m.name = "Mapped";
        m.maps.push_back({row.id, tds::Percent::Int(30), "bump.png"});
        ASSERT_TRUE(Materials(File(Wrap([&](Writer& w) { tds::WriteMaterial(w, m); }))));
        const Material& got = sl::MaterialArray[0];
        auto* cached = c->TextureManager->Textures.Find(dir + "/data/bump.png");
        ASSERT_NE(cached, nullptr);
        for (dword s = 0; s < MaterialTextureSlots; ++s)
            EXPECT_EQ(got.Textures[s], s == row.slot ? cached->Val : nullptr) << "slot " << s;
        EXPECT_FLOAT_EQ(got.BumpStrength, row.id == tds::Chunk_Mat_BumpMap ? 0.3f : 0.0f);
        EXPECT_FLOAT_EQ(got.ReflectionStrength, row.id == tds::Chunk_Mat_ReflectionMap ? 0.3f : 1.0f);
    }

    // A map file that does not load leaves its slot empty, said on standard
    // error; the rest stands. An empty name is the data folder itself, which
    // opens as a file does and then cannot be read, as any folder.
    std::filesystem::create_directories(dir + "/data/folder.png");
    const struct
    {
        const char* file;
        const char* reason;
    } unloadable[] = {
        {"absent.png", "No such file or directory"},
        {"", "Is a directory"},
        {"folder.png", "Is a directory"},
    };
    for (const auto& row : unloadable) {
        SCOPED_TRACE(row.file);
        tds::MaterialData m;
        m.name = "Broken";
        m.maps.push_back({tds::Chunk_Mat_ReflectionMap, tds::Percent::Int(60), row.file});
        m.diffuse = tds::Rgb{0, 1, 0};
        const std::string scene = File(Wrap([&](Writer& w) { tds::WriteMaterial(w, m); }));
        ::testing::internal::CaptureStderr();
        ASSERT_TRUE(Materials(scene));
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "d3dx: cannot read the image " + dir + "/data/" + row.file + ": " + row.reason + "\n");
        EXPECT_EQ(sl::MaterialArray[0].Textures[ReflectionMap], nullptr);
        EXPECT_FLOAT_EQ(sl::MaterialArray[0].ReflectionStrength, 0.6f);
        ExpectColor(sl::MaterialArray[0].Diffuse, Raw(0, 1, 0, 1), "diffuse");
    }
}

TEST_F(SceneLoaderTest, FindMaterialTakesTheFirstOfAWholeName)
{
    tds::SceneFile scene;
    for (float red : {0.2f, 0.8f}) {
        tds::MaterialData m;
        m.name = "Twin";
        m.diffuse = tds::Rgb{red, 0, 0};
        scene.materials.push_back(m);
    }
    ASSERT_TRUE(Materials(File(scene.Build())));
    ASSERT_EQ(sl::MaterialCount, 2u);
    Material* found = sl::FindMaterial(std::string("Twin\0", 5));
    ASSERT_EQ(found, &sl::MaterialArray[0]);
    EXPECT_NEAR(found->Diffuse.r, 0.2f, 0.01f);
    EXPECT_EQ(sl::FindMaterial("Twin"), nullptr) << "a name from the file ends with its zero";
    EXPECT_EQ(sl::FindMaterial(std::string("Twins\0", 6)), nullptr);
}

TEST_F(SceneLoaderTest, LoadMaterialsOfAFileWithoutThem)
{
    ASSERT_TRUE(Materials(File(Wrap(BoxChunk))));
    EXPECT_EQ(sl::MaterialCount, 0u);
    EXPECT_NE(sl::MaterialArray, nullptr);
}

TEST_F(SceneLoaderTest, LoadMaterialsFailuresLeaveTheArray)
{
    tds::SceneFile scene;
    tds::MaterialData kept;
    kept.name = "Kept";
    scene.materials.push_back(kept);
    ASSERT_TRUE(Materials(File(scene.Build(), "good.3ds")));
    Material* const before = sl::MaterialArray;

    const std::vector<NoScene> cases = NoSceneFiles();
    for (const auto& c : cases) {
        EXPECT_FALSE(Materials(c.path)) << c.what;
        EXPECT_EQ(sl::MaterialArray, before) << c.what;
        EXPECT_EQ(sl::MaterialCount, 1u) << c.what;
    }
    EXPECT_FALSE(sl::LoadMaterials(cases[0].path.c_str(), nullptr));
}

// ---------------------------------------------------------------------------
// Malformed files: nothing is read out of bounds, nothing leaks, nothing
// loops; what is whole loads, the rest is refused with a report.

Bytes Truncated(Bytes b, std::size_t cut)
{
    b.resize(b.size() - cut);
    return b;
}

TEST_F(SceneLoaderTest, MalformedFilesKeepWhatIsWhole)
{
    struct Case
    {
        const char* what;
        Bytes bytes;
        bool materialsLoad;
        bool boxLoads;      // the mesh Box01, or a Box01 behind the bad block
        bool nextLoads;     // the mesh Next at the end of the editor block
        const char* check;  // the check that reports it; null: none needed
    };
    // The faulty part, then the mesh Next.
    auto editor = [](const std::function<void(Writer&)>& body) {
        return Wrap([&](Writer& w) {
            body(w);
            tds::WriteMesh(w, Box("Next"));
        });
    };
    auto mesh = [&](const std::function<void(Writer&)>& body) {
        return editor([&](Writer& w) { MeshBlock(w, "Box01", body); });
    };
    // A material block holding body, then Box01.
    auto material = [&](const std::function<void(Writer&)>& body) {
        return editor([&](Writer& w) {
            w.BeginChunk(tds::Chunk_Edit_Material);
            body(w);
            w.EndChunk();
            BoxChunk(w);
        });
    };
    const Case cases[] = {
        {"empty file", {}, false, false, false, nullptr},
        {"three bytes", {0x4D, 0x4D, 0x10}, false, false, false, nullptr},
        {"main chunk of zero length", [] { Writer w; w.Header(0x4D4D, 0); return w.Result(); }(), false, false, false,
         "chunkFits"},
        // A chunk that does not fit ends the editor block's walk.
        {"top-level chunk of zero length", editor([](Writer& w) { w.Header(0x1234, 0); BoxChunk(w); }), true, false,
         false, "chunkFits"},
        {"top-level chunk of length 5", editor([](Writer& w) { w.Header(0x1234, 5); BoxChunk(w); }), true, false,
         false, "chunkFits"},
        {"top-level chunk of length 0xFFFFFFFF", editor([](Writer& w) { w.Header(0x1234, 0xFFFFFFFF); BoxChunk(w); }),
         true, false, false, "chunkFits"},
        {"object block past the editor block", Wrap([](Writer& w) { w.Header(0x4000, 4000); w.String("Box01"); }),
         true, false, false, "chunkFits"},
        // The data ends at the end of the file.
        {"main chunk longer than the file",
         [&] {
             Bytes b = editor(BoxChunk);
             b[2] = 0xFF;
             return b;
         }(),
         true, true, true, nullptr},
        {"file cut inside the mesh block", Truncated(Wrap(BoxChunk), 10), true, false, false, "!eof"},
        // A mesh whose own data is not whole is refused; the walk goes on
        // after its block.
        {"mesh sub-chunk of length 3 before the faces",
         mesh([](Writer& w) { RawVertices(w, Triangle3); w.Header(0x4150, 3); RawFaces(w, {{0, 1, 2}}); }), true,
         false, true, "chunkFits"},
        {"mesh sub-chunk of zero length",
         mesh([](Writer& w) { w.Header(0x4150, 0); RawVertices(w, Triangle3); RawFaces(w, {{0, 1, 2}}); }), true,
         false, true, "chunkFits"},
        {"vertex list longer than its object",
         mesh([](Writer& w) {
             w.Header(0x4110, 5000);
             w.Word(3);
             for (int i = 0; i < 9; ++i)
                 w.Float(0);
             RawFaces(w, {{0, 1, 2}});
         }),
         true, false, true, "chunkFits"},
        {"more vertices than the vertex list holds",
         mesh([](Writer& w) {
             w.BeginChunk(0x4110);
             w.Word(100);
             for (int i = 0; i < 9; ++i)
                 w.Float(0);
             w.EndChunk();
             RawFaces(w, {{0, 1, 2}});
         }),
         true, false, true, "insideChunk"},
        {"more faces than the face list holds",
         mesh([](Writer& w) {
             RawVertices(w, Triangle3);
             w.BeginChunk(0x4120);
             w.Word(5000);
             w.Word(0);
             w.Word(1);
             w.Word(2);
             w.Word(0);
             w.EndChunk();
         }),
         true, false, true, "insideChunk"},
        {"face index past the vertices", mesh([](Writer& w) { RawVertices(w, Triangle3); RawFaces(w, {{0, 1, 3}}); }),
         true, false, true, "cornersBelowVertexCount"},
        {"face list without a vertex list", mesh([](Writer& w) { RawFaces(w, {{0, 0, 0}}); }), true, false, true,
         "faceListHasVertices"},
        {"fewer texture coordinates than vertices",
         mesh([](Writer& w) {
             RawVertices(w, Triangle3);
             w.BeginChunk(0x4140);
             w.Word(2);
             for (int i = 0; i < 4; ++i)
                 w.Float(0.5f);
             w.EndChunk();
             RawFaces(w, {{0, 1, 2}});
         }),
         true, false, true, "(dword)ReadWord(file) == VertexCount"},
        {"texture coordinates before the vertices",
         mesh([](Writer& w) {
             w.BeginChunk(0x4140);
             w.Word(3);
             for (int i = 0; i < 6; ++i)
                 w.Float(0.5f);
             w.EndChunk();
             RawVertices(w, Triangle3);
             RawFaces(w, {{0, 1, 2}});
         }),
         true, false, true, "(dword)ReadWord(file) == VertexCount"},
        {"material group skipping past its chunk",
         mesh([](Writer& w) {
             RawVertices(w, Triangle3);
             RawFaces(w, {{0, 1, 2}});
             w.BeginChunk(0x4130);
             w.String("Mat");
             w.Word(1000);
             w.EndChunk();
         }),
         true, false, true, "insideChunk"},
        // The mesh is whole before the chunk that does not fit.
        {"smoothing groups running past the object after the faces",
         mesh([](Writer& w) { RawVertices(w, Triangle3); RawFaces(w, {{0, 1, 2}}); w.Header(0x4150, 500); }), true,
         true, true, "chunkFits"},
        {"three stray bytes at the end of the mesh",
         mesh([](Writer& w) { RawVertices(w, Triangle3); RawFaces(w, {{0, 1, 2}}); w.Bytes({1, 2, 3}); }), true, true,
         true, "chunkFits"},
        {"object name without its zero",
         editor([](Writer& w) {
             w.BeginChunk(0x4000);
             w.Bytes({'B', 'o', 'x'});
             w.EndChunk();
             BoxChunk(w);
         }),
         true, true, true, "insideChunk"},
        {"light block cut short before its colour",
         editor([](Writer& w) {
             w.BeginChunk(0x4000);
             w.String("Omni01");
             w.BeginChunk(0x4600);
             w.Float(0);
             w.Float(0);
             w.Float(0);
             w.Word(0x0010);
             w.EndChunk();
             w.EndChunk();
             BoxChunk(w);
         }),
         true, true, true, "chunkFits"},
        {"light colour with fewer values than it claims",
         editor([](Writer& w) {
             w.BeginChunk(0x4000);
             w.String("Omni01");
             w.BeginChunk(0x4600);
             w.Vector({0, 0, 0});
             w.Header(0x0010, 10);
             w.Float(1);
             w.Float(1);
             w.Float(1);
             w.EndChunk();
             w.EndChunk();
             BoxChunk(w);
         }),
         true, true, true, "insideChunk"},
        {"camera block without its lens",
         editor([](Writer& w) {
             w.BeginChunk(0x4000);
             w.String("Camera01");
             w.BeginChunk(0x4700);
             for (int i = 0; i < 7; ++i)
                 w.Float(1);
             w.EndChunk();
             w.EndChunk();
             BoxChunk(w);
         }),
         true, true, true, "insideChunk"},
        // A bad map or material sub-chunk costs the map or the rest of the
        // material, never the file.
        {"map whose second sub-chunk is not the file name",
         material([](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_TextureMap);
             tds::WritePercent(w, tds::Percent::Int(100));
             w.BeginChunk(tds::Chunk_Mat_Name);
             w.String("wood.jpg");
             w.EndChunk();
             w.EndChunk();
         }),
         true, true, true, "chunk.id == Chunk_Map_FileName"},
        {"map file name without its zero",
         material([](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_TextureMap);
             tds::WritePercent(w, tds::Percent::Int(100));
             w.BeginChunk(tds::Chunk_Map_FileName);
             w.Bytes({'a', 'b', 'c'});
             w.EndChunk();
             w.EndChunk();
         }),
         true, true, true, "insideChunk"},
        {"percentage longer than its material sub-chunk",
         material([](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Shininess);
             w.Header(0x0030, 50);
             w.Word(25);
             w.EndChunk();
         }),
         true, true, true, "chunkFits"},
        {"colour data past its material sub-chunk",
         material([](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Diffuse);
             w.Header(0x0010, 18);
             w.EndChunk();
         }),
         true, true, true, "chunkFits"},
        {"material sub-chunk of length 2", material([](Writer& w) { w.Header(tds::Chunk_Mat_Name, 2); }), true, true,
         true, "chunkFits"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CheckLog log;
        const std::string path = File(c.bytes);
        EXPECT_EQ(Materials(path), c.materialsLoad);
        EXPECT_EQ(Load(path, "Box01") != nullptr, c.boxLoads);
        EXPECT_EQ(Load(path, "Next") != nullptr, c.nextLoads);
        if (c.check != nullptr) {
            EXPECT_TRUE(log.Saw(c.check)) << "expected the check " << c.check;
        }
    }
}

TEST_F(SceneLoaderTest, TruncatedFileKeepsTheMeshesBeforeTheCut)
{
    tds::SceneFile scene;
    tds::MaterialData red;
    red.name = "Red";
    red.diffuse = tds::Rgb{1, 0, 0};
    scene.materials.push_back(red);
    scene.meshes.push_back(Box("First"));
    scene.meshes.back().material = "Red";
    scene.meshes.push_back(Box("Second"));
    Bytes bytes = scene.Build();
    bytes.resize(bytes.size() - 20);  // inside Second's vertex list
    const std::string path = File(bytes);

    ASSERT_TRUE(Materials(path));
    EXPECT_EQ(sl::MaterialCount, 1u);
    CheckLog log;
    auto first = Load(path, "First");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetTriMesh()->GetVertexCount(0), 3u);
    EXPECT_FLOAT_EQ(first->Material.Diffuse.g, 0.0f) << "its material, read before the cut";
    EXPECT_EQ(Load(path, "Second"), nullptr);
    EXPECT_TRUE(log.Saw("!eof"));
}

TEST_F(SceneLoaderTest, MapSubChunksByTheirIds)
{
    std::filesystem::create_directories(dir + "/data");
    WritePng(dir + "/data/wood.png");
    sl::SetDataPath((dir + "/data/").c_str());
    auto fileName = [](Writer& w) {
        w.BeginChunk(tds::Chunk_Map_FileName);
        w.String("wood.png");
        w.EndChunk();
    };
    auto percent = [](Writer& w) { tds::WritePercent(w, tds::Percent::Int(40)); };
    auto tiling = [](Writer& w) {
        w.BeginChunk(0xA351);
        w.Word(0);
        w.EndChunk();
    };
    struct Case
    {
        const char* what;
        std::vector<std::function<void(Writer&)>> subChunks;
        bool mapped;
        float strength;
    } cases[] = {
        {"the file name first and no percentage", {fileName}, true, 0.0f},
        {"the percentage after the file name", {fileName, percent}, true, 0.4f},
        {"the file name behind another sub-chunk", {percent, tiling, fileName}, true, 0.4f},
        {"no file name: the map is dropped", {percent, tiling}, false, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CheckLog log;
        const std::string path = File(Wrap([&](Writer& w) {
            w.BeginChunk(tds::Chunk_Edit_Material);
            w.BeginChunk(tds::Chunk_Mat_Name);
            w.String("Wood");
            w.EndChunk();
            w.BeginChunk(tds::Chunk_Mat_BumpMap);
            for (const auto& sub : c.subChunks)
                sub(w);
            w.EndChunk();
            w.BeginChunk(tds::Chunk_Mat_Diffuse);
            tds::WriteColor(w, {0, 1, 0});
            w.EndChunk();
            w.EndChunk();
            tds::MaterialData after;
            after.name = "After";
            tds::WriteMaterial(w, after);
        }));
        ASSERT_TRUE(Materials(path));
        ASSERT_EQ(sl::MaterialCount, 2u) << "the material and the one after it";
        const Material& wood = sl::MaterialArray[0];
        ExpectColor(wood.Diffuse, Raw(0, 1, 0, 1), "what follows the map");
        EXPECT_EQ(wood.Textures[BumpMap] != nullptr, c.mapped);
        EXPECT_FLOAT_EQ(wood.BumpStrength, c.strength);
        EXPECT_EQ(log.Saw("chunk.id == Chunk_Map_FileName"), !c.mapped);
        EXPECT_EQ(sl::MaterialArray[1].Name, std::string("After\0", 6));
    }
}

TEST_F(SceneLoaderTest, MaterialsThatAreNotWholeAreRefused)
{
    struct Case
    {
        const char* what;
        std::function<void(Writer&)> body;  // the first material's sub-chunks after its name
        std::vector<std::string> names;     // the materials read
    } cases[] = {
        {"a colour with fewer values than it claims",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Diffuse);
             w.Header(0x0010, 10);
             w.Float(1);
             w.EndChunk();
         },
         {std::string("After\0", 6)}},
        // The rest of the block is not read; what came before stands.
        {"a sub-chunk running past the block",
         [](Writer& w) {
             w.BeginChunk(tds::Chunk_Mat_Diffuse);
             tds::WriteColor(w, {0, 1, 0});
             w.EndChunk();
             w.Header(tds::Chunk_Mat_Specular, 1000);
         },
         {std::string("Bad\0", 4), std::string("After\0", 6)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = File(Wrap([&](Writer& w) {
            w.BeginChunk(tds::Chunk_Edit_Material);
            w.BeginChunk(tds::Chunk_Mat_Name);
            w.String("Bad");
            w.EndChunk();
            c.body(w);
            w.EndChunk();
            tds::MaterialData after;
            after.name = "After";
            tds::WriteMaterial(w, after);
        }));
        ASSERT_TRUE(Materials(path));
        ASSERT_EQ(sl::MaterialCount, c.names.size());
        for (std::size_t i = 0; i < c.names.size(); ++i)
            EXPECT_EQ(sl::MaterialArray[i].Name, c.names[i]);
    }
}

// ---------------------------------------------------------------------------
// The normals side file

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Bytes FileBytes(const std::string& path)
{
    const std::string text = FileText(path);
    return Bytes(text.begin(), text.end());
}

// A record as the side file holds it; names as a 3DS file gives them.
void NormalsRecord(Writer& w, const std::string& name, const std::vector<Vector3>& normals)
{
    w.String(name);
    w.Dword(dword(normals.size()));
    for (const Vector3& n : normals) {
        w.Float(n.x);
        w.Float(n.y);
        w.Float(n.z);
    }
}

// Exact unless told: stored normals come back bit for bit.
void ExpectNormals(Object* object, const std::vector<Vector3>& want, const std::string& what, float tol = 0.0f)
{
    ASSERT_NE(object, nullptr) << what;
    const TriMesh* mesh = object->GetTriMesh();
    ASSERT_EQ(mesh->GetVertexCount(0), want.size()) << what;
    for (std::size_t i = 0; i < want.size(); ++i)
        ExpectVector(mesh->GetVertexArray(0)[i].Normal, want[i], what + ", normal " + std::to_string(i), tol);
}

class NormalsFile : public SceneLoaderTest
{
protected:
    // A mesh object named as a 3DS file names it, with these normals.
    Object* Mesh(const std::string& name, const std::vector<Vector3>& normals)
    {
        std::vector<Vertex> v(normals.size());
        for (std::size_t i = 0; i < v.size(); ++i) {
            v[i].Position = Vector3(float(i), 0.0f, float(i * i));
            v[i].Normal = normals[i];
        }
        const Triangle t(0, 1, 2);
        auto* o = new Object(c, 1);
        o->Name = name + '\0';
        o->GetTriMesh()->SetData(v.data(), &t, dword(v.size()), 1);
        return o;
    }
    std::string Path() const { return dir + "/scene.3ds.normals"; }

    const std::vector<Vector3> box{{0, 1, 0}, {0.5f, 0, 0}, {0, 0, -1}};
};

TEST_F(NormalsFile, AnEmptySceneWritesACountOfZero)
{
    Scene scene(c);
    sl::SaveNormals(Path().c_str(), &scene);
    EXPECT_EQ(FileBytes(Path()), Bytes({0, 0, 0, 0}));
    EXPECT_TRUE(sl::LoadNormals(Path().c_str(), &scene));
}

TEST_F(NormalsFile, ARecordIsTheNameItsVertexCountAndTheNormals)
{
    Scene scene(c);
    scene.AddObject(Mesh("Box01", box));
    sl::SaveNormals(Path().c_str(), &scene);

    Writer want;
    want.Dword(1);
    NormalsRecord(want, "Box01", box);
    const Bytes got = FileBytes(Path());
    EXPECT_EQ(got.size(), 4u + 46u) << "6 + 4 + 36 bytes for Box01's record";
    EXPECT_EQ(got, want.Result());

    for (Vertex& v : std::span(scene.GetObject("Box01")->GetTriMesh()->GetModVertexArray(), 3))
        v.Normal = Vector3(9, 9, 9);
    EXPECT_TRUE(sl::LoadNormals(Path().c_str(), &scene));
    ExpectNormals(scene.GetObject("Box01"), box, "read back");
}

TEST_F(NormalsFile, RecordsInAnotherOrderAreAppliedWhole)
{
    const std::vector<Vector3> first{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const std::vector<Vector3> second{{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0.6f, 0.8f, 0}};
    Scene scene(c);
    scene.AddObject(Mesh("First", std::vector<Vector3>(3)));
    scene.AddObject(Mesh("Second", std::vector<Vector3>(4)));
    Writer w;
    w.Dword(2);
    NormalsRecord(w, "Second", second);
    NormalsRecord(w, "First", first);
    Save(Path(), w.Result());

    EXPECT_TRUE(sl::LoadNormals(Path().c_str(), &scene));
    ExpectNormals(scene.GetObject("First"), first, "First");
    ExpectNormals(scene.GetObject("Second"), second, "Second");
}

TEST_F(NormalsFile, AFileThatIsNotWhatItClaimsIsRefused)
{
    auto file = [](const std::function<void(Writer&)>& body) {
        Writer w;
        body(w);
        return w.Result();
    };
    const struct
    {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"an object count cut short", {1, 0}},
        {"another scene's object count", file([&](Writer& w) { w.Dword(2); NormalsRecord(w, "Box01", box); })},
        {"an object count far beyond the file",
         file([&](Writer& w) { w.Dword(0xFFFFFFFF); NormalsRecord(w, "Box01", box); })},
        {"no record for the object", file([](Writer& w) { w.Dword(1); })},
        {"a name the scene lacks", file([&](Writer& w) { w.Dword(1); NormalsRecord(w, "Box02", box); })},
        {"another vertex count",
         file([&](Writer& w) { w.Dword(1); NormalsRecord(w, "Box01", {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}}); })},
        {"a vertex count far beyond the file",
         file([](Writer& w) { w.Dword(1); w.String("Box01"); w.Dword(0xFFFFFFFF); w.Float(1); })},
        {"normals running past the end",
         file([](Writer& w) {
             w.Dword(1);
             w.String("Box01");
             w.Dword(3);
             for (int i = 0; i < 6; ++i)
                 w.Float(1);
         })},
        {"a vertex count cut short", file([](Writer& w) { w.Dword(1); w.String("Box01"); w.Word(3); })},
        {"a name without its zero byte", file([](Writer& w) { w.Dword(1); w.Bytes({'B', 'o', 'x', '0', '1'}); })},
        {"a stray byte after the record",
         file([&](Writer& w) { w.Dword(1); NormalsRecord(w, "Box01", box); w.Byte('B'); })},
        {"the record twice",
         file([&](Writer& w) {
             w.Dword(1);
             NormalsRecord(w, "Box01", box);
             NormalsRecord(w, "Box01", box);
         })},
    };
    Scene scene(c);
    scene.AddObject(Mesh("Box01", box));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Save(Path(), c.bytes);
        EXPECT_FALSE(sl::LoadNormals(Path().c_str(), &scene));
    }
    EXPECT_FALSE(sl::LoadNormals((dir + "/missing.normals").c_str(), &scene));
}

TEST_F(NormalsFile, AFailedWriteLeavesNoFile)
{
    Scene scene(c);
    scene.AddObject(Mesh("Box01", box));
    {
        CheckLog log;
        const std::string path = dir + "/nowhere/scene.3ds.normals";
        sl::SaveNormals(path.c_str(), &scene);
        EXPECT_TRUE(log.Saw("file"));
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    // A link to the full device: the file opens and every write fails.
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    std::filesystem::create_symlink("/dev/full", Path());
    CheckLog log;
    sl::SaveNormals(Path().c_str(), &scene);
    EXPECT_TRUE(log.Saw("junk == sizeof(dword)"));
    EXPECT_EQ(log.seen.size(), 1u) << "the write stops at the first failure";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Path()))) << "removed";
    EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "the link went, not the device";
    EXPECT_FALSE(sl::LoadNormals(Path().c_str(), &scene));
}

// ---------------------------------------------------------------------------
// Whole scenes

class LoadSceneTest : public NormalsFile
{
protected:
    void TearDown() override
    {
        sl::SetNormalFileSaving(false);
        NormalsFile::TearDown();
    }
    std::unique_ptr<Scene> LoadWhole(const std::string& path)
    {
        Scene* scene = nullptr;
        if (!sl::LoadScene(path.c_str(), &scene)) {
            EXPECT_EQ(scene, nullptr) << "nothing handed out on failure";
            return nullptr;
        }
        return std::unique_ptr<Scene>(scene);
    }
    // Box01 (3 vertices) and Box02 (3 or 4) in the plane y = 0, facing down.
    std::string TwoBoxes(std::size_t secondVertices = 4)
    {
        tds::SceneFile file;
        file.meshes.push_back(Box("Box01"));
        file.meshes.push_back(Box("Box02", {{0, 0, 0}, {10, 0, 0}, {0, 0, 10}, {10, 0, 10}}));
        file.meshes.back().vertices.resize(secondVertices);
        if (secondVertices == 4)
            file.meshes.back().faces.push_back({1, 3, 2, 0});
        return File(file.Build());
    }
    static std::vector<Vector3> Down(std::size_t n) { return std::vector<Vector3>(n, Vector3(0, -1, 0)); }
    void ExpectComputed(Scene& scene)
    {
        ExpectNormals(scene.GetObject("Box01"), Down(3), "Box01 computed", 1e-6f);
        ExpectNormals(scene.GetObject("Box02"), Down(4), "Box02 computed", 1e-6f);
    }
};

TEST_F(LoadSceneTest, EverythingTheFileHoldsInItsPlace)
{
    tds::SceneFile file;
    file.ambient = tds::Rgb{0.25f, 0.5f, 0.75f};
    file.meshes.push_back(Box());
    tds::MeshData path;
    path.name = "Path01";
    path.vertices = {{1, 2, 3}, {4, 5, 6}};
    file.meshes.push_back(path);
    file.lights.push_back(LightAt("Omni01", {0, 10, 0}));
    tds::LightData spot = LightAt("Spot01", {0, 50, 0});
    spot.spot = tds::SpotData{{0, 0, 10}, 30, 45};
    file.lights.push_back(spot);
    file.cameras.push_back(CameraAt("Camera01", {0, 10, -20}));

    auto scene = LoadWhole(File(file.Build()));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(sl::SceneFileName, dir + "/scene.3ds");
    ExpectColor(scene->AmbientLight, Raw(0.25f, 0.5f, 0.75f, 1), "ambient");

    ASSERT_EQ(scene->Objects.size(), 1u);
    ExpectNormals(scene->GetObject("Box01"), Down(3), "computed", 1e-6f);

    ASSERT_EQ(scene->Curves.size(), 1u);
    EXPECT_EQ(scene->GetCurve("Path01"), scene->Curves[0]);
    EXPECT_EQ(scene->Curves[0]->ControlPoints.Size(), 2u);

    Light* omni = scene->GetLight("Omni01");
    Light* spotLight = scene->GetLight("Spot01");
    EXPECT_EQ(scene->Lights[0], omni);
    EXPECT_EQ(scene->Lights[1], spotLight);
    EXPECT_NE(dynamic_cast<PointLight*>(omni), nullptr);
    EXPECT_NE(dynamic_cast<TargetSpotLight*>(spotLight), nullptr);

    ASSERT_EQ(scene->Cameras.size(), 1u);
    EXPECT_EQ(scene->GetCamera("Camera01"), scene->Cameras[0]);
    EXPECT_EQ(scene->GetActiveCamera(), scene->Cameras[0]);
}

TEST_F(LoadSceneTest, AFittingSideFileGivesTheNormals)
{
    const std::vector<Vector3> first{{1, 0, 0}, {0, 0, 1}, {0.6f, 0, 0.8f}};
    const std::vector<Vector3> second{{0, 0, -1}, {-1, 0, 0}, {0, -1, 0}, {0.8f, 0.6f, 0}};
    const std::string scenePath = TwoBoxes();
    Writer w;
    w.Dword(2);
    NormalsRecord(w, "Box02", second);
    NormalsRecord(w, "Box01", first);
    Save(Path(), w.Result());
    sl::SetNormalFileSaving(true);

    auto scene = LoadWhole(scenePath);
    ASSERT_NE(scene, nullptr);
    ExpectNormals(scene->GetObject("Box01"), first, "Box01");
    ExpectNormals(scene->GetObject("Box02"), second, "Box02");
    EXPECT_EQ(FileBytes(Path()), w.Result()) << "a fitting file is not rewritten";

    // The file has no face normals, and shadow volumes need them: the
    // triangles still get theirs, facing down like the boxes.
    for (const char* name : {"Box01", "Box02"}) {
        TriMesh* mesh = scene->GetObject(name)->GetTriMesh();
        for (dword t = 0; t < mesh->GetTriangleCount(0); ++t) {
            const Vector3 n = mesh->GetTriangleArray(0)[t].Normal;
            EXPECT_GT(-n.y, 0.0f) << name << " triangle " << t;
            EXPECT_FLOAT_EQ(n.x, 0.0f) << name << " triangle " << t;
            EXPECT_FLOAT_EQ(n.z, 0.0f) << name << " triangle " << t;
        }
    }
}

TEST_F(LoadSceneTest, WithoutASideFileTheNormalsAreComputedAndWrittenWhenAsked)
{
    for (bool saving : {false, true}) {
        SCOPED_TRACE(saving ? "saving" : "not saving");
        std::filesystem::remove(Path());
        sl::SetNormalFileSaving(saving);
        auto scene = LoadWhole(TwoBoxes());
        ASSERT_NE(scene, nullptr);
        ExpectComputed(*scene);
        ASSERT_EQ(std::filesystem::exists(Path()), saving);
        if (!saving)
            continue;
        Writer want;
        want.Dword(2);
        // The scene's object order: each opaque object goes to the front.
        NormalsRecord(want, "Box02", Down(4));
        NormalsRecord(want, "Box01", Down(3));
        EXPECT_EQ(FileBytes(Path()), want.Result());
    }
}

TEST_F(LoadSceneTest, ASideFileThatDoesNotFitIsReplacedByComputedNormals)
{
    const struct
    {
        const char* what;
        Bytes side;
    } cases[] = {
        {"written before Box02 gained a vertex",
         [&] {
             Writer w;
             w.Dword(2);
             NormalsRecord(w, "Box01", std::vector<Vector3>(3, Vector3(1, 0, 0)));
             NormalsRecord(w, "Box02", std::vector<Vector3>(3, Vector3(1, 0, 0)));
             return w.Result();
         }()},
        {"cut inside a name", {2, 0, 0, 0, 'B', 'o', 'x'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Save(Path(), c.side);
        sl::SetNormalFileSaving(true);
        auto scene = LoadWhole(TwoBoxes(4));
        ASSERT_NE(scene, nullptr);
        ExpectComputed(*scene);
        EXPECT_EQ(FileBytes(Path()).size(), 4u + (6 + 4 + 36) + (6 + 4 + 48)) << "rewritten for the scene";
    }
}

TEST_F(LoadSceneTest, AFolderInPlaceOfTheSideFileIsNoSideFile)
{
    std::filesystem::create_directory(Path());
    sl::SetNormalFileSaving(true);
    CheckLog log;
    auto scene = LoadWhole(TwoBoxes());
    ASSERT_NE(scene, nullptr);
    ExpectComputed(*scene);
    EXPECT_FALSE(sl::LoadNormals(Path().c_str(), scene.get()));
    EXPECT_EQ(log.seen, std::vector<std::string>{"file"}) << "nothing can be written there";
    EXPECT_TRUE(std::filesystem::is_directory(Path())) << "the folder is left as it was";
}

TEST_F(LoadSceneTest, FailuresHandOutNoScene)
{
    const std::vector<NoScene> cases = NoSceneFiles();
    for (const auto& c : cases)
        EXPECT_EQ(LoadWhole(c.path), nullptr) << c.what;

    const std::string good = TwoBoxes();
    sl::SetGraphicsContext(nullptr);
    EXPECT_EQ(LoadWhole(good), nullptr) << "no context";
    sl::SetGraphicsContext(c);
    EXPECT_FALSE(sl::LoadScene(good.c_str(), nullptr));
}

TEST_F(LoadSceneTest, AFileCutInsideItsSecondMeshGivesTheFirst)
{
    tds::SceneFile file;
    file.meshes.push_back(Box("First"));
    file.meshes.push_back(Box("Second"));
    Bytes bytes = file.Build();
    bytes.resize(bytes.size() - 20);
    auto scene = LoadWhole(File(bytes));
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->Objects.size(), 1u);
    ExpectNormals(scene->GetObject("First"), Down(3), "First", 1e-6f);
}

TEST_F(LoadSceneTest, TheFogChunkIsSkippedWhole)
{
    // Fog values whose bytes happen to read as an ambient light chunk:
    // entered, the fog block would set the scene's ambient light.
    const std::string path = File(Wrap([](Writer& w) {
        w.BeginChunk(tds::Chunk_Edit_Fog);
        w.BeginChunk(tds::Chunk_Edit_AmbientLight);
        tds::WriteColor(w, {1, 1, 1}, tds::ColorForm::Float);
        w.EndChunk();
        w.EndChunk();
        BoxChunk(w);
    }));
    auto scene = LoadWhole(path);
    ASSERT_NE(scene, nullptr);
    ExpectColor(scene->AmbientLight, Raw(0, 0, 0, 1), "ambient");
    EXPECT_NE(scene->GetObject("Box01"), nullptr);
    EXPECT_FALSE(scene->Fog);
}

TEST_F(LoadSceneTest, ANinthLightIsNotKept)
{
    tds::SceneFile file;
    for (int i = 0; i < 9; ++i)
        file.lights.push_back(LightAt("Omni" + std::to_string(i), {0, float(i), 0}));
    auto scene = LoadWhole(File(file.Build()));
    ASSERT_NE(scene, nullptr);
    EXPECT_NE(scene->GetLight("Omni7"), nullptr);
    EXPECT_EQ(scene->GetLight("Omni8"), nullptr);
}

// What LoadScene does with each light it read: the scene takes it over, or,
// with every slot taken, nothing holds it and the loader deletes it at once.
TEST(AddToScene, ALightTheSceneHasNoSlotForIsDeleted)
{
    struct Case
    {
        const char* what;
        std::int32_t type;
        int before;  // lights the scene holds already
        bool kept;
    } cases[] = {
        {"a point light, one slot free", sl::ObjType_PointLight, 7, true},
        {"a point light, every slot taken", sl::ObjType_PointLight, 8, false},
        {"a spot light, every slot taken", sl::ObjType_SpotLight, 8, false},
    };
    for (const Case& k : cases) {
        int deaths = 0;
        Light* light = k.type == sl::ObjType_SpotLight
                           ? static_cast<Light*>(new enginetest::Counted<TargetSpotLight>(&deaths))
                           : new enginetest::Counted<PointLight>(&deaths);
        {
            Scene scene(nullptr);
            for (int i = 0; i < k.before; ++i)
                scene.AddLight(new PointLight);
            sl::AddToScene(scene, k.type, light);
            const bool held =
                std::find(std::begin(scene.Lights), std::end(scene.Lights), light) != std::end(scene.Lights);
            EXPECT_EQ(held, k.kept) << k.what;
            EXPECT_EQ(deaths, k.kept ? 0 : 1) << k.what;
            if (!held && deaths == 0)
                delete light;  // lost by the loader: ours, so that the run stays clean
        }
        EXPECT_EQ(deaths, 1) << k.what << ": deleted once, by the scene or the loader";
    }
}

// ---------------------------------------------------------------------------
// The shipped scene

class ShippedScene : public SceneLoaderTest
{
protected:
    void SetUp() override
    {
        SceneLoaderTest::SetUp();
        sl::SetDataPath(GO3D_SOURCE_ROOT "/data/");
    }
    std::unique_ptr<Object> Shipped(const char* name) { return Load(GO3D_SOURCE_ROOT "/data/geometry2.3ds", name); }
};

TEST_F(ShippedScene, HoldsTheFiveObjects)
{
    for (const char* name : {"Board", "Grid", "White", "Black", "Trapezi"}) {
        auto o = Shipped(name);
        ASSERT_NE(o, nullptr) << name;
        EXPECT_GT(o->GetTriMesh()->GetTriangleCount(0), 0u) << name;
    }
}

TEST_F(ShippedScene, LoadsAsAWholeScene)
{
    Scene* scene = nullptr;
    ASSERT_TRUE(sl::LoadScene(GO3D_SOURCE_ROOT "/data/geometry2.3ds", &scene));
    std::unique_ptr<Scene> owned(scene);
    for (const char* name : {"Board", "Grid", "White", "Black", "Trapezi"})
        EXPECT_NE(scene->GetObject(name), nullptr) << name;
}

TEST_F(ShippedScene, GridStartsWithARegularLattice)
{
    auto grid = Shipped("Grid");
    ASSERT_NE(grid, nullptr);
    ASSERT_GE(grid->GetTriMesh()->GetVertexCount(0), 361u);
    const Vertex* v = grid->GetTriMesh()->GetVertexArray(0);
    const Vector3 origin = v[0].Position;
    const Vector3 alongRow = v[1].Position - origin;
    const Vector3 alongColumn = v[19].Position - origin;
    const float spacing = alongRow.Length();
    EXPECT_GT(spacing, 1.0f);
    EXPECT_NEAR(alongColumn.Length(), spacing, 1e-4f);
    EXPECT_NEAR(alongRow.DotProduct(alongColumn), 0.0f, 1e-3f);
    EXPECT_NEAR(alongRow.y, 0.0f, 1e-5f);
    EXPECT_NEAR(alongColumn.y, 0.0f, 1e-5f);
    for (int row = 0; row < 19; ++row)
        for (int col = 0; col < 19; ++col)
            ExpectVector(v[row * 19 + col].Position, origin + alongRow * float(col) + alongColumn * float(row),
                         "intersection " + std::to_string(row) + "," + std::to_string(col), 1e-3f);
    // The game draws stones at these positions as they stand: the grid's
    // own space is the world.
    Vector3 p = v[200].Position;
    p.Transform(grid->GetWorldTransform());
    ExpectVector(p, v[200].Position, "grid transform");
}

TEST_F(ShippedScene, WhiteStoneRestsOnTheBoardOnceFlattened)
{
    auto board = Shipped("Board");
    auto white = Shipped("White");
    ASSERT_NE(board, nullptr);
    ASSERT_NE(white, nullptr);

    float boardTop = -1e9f;
    const Matrix4x4 boardToWorld = board->GetWorldTransform();
    for (dword i = 0; i < board->GetTriMesh()->GetVertexCount(0); ++i) {
        Vector3 p = board->GetTriMesh()->GetVertexArray(0)[i].Position;
        p.Transform(boardToWorld);
        boardTop = std::max(boardTop, p.y);
    }
    float stoneBottom = 0.0f;
    for (dword i = 0; i < white->GetTriMesh()->GetVertexCount(0); ++i)
        stoneBottom = std::min(stoneBottom, white->GetTriMesh()->GetVertexArray(0)[i].Position.y);

    Vector3 origin;
    origin.Transform(white->GetWorldTransform());
    const float flattenedHalfHeight = -0.4f * stoneBottom;
    EXPECT_GT(flattenedHalfHeight, 0.5f);
    EXPECT_NEAR(origin.y - boardTop, flattenedHalfHeight, 1e-3f);
}

TEST_F(ShippedScene, TexturesLoadThroughTheCache)
{
    auto board = Shipped("Board");
    ASSERT_NE(board, nullptr);
    EXPECT_NE(board->Material.Textures[TextureMap], nullptr) << "the wood texture";
    EXPECT_NE(c->TextureManager->LoadTexture(GO3D_SOURCE_ROOT "/data/gui01.jpg"), nullptr);
}

}  // namespace
