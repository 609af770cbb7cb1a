#include "tools/game_scene.h"

#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace scene {

namespace {

using tds::Face;
using tds::MeshData;

// Collects vertices and faces of one mesh. Faces are given with the side
// they should face, and wound so that side is the front: clockwise on screen
// as the device sees it, which is when (b - a) x (c - a) points towards the
// viewer.
class MeshBuilder
{
public:
    explicit MeshBuilder(std::string name, std::string material)
    {
        mesh_.name = std::move(name);
        mesh_.material = std::move(material);
    }

    std::uint16_t Vertex(const Vector3& p, const Vector2& uv = {})
    {
        mesh_.vertices.push_back(p);
        uvs_.push_back(uv);
        return std::uint16_t(mesh_.vertices.size() - 1);
    }

    void Triangle(std::uint16_t a, std::uint16_t b, std::uint16_t c, const Vector3& outward)
    {
        const Vector3& pa = mesh_.vertices[a];
        const Vector3 n = (mesh_.vertices[b] - pa).CrossProduct(mesh_.vertices[c] - pa);
        if (n.DotProduct(outward) < 0.0f)
            std::swap(b, c);
        mesh_.faces.push_back(Face{a, b, c, 0});
    }

    // a, b, c, d in order around the quad.
    void Quad(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
              const Vector3& outward)
    {
        Triangle(a, b, c, outward);
        Triangle(a, c, d, outward);
    }

    // A flat rectangle from corner over the two edges, split into nu x nv
    // cells so that per-vertex lighting varies across it; texture
    // coordinates run from uv0 along uvU and uvV.
    void Patch(const Vector3& corner, const Vector3& edgeU, const Vector3& edgeV, int nu, int nv,
               const Vector2& uv0, const Vector2& uvU, const Vector2& uvV, const Vector3& outward)
    {
        const std::uint16_t first = std::uint16_t(mesh_.vertices.size());
        for (int j = 0; j <= nv; ++j) {
            for (int i = 0; i <= nu; ++i) {
                const float s = float(i) / float(nu);
                const float t = float(j) / float(nv);
                Vertex(corner + edgeU * s + edgeV * t, uv0 + uvU * s + uvV * t);
            }
        }
        auto at = [&](int i, int j) { return std::uint16_t(first + j * (nu + 1) + i); };
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i)
                Quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), outward);
    }

    // An axis-aligned box from lo to hi; its top face split into n x n cells.
    // Texture coordinates map the top face's x and z extent onto the image
    // through uvPerUnit, and the sides onto strips of it.
    void Box(const Vector3& lo, const Vector3& hi, int topCells, float uvPerUnit)
    {
        const Vector3 size = hi - lo;
        const float k = uvPerUnit;
        // Image top towards +z (away from the person), left towards -x.
        auto uvOf = [&](float x, float z) { return Vector2((x - lo.x) * k, (hi.z - z) * k); };
        const Vector3 ex(size.x, 0, 0), ey(0, size.y, 0), ez(0, 0, size.z);

        Patch(Vector3(lo.x, hi.y, hi.z), ex, -ez, topCells, topCells, uvOf(lo.x, hi.z),
              Vector2(size.x * k, 0), Vector2(0, size.z * k), Vector3(0, 1, 0));
        Patch(Vector3(lo.x, lo.y, lo.z), ex, ez, 1, 1, uvOf(lo.x, lo.z), Vector2(size.x * k, 0),
              Vector2(0, -size.z * k), Vector3(0, -1, 0));
        // Sides: strips of the image along its edges, as deep as the side is
        // tall, so every coordinate stays inside the image.
        const float du = size.y * k;
        const float u1 = size.x * k, v1 = size.z * k;
        Patch(Vector3(lo.x, hi.y, lo.z), ex, -ey, 1, 1, Vector2(0, v1), Vector2(u1, 0),
              Vector2(0, -du), Vector3(0, 0, -1));
        Patch(Vector3(lo.x, hi.y, hi.z), ex, -ey, 1, 1, Vector2(0, 0), Vector2(u1, 0),
              Vector2(0, du), Vector3(0, 0, 1));
        Patch(Vector3(lo.x, hi.y, lo.z), ez, -ey, 1, 1, Vector2(0, v1), Vector2(0, -v1),
              Vector2(du, 0), Vector3(-1, 0, 0));
        Patch(Vector3(hi.x, hi.y, lo.z), ez, -ey, 1, 1, Vector2(u1, v1), Vector2(0, -v1),
              Vector2(-du, 0), Vector3(1, 0, 0));
    }

    MeshData Finish(bool textured, const tds::LocalAxes& axes = {})
    {
        if (textured)
            mesh_.texCoords = uvs_;
        mesh_.axes = axes;
        return std::move(mesh_);
    }

    const Vector3& Position(std::uint16_t i) const { return mesh_.vertices[i]; }

private:
    MeshData mesh_;
    std::vector<Vector2> uvs_;
};

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
