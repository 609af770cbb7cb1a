#pragma once

// Builds the vertices and faces of one mesh for the 3DS writer, from
// triangles, quads, subdivided rectangles and boxes.

#include "tools/tds_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scene {

// Faces are given with the side they should face, and wound so that side is
// the front: clockwise on screen as the device sees it, which is when
// (b - a) x (c - a) points towards the viewer.
class MeshBuilder
{
public:
    MeshBuilder(std::string name, std::string material);

    std::uint16_t Vertex(const Vector3& p, const Vector2& uv = {});
    void Triangle(std::uint16_t a, std::uint16_t b, std::uint16_t c, const Vector3& outward);
    // a, b, c, d in order around the quad.
    void Quad(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d, const Vector3& outward);

    // A flat rectangle from corner over the two edges, split into nu x nv
    // cells so that per-vertex lighting varies across it; texture
    // coordinates run from uv0 along uvU and uvV.
    void Patch(const Vector3& corner, const Vector3& edgeU, const Vector3& edgeV, int nu, int nv,
               const Vector2& uv0, const Vector2& uvU, const Vector2& uvV, const Vector3& outward);

    // An axis-aligned box from lo to hi; its top face split into n x n cells.
    // Texture coordinates map the top face's x and z extent onto the image
    // through uvPerUnit, and the sides onto strips of it.
    void Box(const Vector3& lo, const Vector3& hi, int topCells, float uvPerUnit);

    tds::MeshData Finish(bool textured, const tds::LocalAxes& axes = {});

    const Vector3& Position(std::uint16_t i) const { return mesh_.vertices[i]; }

private:
    tds::MeshData mesh_;
    std::vector<Vector2> uvs_;
};

}  // namespace scene
