#include "engine/sceneloader.h"

#include "engine/3dengine.h"
#include "engine/assertion.h"
#include "engine/camera.h"
#include "engine/curves.h"
#include "engine/lights.h"
#include "engine/object.h"
#include "engine/scene.h"
#include "engine/textureman.h"
#include "math/basis.h"
#include "math/matrix3x3.h"
#include "math/matrix4x4.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace SceneLoader {

dword BytesRead = 0;
bool eof = false;
Material* MaterialArray = nullptr;
dword MaterialCount = 0;
GraphicsContext* LoaderContext = nullptr;
bool SaveNormalFiles = false;
std::string DataPath;
std::string SceneFileName;

namespace {

// Frees the materials of the last file at exit, after every load is over.
struct MaterialArrayRelease
{
    ~MaterialArrayRelease()
    {
        delete[] MaterialArray;
        MaterialArray = nullptr;
        MaterialCount = 0;
    }
} materialArrayRelease;

// The bounds of the load in progress. The loaders open their file through
// ScenePass; reads on that handle are then held inside the chunk being read.
// A read that would run past its chunk is refused and gives zeros, and a
// chunk that does not fit the one around it ends that one's walk; each is
// reported, and the readers keep what was whole. Reads on any other handle
// (a test reading a fixture by hand) go straight through.

// One chunk the pass stands in.
struct Bound
{
    std::uint64_t end = UINT64_MAX;  // from the start of the file
    bool overrun = false;  // a read was refused: the reads after it give zeros
    bool ended = false;    // its walk is over: the rest of it is skipped
};

struct Pass
{
    HANDLE file = INVALID_HANDLE_VALUE;
    std::uint64_t position = 0;  // from the start of the file
    // Innermost last. The first is the file itself, whose end is met as a
    // short read (eof): a main chunk running past it ends there.
    std::vector<Bound> bounds{Bound{}};
    dword refused = 0;  // reads refused so far
};

// The main chunk's place in Pass::bounds; the containers entered follow it.
constexpr std::size_t MainLevel = 1;

Pass* Current = nullptr;

Pass* PassOf(HANDLE file)
{
    return Current != nullptr && Current->file == file ? Current : nullptr;
}

// True when the chunk being read holds size more bytes; otherwise the read
// is refused, once reported.
bool Room(Pass* p, std::uint64_t size)
{
    if (p == nullptr)
        return true;
    Bound& b = p->bounds.back();
    if (b.overrun)
        return false;
    const bool insideChunk = size <= b.end - p->position;
    if (!ENGINE_CHECK(insideChunk)) {
        b.overrun = true;
        ++p->refused;
        return false;
    }
    return true;
}

bool ChunkHolds(HANDLE file, std::uint64_t size)
{
    return Room(PassOf(file), size);
}

// A read in the chunk being read was refused: its value is incomplete.
bool Overran(HANDLE file)
{
    const Pass* p = PassOf(file);
    return p != nullptr && p->bounds.back().overrun;
}

// The walk of the chunk being read met a chunk that does not fit in it.
bool WalkEnded(HANDLE file)
{
    const Pass* p = PassOf(file);
    return p != nullptr && p->bounds.back().ended;
}

// Readers compare this before and after their data to learn whether any of
// it was refused.
dword Refused(HANDLE file)
{
    const Pass* p = PassOf(file);
    return p != nullptr ? p->refused : 0;
}

void Seek(HANDLE file, std::uint64_t n)
{
    LONG high = static_cast<LONG>(n >> 32);
    SetFilePointer(file, static_cast<LONG>(n & 0xFFFFFFFF), &high, FILE_CURRENT);
}

// Past the rest of a bound whose walk ended, as a skip.
void SkipRest(Pass& p)
{
    const Bound& b = p.bounds.back();
    if (!b.ended || p.position >= b.end)
        return;
    const std::uint64_t n = b.end - p.position;
    BytesRead += static_cast<dword>(n);
    Seek(p.file, n);
    p.position = b.end;
}

// Opens a scene file for one pass and closes it when the pass ends.
class ScenePass
{
public:
    explicit ScenePass(const char* fileName)
    {
        HANDLE h = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return;
        const DWORD size = SetFilePointer(h, 0, nullptr, FILE_END);
        if (size == INVALID_SET_FILE_POINTER || SetFilePointer(h, 0, nullptr, FILE_BEGIN) != 0) {
            CloseHandle(h);
            return;
        }
        pass_.file = h;
        size_ = size;
        previous_ = Current;
        Current = &pass_;
        eof = false;
    }
    ~ScenePass()
    {
        if (!IsOpen())
            return;
        Current = previous_;
        CloseHandle(pass_.file);
    }
    ScenePass(const ScenePass&) = delete;
    ScenePass& operator=(const ScenePass&) = delete;

