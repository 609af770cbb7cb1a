// Image files into textures: PNG in its colour types, depths and
// interlacing, JPEG in colour and grey, with the image's size, the format
// its alpha asks for and a full mip chain; missing, cut and corrupt files
// fail and leave no texture.

#include <filesystem>
#include <random>
#include <string>

#include "device_fixture.h"
#include "image_writer.h"
#include "platform/d3d/d3dx8.h"
#include "tests/support/case_print.h"
#include "tests/support/temp_dir.h"

namespace {
using namespace d3dtest;

UINT FullChain(UINT w, UINT h)
{
    UINT n = 1;
    for (UINT s = std::max(w, h); s > 1; s >>= 1)
        ++n;
    return n;
}

// Level 0 of a texture as A8R8G8B8 values, row by row.
std::vector<D3DCOLOR> TopLevel(IDirect3DTexture8* t)
{
    D3DSURFACE_DESC d{};
    t->GetLevelDesc(0, &d);
    std::vector<D3DCOLOR> texels(d.Width * d.Height);
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (UINT y = 0; y < d.Height; ++y)
        std::memcpy(&texels[y * d.Width], static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, d.Width * 4);
    t->UnlockRect(0);
    return texels;
}

struct PngCase
{
    std::string name;
    PngPicture picture;
    D3DFORMAT format;
    std::vector<D3DCOLOR> texels;
};

void PrintTo(const PngCase& c, std::ostream* os)
{
    const PngPicture& p = c.picture;
    *os << c.name << ": " << p.width << "x" << p.height << ", colour type " << p.colorType << ", " << p.bitDepth
        << "-bit";
    if (p.interlaced)
        *os << ", interlaced";
    if (!p.palette.empty())
        *os << ", " << p.palette.size() << " palette entries";
    if (!p.transparency.empty())
        *os << ", " << p.transparency.size() << " transparent";
    *os << "; loads as " << FormatName(c.format);
}

// A 9 x 7 picture: every Adam7 pass has texels of its own.
PngCase Interlaced()
{
    PngCase c{"InterlacedRgba", {9, 7, PNG_COLOR_TYPE_RGBA, 8, true, {}, {}, {}}, D3DFMT_A8R8G8B8, {}};
    for (unsigned y = 0; y < 7; ++y)
        for (unsigned x = 0; x < 9; ++x)
        {
            const unsigned char r = static_cast<unsigned char>(x * 28), g = static_cast<unsigned char>(y * 40),
                                b = static_cast<unsigned char>((x * y) & 0xFF), a = static_cast<unsigned char>(255 - x * 7);
            c.picture.rows.insert(c.picture.rows.end(), {r, g, b, a});
            c.texels.push_back((D3DCOLOR{a} << 24) | (D3DCOLOR{r} << 16) | (D3DCOLOR{g} << 8) | b);
        }
    return c;
}

std::vector<PngCase> PngCases()
{
    const png_color red{255, 0, 0}, blue{0, 0, 255};
    return {
        {"Rgb", {3, 2, PNG_COLOR_TYPE_RGB, 8, false, {255, 0, 0, 0, 255, 0, 0, 0, 255, 16, 32, 48, 255, 255, 255, 0, 0, 0}, {}, {}},
         D3DFMT_X8R8G8B8, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF102030, 0xFFFFFFFF, 0xFF000000}},
        {"Rgba", {2, 2, PNG_COLOR_TYPE_RGBA, 8, false, {255, 0, 0, 128, 0, 255, 0, 0, 0, 0, 255, 255, 10, 20, 30, 40}, {}, {}},
         D3DFMT_A8R8G8B8, {0x80FF0000, 0x0000FF00, 0xFF0000FF, 0x280A141E}},
        {"Grey", {2, 1, PNG_COLOR_TYPE_GRAY, 8, false, {0x40, 0xC0}, {}, {}}, D3DFMT_X8R8G8B8,
         {0xFF404040, 0xFFC0C0C0}},
        {"GreyAlpha", {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {0x40, 0x80, 0xFF, 0x00}, {}, {}},
         D3DFMT_A8R8G8B8, {0x80404040, 0x00FFFFFF}},
        {"GreyOneBit", {8, 1, PNG_COLOR_TYPE_GRAY, 1, false, {0xA0}, {}, {}}, D3DFMT_X8R8G8B8,
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000}},
        {"Palette", {2, 2, PNG_COLOR_TYPE_PALETTE, 8, false, {0, 1, 1, 0}, {red, blue}, {}}, D3DFMT_X8R8G8B8,
         {0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000}},
        {"PaletteTwoBit", {4, 1, PNG_COLOR_TYPE_PALETTE, 2, false, {0x1B}, {red, blue, red, blue}, {}},
         D3DFMT_X8R8G8B8, {0xFFFF0000, 0xFF0000FF, 0xFFFF0000, 0xFF0000FF}},
        {"PaletteTransparency", {2, 1, PNG_COLOR_TYPE_PALETTE, 8, false, {0, 1}, {red, blue}, {0x80}},
         D3DFMT_A8R8G8B8, {0x80FF0000, 0xFF0000FF}},
        {"SixteenBit", {1, 1, PNG_COLOR_TYPE_RGB, 16, false, {0xFF, 0xFF, 0x80, 0x80, 0x00, 0x00}, {}, {}},
         D3DFMT_X8R8G8B8, {0xFFFF8000}},
        Interlaced(),
    };
}

