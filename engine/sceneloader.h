#pragma once

// The 3DS reader: free functions over one module state, reading one file at a
// time. 3DS files are Z-up and the engine is Y-up, so every vector read has
// its second and third values exchanged, texture v is negated and each face's
// second and third corners change places. Names keep their terminating zero
// as their last character.
//
// The walk never seeks back, and every read stays inside the file and inside
// the chunk being read. The reader keeps what it can read: a main chunk
// running past the end of the file ends there (eof); a chunk whose length is
// below 6 or runs past its parent ends that parent's walk, and reading goes
// on after the parent; a read that would run past its chunk is refused, and
// the object or material holding it with it. Each is reported through the
// assertion facility.

#include "engine/3dgeom.h"
#include "engine/material.h"
#include "engine/tds_chunks.h"
#include "math/dword.h"
#include "math/vector2.h"
#include "math/vector3.h"
#include "platform/win/win32.h"

#include <cstdint>
#include <string>

class GraphicsContext;
class Object;
class Scene;

namespace SceneLoader {

// Chunk ids.
using namespace TdsChunk;

struct ChunkHeader
{
    dword id = 0;      // the 16-bit id
    dword length = 0;  // the whole chunk, its 6-byte header included
};

struct Percent
{
    std::int32_t IntPercent = 0;
    float FloatPercent = 0.0f;  // a fraction: 1.0 is 100 %
};

struct MaterialMap
{
    std::string FileName;  // as stored, with its terminating zero
    dword Type = TextureMap;
    float Strength = 0.0f;
    // Carried along; the reader leaves them at their defaults.
    dword Flags = 0;
    Vector2 Offset;
    Vector2 Tiling;
};

// What ReadObject built.
enum ObjectType : std::int32_t {
    ObjType_None = -1,
    ObjType_Mesh = 0,       // Object
    ObjType_PointLight = 1, // PointLight
    ObjType_SpotLight = 2,  // TargetSpotLight
    ObjType_Camera = 3,     // Camera
    ObjType_Curve = 4,      // CatmullRomSpline
};

// The module state.
extern dword BytesRead;  // bytes consumed since the start of the block being read
extern bool eof;         // a read delivered fewer bytes than asked
extern Material* MaterialArray;
extern dword MaterialCount;
extern GraphicsContext* LoaderContext;  // not owned
extern bool SaveNormalFiles;
extern std::string DataPath;
extern std::string SceneFileName;

// Read primitives, little-endian, one platform read per value. Each adds its
// size to BytesRead, whether the file held the bytes or not.
byte ReadByte(HANDLE file);
word ReadWord(HANDLE file);
dword ReadDword(HANDLE file);
float ReadFloat(HANDLE file);
Vector3 ReadVector(HANDLE file, bool SwapYZ);
// Up to and including the first zero byte, which the string keeps.
std::string ReadString(HANDLE file);
ChunkHeader ReadChunk(HANDLE file);
// A colour chunk: 24-bit or float forms; any other id gives opaque black
// with only the header consumed.
Color ReadColor(HANDLE file);
// A percentage chunk, integer or float; any other id gives zero.
Percent ReadPercent(HANDLE file);
// Move forward past the rest of a chunk whose header was just read, or by n.
void SkipChunk(HANDLE file, const ChunkHeader& ch);
void SkipBytes(HANDLE file, std::int32_t n);

// One object block, the file standing behind its header ch. The new object
// goes to *out, owned by the caller; see ObjectType for what it points to.
// An object whose data is not whole (a value running past its chunk, a face
// past the vertices, faces without vertices, texture coordinates not one per
// vertex, the file ending inside it, a mesh cut short before its faces) is
// refused: ObjType_None, nothing built, and the file stands behind the block.
std::int32_t ReadObject(HANDLE file, const ChunkHeader& ch, void** out);
// Deletes what ReadObject built, by its type.
void DestroyObject(std::int32_t type, void* object);
// Hands what ReadObject built to the scene, which takes it over; a light
// the scene has no slot for is deleted.
void AddToScene(Scene& scene, std::int32_t type, void* object);

// Every whole material of the file into a new array at *array (the old one
// there is deleted); MaterialCount is set. False, leaving both as they were,
// when the file cannot be opened, is no 3DS file or has no editor block.
bool LoadMaterials(const char* FileName, Material** array);
// Skips chunks until a header with this id has been read.
bool FindChunk(HANDLE file, word id);
Material ReadMaterial(HANDLE file, const ChunkHeader& ch);
// The map's sub-chunks by their ids: the strength when there is one, the
// file name wherever it stands. Without a file name, FileName is empty and
// the map is to be dropped.
MaterialMap ReadMap(HANDLE file, const ChunkHeader& ch);
// The first material of MaterialArray with exactly this name; null if none.
Material* FindMaterial(std::string Name);

// Write primitives, little-endian, one platform write per value; false, and
// reported, when the value was not written whole.
bool WriteByte(HANDLE file, byte v);
bool WriteDword(HANDLE file, dword v);
bool WriteFloat(HANDLE file, float v);
// Every character, one byte each.
bool WriteString(HANDLE file, const std::string& s);

// The normals side file: per mesh object of the scene its name, its vertex
// count and one normal per vertex. A write that fails stops and removes the
// file, so that no partial file is ever read back.
void SaveNormals(const char* FileName, Scene* scene);
// True when the file holds a record for every object of the scene, each with
// the object's vertex count, and the normals were stored in the meshes. A
// file that does not fit the scene, or is not what it claims, gives false.
bool LoadNormals(const char* FileName, Scene* scene);

void SetGraphicsContext(GraphicsContext* gc);
void SetDataPath(const char* path);
void SetNormalFileSaving(bool save);

// The first mesh named Name, with vertex normals, into *out (the caller
// owns it). False, with nothing handed out, when there is no context, the
// file cannot be read as a 3DS file, or no whole mesh bears the name.
bool LoadObject(const char* FileName, const char* Name, Object** out);

// Everything the file holds into a new scene at *out (the caller owns it):
// meshes, lights, cameras, paths and the ambient light, with the normals of
// the side file FileName + ".normals" when it fits, computed otherwise (and
// then written, with normal file saving on). False, with nothing handed out,
// when there is no context or the file cannot be read as a 3DS file; a file
// cut short gives the scene built before the cut.
bool LoadScene(const char* FileName, Scene** out);

}  // namespace SceneLoader
