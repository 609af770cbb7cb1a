#include "tools/game_scene.h"
#include "tools/mesh_builder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace scene {

namespace {

using tds::MeshData;

MeshData MakeBoard()
{
    MeshBuilder b("Board", "BoardWood");
    // The wood image covers the top face once.
    b.Box(Vector3(-BoardHalf, BoardTop - BoardThickness, -BoardHalf),
          Vector3(BoardHalf, BoardTop, BoardHalf), 12, 1.0f / (2 * BoardHalf));
    return b.Finish(true);
}

Vector3 Intersection(int row, int col, float y)
{
    // Column 0 on the person's left, row 0 nearest to them.
    return Vector3(-GridHalf + GridSpacing * float(col), y, -GridHalf + GridSpacing * float(row));
}

MeshData MakeGrid()
{
    MeshBuilder b("Grid", "GridInk");
    const float y = BoardTop + GridLift;
    const Vector3 up(0, 1, 0);
    auto at = [](int row, int col) { return std::uint16_t(row * GridLines + col); };

    // The intersections first, vertex row * 19 + col, as the game reads them;
    // each is the middle of the two strips that cross there.
    for (int row = 0; row < GridLines; ++row)
        for (int col = 0; col < GridLines; ++col)
            b.Vertex(Intersection(row, col, y), Vector2(0.5f, InkBodyV));

    // A strip through a run of middle vertices (each with its v), u growing
    // along across.
    using Middle = std::pair<std::uint16_t, float>;
    auto strip = [&](const std::vector<Middle>& middle, const Vector3& across) {
        std::array<std::uint16_t, 3> last{};
        for (std::size_t i = 0; i < middle.size(); ++i) {
            const auto [m, v] = middle[i];
            const Vector3 p = b.Position(m);
            const std::array<std::uint16_t, 3> row{b.Vertex(p - across * (InkStrip / 2), Vector2(0, v)), m,
                                                   b.Vertex(p + across * (InkStrip / 2), Vector2(1, v))};
            if (i > 0) {
                b.Quad(last[0], last[1], row[1], row[0], up);
                b.Quad(last[1], last[2], row[2], row[1], up);
            }
            last = row;
        }
    };

    // Lines run from border to border, so every end but the border lines'
    // own lies under a border line's ink. The border columns go on past the
    // border rows by half a line and the margin, v growing to the ink's end
    // and on: their ends, and so the board's corners, fade as the sides do.
    // The border rows stop at the border columns.
    const float cap = LineWidth / 2 + InkMargin;
    const float capV = InkBodyV + cap / InkStrip;
    for (int col = 0; col < GridLines; ++col) {
        const bool border = col == 0 || col == GridLines - 1;
        std::vector<Middle> middle;
        if (border)
            middle.push_back({b.Vertex(b.Position(at(0, col)) - Vector3(0, 0, cap), Vector2(0.5f, capV)), capV});
        for (int row = 0; row < GridLines; ++row)
            middle.push_back({at(row, col), InkBodyV});
        if (border)
            middle.push_back(
                {b.Vertex(b.Position(at(GridLines - 1, col)) + Vector3(0, 0, cap), Vector2(0.5f, capV)), capV});
        strip(middle, Vector3(1, 0, 0));
    }
    for (int row = 0; row < GridLines; ++row) {
        std::vector<Middle> middle;
        for (int col = 0; col < GridLines; ++col)
            middle.push_back({at(row, col), InkBodyV});
        strip(middle, Vector3(0, 0, 1));
    }

    // The nine star points: discs of ink around their intersections. u runs
    // from the ink's middle, held to StarRadius less half a line, out to the
    // strip's edge at the rate it runs across a line, so the disc's edge
    // fades as a line's does.
    constexpr int Stars[3] = {3, 9, 15};
    constexpr int Segments = 16;
    for (int row : Stars) {
        for (int col : Stars) {
            const std::uint16_t centre = at(row, col);
            const Vector3 c = b.Position(centre);
            std::array<std::uint16_t, Segments> inner{}, outer{};
            for (int s = 0; s < Segments; ++s) {
                const float a = 2.0f * std::numbers::pi_v<float> * float(s) / Segments;
                const Vector3 out(std::cos(a), 0, std::sin(a));
                inner[s] = b.Vertex(c + out * (StarRadius - LineWidth / 2), Vector2(0.5f, InkBodyV));
                outer[s] = b.Vertex(c + out * (StarRadius + InkMargin), Vector2(1, InkBodyV));
            }
            for (int s = 0; s < Segments; ++s) {
                const int n = (s + 1) % Segments;
                b.Triangle(centre, inner[s], inner[n], up);
                b.Quad(inner[s], outer[s], outer[n], inner[n], up);
            }
        }
    }
    return b.Finish(true);
}

// A sphere about centre with shared vertices (so the normals come out
// smooth), poles on the y axis; its local axes put the object's origin at the
// centre, so the game flattens it about its middle.
MeshData MakeStone(const char* name, const char* material, const Vector3& centre)
{
    MeshBuilder b(name, material);
    const float pi = std::numbers::pi_v<float>;
    const std::uint16_t top = b.Vertex(centre + Vector3(0, StoneRadius, 0));
    std::vector<std::uint16_t> rings;
    for (int k = 1; k < StoneStacks; ++k) {
        const float theta = pi * float(k) / StoneStacks;
        for (int s = 0; s < StoneSlices; ++s) {
            const float phi = 2.0f * pi * float(s) / StoneSlices;
            rings.push_back(b.Vertex(centre + Vector3(std::sin(theta) * std::cos(phi), std::cos(theta),
                                                      std::sin(theta) * std::sin(phi)) *
                                                  StoneRadius));
        }
    }
    const std::uint16_t bottom = b.Vertex(centre + Vector3(0, -StoneRadius, 0));

    auto at = [&](int ring, int s) { return rings[ring * StoneSlices + (s % StoneSlices)]; };
    auto out = [&](std::uint16_t a, std::uint16_t c) {
        return (b.Position(a) + b.Position(c)) * 0.5f - centre;
    };
    const int lastRing = StoneStacks - 2;
    for (int s = 0; s < StoneSlices; ++s) {
        b.Triangle(top, at(0, s), at(0, s + 1), Vector3(0, 1, 0));
        for (int k = 0; k < lastRing; ++k)
            b.Quad(at(k, s), at(k, s + 1), at(k + 1, s + 1), at(k + 1, s), out(at(k, s), at(k + 1, s + 1)));
        b.Triangle(bottom, at(lastRing, s), at(lastRing, s + 1), Vector3(0, -1, 0));
    }
    tds::LocalAxes axes;
    axes.origin = centre;
    return b.Finish(false, axes);
}

MeshData MakeTable()
{
    MeshBuilder b("Trapezi", "TableWood");
    const float top = BoardTop - BoardThickness;
    const float under = top - TableThickness;
    // The top face in 16 x 16 cells: the lamp above the board then lights
    // the table brighter near the board than at its edges.
    b.Box(Vector3(-TableHalf, under, -TableHalf), Vector3(TableHalf, top, TableHalf), 16,
          1.0f / (2 * TableHalf));
    const float leg = TableHalf - 3 * TableLegHalf;
    for (float x : {-leg, leg})
        for (float z : {-leg, leg})
            b.Box(Vector3(x - TableLegHalf, top - TableHeight, z - TableLegHalf),
                  Vector3(x + TableLegHalf, under, z + TableLegHalf), 1, 1.0f / (2 * TableHalf));
    return b.Finish(false);
}

tds::MaterialData Material(const char* name, tds::Rgb colour, std::uint16_t shininess,
                           std::uint16_t strength)
{
    tds::MaterialData m;
    m.name = name;
    m.ambient = colour;
    m.diffuse = colour;
    m.specular = tds::Rgb{1, 1, 1};
    m.shininess = tds::Percent::Int(shininess);
    m.shininessStrength = tds::Percent::Int(strength);
    return m;
}

}  // namespace