class PngFiles : public DeviceTest, public ::testing::WithParamInterface<PngCase>
{
protected:
    testsupport::TempDir temp;
};

TEST_P(PngFiles, LoadWithTheirSizeFormatAndTexels)
{
    const auto& c = GetParam();
    const std::string path = temp.File(c.name + ".png");
    ASSERT_TRUE(WritePng(path, c.picture));
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device, path.c_str(), &t), D3D_OK);
    ASSERT_NE(t, nullptr);
    D3DSURFACE_DESC d{};
    ASSERT_EQ(t->GetLevelDesc(0, &d), D3D_OK);
    EXPECT_EQ(d.Width, c.picture.width);
    EXPECT_EQ(d.Height, c.picture.height);
    EXPECT_EQ(d.Format, c.format);
    EXPECT_EQ(d.Pool, static_cast<D3DPOOL>(D3DPOOL_MANAGED));
    EXPECT_EQ(t->GetLevelCount(), FullChain(c.picture.width, c.picture.height));
    const auto texels = TopLevel(t);
    ASSERT_EQ(texels.size(), c.texels.size());
    for (std::size_t i = 0; i < texels.size(); ++i)
    {
        // X8 formats leave the alpha byte to the format.
        const D3DCOLOR mask = c.format == D3DFMT_X8R8G8B8 ? 0x00FFFFFF : 0xFFFFFFFF;
        EXPECT_EQ(texels[i] & mask, c.texels[i] & mask) << c.name << " texel " << i;
    }
    t->Release();
}

INSTANTIATE_TEST_SUITE_P(Cases, PngFiles, ::testing::ValuesIn(PngCases()),
                         testsupport::NameOfCase());

