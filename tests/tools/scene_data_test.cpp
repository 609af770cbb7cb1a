#include "tds_decode.h"
#include "tools/game_scene.h"

#include "game/rules.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

const std::string Root = GO3D_SOURCE_ROOT;
const std::string ScenePath = Root + "/data/geometry2.3ds";

Vector3 Normal(const tds_test::DecodedMesh& m, const std::array<std::uint16_t, 3>& f)
{
    const Vector3& a = m.vertices[f[0]];
    return (m.vertices[f[1]] - a).CrossProduct(m.vertices[f[2]] - a);
}

Vector3 Centroid(const tds_test::DecodedMesh& m, const std::array<std::uint16_t, 3>& f)
{
    return (m.vertices[f[0]] + m.vertices[f[1]] + m.vertices[f[2]]) / 3.0f;
}

std::pair<float, float> RangeY(const tds_test::DecodedMesh& m)
{
    float lo = m.vertices[0].y, hi = lo;
    for (const Vector3& v : m.vertices) {
        lo = std::min(lo, v.y);
        hi = std::max(hi, v.y);
    }
    return {lo, hi};
}

class ShippedScene : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Scene = new tds_test::DecodedScene(tds_test::Decode(tds_test::ReadFileBytes(ScenePath)));
    }
    static void TearDownTestSuite()
    {
        delete Scene;
        Scene = nullptr;
    }

    const tds_test::DecodedMesh& Mesh(const char* name)
    {
        const tds_test::DecodedMesh* m = Scene->Mesh(name);
        if (!m)
            throw std::runtime_error(std::string("no mesh ") + name);
        return *m;
    }

    static tds_test::DecodedScene* Scene;
};

tds_test::DecodedScene* ShippedScene::Scene = nullptr;

TEST(SceneData, CommittedFileIsWhatTheToolWritesNow)
{
    const auto committed = tds_test::ReadFileBytes(ScenePath);
    ASSERT_FALSE(committed.empty()) << ScenePath;
    EXPECT_TRUE(committed == scene::BuildGameScene().Build())
        << "data/geometry2.3ds is stale: build the make_scene_data target and commit the result";
}

// The alpha of a grey-and-alpha PNG file; empty when it cannot be read.
std::vector<std::uint8_t> ReadAlpha(const std::string& path, unsigned& width, unsigned& height,
                                    bool& allWhite)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_GA;
    std::vector<std::uint8_t> ga(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, ga.data(), 0, nullptr))
        return {};
    width = image.width;
    height = image.height;
    std::vector<std::uint8_t> alpha;
    allWhite = true;
    for (std::size_t i = 0; i < ga.size(); i += 2) {
        allWhite = allWhite && ga[i] == 255;
        alpha.push_back(ga[i + 1]);
    }
    return alpha;
}

TEST(SceneData, CommittedInkImageIsWhatTheToolWritesNow)
{
    unsigned w = 0, h = 0;
    bool white = false;
    const auto alpha = ReadAlpha(Root + "/data/" + scene::InkImage, w, h, white);
    ASSERT_FALSE(alpha.empty()) << scene::InkImage;
    EXPECT_EQ(w, unsigned(scene::InkImageSize));
    EXPECT_EQ(h, unsigned(scene::InkImageSize));
    EXPECT_TRUE(white) << "the ink's colour is the material's; the image carries only its share of a texel";
    EXPECT_TRUE(alpha == scene::BuildInkAlpha())
        << "data/" << scene::InkImage << " is stale: build the make_scene_data target and commit the result";
}

