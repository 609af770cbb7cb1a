#include "tests/support/case_print.h"
#include "tools/tds_writer.h"

#include <gtest/gtest.h>

#include <ostream>

#include <bit>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Expected bytes, spelled out little-endian.
struct Expect
{
    Bytes b;
    Expect& W(std::uint16_t v)
    {
        b.push_back(std::uint8_t(v));
        b.push_back(std::uint8_t(v >> 8));
        return *this;
    }
    Expect& D(std::uint32_t v)
    {
        W(std::uint16_t(v));
        return W(std::uint16_t(v >> 16));
    }
    Expect& F(float f) { return D(std::bit_cast<std::uint32_t>(f)); }
    Expect& B(std::initializer_list<std::uint8_t> v)
    {
        b.insert(b.end(), v);
        return *this;
    }
    Expect& S(const std::string& s)
    {
        b.insert(b.end(), s.begin(), s.end());
        b.push_back(0);
        return *this;
    }
    Expect& H(std::uint16_t id, std::uint32_t length) { return W(id).D(length); }
};

struct LayoutCase
{
    const char* name;
    const char* what;
    std::function<void(tds::ChunkWriter&)> write;
    Bytes expected;
};

// Test listings name a case by what it checks, not by its bytes.
void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << c.name << ": " << c.what;
}

tds::MeshData OneFace()
{
    tds::MeshData m;
    m.name = "Box01";
    m.vertices = {Vector3(1, 2, 3), Vector3(4, 5, 6), Vector3(7, 8, 9)};
    m.faces = {tds::Face{0, 1, 2, 7}};
    return m;
}

class LayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, WritesTheBytesTheReaderExpects)
{
    SCOPED_TRACE(GetParam().what);
    tds::ChunkWriter w;
    GetParam().write(w);
    EXPECT_EQ(w.Result(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, LayoutTest,
    testing::Values(
        LayoutCase{"ChunkLengthCountsHeaderAndSubChunks", "a chunk's length counts its header and its sub-chunks",
                   [](tds::ChunkWriter& w) {
                       w.BeginChunk(0x3D3D);
                       w.BeginChunk(0x1234);
                       w.Byte(0xAB);
                       w.EndChunk();
                       w.EndChunk();
                   },
                   Expect().H(0x3D3D, 13).H(0x1234, 7).B({0xAB}).b},
        LayoutCase{"HeaderOfTheCallersOwnLength", "a header of the caller's own length stays as written",
                   [](tds::ChunkWriter& w) { w.Header(0x4D4D, 3); },
                   Expect().H(0x4D4D, 3).b},
        LayoutCase{"NameKeepsItsZero", "a name keeps its terminating zero",
                   [](tds::ChunkWriter& w) { w.String("Box01"); },
                   Expect().B({'B', 'o', 'x', '0', '1', 0}).b},
        LayoutCase{"VectorExchangesYAndZ", "vectors exchange their second and third values",
                   [](tds::ChunkWriter& w) { w.Vector(Vector3(1, 2, 3)); },
                   Expect().F(1).F(3).F(2).b},
        LayoutCase{"Mesh", "a mesh: name, vertex list exchanged, face corners 2 and 3 exchanged",
                   [](tds::ChunkWriter& w) { tds::WriteMesh(w, OneFace()); },
                   Expect()
                       .H(0x4000, 6 + 6 + 6 + 44 + 16)
                       .S("Box01")
                       .H(0x4100, 6 + 44 + 16)
                       .H(0x4110, 6 + 2 + 36)
                       .W(3)
                       .F(1).F(3).F(2)
                       .F(4).F(6).F(5)
                       .F(7).F(9).F(8)
                       .H(0x4120, 6 + 2 + 8)
                       .W(1)
                       .W(0).W(2).W(1).W(7)
                       .b},
        LayoutCase{"TextureVAndLocalAxes", "texture v is negated; local axes are X, file Y (engine k), file Z (engine j), origin",
                   [](tds::ChunkWriter& w) {
                       tds::MeshData m;
                       m.name = "P";
                       m.vertices = {Vector3(0, 0, 0)};
                       m.texCoords = {Vector2(0.25f, 0.75f)};
                       m.axes = tds::LocalAxes{Vector3(1, 2, 3), Vector3(4, 5, 6), Vector3(7, 8, 9),
                                               Vector3(10, 11, 12)};
                       tds::WriteMesh(w, m);
                   },
                   Expect()
                       .H(0x4000, 6 + 2 + 6 + 20 + 16 + 54)
                       .S("P")
                       .H(0x4100, 6 + 20 + 16 + 54)
                       .H(0x4110, 20).W(1).F(0).F(0).F(0)
                       .H(0x4140, 16).W(1).F(0.25f).F(-0.75f)
                       .H(0x4160, 54)
                       .F(1).F(3).F(2)
                       .F(7).F(9).F(8)
                       .F(4).F(6).F(5)
                       .F(10).F(12).F(11)
                       .b},
        LayoutCase{"MaterialGroupInsideTheFaceList", "a material group follows the faces inside the face list",
                   [](tds::ChunkWriter& w) {
                       tds::MeshData m = OneFace();
                       m.material = "Wood";
                       tds::WriteMesh(w, m);
                   },
                   Expect()
                       .H(0x4000, 6 + 6 + 6 + 44 + 16 + 15)
                       .S("Box01")
                       .H(0x4100, 6 + 44 + 16 + 15)
                       .H(0x4110, 44).W(3)
                       .F(1).F(3).F(2).F(4).F(6).F(5).F(7).F(9).F(8)
                       .H(0x4120, 16 + 15).W(1).W(0).W(2).W(1).W(7)
                       .H(0x4130, 15).S("Wood").W(1).W(0)
                       .b},
        LayoutCase{"EmptyFaceList", "an empty face list makes a mesh without faces, a material or not",
                   [](tds::ChunkWriter& w) {
                       tds::MeshData m;
                       m.name = "E";
                       m.vertices = {Vector3(1, 2, 3)};
                       m.material = "Wood";
                       m.emptyFaceList = true;
                       tds::WriteMesh(w, m);
                   },
                   Expect()
                       .H(0x4000, 6 + 2 + 6 + 20 + 8)
                       .S("E")
                       .H(0x4100, 6 + 20 + 8)
                       .H(0x4110, 20).W(1).F(1).F(3).F(2)
                       .H(0x4120, 8).W(0)
                       .b},
        LayoutCase{"Colour24BitRounds", "a 24-bit colour rounds to bytes",
                   [](tds::ChunkWriter& w) { tds::WriteColor(w, {1.0f, 0.5019608f, 0.0f}); },
                   Expect().H(0x0011, 9).B({255, 128, 0}).b},
        LayoutCase{"FloatColourUnclamped", "a float colour is written unclamped",
                   [](tds::ChunkWriter& w) {
                       tds::WriteColor(w, {2.0f, -1.0f, 0.5f}, tds::ColorForm::Float);
                   },
                   Expect().H(0x0010, 18).F(2).F(-1).F(0.5f).b},
        LayoutCase{"GammaCorrectedColours", "the gamma-corrected forms have their own ids",
                   [](tds::ChunkWriter& w) {
                       tds::WriteColor(w, {0, 0, 1}, tds::ColorForm::Linear24);
                       tds::WriteColor(w, {0, 0, 1}, tds::ColorForm::LinearFloat);
                   },
                   Expect().H(0x0012, 9).B({0, 0, 255}).H(0x0013, 18).F(0).F(0).F(1).b},
        LayoutCase{"IntegerPercentage", "an integer percentage is a word of whole percent",
                   [](tds::ChunkWriter& w) { tds::WritePercent(w, tds::Percent::Int(75)); },
                   Expect().H(0x0030, 8).W(75).b},
        LayoutCase{"FloatPercentage", "a float percentage is a fraction",
                   [](tds::ChunkWriter& w) { tds::WritePercent(w, tds::Percent::Fraction(0.339f)); },
                   Expect().H(0x0031, 10).F(0.339f).b},
        LayoutCase{"Map", "a map: strength first, then the file name",
                   [](tds::ChunkWriter& w) {
                       tds::WriteMap(w, {tds::Chunk_Mat_BumpMap, tds::Percent::Int(30), "bump.png"});
                   },
                   Expect().H(0xA230, 6 + 8 + 15).H(0x0030, 8).W(30).H(0xA300, 15).S("bump.png").b},
        LayoutCase{"Material", "a material: name, colours, shininess after the specular colour",
                   [](tds::ChunkWriter& w) {
                       tds::MaterialData m;
                       m.name = "M";
                       m.specular = tds::Rgb{1, 1, 1};
                       m.shininess = tds::Percent::Int(25);
                       m.shininessStrength = tds::Percent::Int(50);
                       m.transparency = tds::Percent::Int(40);
                       tds::WriteMaterial(w, m);
                   },
                   Expect()
                       .H(0xAFFF, 6 + 8 + 15 + 14 + 14 + 14)
                       .H(0xA000, 8).S("M")
                       .H(0xA030, 15).H(0x0011, 9).B({255, 255, 255})
                       .H(0xA040, 14).H(0x0030, 8).W(25)
                       .H(0xA041, 14).H(0x0030, 8).W(50)
                       .H(0xA050, 14).H(0x0030, 8).W(40)
                       .b},
        LayoutCase{"SpotLight", "a spot light: position, colour, then the spot's target, hotspot and falloff",
                   [](tds::ChunkWriter& w) {
                       tds::LightData l;
                       l.name = "L";
                       l.position = Vector3(1, 2, 3);
                       l.color = {1, 0.5f, 0};
                       l.spot = tds::SpotData{Vector3(4, 5, 6), 30, 45};
                       l.shadowed = true;
                       l.multiplier = 2.0f;
                       tds::WriteLight(w, l);
                   },
                   Expect()
                       .H(0x4000, 6 + 2 + 6 + 12 + 18 + 26 + 6 + 10)
                       .S("L")
                       .H(0x4600, 6 + 12 + 18 + 26 + 6 + 10)
                       .F(1).F(3).F(2)
                       .H(0x0010, 18).F(1).F(0.5f).F(0)
                       .H(0x4610, 26).F(4).F(6).F(5).F(30).F(45)
                       .H(0x4630, 6)
                       .H(0x465B, 10).F(2)
                       .b},
        LayoutCase{"Camera", "a camera: position, target, bank, lens",
                   [](tds::ChunkWriter& w) {
                       tds::WriteCamera(w, {"C", Vector3(0, 100, -100), Vector3(0, 0, 0), 0, 50});
                   },
                   Expect()
                       .H(0x4000, 6 + 2 + 6 + 32)
                       .S("C")
                       .H(0x4700, 38)
                       .F(0).F(-100).F(100)
                       .F(0).F(0).F(0)
                       .F(0).F(50)
                       .b}),
    testsupport::NameOfCase());

TEST(SceneFileTest, NestsMaterialsAndObjectsInTheEditorBlockUnderTheMainChunk)
{
    tds::SceneFile file;
    file.ambient = tds::Rgb{0.1f, 0.2f, 0.3f};
    tds::MaterialData m;
    m.name = "A";
    file.materials.push_back(m);
    tds::MeshData path;
    path.name = "Path";
    path.vertices = {Vector3(1, 2, 3)};
    file.meshes.push_back(path);

    const Bytes expected = Expect()
                               .H(0x4D4D, 6 + 6 + 24 + 14 + 37)
                               .H(0x3D3D, 6 + 24 + 14 + 37)
                               .H(0x2100, 24).H(0x0010, 18).F(0.1f).F(0.2f).F(0.3f)
                               .H(0xAFFF, 14).H(0xA000, 8).S("A")
                               .H(0x4000, 37).S("Path")
                               .H(0x4100, 6 + 20).H(0x4110, 20).W(1).F(1).F(3).F(2)
                               .b;
    EXPECT_EQ(file.Build(), expected);
}

TEST(ChunkWriterTest, RefusesUnbalancedChunksAndCountsTheFormatCannotHold)
{
    tds::ChunkWriter unopened;
    EXPECT_THROW(unopened.EndChunk(), std::logic_error);

    tds::ChunkWriter open;
    open.BeginChunk(0x4D4D);
    EXPECT_THROW(open.Result(), std::logic_error);

    tds::MeshData big;
    big.name = "Big";
    big.vertices.resize(65536);
    tds::ChunkWriter w;
    EXPECT_THROW(tds::WriteMesh(w, big), std::length_error);
}

}  // namespace