TEST_F(DeviceTest, JpegFilesLoadWithinTheCodecsTolerance)
{
    struct Case
    {
        const char* name;
        int components;
    };
    const testsupport::TempDir temp;
    for (const Case c : {Case{"colour", 3}, Case{"grey", 1}})
    {
        const unsigned w = 24, h = 16;
        std::vector<unsigned char> samples;
        std::vector<D3DCOLOR> expected;
        for (unsigned y = 0; y < h; ++y)
            for (unsigned x = 0; x < w; ++x)
            {
                const unsigned char r = static_cast<unsigned char>(x * 10), g = static_cast<unsigned char>(y * 15),
                                    b = static_cast<unsigned char>(200 - x * 4);
                if (c.components == 3)
                {
                    samples.insert(samples.end(), {r, g, b});
                    expected.push_back(0xFF000000u | (r << 16) | (g << 8) | b);
                }
                else
                {
                    samples.push_back(r);
                    expected.push_back(0xFF000000u | (r << 16) | (r << 8) | r);
                }
            }
        const std::string path = temp.File(std::string(c.name) + ".jpg");
        ASSERT_TRUE(WriteJpeg(path, w, h, c.components, samples, 98));
        IDirect3DTexture8* t = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileA(device, path.c_str(), &t), D3D_OK) << c.name;
        D3DSURFACE_DESC d{};
        ASSERT_EQ(t->GetLevelDesc(0, &d), D3D_OK);
        EXPECT_EQ(d.Width, w);
        EXPECT_EQ(d.Height, h);
        EXPECT_EQ(d.Format, static_cast<D3DFORMAT>(D3DFMT_X8R8G8B8)) << "JPEG has no alpha";
        EXPECT_EQ(t->GetLevelCount(), FullChain(w, h));
        const auto texels = TopLevel(t);
        for (std::size_t i = 0; i < texels.size(); ++i)
        {
            ASSERT_NEAR(R(texels[i]), R(expected[i]), 8) << c.name << " texel " << i;
            ASSERT_NEAR(G(texels[i]), G(expected[i]), 8) << c.name << " texel " << i;
            ASSERT_NEAR(B(texels[i]), B(expected[i]), 8) << c.name << " texel " << i;
        }
        t->Release();
    }
}

// Files of noise, so that the compressed data is long and cut anywhere.
std::vector<unsigned char> NoisePng()
{
    PngPicture s{32, 32, PNG_COLOR_TYPE_RGBA, 8, false, {}, {}, {}};
    std::mt19937 random(7);
    for (int i = 0; i < 32 * 32 * 4; ++i)
        s.rows.push_back(static_cast<unsigned char>(random()));
    const testsupport::TempDir temp;
    const std::string path = temp.File("noise.png");
    EXPECT_TRUE(WritePng(path, s));
    return ReadAll(path);
}

std::vector<unsigned char> NoiseJpeg()
{
    std::vector<unsigned char> samples;
    std::mt19937 random(11);
    for (int i = 0; i < 32 * 32 * 3; ++i)
        samples.push_back(static_cast<unsigned char>(random()));
    const testsupport::TempDir temp;
    const std::string path = temp.File("noise.jpg");
    EXPECT_TRUE(WriteJpeg(path, 32, 32, 3, samples, 90));
    return ReadAll(path);
}

class BadFiles : public DeviceTest
{
protected:
    HRESULT Load(const std::vector<unsigned char>& bytes, IDirect3DTexture8** t)
    {
        const std::string path = temp.File("bad");
        WriteAll(path, bytes);
        *t = reinterpret_cast<IDirect3DTexture8*>(this);
        return D3DXCreateTextureFromFileA(device, path.c_str(), t);
    }

    void ExpectRefused(const std::vector<unsigned char>& bytes, const std::string& what)
    {
        IDirect3DTexture8* t = nullptr;
        const HRESULT hr = Load(bytes, &t);
        EXPECT_TRUE(FAILED(hr)) << what;
        EXPECT_EQ(t, nullptr) << what;
        if (SUCCEEDED(hr) && t)
            t->Release();
    }

    testsupport::TempDir temp;
};

TEST_F(BadFiles, CutFilesFail)
{
    for (const auto& [kind, whole] : {std::pair{"png", NoisePng()}, std::pair{"jpeg", NoiseJpeg()}})
    {
        ASSERT_GT(whole.size(), 200u);
        const std::size_t n = whole.size();
        for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{8},
                                std::size_t{20}, std::size_t{33}, n / 4, n / 2, n - 20, n - 12, n - 2, n - 1})
            ExpectRefused(std::vector<unsigned char>(whole.begin(), whole.begin() + static_cast<long>(cut)),
                          std::string(kind) + " cut at " + std::to_string(cut) + " of " + std::to_string(n));
    }
}