    bool IsOpen() const { return pass_.file != INVALID_HANDLE_VALUE; }
    HANDLE File() const { return pass_.file; }
    dword Size() const { return size_; }

private:
    Pass pass_;
    Pass* previous_ = nullptr;
    dword size_ = 0;
};

// Reads size bytes, or zeros where the file (or the chunk) has none.
void Fetch(HANDLE file, void* to, dword size)
{
    BytesRead += size;
    Pass* p = PassOf(file);
    if (!Room(p, size)) {
        std::memset(to, 0, size);
        return;
    }
    DWORD got = 0;
    if (!ReadFile(file, to, size, &got, nullptr))
        got = 0;
    if (got < size) {
        eof = true;
        std::memset(static_cast<unsigned char*>(to) + got, 0, size - got);
    }
    if (p != nullptr)
        p->position += got;
}

// Forward only; within the chunk being read.
void Advance(HANDLE file, dword n)
{
    Pass* p = PassOf(file);
    if (!Room(p, n))
        return;
    Seek(file, n);
    if (p != nullptr)
        p->position += n;
}

// A header just read: at least its own 6 bytes long and within the chunk or
// container it stands in. One that is not ends the walk of that container.
bool ChunkFits(HANDLE file, const ChunkHeader& ch)
{
    if (eof)
        return false;
    Pass* p = PassOf(file);
    if (p == nullptr)
        return ch.length >= 6;
    Bound& b = p->bounds.back();
    if (b.overrun)
        return false;
    const bool chunkFits = ch.length >= 6 && p->position - 6 + ch.length <= b.end;
    if (!ENGINE_CHECK(chunkFits)) {
        b.ended = true;
        return false;
    }
    return true;
}

// The bound of a chunk whose header was just read.
Bound BoundOf(const Pass& p, const ChunkHeader& ch)
{
    Bound b;
    const std::uint64_t start = p.position >= 6 ? p.position - 6 : 0;
    b.end = std::max(p.position, start + ch.length);
    return b;
}

// Holds reads inside a chunk whose header was just read and fits. Ended, the
// rest of the chunk is skipped when the scope closes.
class ChunkScope
{
public:
    ChunkScope(HANDLE file, const ChunkHeader& ch) : pass_(PassOf(file))
    {
        if (pass_ != nullptr)
            pass_->bounds.push_back(BoundOf(*pass_, ch));
    }
    ~ChunkScope()
    {
        if (pass_ == nullptr)
            return;
        SkipRest(*pass_);
        pass_->bounds.pop_back();
    }
    ChunkScope(const ChunkScope&) = delete;
    ChunkScope& operator=(const ChunkScope&) = delete;

