// Vertex shaders: vs.1.1 text assembled into the documented tokens, run on
// the device against the engine's declaration, with its constants; syntax
// errors reported with their line; handles and tokens the device refuses.

#include <cstdio>
#include <filesystem>
#include <string>

#include "device_fixture.h"
#include "platform/d3d/d3dx8.h"
#include "tests/support/case_print.h"
#include "tests/support/temp_dir.h"

namespace {
using namespace d3dtest;

// The engine's declaration of its 68-byte vertex.
const DWORD kDeclaration[] = {0x20000000, 0x40020000, 0x40000001, 0x40050002, 0x40020003, 0x40040005,
                              0x40010007, 0x40010008, 0x40010009, 0x4001000A, 0xFFFFFFFF};

void WriteShader(const std::string& path, const std::string& text)
{
    if (FILE* f = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

struct Assembled
{
    HRESULT hr = 0;
    std::vector<DWORD> tokens, constants;
    std::string errors;
};

Assembled Assemble(const std::string& name, const std::string& text)
{
    const testsupport::TempDir temp;
    const std::string path = temp.File(name + ".vsh");
    WriteShader(path, text);
    LPD3DXBUFFER code = nullptr, constants = nullptr, errors = nullptr;
    Assembled a;
    a.hr = D3DXAssembleShaderFromFileA(path.c_str(), 0, &constants, &code, &errors);
    if (code)
    {
        const auto* p = static_cast<const DWORD*>(code->GetBufferPointer());
        a.tokens.assign(p, p + code->GetBufferSize() / 4);
        code->Release();
    }
    if (constants)
    {
        const auto* p = static_cast<const DWORD*>(constants->GetBufferPointer());
        a.constants.assign(p, p + constants->GetBufferSize() / 4);
        constants->Release();
    }
    if (errors)
    {
        a.errors = static_cast<const char*>(errors->GetBufferPointer());
        errors->Release();
    }
    return a;
}

TEST(VertexShaderAssembler, TokensFollowTheDocumentedEncoding)
{
    const Assembled a = Assemble("encoding", "vs.1.1\n"
                                             "mov oPos, v0\n"
                                             "mad r1.xy, -c[a0.x + 3].yzwx, v1.x, r2\n"
                                             "def c7, 1.0, -2, 0.5, 0\n"
                                             "mov oT2.xy, c95\n");
    ASSERT_EQ(a.hr, D3D_OK) << a.errors;
    const DWORD expected[] = {
        0xFFFE0101,                                     // vs.1.1
        1, 0xC00F0000, 0x90E40000,                      // mov oPos, v0
        4, 0x80030001, 0xA1392003, 0x90000001, 0x80E40002,  // mad
        81, 0xA00F0007, 0x3F800000, 0xC0000000, 0x3F000000, 0x00000000,  // def
        1, 0xE0030002, 0xA0E4005F,                      // mov oT2.xy, c95
        0x0000FFFF};
    ASSERT_EQ(a.tokens.size(), std::size(expected));
    for (std::size_t i = 0; i < a.tokens.size(); ++i)
        EXPECT_EQ(a.tokens[i], expected[i]) << "token " << i;
    // The def also comes as a declaration fragment.
    const DWORD fragment[] = {0x82000007, 0x3F800000, 0xC0000000, 0x3F000000, 0x00000000};
    ASSERT_EQ(a.constants.size(), std::size(fragment));
    for (std::size_t i = 0; i < a.constants.size(); ++i)
        EXPECT_EQ(a.constants[i], fragment[i]);
}

struct SyntaxCase
{
    const char* name;
    const char* text;
    const char* line;
    const char* reason;
};

void PrintTo(const SyntaxCase& c, std::ostream* os)
{
    *os << c.name << ": " << testsupport::Quoted{c.text} << " fails at " << c.line << " with "
        << testsupport::Quoted{c.reason};
}

class SyntaxErrors : public ::testing::TestWithParam<SyntaxCase>
{
};

TEST_P(SyntaxErrors, FailWithTheLineAndAReason)
{
    const auto& c = GetParam();
    const Assembled a = Assemble(c.name, c.text);
    EXPECT_EQ(a.hr, D3DXERR_INVALIDDATA);
    EXPECT_TRUE(a.tokens.empty());
    EXPECT_NE(a.errors.find(c.line), std::string::npos) << a.errors;
    EXPECT_NE(a.errors.find(c.reason), std::string::npos) << a.errors;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SyntaxErrors,
    ::testing::Values(
        SyntaxCase{"NoVersion", "mov oPos, v0\n", "line 1", "vs.1.1"},
        SyntaxCase{"UnknownInstruction", "vs.1.1\nmov oPos, v0\nmovv r0, r1\n", "line 3", "unknown instruction"},
        SyntaxCase{"TempOutOfRange", "vs.1.1\nmov r12, v0\n", "line 2", "out of range"},
        SyntaxCase{"ConstantOutOfRange", "vs.1.1\nmov r0, c96\n", "line 2", "out of range"},
        SyntaxCase{"OperandCount", "vs.1.1\nadd r0, r1\n", "line 2", "takes 3 operands"},
        SyntaxCase{"WriteToInput", "vs.1.1\nmov v0, r0\n", "line 2", "cannot write"},
        SyntaxCase{"ReadFromOutput", "vs.1.1\nmov r0, oPos\n", "line 2", "cannot read"},
        SyntaxCase{"MaskOutOfOrder", "vs.1.1\nmov r0.yx, r1\n", "line 2", "write mask"},
        SyntaxCase{"BadSwizzle", "vs.1.1\nmov r0, r1.xq\n", "line 2", "swizzle"},
        SyntaxCase{"BadRelativeIndex", "vs.1.1\nmov r0, c[a1.x + 2]\n", "line 2", "constant index"},
        SyntaxCase{"AddressOnlyByMov", "vs.1.1\nadd a0.x, r0, r1\n", "line 2", "a0"},
        SyntaxCase{"MatrixPastTheEnd", "vs.1.1\nm4x4 oPos, v0, c93\n", "line 2", "matrix"},
        SyntaxCase{"DefNeedsNumbers", "vs.1.1\ndef c0, 1, 2, x, 4\n", "line 2", "bad number"},
        // Comments keep the count of lines.
        SyntaxCase{"AfterComments", "vs.1.1 ; version\n// a comment\n/* two\n lines */ mov r0, v0\nfoo\n", "line 5",
                   "unknown instruction"}),
    testsupport::NameOfCase());

TEST(VertexShaderAssembler, UnreadableFileFailsWithAMessage)
{
    const testsupport::TempDir temp;
    // A folder opens as a file does; only reading it fails.
    const std::string folder = temp.File("folder.vsh");
    std::filesystem::create_directory(folder);
    const struct
    {
        std::string path, reason;
    } cases[] = {
        {temp.File("missing.vsh"), "No such file or directory"},
        {folder, "Is a directory"},
    };
    for (const auto& c : cases)
    {
        LPD3DXBUFFER code = nullptr, errors = nullptr;
        EXPECT_EQ(D3DXAssembleShaderFromFileA(c.path.c_str(), 0, nullptr, &code, &errors), D3DERR_NOTFOUND)
            << c.path;
        EXPECT_EQ(code, nullptr);
        ASSERT_NE(errors, nullptr);
        EXPECT_EQ(std::string(static_cast<const char*>(errors->GetBufferPointer())),
                  c.path + ": cannot read the file: " + c.reason);
        errors->Release();
    }
}

struct RunCase
{
    const char* name;
    const char* text;
    int x, y;         // where to look
    int r, g, b;      // what the shader draws there
    int outsideX = -1, outsideY = -1;  // a pixel the shader leaves black
};

void PrintTo(const RunCase& c, std::ostream* os)
{
    *os << c.name << ": " << testsupport::Quoted{c.text} << " draws " << c.r << "," << c.g << "," << c.b << " at "
        << c.x << "," << c.y;
    if (c.outsideX >= 0)
        *os << ", black at " << c.outsideX << "," << c.outsideY;
}

class Shaders : public DeviceTest, public ::testing::WithParamInterface<RunCase>
{
};

TEST_P(Shaders, DrawTheExpectedPixels)
{
    const auto& c = GetParam();
    const Assembled a = Assemble(c.name, c.text);
    ASSERT_EQ(a.hr, D3D_OK) << a.errors;
    DWORD handle = 0;
    ASSERT_EQ(device->CreateVertexShader(kDeclaration, a.tokens.data(), &handle, 0), D3D_OK);
    ASSERT_EQ(device->SetVertexShader(handle), D3D_OK);
    // c0-c3: half size, moved right by half the view (columns of the
    // row-vector matrix, as m4x4 reads them).
    const float constants[][4] = {{0.5f, 0, 0, 0.5f}, {0, 0.5f, 0, 0},   {0, 0, 1, 0},        {0, 0, 0, 1},
                                  {0.25f, 0.5f, 0.75f, 1}, {2, 0, 0, 0},  {1, 0, 0, 1},      {0, 1, 0, 1},
                                  {0, 0, 1, 1},       {4, 1.25f, -0.25f, 0}};
    ASSERT_EQ(device->SetVertexShaderConstant(0, constants, 10), D3D_OK);
    Rs(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(FullQuad(0xFF00FF00), D3D_OK);
    const auto f = Frame();
    ExpectColor(f[static_cast<std::size_t>(c.y) * kSize + c.x], c.r, c.g, c.b, 2, c.name);
    if (c.outsideX >= 0)
        ExpectColor(f[static_cast<std::size_t>(c.outsideY) * kSize + c.outsideX], 0, 0, 0, 0, c.name);
    ASSERT_EQ(device->SetVertexShader(kFvf), D3D_OK);
    EXPECT_EQ(device->DeleteVertexShader(handle), D3D_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Shaders,
    ::testing::Values(
        RunCase{"ConstantMatrixAndColour", "vs.1.1\nm4x4 oPos, v0, c0\nmov oD0, c4.wzyx\n", 48, 32, 255, 191, 128,
                16, 32},
        RunCase{"VertexColour", "vs.1.1\nmov oPos, v0\nmov oD0, v5\n", 32, 32, 0, 255, 0},
        RunCase{"DefLoadsWithTheShader", "vs.1.1\ndef c20, 0, 0, 1, 1\nmov oPos, v0\nmov oD0, c20\n", 32, 32, 0, 0,
                255},
        RunCase{"RelativeAddress", "vs.1.1\nmov oPos, v0\nmov a0.x, c5.x\nmov oD0, c[a0.x + 6]\n", 32, 32, 0, 0,
                255},
        RunCase{"SwizzleMaskNegate", "vs.1.1\nmov oPos, v0\nmov r0, c4\nmov oD0, r0.zyxw\nmov oD0.y, -r0.x\n", 32,
                32, 191, 0, 64},
        RunCase{"ScalarsAndDots",
                "vs.1.1\nmov oPos, v0\nrcp r1, c4.y\nmul r2, c4.x, r1\nrsq r3, c9.x\ndp3 r4.x, c4, c4\n"
                "mov oD0.x, r2.x\nmov oD0.y, r3.x\nmov oD0.z, r4.x\n",
                32, 32, 128, 128, 223},
        RunCase{"LitAndCompare",
                "vs.1.1\nmov oPos, v0\nlit r0, c4\nslt r1.x, c4.x, c4.y\nsge r1.y, c4.x, c4.y\n"
                "mov oD0.x, r0.z\nmov oD0.y, r1.y\nmin oD0.z, c4.z, r1.x\n",
                32, 32, 128, 0, 191},
        RunCase{"FractionsAndMacros",
                "vs.1.1\nm3x3 r5.xyz, v0, c0\nmov r5.w, c3.w\nadd oPos, r5, c9.wwww\n"
                "frc r0, c9\nmov oD0.xyz, r0.yzx\n",
                32, 32, 64, 191, 0, 4, 32}),  // m3x3 has no translation: half size, centred
    testsupport::NameOfCase());

TEST_F(DeviceTest, ShaderHandlesAndTokensTheDeviceCannotRunAreRefused)
{
    const Assembled a = Assemble("plain", "vs.1.1\nmov oPos, v0\n");
    ASSERT_EQ(a.hr, D3D_OK);
    DWORD h = 0;
    ASSERT_EQ(device->CreateVertexShader(kDeclaration, a.tokens.data(), &h, D3DUSAGE_SOFTWAREPROCESSING), D3D_OK);
    EXPECT_EQ(device->SetVertexShader(0xFFFFFFFF), D3DERR_INVALIDCALL) << "the engine's failed handle";
    EXPECT_EQ(device->SetVertexShader(h + 2), D3DERR_INVALIDCALL) << "never created";
    ASSERT_EQ(device->SetVertexShader(h), D3D_OK);
    DWORD got = 0;
    ASSERT_EQ(device->GetVertexShader(&got), D3D_OK);
    EXPECT_EQ(got, h);
    EXPECT_EQ(device->DeleteVertexShader(h), D3D_OK);
    EXPECT_EQ(device->DeleteVertexShader(h), D3DERR_INVALIDCALL) << "already deleted";
    EXPECT_EQ(device->SetVertexShader(h), D3DERR_INVALIDCALL);

    std::vector<DWORD> pixelShader = a.tokens;
    pixelShader[0] = 0xFFFF0101;
    EXPECT_EQ(device->CreateVertexShader(kDeclaration, pixelShader.data(), &h, 0), D3DERR_INVALIDCALL);
    std::vector<DWORD> unknown = a.tokens;
    unknown[1] = 200;  // no such opcode
    EXPECT_EQ(device->CreateVertexShader(kDeclaration, unknown.data(), &h, 0), D3DERR_INVALIDCALL);
    const DWORD secondStream[] = {0x20000001, 0x40020000, 0xFFFFFFFF};
    EXPECT_EQ(device->CreateVertexShader(secondStream, a.tokens.data(), &h, 0), D3DERR_INVALIDCALL);

    // Constant registers: c0 to c95, read back as written.
    const float four[2][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    EXPECT_EQ(device->SetVertexShaderConstant(95, four, 2), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->SetVertexShaderConstant(94, four, 2), D3D_OK);
    float back[2][4] = {};
    ASSERT_EQ(device->GetVertexShaderConstant(94, back, 2), D3D_OK);
    EXPECT_EQ(back[1][3], 8.0f);
}

}  // namespace
