#include "tds_decode.h"

#include <bit>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tds_test {

namespace {

struct Cursor
{
    const std::vector<std::uint8_t>& bytes;
    std::size_t pos;
    std::size_t end;

    void Need(std::size_t n) const
    {
        if (end - pos < n)
            throw std::runtime_error("value runs past its chunk at " + std::to_string(pos));
    }
    std::uint8_t Byte()
    {
        Need(1);
        return bytes[pos++];
    }
    std::uint16_t Word()
    {
        const std::uint16_t lo = Byte();
        return std::uint16_t(lo | (Byte() << 8));
    }
    std::uint32_t Dword()
    {
        const std::uint32_t lo = Word();
        return lo | (std::uint32_t(Word()) << 16);
    }
    float Float() { return std::bit_cast<float>(Dword()); }
    Vector3 Vector()
    {
        const float x = Float(), y = Float(), z = Float();
        return Vector3(x, z, y);
    }
    std::string String()
    {
        std::string s;
        for (char c; (c = char(Byte())) != 0;)
            s += c;
        return s;
    }
};

struct Chunk
{
    std::uint16_t id;
    std::size_t start, end;  // content after the header, and the chunk's end
};

Chunk Header(Cursor& c)
{
    const std::size_t at = c.pos;
    const std::uint16_t id = c.Word();
    const std::uint32_t length = c.Dword();
    if (length < 6 || length > c.end - at)
        throw std::runtime_error("chunk length out of its parent at " + std::to_string(at));
    return Chunk{id, c.pos, at + length};
}

// Calls visit for each chunk from c.pos to c.end; visit reads the chunk's
// own data and may walk its sub-chunks.
template <class Visit>
void Walk(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to, Visit visit)
{
    Cursor c{bytes, from, to};
    while (c.pos < c.end) {
        const Chunk ch = Header(c);
        Cursor inner{bytes, ch.start, ch.end};
        visit(ch, inner);
        c.pos = ch.end;
    }
}

// The six map chunks of a material: texture, second texture, opacity,
// bump, reflection and self-illumination.
bool IsMap(std::uint16_t id)
{
    return id == 0xA200 || id == 0xA33A || id == 0xA210 || id == 0xA230 || id == 0xA220 || id == 0xA33D;
}

void DecodeMesh(const std::vector<std::uint8_t>& bytes, Cursor& c, DecodedMesh& m)
{
    Walk(bytes, c.pos, c.end, [&](const Chunk& ch, Cursor& in) {
        switch (ch.id) {
        case 0x4110:
            for (std::uint16_t n = in.Word(); n > 0; --n)
                m.vertices.push_back(in.Vector());
            break;
        case 0x4140:
            for (std::uint16_t n = in.Word(); n > 0; --n) {
                const float u = in.Float(), v = in.Float();
                m.texCoords.emplace_back(u, -v);
            }
            break;
        case 0x4160:
            m.hasAxes = true;
            m.i = in.Vector();
            m.k = in.Vector();
            m.j = in.Vector();
            m.origin = in.Vector();
            break;
        case 0x4120:
            for (std::uint16_t n = in.Word(); n > 0; --n) {
                const std::uint16_t a = in.Word(), b = in.Word(), cc = in.Word();
                in.Word();
                m.faces.push_back({a, cc, b});
            }
            Walk(bytes, in.pos, in.end, [&](const Chunk& sub, Cursor& group) {
                if (sub.id == 0x4130)
                    m.material = group.String();
            });
            break;
        default:
            break;
        }
    });
}

}  // namespace

const DecodedMesh* DecodedScene::Mesh(const std::string& name) const
{
    for (const DecodedMesh& m : meshes)
        if (m.name == name)
            return &m;
    return nullptr;
}

const DecodedMaterial* DecodedScene::Material(const std::string& name) const
{
    for (const DecodedMaterial& m : materials)
        if (m.name == name)
            return &m;
    return nullptr;
}

DecodedScene Decode(const std::vector<std::uint8_t>& bytes)
{
    DecodedScene scene;
    try {
        Cursor top{bytes, 0, bytes.size()};
        const Chunk main = Header(top);
        if (main.id != 0x4D4D || main.end != bytes.size())
            throw std::runtime_error("the main chunk is not the whole file");
        Walk(bytes, main.start, main.end, [&](const Chunk& ch, Cursor&) {
            if (ch.id != 0x3D3D)
                return;
            Walk(bytes, ch.start, ch.end, [&](const Chunk& block, Cursor& in) {
                if (block.id == 0xAFFF) {
                    DecodedMaterial mat;
                    Walk(bytes, in.pos, in.end, [&](const Chunk& sub, Cursor& s) {
                        if (sub.id == 0xA000)
                            mat.name = s.String();
                        if (IsMap(sub.id)) {
                            Walk(bytes, s.pos, s.end, [&](const Chunk& m, Cursor& f) {
                                if (m.id == 0xA300)
                                    mat.mapFiles[sub.id] = f.String();
                            });
                        }
                    });
                    scene.materials.push_back(mat);
                } else if (block.id == 0x4000) {
                    DecodedMesh mesh;
                    mesh.name = in.String();
                    Walk(bytes, in.pos, in.end, [&](const Chunk& obj, Cursor& o) {
                        if (obj.id == 0x4100)
                            DecodeMesh(bytes, o, mesh);
                    });
                    scene.meshes.push_back(mesh);
                }
            });
        });
    } catch (const std::exception& e) {
        scene.error = e.what();
    }
    return scene;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tds_test