    // What is left of the chunk is not read: the walk goes on after it.
    void End()
    {
        if (pass_ != nullptr)
            pass_->bounds.back().ended = true;
    }

private:
    Pass* pass_;
};

// Top-level walk: a container is entered by reading on inside it; once its
// end is reached, or its walk ended, the walk goes on in the container
// around it.
void Enter(HANDLE file, const ChunkHeader& ch)
{
    if (Pass* p = PassOf(file))
        p->bounds.push_back(BoundOf(*p, ch));
}

// The file's first header, which must be the main chunk; the walk is then
// bounded by it.
bool ReadMainChunk(HANDLE file)
{
    const ChunkHeader main = ReadChunk(file);
    if (main.id != Chunk_Main || !ChunkFits(file, main))
        return false;
    Enter(file, main);
    return true;
}

bool WalkOver(HANDLE file)
{
    if (eof)
        return true;
    Pass* p = PassOf(file);
    if (p == nullptr)
        return false;
    if (p->bounds.size() <= MainLevel)
        return true;
    while (p->bounds.size() > MainLevel + 1) {
        const Bound& b = p->bounds.back();
        if (!b.ended && !b.overrun && p->position < b.end)
            break;
        p->bounds.back().ended = true;
        SkipRest(*p);
        p->bounds.pop_back();
    }
    const Bound& main = p->bounds.back();
    return main.ended || main.overrun || p->position >= main.end;
}

// f x 100 toward zero, saturated: the file may hold any float.
std::int32_t WholePercent(float f)
{
    const double v = std::trunc(static_cast<double>(f) * 100.0);
    if (std::isnan(v))
        return 0;
    if (v <= -2147483648.0)
        return INT32_MIN;
    if (v >= 2147483647.0)
        return INT32_MAX;
    return static_cast<std::int32_t>(v);
}

bool IsMapChunk(dword id)
{
    return id == Chunk_Mat_TextureMap || id == Chunk_Mat_TextureMap2 || id == Chunk_Mat_OpacityMap ||
           id == Chunk_Mat_BumpMap || id == Chunk_Mat_ReflectionMap || id == Chunk_Mat_SelfIlluminationMap;
}

IDirect3DTexture8* LoadMapTexture(const MaterialMap& map)
{
    // Without a context there is no texture cache: the slot stays empty.
    if (LoaderContext == nullptr || LoaderContext->TextureManager == nullptr)
        return nullptr;
    // The file name's own zero ends the path.
    const std::string path = DataPath + map.FileName;
    return LoaderContext->TextureManager->LoadTexture(path.c_str());
}

std::int32_t ReadMesh(HANDLE file, const ChunkHeader& ch, const std::string& name, void** out)
{
    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;
    dword VertexCount = 0;
    ::Material material;
    Basis base;
    Vector3 translation;
    bool noFaces = true;
    bool haveVertices = false;
    bool cut = false;
    const dword refusedBefore = Refused(file);

    while (BytesRead < ch.length) {
        if (!ENGINE_CHECK(!eof))
            return ObjType_None;
        const ChunkHeader sub = ReadChunk(file);
        if (!ChunkFits(file, sub)) {
            cut = true;
            break;
        }
        ChunkScope scope(file, sub);
        switch (sub.id) {
        case Chunk_TriMesh_VertexList:
            VertexCount = ReadWord(file);
            // The count is held to what the chunk holds before anything is
            // made of it.
            if (!ChunkHolds(file, 12ull * VertexCount))
                return ObjType_None;
            vertices.assign(VertexCount, Vertex());
            for (dword i = 0; i < VertexCount && !Overran(file); ++i)
                vertices[i].Position = ReadVector(file, true);
            haveVertices = true;
            break;
        case Chunk_TriMesh_FaceList: {
            noFaces = false;
            const dword faces = ReadWord(file);
            if (!ChunkHolds(file, 8ull * faces))
                return ObjType_None;
            triangles.assign(faces, Triangle());
            for (dword f = 0; f < faces && !Overran(file); ++f) {
                const Index a = ReadWord(file);
                const Index b = ReadWord(file);
                const Index c = ReadWord(file);
                ReadWord(file);  // flags
                triangles[f] = Triangle(a, c, b);
            }
            break;
        }
        case Chunk_TriMesh_MaterialGroup: {
            // A name the file does not define leaves the default material.
            const ::Material* found = FindMaterial(ReadString(file));
            material = found != nullptr ? *found : ::Material();
            const dword k = ReadWord(file);
            SkipBytes(file, static_cast<std::int32_t>(2 * k));
            break;
        }
        case Chunk_TriMesh_TexCoords:
            // Pairs that cannot be matched with the vertices refuse the mesh.
            if (!ENGINE_CHECK((dword)ReadWord(file) == VertexCount) || !ChunkHolds(file, 8ull * VertexCount))
                return ObjType_None;
            for (dword i = 0; i < VertexCount && !Overran(file); ++i) {
                const float u = ReadFloat(file);
                const float v = ReadFloat(file);
                vertices[i].Tex[0] = TexCoord(u, -v);
                vertices[i].Tex[1] = TexCoord(u, -v);
            }
            break;
        case Chunk_TriMesh_LocalAxes:
            base.i = ReadVector(file, true);
            base.k = ReadVector(file, true);
            base.j = ReadVector(file, true);
            translation = ReadVector(file, true);
            break;
        default:
            SkipChunk(file, sub);
            break;
        }
        // A value that ran past its chunk is not the file's.
        if (Refused(file) != refusedBefore)
            return ObjType_None;
    }
    if (!ENGINE_CHECK(!eof))
        return ObjType_None;
    // Cut short before any face list, the block cannot be told from a path.
    if (cut && noFaces)
        return ObjType_None;

    if (noFaces) {
        auto* path = new CatmullRomSpline;
        path->Name = name;
        for (const Vertex& v : vertices)
            path->AddPoint(v.Position);
        *out = path;
        return ObjType_Curve;
    }

    const bool faceListHasVertices = haveVertices;
    if (!ENGINE_CHECK(faceListHasVertices))
        return ObjType_None;
    bool cornersBelowVertexCount = true;
    for (const Triangle& t : triangles)
        for (Index corner : t.Vertices)
            cornersBelowVertexCount = cornersBelowVertexCount && corner < VertexCount;
    if (!ENGINE_CHECK(cornersBelowVertexCount))
        return ObjType_None;

    // Into the object's own space: the frame becomes its transform.
    base.i.Normalize();
    base.j.Normalize();
    base.k.Normalize();
    Matrix3x3 RotXForm = base.CreateRotationMatrix();
    RotXForm.Orthogonalize();
    const Matrix4x4 toLocal(RotXForm.Transposed());
    for (Vertex& v : vertices) {
        v.Position.Translate(-translation.x, -translation.y, -translation.z);
        v.Position.Transform(toLocal);
    }

    auto* object = new Object(LoaderContext, 1);
    object->Name = name;
    object->GetTriMesh()->SetData(vertices.data(), triangles.data(), VertexCount,
                                  static_cast<dword>(triangles.size()));
    object->Material = material;
    object->SetRotation(Matrix4x4(RotXForm));
    object->SetTranslation(translation.x, translation.y, translation.z);
    *out = object;
    return ObjType_Mesh;
}

std::int32_t ReadLight(HANDLE file, const ChunkHeader& ch, const std::string& name, void** out)
{
    const dword refusedBefore = Refused(file);
    const Vector3 pos = ReadVector(file, true);
    const Color color = ReadColor(file);
    bool spot = false;
    bool shadowed = false;
    bool attenuation = false;
    float outerRange = 10000.0f;
    float multiplier = 1.0f;
    Vector3 SpotTarget;
    float hotspot = 0.0f;
    float falloff = 0.0f;
    // Without a colour chunk that fits, the light is not whole.
    if (WalkEnded(file))
        return ObjType_None;

    while (BytesRead < ch.length && !eof && Refused(file) == refusedBefore) {
        const ChunkHeader sub = ReadChunk(file);
        if (!ChunkFits(file, sub))
            break;
        ChunkScope scope(file, sub);
        switch (sub.id) {
        case Chunk_Light_Spot:
            spot = true;
            SpotTarget = ReadVector(file, true);
            hotspot = ReadFloat(file) / 180.0f;
            falloff = ReadFloat(file) / 180.0f;
            break;
        case Chunk_Light_Attenuation:
            attenuation = true;
            break;
        case Chunk_Light_Shadowed:
            shadowed = true;
            break;
        case Chunk_Light_OuterRange:
            outerRange = ReadFloat(file);
            break;
        case Chunk_Light_Multiplier:
            multiplier = ReadFloat(file);
            break;
        default:
            SkipChunk(file, sub);
            break;
        }
    }
    // Neither the attenuation flag nor the outer range reaches the light.
    (void)attenuation;
    (void)outerRange;
    if (Refused(file) != refusedBefore || !ENGINE_CHECK(!eof))
        return ObjType_None;

    Light* light = spot ? static_cast<Light*>(new TargetSpotLight(pos, SpotTarget, hotspot, falloff, 1000.0f, 1.0f,
                                                                  0.0f, 0.0f))
                        : new PointLight(pos, 1000.0f, 1.0f, 0.0f, 0.0f);
    light->SetColor(color);
    light->SetShadowCasting(shadowed);
    light->SetIntensity(multiplier);
    light->Name = name;
    *out = light;
    return spot ? ObjType_SpotLight : ObjType_PointLight;
}

std::int32_t ReadCamera(HANDLE file, const ChunkHeader& chunk, const std::string& name, void** out)
{
    const dword refusedBefore = Refused(file);
    Vector3 pos, targ;
    float bank = 0.0f, lens = 0.0f;
    {
        ChunkScope scope(file, chunk);
        pos = ReadVector(file, true);
        targ = ReadVector(file, true);
        bank = ReadFloat(file);
        lens = ReadFloat(file);
    }
    if (Refused(file) != refusedBefore || !ENGINE_CHECK(!eof))
        return ObjType_None;

    auto* camera = new Camera;
    const Vector3 view = (targ - pos).Normalized();
    Vector3 up(0.0f, 1.0f, 0.0f);
    up.Rotate(view, bank);
    camera->SetCamera(pos, targ, up);
    camera->Name = name;
    camera->SetFOV(2.0f * ((2400.0f / lens) / 180.0f));
    *out = camera;
    return ObjType_Camera;
}

// The walk of both object loaders inside the main chunk: the editor block
// is entered, every other chunk goes to act, which reads it or skips it
// whole, and returns false to end the walk.
template <typename Act>
void WalkEditor(HANDLE file, Act act)
{
    while (!WalkOver(file)) {
        const ChunkHeader ch = ReadChunk(file);
        if (!ChunkFits(file, ch))
            continue;
        if (ch.id == Chunk_Edit)
            Enter(file, ch);
        else if (!act(ch))
            return;
    }
}

// One write of size bytes; junk is what the platform wrote.
dword Put(HANDLE file, const void* from, dword size)
{
    DWORD junk = 0;
    if (!WriteFile(file, from, size, &junk, nullptr))
        return 0;
    return junk;
}

}  // namespace

