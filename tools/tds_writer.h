#pragma once

// A small writer of 3DS scene files: the chunk subset our reader walks.
//
// Everything is given in engine coordinates (Y up) and converted here to the
// file's Z-up form: every vector is written as (x, z, y), every face as
// (a, c, b), every texture coordinate as (u, -v). Reading the file back with
// the engine's reader therefore gives exactly the values passed in.
//
// Two levels: ChunkWriter puts bytes and nested chunks into a buffer (for
// fixtures of any shape, malformed ones included); the Write* functions and
// SceneFile write whole materials, meshes, lights and cameras.

#include "engine/tds_chunks.h"
#include "math/vector2.h"
#include "math/vector3.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tds {

// Chunk ids, the reader's own.
using namespace TdsChunk;

// Little-endian bytes with nested chunks whose lengths are filled in when
// they end.
class ChunkWriter
{
public:
    void Byte(std::uint8_t v);
    void Word(std::uint16_t v);
    void Dword(std::uint32_t v);
    void Float(float v);
    // The characters and a terminating zero.
    void String(std::string_view s);
    // Engine vector (x, y, z) as the file's (x, z, y).
    void Vector(const Vector3& v);
    // Raw bytes, as given.
    void Bytes(const std::vector<std::uint8_t>& bytes);

    // Starts a chunk; its length is written by the matching EndChunk.
    void BeginChunk(std::uint16_t id);
    void EndChunk();
    // A header with a length of the caller's choosing, never patched: for
    // files that lie about their sizes.
    void Header(std::uint16_t id, std::uint32_t length);

    std::size_t Size() const { return bytes_.size(); }
    // The buffer; every chunk begun must have ended.
    const std::vector<std::uint8_t>& Result() const;

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<std::size_t> open_;
};

struct Rgb
{
    float r = 0.0f, g = 0.0f, b = 0.0f;
};

enum class ColorForm { Bytes24, Linear24, Float, LinearFloat };

// A colour chunk; byte forms round each channel (clamped to [0, 1]) to 0..255.
void WriteColor(ChunkWriter& w, const Rgb& c, ColorForm form = ColorForm::Bytes24);

// A percentage chunk: the integer form holds whole percent (75 for 75 %),
// the float form a fraction (0.75).
struct Percent
{
    enum class Form { Int, Float } form = Form::Int;
    float value = 0.0f;  // percent for Int, fraction for Float

    static Percent Int(std::uint16_t percent) { return {Form::Int, float(percent)}; }
    static Percent Fraction(float f) { return {Form::Float, f}; }
};
void WritePercent(ChunkWriter& w, const Percent& p);

struct TextureMap
{
    std::uint16_t id = Chunk_Mat_TextureMap;  // one of the six map chunk ids
    Percent strength = Percent::Int(100);
    std::string fileName;                     // relative to the data path
};
// A map chunk: its strength, then the file name chunk.
void WriteMap(ChunkWriter& w, const TextureMap& map);

struct MaterialData
{
    std::string name;
    ColorForm colorForm = ColorForm::Bytes24;
    std::optional<Rgb> ambient, diffuse, specular;
    std::optional<Percent> shininess;          // the specular power, in percent
    std::optional<Percent> shininessStrength;  // scales the specular colour
    std::optional<Percent> transparency;
    std::optional<Percent> selfIllumination;
    std::vector<TextureMap> maps;
};
// One material block; the sub-chunks in the order of the fields above, so
// the shininess strength follows the specular colour it scales.
void WriteMaterial(ChunkWriter& w, const MaterialData& m);

// An object's frame in engine terms: the axes and the origin that the
// reader turns into the object's rotation and translation.
struct LocalAxes
{
    Vector3 i{1, 0, 0}, j{0, 1, 0}, k{0, 0, 1};
    Vector3 origin;
};

struct Face
{
    std::uint16_t a = 0, b = 0, c = 0;  // engine winding
    std::uint16_t flags = 0;
};

struct MeshData
{
    std::string name;
    std::vector<Vector3> vertices;   // world positions
    std::vector<Face> faces;         // none: the block is a path
    bool emptyFaceList = false;      // with no faces: a face list of none, a mesh
    std::vector<Vector2> texCoords;  // none, or one per vertex
    std::string material;            // empty: no material group
    std::optional<LocalAxes> axes;
};
// One object block holding a triangle mesh. Counts and indices are written
// as given, so fixtures can hold faces past the vertices or a coordinate
// count that differs from the vertex count; a count above 65535, which the
// format cannot hold, throws std::length_error.
void WriteMesh(ChunkWriter& w, const MeshData& m);

struct SpotData
{
    Vector3 target;
    float hotspot = 0.0f;  // degrees
    float falloff = 0.0f;  // degrees
};

struct LightData
{
    std::string name;
    Vector3 position;
    Rgb color{1, 1, 1};
    ColorForm colorForm = ColorForm::Float;
    std::optional<SpotData> spot;
    bool shadowed = false;
    std::optional<float> multiplier;
    std::optional<float> outerRange;
};
// One object block holding a point light, or a spot light when spot is set.
void WriteLight(ChunkWriter& w, const LightData& l);

struct CameraData
{
    std::string name;
    Vector3 position, target;
    float bank = 0.0f;   // written as given
    float lens = 50.0f;  // focal length in millimetres
};
void WriteCamera(ChunkWriter& w, const CameraData& c);

// A whole file: main chunk, editor block with the ambient light, then the
// materials, then the objects, each list in the order added.
struct SceneFile
{
    std::optional<Rgb> ambient;
    std::vector<MaterialData> materials;
    std::vector<MeshData> meshes;
    std::vector<LightData> lights;
    std::vector<CameraData> cameras;

    std::vector<std::uint8_t> Build() const;
};

// Writes bytes to a file; false when it cannot be written whole.
bool SaveFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace tds