tds::SceneFile BuildGameScene()
{
    tds::SceneFile file;
    file.ambient = tds::Rgb{0.1f, 0.1f, 0.1f};

    // The wood image carries the board's colour; a faint sheen as of oil.
    tds::MaterialData wood = Material("BoardWood", {1, 1, 1}, 12, 20);
    wood.maps.push_back(tds::TextureMap{tds::Chunk_Mat_TextureMap, tds::Percent::Int(100), WoodImage});
    file.materials.push_back(wood);
    tds::MaterialData ink = Material("GridInk", {0.06f, 0.05f, 0.04f}, 0, 0);
    ink.specular.reset();
    ink.shininessStrength.reset();
    ink.maps.push_back(tds::TextureMap{tds::Chunk_Mat_TextureMap, tds::Percent::Int(100), InkImage});
    // 99 % opaque: an object whose alpha is below 1 is drawn without writing
    // depth, so where strips overlap (at every crossing) each blends over the
    // other, and the shares of a pixel that two crossing lines cover add up
    // as they should.
    ink.transparency = tds::Percent::Int(1);
    file.materials.push_back(ink);
    file.materials.push_back(Material("WhiteStone", {0.93f, 0.92f, 0.88f}, 50, 70));
    // Polished slate: the lit colour stays near black, the highlight comes
    // from the reflection map.
    tds::MaterialData slate = Material("BlackStone", {0.07f, 0.07f, 0.08f}, 40, 50);
    slate.maps.push_back(tds::TextureMap{tds::Chunk_Mat_ReflectionMap, tds::Percent::Int(100), SheenImage});
    file.materials.push_back(slate);
    file.materials.push_back(Material("TableWood", {0.36f, 0.21f, 0.11f}, 10, 10));

    file.meshes.push_back(MakeBoard());
    file.meshes.push_back(MakeGrid());
    // Resting on the centre point and on a star point.
    file.meshes.push_back(MakeStone("White", "WhiteStone", Intersection(9, 9, StoneRestHeight)));
    file.meshes.push_back(MakeStone("Black", "BlackStone", Intersection(3, 15, StoneRestHeight)));
    file.meshes.push_back(MakeTable());
    return file;
}

std::vector<std::uint8_t> BuildInkAlpha()
{
    constexpr int n = InkImageSize;
    // The share of texel i that lies between lo and hi, in image widths.
    auto share = [](int i, float lo, float hi) {
        return std::max(0.0f, std::min(hi * n, float(i + 1)) - std::max(lo * n, float(i)));
    };
    const float across = LineWidth / 2 / InkStrip;
    std::vector<std::uint8_t> alpha(std::size_t(n) * n);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            alpha[std::size_t(j) * n + i] =
                std::uint8_t(std::lround(255.0f * share(i, 0.5f - across, 0.5f + across) * share(j, 0, InkEndV)));
    return alpha;
}

}  // namespace scene
