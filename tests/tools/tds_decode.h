#pragma once

// A test-side decoder of the 3DS files our writer makes: walks the chunk
// tree by its lengths (failing on any chunk that overruns its parent) and
// turns the file's Z-up values back into engine terms the way the engine's
// reader does, so tests can compare them with what the writer was given.

#include "math/vector2.h"
#include "math/vector3.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tds_test {

struct DecodedMesh
{
    std::string name;
    std::vector<Vector3> vertices;
    std::vector<std::array<std::uint16_t, 3>> faces;  // engine winding
    std::vector<Vector2> texCoords;                   // engine (u, v)
    std::string material;
    bool hasAxes = false;
    Vector3 i{1, 0, 0}, j{0, 1, 0}, k{0, 0, 1}, origin;
};

struct DecodedMaterial
{
    std::string name;
    std::map<std::uint16_t, std::string> mapFiles;  // by map chunk id
};

struct DecodedScene
{
    std::vector<DecodedMaterial> materials;
    std::vector<DecodedMesh> meshes;
    std::string error;  // empty when the whole file decoded

    const DecodedMesh* Mesh(const std::string& name) const;
    const DecodedMaterial* Material(const std::string& name) const;
};

DecodedScene Decode(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

}  // namespace tds_test
