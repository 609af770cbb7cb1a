#include "tools/tds_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace tds {

void ChunkWriter::Byte(std::uint8_t v)
{
    bytes_.push_back(v);
}

void ChunkWriter::Word(std::uint16_t v)
{
    Byte(std::uint8_t(v & 0xFF));
    Byte(std::uint8_t(v >> 8));
}

void ChunkWriter::Dword(std::uint32_t v)
{
    Word(std::uint16_t(v & 0xFFFF));
    Word(std::uint16_t(v >> 16));
}

void ChunkWriter::Float(float v)
{
    Dword(std::bit_cast<std::uint32_t>(v));
}

void ChunkWriter::String(std::string_view s)
{
    for (char c : s)
        Byte(std::uint8_t(c));
    Byte(0);
}

void ChunkWriter::Vector(const Vector3& v)
{
    Float(v.x);
    Float(v.z);
    Float(v.y);
}

void ChunkWriter::Bytes(const std::vector<std::uint8_t>& bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ChunkWriter::BeginChunk(std::uint16_t id)
{
    open_.push_back(bytes_.size());
    Word(id);
    Dword(0);
}

void ChunkWriter::EndChunk()
{
    if (open_.empty())
        throw std::logic_error("EndChunk without BeginChunk");
    const std::size_t start = open_.back();
    open_.pop_back();
    const std::size_t length = bytes_.size() - start;
    if (length > 0xFFFFFFFFu)
        throw std::length_error("3DS chunk longer than 4 GiB");
    for (int i = 0; i < 4; ++i)
        bytes_[start + 2 + i] = std::uint8_t(length >> (8 * i));
}

void ChunkWriter::Header(std::uint16_t id, std::uint32_t length)
{
    Word(id);
    Dword(length);
}

const std::vector<std::uint8_t>& ChunkWriter::Result() const
{
    if (!open_.empty())
        throw std::logic_error("3DS chunk left open");
    return bytes_;
}

namespace {

std::uint8_t ColorByte(float c)
{
    return std::uint8_t(std::lround(std::clamp(c, 0.0f, 1.0f) * 255.0f));
}

std::uint16_t Count(std::size_t n, const char* what)
{
    if (n > 0xFFFF)
        throw std::length_error(std::string("3DS ") + what + " count above 65535");
    return std::uint16_t(n);
}

}  // namespace

void WriteColor(ChunkWriter& w, const Rgb& c, ColorForm form)
{
    switch (form) {
    case ColorForm::Bytes24:
    case ColorForm::Linear24:
        w.BeginChunk(form == ColorForm::Bytes24 ? Chunk_Color_24 : Chunk_Color_Lin24);
        w.Byte(ColorByte(c.r));
        w.Byte(ColorByte(c.g));
        w.Byte(ColorByte(c.b));
        break;
    case ColorForm::Float:
    case ColorForm::LinearFloat:
        w.BeginChunk(form == ColorForm::Float ? Chunk_Color_Float : Chunk_Color_LinFloat);
        w.Float(c.r);
        w.Float(c.g);
        w.Float(c.b);
        break;
    }
    w.EndChunk();
}

void WritePercent(ChunkWriter& w, const Percent& p)
{
    if (p.form == Percent::Form::Int) {
        w.BeginChunk(Chunk_Percent_Int);
        w.Word(std::uint16_t(std::lround(std::clamp(p.value, 0.0f, 65535.0f))));
    } else {
        w.BeginChunk(Chunk_Percent_Float);
        w.Float(p.value);
    }
    w.EndChunk();
}

void WriteMap(ChunkWriter& w, const TextureMap& map)
{
    w.BeginChunk(map.id);
    WritePercent(w, map.strength);
    w.BeginChunk(Chunk_Map_FileName);
    w.String(map.fileName);
    w.EndChunk();
    w.EndChunk();
}

void WriteMaterial(ChunkWriter& w, const MaterialData& m)
{
    w.BeginChunk(Chunk_Edit_Material);
    w.BeginChunk(Chunk_Mat_Name);
    w.String(m.name);
    w.EndChunk();

    auto color = [&](std::uint16_t id, const std::optional<Rgb>& c) {
        if (!c)
            return;
        w.BeginChunk(id);
        WriteColor(w, *c, m.colorForm);
        w.EndChunk();
    };
    auto percent = [&](std::uint16_t id, const std::optional<Percent>& p) {
        if (!p)
            return;
        w.BeginChunk(id);
        WritePercent(w, *p);
        w.EndChunk();
    };
    color(Chunk_Mat_Ambient, m.ambient);
    color(Chunk_Mat_Diffuse, m.diffuse);
    color(Chunk_Mat_Specular, m.specular);
    percent(Chunk_Mat_Shininess, m.shininess);
    percent(Chunk_Mat_ShininessStrength, m.shininessStrength);
    percent(Chunk_Mat_Transparency, m.transparency);
    percent(Chunk_Mat_SelfIllumination, m.selfIllumination);
    for (const TextureMap& map : m.maps)
        WriteMap(w, map);
    w.EndChunk();
}

void WriteMesh(ChunkWriter& w, const MeshData& m)
{
    w.BeginChunk(Chunk_Edit_Object);
    w.String(m.name);
    w.BeginChunk(Chunk_Obj_TriMesh);

    w.BeginChunk(Chunk_TriMesh_VertexList);
    w.Word(Count(m.vertices.size(), "vertex"));
    for (const Vector3& v : m.vertices)
        w.Vector(v);
    w.EndChunk();

    if (!m.texCoords.empty()) {
        w.BeginChunk(Chunk_TriMesh_TexCoords);
        w.Word(Count(m.texCoords.size(), "texture coordinate"));
        for (const Vector2& t : m.texCoords) {
            w.Float(t.x);
            w.Float(-t.y);
        }
        w.EndChunk();
    }

    if (m.axes) {
        // The file's Y and Z axes change places along with the components.
        w.BeginChunk(Chunk_TriMesh_LocalAxes);
        w.Vector(m.axes->i);
        w.Vector(m.axes->k);
        w.Vector(m.axes->j);
        w.Vector(m.axes->origin);
        w.EndChunk();
    }

    if (!m.faces.empty() || m.emptyFaceList) {
        w.BeginChunk(Chunk_TriMesh_FaceList);
        w.Word(Count(m.faces.size(), "face"));
        for (const Face& f : m.faces) {
            w.Word(f.a);
            w.Word(f.c);
            w.Word(f.b);
            w.Word(f.flags);
        }
        if (!m.material.empty() && !m.faces.empty()) {
            w.BeginChunk(Chunk_TriMesh_MaterialGroup);
            w.String(m.material);
            w.Word(Count(m.faces.size(), "face"));
            for (std::size_t i = 0; i < m.faces.size(); ++i)
                w.Word(std::uint16_t(i));
            w.EndChunk();
        }
        w.EndChunk();
    }

    w.EndChunk();
    w.EndChunk();
}

void WriteLight(ChunkWriter& w, const LightData& l)
{
    w.BeginChunk(Chunk_Edit_Object);
    w.String(l.name);
    w.BeginChunk(Chunk_Obj_Light);
    w.Vector(l.position);
    WriteColor(w, l.color, l.colorForm);
    if (l.spot) {
        w.BeginChunk(Chunk_Light_Spot);
        w.Vector(l.spot->target);
        w.Float(l.spot->hotspot);
        w.Float(l.spot->falloff);
        w.EndChunk();
    }
    if (l.shadowed) {
        w.BeginChunk(Chunk_Light_Shadowed);
        w.EndChunk();
    }
    if (l.outerRange) {
        w.BeginChunk(Chunk_Light_OuterRange);
        w.Float(*l.outerRange);
        w.EndChunk();
    }
    if (l.multiplier) {
        w.BeginChunk(Chunk_Light_Multiplier);
        w.Float(*l.multiplier);
        w.EndChunk();
    }
    w.EndChunk();
    w.EndChunk();
}

void WriteCamera(ChunkWriter& w, const CameraData& c)
{
    w.BeginChunk(Chunk_Edit_Object);
    w.String(c.name);
    w.BeginChunk(Chunk_Obj_Camera);
    w.Vector(c.position);
    w.Vector(c.target);
    w.Float(c.bank);
    w.Float(c.lens);
    w.EndChunk();
    w.EndChunk();
}

std::vector<std::uint8_t> SceneFile::Build() const
{
    ChunkWriter w;
    w.BeginChunk(Chunk_Main);
    w.BeginChunk(Chunk_Edit);
    if (ambient) {
        w.BeginChunk(Chunk_Edit_AmbientLight);
        WriteColor(w, *ambient, ColorForm::Float);
        w.EndChunk();
    }
    for (const MaterialData& m : materials)
        WriteMaterial(w, m);
    for (const MeshData& m : meshes)
        WriteMesh(w, m);
    for (const LightData& l : lights)
        WriteLight(w, l);
    for (const CameraData& c : cameras)
        WriteCamera(w, c);
    w.EndChunk();
    w.EndChunk();
    return w.Result();
}

bool SaveFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

}  // namespace tds
