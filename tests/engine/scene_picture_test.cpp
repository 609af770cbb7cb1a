// The game's five objects read from the shipped scene file and drawn from
// the game's camera and light, with a few flattened stones on the grid. The
// frame is saved as a PNG for a person to look at, and a few of its pixels
// are checked: stones, board, grid lines and table where they should be.

#include "device_fixture.h"
#include "engine/3dengine.h"
#include "engine/object.h"
#include "engine/sceneloader.h"
#include "platform/d3d/readback.h"
#include "tools/png_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr UINT Width = 800;
constexpr UINT Height = 600;

struct Rgb
{
    int r, g, b;
    int Brightness() const { return (r + g + b) / 3; }
};

// Runs the test from the source root, as the game runs, and goes back.
class InSourceRoot
{
public:
    InSourceRoot()
    {
        char here[4096];
        if (getcwd(here, sizeof here) != nullptr)
            previous_ = here;
        EXPECT_EQ(chdir(GO3D_SOURCE_ROOT), 0);
    }
    ~InSourceRoot()
    {
        if (!previous_.empty()) {
            EXPECT_EQ(chdir(previous_.c_str()), 0);
        }
    }

private:
    std::string previous_;
};

class ScenePicture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = enginetest::TestWindow(Width, Height);
        ASSERT_NE(window, nullptr);
        engine = new Engine3D;
        GraphicsInitParameters p;
        p.XRes = Width;
        p.YRes = Height;
        p.Bpp = 32;
        p.RefreshRate = 60;
        p.DepthBits = 24;
        p.HardwareTnL = true;
        p.NumBuffers = 1;
        p.DevType = D3DDEVTYPE_HAL;
        // Any refresh rate and depth the layer offers will do.
        p.DontCareFlags = 0xFFFF;
        c = engine->CreateGraphicsContext(window, 0, &p);
        ASSERT_NE(c, nullptr);
    }
    void TearDown() override
    {
        objects.clear();
        SceneLoader::SetGraphicsContext(nullptr);
        tools::ReleaseContext(c);
        delete engine;
        if (window != nullptr)
            DestroyWindow(window);
    }

    Object* Load(const char* name)
    {
        Object* o = nullptr;
        EXPECT_TRUE(SceneLoader::LoadObject("data/geometry2.3ds", name, &o)) << name;
        objects.emplace_back(o);
        return o;
    }

    // Where a world point lands in the frame.
    std::array<int, 2> Project(const Vector3& p) const { return enginetest::ToPixel(c, p, Width, Height); }

    Rgb Pixel(const std::array<int, 2>& at) const
    {
        const std::uint32_t v = pixels[std::size_t(at[1]) * Width + std::size_t(at[0])];
        return {int(v >> 16 & 0xFF), int(v >> 8 & 0xFF), int(v & 0xFF)};
    }

    Engine3D* engine = nullptr;
    HWND window = nullptr;
    GraphicsContext* c = nullptr;
    std::vector<std::unique_ptr<Object>> objects;
    std::vector<std::uint32_t> pixels;
};