// ---------------------------------------------------------------------------
// Primitives

byte ReadByte(HANDLE file)
{
    byte v = 0;
    Fetch(file, &v, 1);
    return v;
}

word ReadWord(HANDLE file)
{
    unsigned char b[2];
    Fetch(file, b, 2);
    return static_cast<word>(b[0] | b[1] << 8);
}

dword ReadDword(HANDLE file)
{
    unsigned char b[4];
    Fetch(file, b, 4);
    return dword(b[0]) | dword(b[1]) << 8 | dword(b[2]) << 16 | dword(b[3]) << 24;
}

float ReadFloat(HANDLE file)
{
    const dword bits = ReadDword(file);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

Vector3 ReadVector(HANDLE file, bool SwapYZ)
{
    const float f1 = ReadFloat(file);
    const float f2 = ReadFloat(file);
    const float f3 = ReadFloat(file);
    return SwapYZ ? Vector3(f1, f3, f2) : Vector3(f1, f2, f3);
}

std::string ReadString(HANDLE file)
{
    std::string s;
    for (;;) {
        const byte c = ReadByte(file);
        if (eof || Overran(file))
            break;
        s.push_back(static_cast<char>(c));
        if (c == 0)
            break;
    }
    return s;
}

ChunkHeader ReadChunk(HANDLE file)
{
    ChunkHeader ch;
    // A header that cannot stand in what is left of its chunk is none (id 0,
    // length 0): ChunkFits then ends the walk there.
    if (const Pass* p = PassOf(file)) {
        const Bound& b = p->bounds.back();
        if (b.overrun || b.end - p->position < 6) {
            BytesRead += 6;
            return ch;
        }
    }
    ch.id = ReadWord(file);
    ch.length = ReadDword(file);
    return ch;
}

Color ReadColor(HANDLE file)
{
    const ChunkHeader ch = ReadChunk(file);
    if (!ChunkFits(file, ch))
        return Color(0.0f, 0.0f, 0.0f, 1.0f);
    ChunkScope scope(file, ch);
    switch (ch.id) {
    case Chunk_Color_24:
    case Chunk_Color_Lin24: {
        const int r = ReadByte(file);
        const int g = ReadByte(file);
        const int b = ReadByte(file);
        return Color(r, g, b, 255);
    }
    case Chunk_Color_Float:
    case Chunk_Color_LinFloat: {
        // Stored as read: the constructors would clamp.
        Color c(0.0f, 0.0f, 0.0f, 1.0f);
        c.r = ReadFloat(file);
        c.g = ReadFloat(file);
        c.b = ReadFloat(file);
        return c;
    }
    default:
        return Color(0.0f, 0.0f, 0.0f, 1.0f);
    }
}

namespace {

// The value of a percentage chunk whose header was just read and fits.
Percent PercentOf(HANDLE file, const ChunkHeader& ch)
{
    ChunkScope scope(file, ch);
    Percent p;
    if (ch.id == Chunk_Percent_Int) {
        const word v = ReadWord(file);
        p.IntPercent = v;
        p.FloatPercent = v / 100.0f;
    } else if (ch.id == Chunk_Percent_Float) {
        const float f = ReadFloat(file);
        p.IntPercent = WholePercent(f);
        p.FloatPercent = f;
    }
    return p;
}

}  // namespace

Percent ReadPercent(HANDLE file)
{
    const ChunkHeader ch = ReadChunk(file);
    if (!ChunkFits(file, ch))
        return Percent();
    return PercentOf(file, ch);
}

void SkipChunk(HANDLE file, const ChunkHeader& ch)
{
    if (!ENGINE_CHECK(ch.length >= 6))
        return;
    BytesRead += ch.length - 6;
    Advance(file, ch.length - 6);
}

void SkipBytes(HANDLE file, std::int32_t n)
{
    // Never back: the walk must always make headway.
    if (!ENGINE_CHECK(n >= 0))
        return;
    BytesRead += static_cast<dword>(n);
    Advance(file, static_cast<dword>(n));
}

// ---------------------------------------------------------------------------
// Objects

std::int32_t ReadObject(HANDLE file, const ChunkHeader& ch, void** out)
{
    if (out == nullptr || LoaderContext == nullptr)
        return ObjType_None;
    *out = nullptr;
    ChunkScope block(file, ch);
    BytesRead = 6;
    const dword refusedBefore = Refused(file);
    const std::string name = ReadString(file);
    if (Refused(file) != refusedBefore) {
        block.End();
        return ObjType_None;
    }
    const ChunkHeader kind = ReadChunk(file);
    if (!ChunkFits(file, kind))
        return ObjType_None;
    std::int32_t type = ObjType_None;
    switch (kind.id) {
    case Chunk_Obj_TriMesh: type = ReadMesh(file, ch, name, out); break;
    case Chunk_Obj_Light: type = ReadLight(file, ch, name, out); break;
    case Chunk_Obj_Camera: type = ReadCamera(file, kind, name, out); break;
    default: return ObjType_None;  // the rest of the block is left to the caller's walk
    }
    // What was refused is skipped whole: the walk goes on after the block.
    if (type == ObjType_None)
        block.End();
    return type;
}

void DestroyObject(std::int32_t type, void* object)
{
    switch (type) {
    case ObjType_Mesh: delete static_cast<Object*>(object); break;
    case ObjType_PointLight:
    case ObjType_SpotLight: delete static_cast<Light*>(object); break;
    case ObjType_Camera: delete static_cast<Camera*>(object); break;
    case ObjType_Curve: delete static_cast<Curve*>(object); break;
    default: break;
    }
}

void AddToScene(Scene& scene, std::int32_t type, void* object)
{
    switch (type) {
    case ObjType_Mesh: scene.AddObject(static_cast<Object*>(object)); break;
    case ObjType_PointLight:
    case ObjType_SpotLight: {
        auto* light = static_cast<Light*>(object);
        scene.AddLight(light);
        if (std::find(std::begin(scene.Lights), std::end(scene.Lights), light) == std::end(scene.Lights))
            delete light;
        break;
    }
    case ObjType_Camera: scene.AddCamera(static_cast<Camera*>(object)); break;
    case ObjType_Curve: scene.AddCurve(static_cast<Curve*>(object)); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------
// Materials

namespace {

// One material block into m; false when the material is not whole: the file
// ends inside it, or a value of it (other than a map's) ran past its chunk.
bool ReadWholeMaterial(HANDLE file, const ChunkHeader& ch, Material& m)
{
    if (!ENGINE_CHECK(ch.id == Chunk_Edit_Material))
        return false;
    ChunkScope block(file, ch);
    BytesRead = 6;
    bool whole = true;
    while (whole && BytesRead < ch.length && !eof) {
        const ChunkHeader sub = ReadChunk(file);
        if (!ChunkFits(file, sub))
            break;
        const dword refusedBefore = Refused(file);
        ChunkScope scope(file, sub);
        switch (sub.id) {
        case Chunk_Mat_Name: m.Name = ReadString(file); break;
        case Chunk_Mat_Ambient: m.Ambient = ReadColor(file); break;
        case Chunk_Mat_Diffuse: m.Diffuse = ReadColor(file); break;
        case Chunk_Mat_Specular: m.Specular = ReadColor(file); break;
        case Chunk_Mat_Shininess:
            m.Power = static_cast<float>(ReadPercent(file).IntPercent);
            if (m.Power > 0.0f)
                m.SpecularEnabled = true;
            break;
        case Chunk_Mat_ShininessStrength: {
            const float f = ReadPercent(file).FloatPercent;
            m.Specular.r *= f;
            m.Specular.g *= f;
            m.Specular.b *= f;
            break;
        }
        case Chunk_Mat_Transparency: m.Alpha = 1.0f - ReadPercent(file).FloatPercent; break;
        case Chunk_Mat_SelfIllumination: m.Emissive = Color(ReadPercent(file).FloatPercent); break;
        default:
            if (IsMapChunk(sub.id)) {
                // A map without its file name is dropped; the material stands.
                const MaterialMap map = ReadMap(file, sub);
                if (map.FileName.empty())
                    break;
                m.SetTexture(LoadMapTexture(map), map.Type);
                if (sub.id == Chunk_Mat_BumpMap)
                    m.BumpStrength = map.Strength;
                else if (sub.id == Chunk_Mat_ReflectionMap)
                    m.ReflectionStrength = map.Strength;
            } else {
                SkipChunk(file, sub);
            }
            break;
        }
        if (!IsMapChunk(sub.id) && Refused(file) != refusedBefore)
            whole = false;
    }
    if (!whole)
        block.End();
    // A material cut off by the end of the file is not a material.
    return ENGINE_CHECK(!eof) && whole;
}

}  // namespace

bool LoadMaterials(const char* FileName, Material** array)
{
    if (array == nullptr)
        return false;
    ScenePass pass(FileName);
    if (!pass.IsOpen())
        return false;
    HANDLE file = pass.File();

    if (!ReadMainChunk(file))
        return false;
    if (!FindChunk(file, Chunk_Edit))
        return false;

    std::vector<Material> mats;
    while (!WalkOver(file)) {
        const ChunkHeader ch = ReadChunk(file);
        if (!ChunkFits(file, ch))
            continue;
        if (ch.id == Chunk_Edit_Material) {
            Material m;
            if (ReadWholeMaterial(file, ch, m))
                mats.push_back(m);
        } else {
            SkipChunk(file, ch);
        }
    }

    MaterialCount = static_cast<dword>(mats.size());
    delete[] *array;
    *array = new Material[MaterialCount];
    for (dword i = 0; i < MaterialCount; ++i)
        (*array)[i] = mats[i];
    return true;
}

bool FindChunk(HANDLE file, word id)
{
    while (!WalkOver(file)) {
        const ChunkHeader ch = ReadChunk(file);
        if (!ChunkFits(file, ch))
            continue;
        if (ch.id == id) {
            // The caller reads on inside it, so reads are held to its end.
            Enter(file, ch);
            return true;
        }
        SkipChunk(file, ch);
    }
    return false;
}

Material ReadMaterial(HANDLE file, const ChunkHeader& ch)
{
    Material m;
    ReadWholeMaterial(file, ch, m);
    return m;
}

// The map's sub-chunks by their ids, in whatever order the exporter wrote
// them: the strength when there is one, the file name wherever it stands.
MaterialMap ReadMap(HANDLE file, const ChunkHeader& ch)
{
    MaterialMap map;
    if (!ENGINE_CHECK(ch.id == Chunk_Mat_TextureMap || ch.id == Chunk_Mat_TextureMap2 || ch.id == Chunk_Mat_OpacityMap || ch.id == Chunk_Mat_BumpMap || ch.id == Chunk_Mat_ReflectionMap || ch.id == Chunk_Mat_SelfIlluminationMap))
        return map;
    switch (ch.id) {
    case Chunk_Mat_TextureMap: map.Type = TextureMap; break;
    case Chunk_Mat_TextureMap2: map.Type = TextureMap2; break;
    case Chunk_Mat_OpacityMap: map.Type = OpacityMap; break;
    case Chunk_Mat_SelfIlluminationMap: map.Type = SelfIlluminationMap; break;
    case Chunk_Mat_BumpMap: map.Type = BumpMap; break;
    default: map.Type = ReflectionMap; break;
    }
    const dword start = BytesRead - 6;
    ChunkHeader chunk;  // the file name chunk, once met
    while (BytesRead - start < ch.length && !eof) {
        const ChunkHeader sub = ReadChunk(file);
        if (!ChunkFits(file, sub))
            break;
        if (sub.id == Chunk_Percent_Int || sub.id == Chunk_Percent_Float) {
            map.Strength = PercentOf(file, sub).FloatPercent;
        } else if (sub.id == Chunk_Map_FileName && chunk.id != Chunk_Map_FileName) {
            chunk = sub;
            ChunkScope scope(file, sub);
            const dword refusedBefore = Refused(file);
            map.FileName = ReadString(file);
            // A name cut off is no name.
            if (Refused(file) != refusedBefore || eof)
                map.FileName.clear();
        } else {
            SkipChunk(file, sub);
        }
    }
    // Without its file name the map cannot be placed.
    if (!ENGINE_CHECK(chunk.id == Chunk_Map_FileName))
        map.FileName.clear();
    return map;
}

Material* FindMaterial(std::string Name)
{
    for (dword i = 0; i < MaterialCount; ++i)
        if (MaterialArray[i].Name == Name)
            return &MaterialArray[i];
    return nullptr;
}

// ---------------------------------------------------------------------------
// The normals side file

bool WriteByte(HANDLE file, byte v)
{
    return Put(file, &v, 1) == 1;
}

bool WriteDword(HANDLE file, dword v)
{
    const unsigned char b[4] = {byte(v), byte(v >> 8), byte(v >> 16), byte(v >> 24)};
    const dword junk = Put(file, b, 4);
    return ENGINE_CHECK(junk == sizeof(dword));
}

bool WriteFloat(HANDLE file, float v)
{
    dword bits;
    std::memcpy(&bits, &v, sizeof bits);
    const unsigned char b[4] = {byte(bits), byte(bits >> 8), byte(bits >> 16), byte(bits >> 24)};
    const dword junk = Put(file, b, 4);
    return ENGINE_CHECK(junk == sizeof(float));
}

bool WriteString(HANDLE file, const std::string& s)
{
    const dword junk = Put(file, s.data(), static_cast<dword>(s.size()));
    return ENGINE_CHECK(junk == s.size());
}

namespace {

// One object's record: its name up to and with its zero (the reader stops
// at the first zero, so that is all of the name it can match), the vertex
// count of level 0 and the normals.
bool WriteNormalsRecord(HANDLE file, Object& object)
{
    TriMesh* mesh = object.GetTriMesh();
    const dword count = mesh->GetVertexCount(0);
    const Vertex* v = mesh->GetVertexArray(0);
    if (!WriteString(file, std::string(object.Name.c_str(), std::strlen(object.Name.c_str()) + 1)) ||
        !WriteDword(file, count))
        return false;
    for (dword i = 0; i < count; ++i)
        if (!WriteFloat(file, v[i].Normal.x) || !WriteFloat(file, v[i].Normal.y) || !WriteFloat(file, v[i].Normal.z))
            return false;
    return true;
}

}  // namespace

void SaveNormals(const char* FileName, Scene* scene)
{
    if (FileName == nullptr || scene == nullptr)
        return;
    HANDLE out = CreateFileA(FileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool file = out != INVALID_HANDLE_VALUE;
    if (!ENGINE_CHECK(file))
        return;
    const std::vector<Object*>& objects = scene->GetObjectsList();
    bool written = WriteDword(out, static_cast<dword>(objects.size()));
    for (std::size_t i = 0; written && i < objects.size(); ++i)
        written = WriteNormalsRecord(out, *objects[i]);
    CloseHandle(out);
    // A shorter file could be taken for another scene's: none at all.
    if (!written)
        DeleteFileA(FileName);
}

bool LoadNormals(const char* FileName, Scene* scene)
{
    if (FileName == nullptr || scene == nullptr)
        return false;
    ScenePass pass(FileName);
    if (!pass.IsOpen())
        return false;
    HANDLE file = pass.File();
    BytesRead = 0;
    const dword size = pass.Size();

    const std::vector<Object*>& objects = scene->GetObjectsList();
    if (size < 4 || ReadDword(file) != objects.size())
        return false;
    // Every object once: a record twice, or one missing, leaves an object
    // without its normals.
    std::vector<const Object*> done;
    while (BytesRead < size) {
        const std::string name = ReadString(file);
        if (eof || name.empty() || name.back() != '\0' || size - BytesRead < 4)
            return false;
        const dword count = ReadDword(file);
        Object* object = scene->GetObject(name.c_str());
        if (object == nullptr || std::find(done.begin(), done.end(), object) != done.end())
            return false;
        TriMesh* mesh = object->GetTriMesh();
        // The count is checked against the mesh and the file before any of
        // it is read.
        if (count != mesh->GetVertexCount(0) || std::uint64_t(size - BytesRead) < 12ull * count)
            return false;
        Vertex* v = mesh->GetModVertexArray();
        for (dword i = 0; i < count; ++i)
            v[i].Normal = ReadVector(file, false);
        done.push_back(object);
    }
    return done.size() == objects.size();
}

// ---------------------------------------------------------------------------
// Set-up and objects by name

void SetGraphicsContext(GraphicsContext* gc)
{
    LoaderContext = gc;
}

void SetDataPath(const char* path)
{
    DataPath = path != nullptr ? path : "";
}

void SetNormalFileSaving(bool save)
{
    SaveNormalFiles = save;
}

bool LoadObject(const char* FileName, const char* Name, Object** out)
{
    if (LoaderContext == nullptr || out == nullptr || Name == nullptr)
        return false;
    if (!LoadMaterials(FileName, &MaterialArray))
        return false;
    ScenePass pass(FileName);
    if (!pass.IsOpen())
        return false;
    HANDLE file = pass.File();

    if (!ReadMainChunk(file))
        return false;

    bool found = false;
    WalkEditor(file, [&](const ChunkHeader& ch) {
        if (ch.id != Chunk_Edit_Object) {
            SkipChunk(file, ch);
            return true;
        }
        void* objptr = nullptr;
        const std::int32_t type = ReadObject(file, ch, &objptr);
        if (type == ObjType_Mesh) {
            auto* object = static_cast<Object*>(objptr);
            if (std::strcmp(object->Name.c_str(), Name) == 0) {
                object->GetTriMesh()->CalculateNormals();
                *out = object;
                found = true;
                return false;
            }
        }
        DestroyObject(type, objptr);
        return true;
    });
    return found;
}

bool LoadScene(const char* FileName, Scene** out)
{
    if (LoaderContext == nullptr || out == nullptr)
        return false;
    if (!LoadMaterials(FileName, &MaterialArray))
        return false;
    auto scene = std::make_unique<Scene>(LoaderContext);
    {
        ScenePass pass(FileName);
        if (!pass.IsOpen())
            return false;
        HANDLE file = pass.File();
        SceneFileName = FileName;
        if (!ReadMainChunk(file))
            return false;

        WalkEditor(file, [&](const ChunkHeader& ch) {
            switch (ch.id) {
            case Chunk_Edit_AmbientLight: {
                ChunkScope scope(file, ch);
                scene->SetAmbientLight(ReadColor(file));
                break;
            }
            case Chunk_Edit_Object: {
                void* objptr = nullptr;
                const std::int32_t type = ReadObject(file, ch, &objptr);
                AddToScene(*scene, type, objptr);
                break;
            }
            default:
                // The fog chunk among them: its leading values are no chunk
                // headers, and nothing here feeds the scene's fog.
                SkipChunk(file, ch);
                break;
            }
            return true;
        });
    }

    const std::string normals = SceneFileName + ".normals";
    if (LoadNormals(normals.c_str(), scene.get())) {
        // The side file holds the vertex normals only; the shadow volumes
        // need the triangles' own.
        for (Object* object : scene->GetObjectsList())
            object->GetTriMesh()->CalculateFaceNormals();
    } else {
        for (Object* object : scene->GetObjectsList())
            object->GetTriMesh()->CalculateNormals();
        if (SaveNormalFiles)
            SaveNormals(normals.c_str(), scene.get());
    }
    *out = scene.release();
    return true;
}

}  // namespace SceneLoader
