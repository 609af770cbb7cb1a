// The engine root's adapter inventory and the choice of display modes, on
// adapters whose modes the tests set.

#include "engine/3dengine.h"
#include "engine/exceptions.h"
#include "fake_adapter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using enginetest::FakeAdapter;
using enginetest::Mode;

namespace
{
struct M
{
    dword w, h, hz;
    ColorDepth depth;
};

LinkedList<DisplayMode>* ListOf(const std::vector<M>& modes)
{
    auto* list = new LinkedList<DisplayMode>;
    for (const M& m : modes) {
        DisplayMode d;
        d.Width = m.w;
        d.Height = m.h;
        d.RefreshRate = m.hz;
        d.Depth = m.depth;
        list->PushBack(d);
    }
    return list;
}

const ColorDepth R5G6B5(16, 16, 0);
const ColorDepth X1R5G5B5(16, 15, 0);
const ColorDepth X8R8G8B8(32, 24, 0);
const ColorDepth A8R8G8B8(32, 24, 8);
}

TEST(PixelFormats, DepthOfEachFormatAndBack)
{
    struct Case
    {
        D3DFORMAT format;
        ColorDepth depth;
        D3DFORMAT withAlpha, withoutAlpha;
    } cases[] = {
        {D3DFMT_R8G8B8, {24, 24, 0}, D3DFMT_R8G8B8, D3DFMT_R8G8B8},
        {D3DFMT_A8R8G8B8, {32, 24, 8}, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8},
        {D3DFMT_X8R8G8B8, {32, 24, 0}, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
        {D3DFMT_R5G6B5, {16, 16, 0}, D3DFMT_R5G6B5, D3DFMT_R5G6B5},
        {D3DFMT_X1R5G5B5, {16, 15, 0}, D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5},
        {D3DFMT_A1R5G5B5, {16, 15, 1}, D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5},
        {D3DFMT_P8, {8, 8, 0}, D3DFMT_P8, D3DFMT_P8},
        {D3DFMT_A4R4G4B4, {0, 0, 0}, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(GetColorDepthFromPixelFormat(c.format) == c.depth) << c.format;
        EXPECT_EQ(GetPixelFormatFromColorDepth(c.depth, false), c.withAlpha) << c.format;
        EXPECT_EQ(GetPixelFormatFromColorDepth(c.depth, true), c.withoutAlpha) << c.format;
    }
    EXPECT_EQ(GetPixelFormatFromColorDepth(ColorDepth(16, 16, 1), false), D3DFMT_UNKNOWN);
}

TEST(FindBestMode, ChoosesAsTheRulesSay)
{
    struct Case
    {
        const char* what;
        std::vector<M> modes;
        M expected;
    } cases[] = {
        {"colour depth before refresh",
         {{800, 600, 60, R5G6B5}, {800, 600, 85, R5G6B5}, {800, 600, 60, X8R8G8B8}},
         {800, 600, 60, X8R8G8B8}},
        {"alpha beats faster modes without",
         {{800, 600, 85, X8R8G8B8}, {800, 600, 60, A8R8G8B8}, {800, 600, 100, X8R8G8B8}},
         {800, 600, 60, A8R8G8B8}},
        {"the fastest of the deepest",
         {{640, 480, 60, X8R8G8B8}, {640, 480, 75, X8R8G8B8}, {640, 480, 70, X8R8G8B8}},
         {640, 480, 75, X8R8G8B8}},
        {"ties go to the first in order",
         {{640, 480, 60, X1R5G5B5}, {640, 480, 60, R5G6B5}},
         {640, 480, 60, X1R5G5B5}},
        {"largest width and height of different modes leave nothing",
         {{1024, 480, 60, X8R8G8B8}, {640, 768, 60, X8R8G8B8}},
         {0, 0, 0, {0, 0, 0}}},
    };
    Engine3D* engine = nullptr;
    FakeAdapter fake({Mode(640, 480, 60, D3DFMT_X8R8G8B8)});
    engine = new Engine3D(&fake);
    for (const Case& c : cases) {
        LinkedList<DisplayMode>* list = ListOf(c.modes);
        const DisplayMode best = engine->FindBestMode(list);
        EXPECT_EQ(best.Width, c.expected.w) << c.what;
        EXPECT_EQ(best.Height, c.expected.h) << c.what;
        EXPECT_EQ(best.RefreshRate, c.expected.hz) << c.what;
        EXPECT_TRUE(best.Depth == c.expected.depth) << c.what;
        delete list;
    }
    const DisplayMode none = engine->FindBestMode(nullptr);
    EXPECT_EQ(none.Width, 0u);
    delete engine;
    EXPECT_TRUE(fake.Released);
}

TEST(FilterModes, KeepsWhatEachCriterionAsksFor)
{
    FakeAdapter fake({Mode(640, 480, 60, D3DFMT_X8R8G8B8)});
    Engine3D engine(&fake);
    const std::vector<M> modes = {
        {640, 480, 60, R5G6B5}, {800, 600, 60, A8R8G8B8}, {800, 600, 75, X8R8G8B8}, {640, 480, 75, A8R8G8B8}};
    struct Case
    {
        dword criterion, a, b;
        std::vector<int> kept;
    } cases[] = {
        {ModeFilter_Resolution, 800, 600, {1, 2}},
        {ModeFilter_Bpp, 32, 0, {1, 2, 3}},
        {ModeFilter_Alpha, 0, 0, {0, 1, 2, 3}},
        {ModeFilter_Alpha, 1, 0, {1, 3}},
        {ModeFilter_Refresh, 75, 0, {2, 3}},
        {ModeFilter_Refresh, 50, 0, {}},
    };
    for (const Case& c : cases) {
        LinkedList<DisplayMode>* list = ListOf(modes);
        engine.FilterModes(list, c.criterion, c.a, c.b);
        std::vector<int> kept;
        for (auto* n = list->Begin(); n != nullptr; n = n->Next)
            for (int i = 0; i < static_cast<int>(modes.size()); ++i)
                if (n->Data.Width == modes[i].w && n->Data.RefreshRate == modes[i].hz &&
                    n->Data.Depth == modes[i].depth)
                    kept.push_back(i);
        EXPECT_EQ(kept, c.kept) << "criterion " << c.criterion << " a " << c.a;
        EXPECT_EQ(list->Size(), c.kept.size());
        delete list;
    }
}

TEST(EngineRoot, TakesTheInventoryOfUsableModes)
{
    FakeAdapter fake({Mode(640, 480, 60, D3DFMT_R5G6B5), Mode(640, 480, 60, D3DFMT_X8R8G8B8),
                      Mode(800, 600, 60, D3DFMT_A4R4G4B4), Mode(1024, 768, 75, D3DFMT_X8R8G8B8)});
    fake.UnusableModeFormats = {D3DFMT_R5G6B5};
    fake.MaxSimultaneousTextures = 4;
    Engine3D engine(&fake);

    ASSERT_EQ(engine.GetAdapterCount(), 1u);
    AdapterInfo* info = engine.GetAdapterInfo(0);
    EXPECT_STREQ(info->Driver, "fake.so");
    EXPECT_STREQ(info->Description, "A fake adapter");
    EXPECT_EQ(info->VendorID, 0x1234u);
    EXPECT_EQ(info->DeviceID, 0x5678u);
    EXPECT_EQ(info->DriverVersion, 0x0001000200030004);
    EXPECT_EQ(info->Caps.MaxSimultaneousTextures, 4u);

    // The refused 16-bit mode is dropped; the unknown format stays with a
    // depth of zeros, since only the device check decides.
    ASSERT_EQ(info->ModeCount, 3u);
    EXPECT_EQ(info->Modes[0].Depth.Bpp, 32);
    EXPECT_EQ(info->Modes[1].Width, 800u);
    EXPECT_TRUE(info->Modes[1].Depth == ColorDepth(0, 0, 0));
    EXPECT_EQ(info->Modes[2].RefreshRate, 75u);
    for (D3DDEVTYPE t : fake.CheckedTypes)
        EXPECT_EQ(t, D3DDEVTYPE_HAL);

    LinkedList<DisplayMode>* copy = engine.GetModes(0);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Size(), 3u);
    EXPECT_EQ(copy->Begin()->Data.Width, 640u);
    delete copy;
    EXPECT_EQ(engine.GetModes(1), nullptr);
}

TEST(EngineRoot, AnAdapterWithoutUsableModes)
{
    FakeAdapter fake({Mode(640, 480, 60, D3DFMT_R5G6B5)});
    fake.UnusableModeFormats = {D3DFMT_R5G6B5};
    Engine3D engine(&fake);
    EXPECT_EQ(engine.GetAdapterInfo(0)->ModeCount, 0u);
    LinkedList<DisplayMode>* modes = engine.GetModes(0);
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(modes->Size(), 0u);
    delete modes;
}

TEST(EngineRoot, NoDirect3DThrows)
{
    try {
        Engine3D engine(nullptr);
        FAIL() << "no exception";
    } catch (const EngineInitException& e) {
        EXPECT_EQ(e.Reason, "DirectX 8.1 is required to run this program");
    }
}

TEST(EngineRoot, ReleasingAContextKeepsItListed)
{
    FakeAdapter fake({Mode(640, 480, 60, D3DFMT_X8R8G8B8)});
    Engine3D engine(&fake);
    GraphicsContext context;
    engine.Contexts.push_back(&context);
    engine.ReleaseGraphicsContext(&context); // no device: nothing to release
    EXPECT_EQ(engine.Contexts.size(), 1u);
}