TEST_F(ShippedScene, HoldsTheFiveMeshesWithSoundIndicesAndKnownMaterials)
{
    ASSERT_EQ(Scene->error, "");
    for (const char* name : {"Board", "Grid", "White", "Black", "Trapezi"}) {
        SCOPED_TRACE(name);
        const tds_test::DecodedMesh* m = Scene->Mesh(name);
        ASSERT_NE(m, nullptr);
        EXPECT_FALSE(m->faces.empty());
        for (const auto& f : m->faces) {
            for (std::uint16_t i : f)
                ASSERT_LT(i, m->vertices.size());
        }
        if (!m->texCoords.empty()) {
            EXPECT_EQ(m->texCoords.size(), m->vertices.size());
        }
        EXPECT_NE(Scene->Material(m->material), nullptr) << m->material;
    }
}

TEST_F(ShippedScene, GridStartsWithTheIntersectionsAsARegularLatticeInRowMajorOrder)
{
    const tds_test::DecodedMesh& grid = Mesh("Grid");
    ASSERT_GE(grid.vertices.size(), 361u);
    EXPECT_FALSE(grid.hasAxes && (grid.origin.Length() != 0.0f)) << "intersections are read as world positions";

    const Vector3 v0 = grid.vertices[0];
    const Vector3 alongRow = grid.vertices[1] - v0;  // column step
    const Vector3 acrossRows = grid.vertices[19] - v0;
    EXPECT_NEAR(alongRow.Length(), 5.0f, 0.5f);
    EXPECT_NEAR(acrossRows.Length(), alongRow.Length(), 1e-4f);
    EXPECT_NEAR(alongRow.DotProduct(acrossRows), 0.0f, 1e-4f);
    for (int row = 0; row < 19; ++row) {
        for (int col = 0; col < 19; ++col) {
            const Vector3 expected = v0 + alongRow * float(col) + acrossRows * float(row);
            const Vector3 got = grid.vertices[row * 19 + col];
            ASSERT_NEAR((got - expected).Length(), 0.0f, 1e-3f) << row << ", " << col;
        }
    }
    // The first line of a board picture is row 18 and its first character
    // column 0: from the player's seat at -z, row 18 lies far and column 18
    // to the right, so the board looks like the picture.
    EXPECT_GT(acrossRows.z, 0.0f);
    EXPECT_GT(alongRow.x, 0.0f);
}

TEST_F(ShippedScene, GridLiesFaceUpJustAboveTheBoardAndEveryIntersectionHasFaces)
{
    const tds_test::DecodedMesh& grid = Mesh("Grid");
    const float boardTop = RangeY(Mesh("Board")).second;
    const auto [lo, hi] = RangeY(grid);
    EXPECT_GT(lo, boardTop);
    EXPECT_LT(hi - boardTop, 0.5f);

    std::vector<bool> used(361, false);
    for (const auto& f : grid.faces) {
        EXPECT_GT(Normal(grid, f).y, 0.0f);
        for (std::uint16_t i : f)
            if (i < 361) {
                used[i] = true;
            }
    }
    // A vertex without faces would get no normal at all.
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0);
}

// How much of a point of the board the grid's ink covers: the shipped ink
// image, sampled bilinearly at full size, through the texture coordinates of
// every grid face over the point, the faces blended one over another.
class GridInk : public ShippedScene
{
protected:
    void SetUp() override
    {
        const tds_test::DecodedMaterial* m = Scene->Material(Mesh("Grid").material);
        ASSERT_NE(m, nullptr);
        ASSERT_EQ(m->mapFiles.count(tds::Chunk_Mat_TextureMap), 1u);
        bool white = false;
        alpha = ReadAlpha(Root + "/data/" + m->mapFiles.at(tds::Chunk_Mat_TextureMap), width, height, white);
        ASSERT_FALSE(alpha.empty());
    }

    float Sample(Vector2 uv) const
    {
        auto texel = [&](int i, int j) {
            i = (i % int(width) + int(width)) % int(width);
            j = (j % int(height) + int(height)) % int(height);
            return alpha[std::size_t(j) * width + std::size_t(i)] / 255.0f;
        };
        const float x = uv.x * float(width) - 0.5f, y = uv.y * float(height) - 0.5f;
        const int i = int(std::floor(x)), j = int(std::floor(y));
        const float fx = x - float(i), fy = y - float(j);
        return (texel(i, j) * (1 - fx) + texel(i + 1, j) * fx) * (1 - fy) +
               (texel(i, j + 1) * (1 - fx) + texel(i + 1, j + 1) * fx) * fy;
    }