TEST_F(BadFiles, FlippedPngBytesFailOnTheirChecksums)
{
    const auto whole = NoisePng();
    const std::size_t n = whole.size();
    // Signature, chunk type, width, header checksum, image data, end checksum.
    for (std::size_t at : {std::size_t{0}, std::size_t{12}, std::size_t{17}, std::size_t{30}, n / 2, n - 2})
    {
        auto bytes = whole;
        bytes[at] ^= 0x5A;
        ExpectRefused(bytes, "png flipped at " + std::to_string(at));
    }
}

TEST_F(BadFiles, FlippedJpegBytesFailOrGiveAWholeTexture)
{
    const auto whole = NoiseJpeg();
    // The start marker: not a JPEG file at all.
    for (std::size_t at : {std::size_t{0}, std::size_t{1}})
    {
        auto bytes = whole;
        bytes[at] ^= 0x5A;
        ExpectRefused(bytes, "jpeg flipped at " + std::to_string(at));
    }
    // Entropy-coded data has no checksum: a flip there may decode to other
    // texels, but never to a partial texture.
    for (std::size_t at = 2; at < whole.size(); at += whole.size() / 37)
    {
        auto bytes = whole;
        bytes[at] ^= 0xFF;
        IDirect3DTexture8* t = nullptr;
        const HRESULT hr = Load(bytes, &t);
        if (FAILED(hr))
        {
            EXPECT_EQ(t, nullptr) << at;
            continue;
        }
        ASSERT_NE(t, nullptr);
        D3DSURFACE_DESC d{};
        t->GetLevelDesc(0, &d);
        EXPECT_EQ(t->GetLevelCount(), FullChain(d.Width, d.Height)) << at;
        t->Release();
    }
}

TEST_F(BadFiles, ImagesLargerThanATextureAreRefusedBeforeDecoding)
{
    auto bytes = NoiseJpeg();
    // The frame header's width, two bytes after its marker, length and precision.
    std::size_t sof = 2;
    while (sof + 9 < bytes.size() && !(bytes[sof] == 0xFF && bytes[sof + 1] == 0xC0))
        ++sof;
    ASSERT_LT(sof + 9, bytes.size());
    bytes[sof + 7] = 0xFF;
    bytes[sof + 8] = 0xFF;
    ExpectRefused(bytes, "65535 texels wide");
}

TEST_F(BadFiles, UnreadableEmptyAndForeignFilesFail)
{
    IDirect3DTexture8* t = reinterpret_cast<IDirect3DTexture8*>(this);
    // A folder opens as a file does; only reading it fails.
    const std::string folder = temp.File("folder.png");
    std::filesystem::create_directory(folder);
    const struct
    {
        std::string path, reason;
    } unreadable[] = {
        {temp.File("does-not-exist.png"), "No such file or directory"},
        {folder, "Is a directory"},
    };
    for (const auto& c : unreadable)
    {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(D3DXCreateTextureFromFileA(device, c.path.c_str(), &t), D3DERR_NOTFOUND) << c.path;
        // Said as a broken file is: the caller's texture would otherwise just be white.
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "d3dx: cannot read the image " + c.path + ": " + c.reason + "\n");
        EXPECT_EQ(t, nullptr) << c.path;
    }
    EXPECT_EQ(Load({}, &t), D3DXERR_INVALIDDATA);
    EXPECT_EQ(t, nullptr);
    const std::string text = "not a picture at all";
    EXPECT_EQ(Load(std::vector<unsigned char>(text.begin(), text.end()), &t), D3DXERR_INVALIDDATA);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(D3DXCreateTextureFromFileA(device, nullptr, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileA(nullptr, "x.png", &t), D3DERR_INVALIDCALL);
}

}  // namespace
