// Start-up with a scene file the game cannot build its board or stones from:
// the program says what is wrong in the "Fatal Error" box and ends as the
// other fatal errors do, never reading past a mesh. The files are the game's
// own scene, written by our writer with one thing changed.

#include "engine/window.h"
#include "game/game.h"
#include "game_folder.h"
#include "platform/win/message_box.h"
#include "tests/support/case_print.h"
#include "tests/support/temp_dir.h"
#include "tools/game_release.h"
#include "tools/game_scene.h"
#include "tools/tds_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

std::vector<std::string> Boxes;

void RecordBox(HWND, LPCSTR text, LPCSTR caption, UINT)
{
    Boxes.push_back(std::string(caption) + ": " + text);
}

tds::MeshData& Mesh(tds::SceneFile& scene, const std::string& name)
{
    auto it = std::find_if(scene.meshes.begin(), scene.meshes.end(),
                           [&](const tds::MeshData& m) { return m.name == name; });
    if (it == scene.meshes.end())
        throw std::runtime_error("the game's scene has no mesh " + name);
    return *it;
}

// The first count vertices of a mesh and no faces: a mesh without faces is a
// legal one, so only the count is wrong.
void KeepVertices(tds::MeshData& m, std::size_t count)
{
    m.vertices.resize(count);
    if (!m.texCoords.empty())
        m.texCoords.resize(count);
    m.faces.clear();
    m.emptyFaceList = true;
}

// The game in a folder of the test's own: a small window's settings, the
// shipped data but for the scene file, which the case writes. The game starts
// once a process and leaves the rest to the process's end, so each case
// starts from no boxes and ends by undoing what the start-up left.
class SceneCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Boxes.clear();
        const fs::path& dir = folder.Path();
        std::ofstream(dir / "q3dinit.conf") << gametest::SmallWindowConfig;
        fs::create_directory(dir / "data");
        for (const fs::directory_entry& file : fs::directory_iterator(fs::path(GO3D_SOURCE_DIR) / "data"))
            if (file.path().filename() != "geometry2.3ds")
                fs::create_symlink(file.path(), dir / "data" / file.path().filename());
        previous = fs::current_path();
        fs::current_path(dir);
        SetMessageBoxHook(RecordBox);
    }

    void TearDown() override
    {
        // An object left loaded would stand in for one the next case's file
        // lacks, as the table did; the context and the window go too.
        tools::ReleaseGame();
        // A start-up that fails leaves the quit message meant for its loop.
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        SetMessageBoxHook(nullptr);
        fs::current_path(previous);
    }

    void WriteScene(const std::function<void(tds::SceneFile&)>& change)
    {
        tds::SceneFile scene = scene::BuildGameScene();
        change(scene);
        ASSERT_TRUE(tds::SaveFile("data/geometry2.3ds", scene.Build()));
    }

    // What the program's entry does after the window class. Should start-up
    // pass, the quit already waiting ends the game's loop at once.
    int Run()
    {
        RegisterWindowClass();
        PostQuitMessage(0);
        return RunApplication();
    }

    testsupport::TempDir folder;
    fs::path previous;
};

struct Fault
{
    const char* name;
    std::function<void(tds::SceneFile&)> change;
    const char* reason;  // after "The scene file data/geometry2.3ds"
};

void PrintTo(const Fault& f, std::ostream* os)
{
    *os << f.name << ", said as: The scene file data/geometry2.3ds" << f.reason;
}

class BadScene : public SceneCheck, public ::testing::WithParamInterface<Fault>
{
};

TEST_P(BadScene, IsAFatalErrorThatNamesTheObject)
{
    WriteScene(GetParam().change);
    // Exit code 0, as for a missing configuration file; no main loop, so no
    // frame is drawn.
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Boxes, std::vector<std::string>{std::string("Fatal Error: The scene file data/geometry2.3ds") +
                                              GetParam().reason});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadScene,
    ::testing::Values(
        Fault{"GridOf360", [](tds::SceneFile& s) { KeepVertices(Mesh(s, "Grid"), 360); },
              ": its object \"Grid\" has 360 vertices, fewer than the board's 361 intersections"},
        Fault{"GridOf4", [](tds::SceneFile& s) { KeepVertices(Mesh(s, "Grid"), 4); },
              ": its object \"Grid\" has 4 vertices, fewer than the board's 361 intersections"},
        Fault{"GridOf1", [](tds::SceneFile& s) { KeepVertices(Mesh(s, "Grid"), 1); },
              ": its object \"Grid\" has 1 vertices, fewer than the board's 361 intersections"},
        Fault{"GridOf0", [](tds::SceneFile& s) { KeepVertices(Mesh(s, "Grid"), 0); },
              ": its object \"Grid\" has 0 vertices, fewer than the board's 361 intersections"},
        Fault{"GridWithoutSpacing",
              [](tds::SceneFile& s) {
                  auto& v = Mesh(s, "Grid").vertices;
                  v[1] = v[0];
              },
              ": its object \"Grid\" gives no grid spacing (its first two vertices, neighbouring intersections, lie 0 "
              "apart)"},
        Fault{"WhiteWithoutVertices", [](tds::SceneFile& s) { KeepVertices(Mesh(s, "White"), 0); },
              ": its object \"White\" has no vertices to draw a stone with"},
        Fault{"BlackWithoutVertices", [](tds::SceneFile& s) { KeepVertices(Mesh(s, "Black"), 0); },
              ": its object \"Black\" has no vertices to draw a stone with"},
        Fault{"NoTable",
              [](tds::SceneFile& s) { std::erase_if(s.meshes, [](const tds::MeshData& m) { return m.name == "Trapezi"; }); },
              " has no object \"Trapezi\""}),
    testsupport::NameOfCase());

// A picture that cannot be read draws white; the person at a terminal hears
// why, as for a broken picture, and the game goes on. A folder opens as a
// file does and fails only when read.
struct Picture
{
    const char* name;
    const char* file;  // in data/
    bool folder;       // a folder in its place, else no file at all
    const char* reason;
};

void PrintTo(const Picture& p, std::ostream* os) { *os << p.name; }

class UnreadablePicture : public SceneCheck, public ::testing::WithParamInterface<Picture>
{
};

TEST_P(UnreadablePicture, IsSaidAndTheGameGoesOn)
{
    WriteScene([](tds::SceneFile&) {});
    const std::string path = std::string("data/") + GetParam().file;
    fs::remove(path);
    if (GetParam().folder)
        fs::create_directory(path);
    RegisterWindowClass();
    WindowHandle = CreateMainWindow("go3d", CENTER_X, CENTER_Y, 100, 50);
    ASSERT_NE(WindowHandle, nullptr);
    ::testing::internal::CaptureStderr();
    const bool started = InitializeScene();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(started);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_NE(said.find("cannot read the image " + path + ": " + GetParam().reason), std::string::npos) << said;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadablePicture,
    ::testing::Values(Picture{"MissingPanel", "gui01.jpg", false, "No such file or directory"},
                      Picture{"FolderForPanel", "gui01.jpg", true, "Is a directory"},
                      Picture{"FolderForWood", "wood.jpg", true, "Is a directory"},
                      Picture{"FolderForSheen", "sheen.jpg", true, "Is a directory"},
                      Picture{"FolderForInk", "ink.png", true, "Is a directory"}),
    testsupport::NameOfCase());

}  // namespace