    float InkAt(float x, float z)
    {
        const tds_test::DecodedMesh& grid = Mesh("Grid");
        float clear = 1;
        for (const auto& f : grid.faces) {
            const Vector3 &a = grid.vertices[f[0]], &b = grid.vertices[f[1]], &c = grid.vertices[f[2]];
            const float det = (b.x - a.x) * (c.z - a.z) - (c.x - a.x) * (b.z - a.z);
            const float wb = ((x - a.x) * (c.z - a.z) - (c.x - a.x) * (z - a.z)) / det;
            const float wc = ((b.x - a.x) * (z - a.z) - (x - a.x) * (b.z - a.z)) / det;
            if (wb < 0 || wc < 0 || wb + wc > 1)
                continue;
            const Vector2 uv = grid.texCoords[f[0]] * (1 - wb - wc) + grid.texCoords[f[1]] * wb +
                               grid.texCoords[f[2]] * wc;
            clear *= 1 - Sample(uv);
        }
        return 1 - clear;
    }

    std::vector<std::uint8_t> alpha;
    unsigned width = 0, height = 0;
};

// Where the ink lies: over every intersection and along every line between
// them, out to half the line's width; in the star points' discs; to the
// outer edge of the border lines at their ends and at the corners; nowhere
// else.
TEST_F(GridInk, CoversTheLinesStarPointsAndCornersAndNothingElse)
{
    const tds_test::DecodedMesh& grid = Mesh("Grid");
    ASSERT_EQ(grid.texCoords.size(), grid.vertices.size());
    auto at = [&](int row, int col) { return grid.vertices[row * 19 + col]; };
    const float half = scene::LineWidth / 2, in = half - 0.03f, out = half + 0.03f;
    const float spacing = at(0, 1).x - at(0, 0).x;
    auto inked = [](float ink) { return ink > 0.95f; };
    auto bare = [](float ink) { return ink < 0.05f; };

    for (int row = 0; row < 19; ++row) {
        for (int col = 0; col < 19; ++col) {
            SCOPED_TRACE(testing::Message() << "row " << row << ", col " << col);
            const Vector3 p = at(row, col);
            EXPECT_PRED1(inked, InkAt(p.x, p.z));
            // Half-way to the next intersection along the row and the
            // column, and to both sides of that line.
            const float x = p.x + spacing / 2, z = p.z + spacing / 2;
            if (col < 18) {
                EXPECT_PRED1(inked, InkAt(x, p.z + in));
                EXPECT_PRED1(inked, InkAt(x, p.z - in));
                EXPECT_PRED1(bare, InkAt(x, p.z + out));
                EXPECT_PRED1(bare, InkAt(x, p.z - out));
            }
            if (row < 18) {
                EXPECT_PRED1(inked, InkAt(p.x + in, z));
                EXPECT_PRED1(inked, InkAt(p.x - in, z));
                EXPECT_PRED1(bare, InkAt(p.x + out, z));
                EXPECT_PRED1(bare, InkAt(p.x - out, z));
            }
            if (row < 18 && col < 18) {
                EXPECT_PRED1(bare, InkAt(x, z));
            }
            // A star point's disc, along a diagonal, off the lines.
            const bool star = (row == 3 || row == 9 || row == 15) && (col == 3 || col == 9 || col == 15);
            const float d = scene::StarRadius * std::sqrt(0.5f);
            const float r = star ? 0.05f : 0.0f;
            EXPECT_EQ(inked(InkAt(p.x + d - r, p.z + d - r)), star);
            EXPECT_PRED1(bare, InkAt(p.x + d + 0.05f, p.z + d + 0.05f));
        }
    }
    // Past the ends of the lines, and the corners, from the outside in.
    for (int row : {0, 18}) {
        for (int col = 0; col < 19; ++col) {
            SCOPED_TRACE(testing::Message() << "end of col " << col << " at row " << row);
            const Vector3 p = at(row, col);
            const float outward = row == 0 ? -1.0f : 1.0f;
            EXPECT_PRED1(inked, InkAt(p.x, p.z + outward * in));
            EXPECT_PRED1(bare, InkAt(p.x, p.z + outward * out));
        }
    }
    for (int col : {0, 18}) {
        for (int row = 0; row < 19; ++row) {
            SCOPED_TRACE(testing::Message() << "end of row " << row << " at col " << col);
            const Vector3 p = at(row, col);
            const float outward = col == 0 ? -1.0f : 1.0f;
            EXPECT_PRED1(inked, InkAt(p.x + outward * in, p.z));
            EXPECT_PRED1(bare, InkAt(p.x + outward * out, p.z));
            if (row == 0 || row == 18) {
                const float outwardZ = row == 0 ? -1.0f : 1.0f;
                EXPECT_PRED1(inked, InkAt(p.x + outward * in, p.z + outwardZ * in)) << "corner";
                EXPECT_PRED1(bare, InkAt(p.x + outward * out, p.z + outwardZ * in)) << "corner";
                EXPECT_PRED1(bare, InkAt(p.x + outward * in, p.z + outwardZ * out)) << "corner";
            }
        }
    }
}