TEST_F(ScenePicture, BoardGridStonesAndTableFromTheGamesCamera)
{
    InSourceRoot root;
    SceneLoader::SetGraphicsContext(c);
    SceneLoader::SetDataPath("data/");
    Object* board = Load("Board");
    Object* grid = Load("Grid");
    Object* white = Load("White");
    Object* black = Load("Black");
    Object* table = Load("Trapezi");
    ASSERT_TRUE(board && grid && white && black && table);

    Vector3 stoneOrigin;
    stoneOrigin.Transform(white->GetWorldTransform());
    const float stoneHeight = stoneOrigin.y;
    // The stone models are spheres about their origin, with a ring on the rim.
    float stoneRadius = 0;
    for (dword i = 0; i < black->GetTriMesh()->GetVertexCount(0); ++i)
        stoneRadius = std::max(stoneRadius, std::fabs(black->GetTriMesh()->GetVertexArray(0)[i].Position.x));
    // The game flattens both stone models to 0.4 of their height.
    Matrix4x4 flatten;
    flatten.SetScaling(1.0f, 0.4f, 1.0f);
    for (Object* stone : {white, black}) {
        TriMesh* mesh = stone->GetTriMesh();
        Vertex* v = mesh->GetModVertexArray();
        for (dword i = 0; i < mesh->GetVertexCount(0); ++i)
            v[i].Position.Transform(flatten);
    }
    const Vertex* intersections = grid->GetTriMesh()->GetVertexArray(0);
    auto at = [&](int row, int col) { return intersections[row * 19 + col].Position; };

    enginetest::LookAsTheGameStarts(c);
    c->Clear(0);
    c->ClearZBufferStencil(1.0f, 0);
    c->SetZBuffering(true);
    c->SetZWrite(true);
    c->SetZFunc(4);
    board->Render();
    grid->Render();
    table->Render();

    const std::array<std::array<int, 2>, 4> blacks{{{3, 3}, {15, 15}, {9, 9}, {2, 16}}};
    const std::array<std::array<int, 2>, 4> whites{{{3, 15}, {15, 3}, {9, 10}, {16, 2}}};
    for (const auto& [row, col] : blacks) {
        black->SetTranslation(at(row, col).x, stoneHeight, at(row, col).z);
        black->Render();
    }
    for (const auto& [row, col] : whites) {
        white->SetTranslation(at(row, col).x, stoneHeight, at(row, col).z);
        white->Render();
    }

    UINT w = 0, h = 0;
    ASSERT_EQ(D3DReadBackBuffer(c->Device, pixels, w, h), D3D_OK);
    ASSERT_EQ(w, Width);
    ASSERT_EQ(h, Height);
    EXPECT_TRUE(tools::SavePng(SCENE_PICTURE, pixels, w, h)) << SCENE_PICTURE;
    std::printf("saved %s\n", SCENE_PICTURE);

    // Stone tops, seen from above.
    auto top = [&](int row, int col) {
        return Vector3(at(row, col).x, stoneHeight + 0.5f * (stoneHeight - at(0, 0).y), at(row, col).z);
    };
    // The point of a flattened stone whose (unflattened) normal is n.
    auto onStone = [&](int row, int col, const Vector3& n) {
        return Vector3(at(row, col).x + stoneRadius * n.x, stoneHeight + 0.4f * stoneRadius * n.y,
                       at(row, col).z + stoneRadius * n.z);
    };
    // A black stone is dark but for a polished highlight of the lamp, where
    // its normal lies half-way between the lamp above and the camera.
    const Vector3 halfWay(0.0f, 0.9238795f, -0.3826834f);
    const Vector3 aside(0.6f, 0.8f, 0.0f);
    for (const auto& [row, col] : blacks) {
        const int body = Pixel(Project(onStone(row, col, aside))).Brightness();
        const int highlight = Pixel(Project(onStone(row, col, halfWay))).Brightness();
        EXPECT_LT(body, 70) << "black stone at " << row << "," << col;
        EXPECT_GT(highlight, body + 40) << "highlight on the black stone at " << row << "," << col;
    }
    for (const auto& [row, col] : whites)
        EXPECT_GT(Pixel(Project(top(row, col))).Brightness(), 150) << "white stone at " << row << "," << col;

    // The middle of an empty square is wood; the line between two
    // intersections is darker than it.
    const Vector3 square = (at(6, 6) + at(7, 7)) * 0.5f;
    const Rgb wood = Pixel(Project(square));
    EXPECT_GT(wood.r, wood.b + 30) << "wood at the middle of a square";
    EXPECT_GT(wood.Brightness(), 60);
    const Rgb line = Pixel(Project((at(6, 6) + at(6, 7)) * 0.5f));
    EXPECT_LT(line.Brightness(), wood.Brightness() - 30) << "grid line";

    // Beyond the board's far edge lies the table, lit, not the black clear.
    const Rgb beyond = Pixel({int(Width / 2), 10});
    EXPECT_GT(beyond.Brightness(), 10) << "table behind the board";
}

}  // namespace
