#include "tools/game_scene.h"
#include "tools/mesh_builder.h"

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
    const float h = LineWidth / 2;
    const Vector3 up(0, 1, 0);

    // The intersections first, vertex row * 19 + col, as the game reads them.
    for (int row = 0; row < GridLines; ++row)
        for (int col = 0; col < GridLines; ++col)
            b.Vertex(Intersection(row, col, y));

    // Each intersection is the centre of a small square of line crossing
    // (four triangles around it, so it has a normal); the squares' corners
    // also bound the line pieces between neighbouring intersections.
    // corner[n] of an intersection: 0 (-x, -z), 1 (+x, -z), 2 (+x, +z), 3 (-x, +z).
    std::vector<std::array<std::uint16_t, 4>> corners(GridLines * GridLines);
    for (int n = 0; n < GridLines * GridLines; ++n) {
        const Vector3 c = b.Position(std::uint16_t(n));
        auto& k = corners[n];
        k[0] = b.Vertex(c + Vector3(-h, 0, -h));
        k[1] = b.Vertex(c + Vector3(h, 0, -h));
        k[2] = b.Vertex(c + Vector3(h, 0, h));
        k[3] = b.Vertex(c + Vector3(-h, 0, h));
        for (int e = 0; e < 4; ++e)
            b.Triangle(std::uint16_t(n), k[e], k[(e + 1) % 4], up);
    }
    for (int row = 0; row < GridLines; ++row) {
        for (int col = 0; col < GridLines; ++col) {
            const auto& k = corners[row * GridLines + col];
            if (col + 1 < GridLines) {
                const auto& r = corners[row * GridLines + col + 1];
                b.Quad(k[1], r[0], r[3], k[2], up);
            }
            if (row + 1 < GridLines) {
                const auto& f = corners[(row + 1) * GridLines + col];
                b.Quad(k[3], k[2], f[1], f[0], up);
            }
        }
    }

    // The nine star points: discs around their intersections.
    constexpr int Stars[3] = {3, 9, 15};
    constexpr int Segments = 16;
    for (int row : Stars) {
        for (int col : Stars) {
            const std::uint16_t centre = std::uint16_t(row * GridLines + col);
            const Vector3 c = b.Position(centre);
            std::uint16_t ring[Segments];
            for (int s = 0; s < Segments; ++s) {
                const float a = 2.0f * std::numbers::pi_v<float> * float(s) / Segments;
                ring[s] = b.Vertex(c + Vector3(StarRadius * std::cos(a), 0, StarRadius * std::sin(a)));
            }
            for (int s = 0; s < Segments; ++s)
                b.Triangle(centre, ring[s], ring[(s + 1) % Segments], up);
        }
    }
    return b.Finish(false);
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

}  // namespace scene