TEST_F(ShippedScene, StonesAreClosedOutwardSpheresOfAtMost192TrianglesRestingOnTheBoard)
{
    const float boardTop = RangeY(Mesh("Board")).second;
    const tds_test::DecodedMesh& grid = Mesh("Grid");
    const float spacing = (grid.vertices[1] - grid.vertices[0]).Length();
    for (const char* name : {"White", "Black"}) {
        SCOPED_TRACE(name);
        const tds_test::DecodedMesh& stone = Mesh(name);
        EXPECT_LE(stone.faces.size(), 192u);
        ASSERT_TRUE(stone.hasAxes);
        EXPECT_EQ(stone.i.x, 1.0f);
        EXPECT_EQ(stone.j.y, 1.0f);
        EXPECT_EQ(stone.k.z, 1.0f);

        // Shared vertices and every edge met once each way: a closed
        // surface with one winding, so smooth normals and no holes.
        std::set<std::pair<int, int>> edges;
        for (const auto& f : stone.faces) {
            for (int e = 0; e < 3; ++e)
                EXPECT_TRUE(edges.insert({f[e], f[(e + 1) % 3]}).second);
            EXPECT_GT(Normal(stone, f).DotProduct(Centroid(stone, f) - stone.origin), 0.0f);
        }
        for (const auto& [a, b] : edges)
            EXPECT_TRUE(edges.count({b, a})) << a << " " << b;

        const auto [lo, hi] = RangeY(stone);
        const float halfHeight = (hi - lo) / 2;
        EXPECT_NEAR((lo + hi) / 2, stone.origin.y, 1e-4f) << "the game flattens about the origin";
        EXPECT_NEAR(stone.origin.y - boardTop, 0.4f * halfHeight, 1e-4f);
        EXPECT_LT(2 * halfHeight, spacing) << "neighbouring stones must not overlap";
    }
}

TEST_F(ShippedScene, BoardIsAClosedOutwardSlabOnTheTableWithTheWoodImage)
{
    const tds_test::DecodedMesh& board = Mesh("Board");
    Vector3 centre;
    for (const Vector3& v : board.vertices)
        centre += v;
    centre /= float(board.vertices.size());
    for (const auto& f : board.faces)
        EXPECT_GT(Normal(board, f).DotProduct(Centroid(board, f) - centre), 0.0f);

    EXPECT_EQ(RangeY(Mesh("Trapezi")).second, RangeY(board).first);

    const tds_test::DecodedMaterial* wood = Scene->Material(board.material);
    ASSERT_NE(wood, nullptr);
    ASSERT_EQ(wood->mapFiles.size(), 1u);
    const std::string& image = wood->mapFiles.at(tds::Chunk_Mat_TextureMap);
    EXPECT_TRUE(std::filesystem::exists(Root + "/data/" + image)) << image;
}

