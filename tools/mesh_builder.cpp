#include "tools/mesh_builder.h"

#include <utility>

namespace scene {

MeshBuilder::MeshBuilder(std::string name, std::string material)
{
    mesh_.name = std::move(name);
    mesh_.material = std::move(material);
}

std::uint16_t MeshBuilder::Vertex(const Vector3& p, const Vector2& uv)
{
    mesh_.vertices.push_back(p);
    uvs_.push_back(uv);
    return std::uint16_t(mesh_.vertices.size() - 1);
}

void MeshBuilder::Triangle(std::uint16_t a, std::uint16_t b, std::uint16_t c, const Vector3& outward)
{
    const Vector3& pa = mesh_.vertices[a];
    const Vector3 n = (mesh_.vertices[b] - pa).CrossProduct(mesh_.vertices[c] - pa);
    if (n.DotProduct(outward) < 0.0f)
        std::swap(b, c);
    mesh_.faces.push_back(tds::Face{a, b, c, 0});
}

void MeshBuilder::Quad(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                       const Vector3& outward)
{
    Triangle(a, b, c, outward);
    Triangle(a, c, d, outward);
}

void MeshBuilder::Patch(const Vector3& corner, const Vector3& edgeU, const Vector3& edgeV, int nu, int nv,
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

void MeshBuilder::Box(const Vector3& lo, const Vector3& hi, int topCells, float uvPerUnit)
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

tds::MeshData MeshBuilder::Finish(bool textured, const tds::LocalAxes& axes)
{
    if (textured)
        mesh_.texCoords = uvs_;
    mesh_.axes = axes;
    return std::move(mesh_);
}

}  // namespace scene