// The lamp gives no specular light, so the black stones' polish is their
// reflection map.
TEST_F(ShippedScene, BlackStonesShineThroughAReflectionMapThatIsShipped)
{
    const tds_test::DecodedMaterial* slate = Scene->Material(Mesh("Black").material);
    ASSERT_NE(slate, nullptr);
    ASSERT_EQ(slate->mapFiles.count(tds::Chunk_Mat_ReflectionMap), 1u);
    const std::string& image = slate->mapFiles.at(tds::Chunk_Mat_ReflectionMap);
    EXPECT_TRUE(std::filesystem::exists(Root + "/data/" + image)) << image;
}

// Where a world point lands in the game's starting view: camera (0, 100,
// -100) looking at the origin, vertical field pi/4 and horizontal pi/3;
// x and y in [-1, 1] are on screen.
std::pair<float, float> OnScreen(const Vector3& p)
{
    const Vector3 eye(0, 100, -100);
    Vector3 n = Vector3(0, 0, 0) - eye;
    n.Normalize();
    Vector3 u = Vector3(0, 1, 0).CrossProduct(n);
    u.Normalize();
    const Vector3 v = n.CrossProduct(u);
    const Vector3 d = p - eye;
    const float z = d.DotProduct(n);
    return {d.DotProduct(u) / z / std::tan(std::acos(-1.0f) / 6),
            d.DotProduct(v) / z / std::tan(std::acos(-1.0f) / 8)};
}

TEST_F(ShippedScene, WholeBoardShowsFromTheGameCameraWithAMargin)
{
    float widest = 0, tallest = 0;
    for (const Vector3& p : Mesh("Board").vertices) {
        const auto [x, y] = OnScreen(p);
        widest = std::max(widest, std::fabs(x));
        tallest = std::max(tallest, std::fabs(y));
    }
    EXPECT_LT(widest, 0.9f);
    EXPECT_LT(tallest, 0.92f);
    EXPECT_GT(tallest, 0.6f) << "the board should fill most of the view";
}

TEST(SceneData, ImagesAreCommittedJpegFiles)
{
    for (const char* name : {"gui01.jpg", "wood.jpg", "sheen.jpg"}) {
        const auto bytes = tds_test::ReadFileBytes(Root + "/data/" + name);
        ASSERT_GT(bytes.size(), 3u) << name;
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1], 0xD8);
        EXPECT_EQ(bytes[2], 0xFF);
    }
}

// The shipped picture: every group has a liberty, and black, to move, wins
// the capturing race in the lower left by taking three stones at (2, 4).
TEST(SceneData, BoardPictureLoadsAPositionWhereBlackCanCapture)
{
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path(Root);
    LinkBoard();
    LoadBoardPattern(true);
    std::filesystem::current_path(home);

    int stones = 0;
    for (int r = 0; r < BoardSize; ++r) {
        for (int c = 0; c < BoardSize; ++c) {
            if (BoardPoints[r][c].State != Stone_None) {
                ++stones;
                EXPECT_GT(CountLiberties(&BoardPoints[r][c]), 0) << r << ", " << c;
            }
        }
    }
    EXPECT_GT(stones, 20);

    ASSERT_FALSE(IsIllegalMove(&BoardPoints[2][4], Stone_Black));
    BoardPoints[2][4].State = Stone_Black;
    CapturedPositions.clear();
    EXPECT_TRUE(CaptureAround(2, 4));
    EXPECT_EQ(CapturedPositions.size(), 3u);
}

}  // namespace
