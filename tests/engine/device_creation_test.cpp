// Device creation's choices and failures, on an adapter the tests describe;
// the devices it lets through come from the real layer.

#include "engine/3dengine.h"
#include "engine/exceptions.h"
#include "engine/textureman.h"
#include "device_fixture.h"
#include "fake_adapter.h"
#include "platform/d3d/readback.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <string>

using enginetest::FakeAdapter;
using enginetest::Mode;

namespace
{
void Dispose(GraphicsContext* context) { tools::ReleaseContext(context); }

class DeviceCreation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = enginetest::TestWindow();
        ASSERT_NE(window, nullptr);
        fake.Modes = {Mode(640, 480, 60, D3DFMT_R5G6B5), Mode(640, 480, 60, D3DFMT_X8R8G8B8),
                      Mode(640, 480, 75, D3DFMT_X8R8G8B8), Mode(800, 600, 60, D3DFMT_X8R8G8B8)};
    }

    void TearDown() override
    {
        DropEngine();
        DestroyWindow(window);
    }

    void DropEngine()
    {
        if (engine == nullptr)
            return;
        for (GraphicsContext* c : engine->Contexts)
            Dispose(c);
        delete engine;
        engine = nullptr;
    }

    // The engine is made once the test has described its adapter.
    Engine3D& Engine()
    {
        if (engine == nullptr) {
            engine = new Engine3D(&fake);
            fake.CheckedTypes.clear();
        }
        return *engine;
    }

    // 640x480 at 32 bits and 60 Hz, 24-bit depth, hardware vertex
    // processing, one back buffer, windowed.
    static GraphicsInitParameters Params()
    {
        GraphicsInitParameters p;
        p.XRes = 640;
        p.YRes = 480;
        p.Bpp = 32;
        p.RefreshRate = 60;
        p.DepthBits = 24;
        p.DevType = D3DDEVTYPE_HAL;
        p.HardwareTnL = true;
        p.NumBuffers = 1;
        return p;
    }

    GraphicsContext* Create(GraphicsInitParameters& p) { return Engine().CreateGraphicsContext(window, 0, &p); }

    std::string CreateFails(GraphicsInitParameters p)
    {
        try {
            Create(p);
        } catch (const EngineInitException& e) {
            return e.Reason;
        }
        return "no exception";
    }

    const D3DPRESENT_PARAMETERS& LastParameters()
    {
        EXPECT_FALSE(fake.Creations.empty());
        return fake.Creations.back().Parameters;
    }

    FakeAdapter fake;
    Engine3D* engine = nullptr;
    HWND window = nullptr;
};
}

TEST_F(DeviceCreation, AWindowedDeviceAndItsContext)
{
    fake.DesktopFormat = D3DFMT_R5G6B5;
    fake.MaxSimultaneousTextures = 4;
    GraphicsInitParameters p = Params();
    p.RefreshRate = 75;
    p.VSync = true;
    GraphicsContext* c = Create(p);
    ASSERT_NE(c, nullptr);

    const D3DPRESENT_PARAMETERS& pp = LastParameters();
    EXPECT_EQ(pp.BackBufferWidth, 640u);
    EXPECT_EQ(pp.BackBufferHeight, 480u);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_R5G6B5); // the desktop's, not the mode's
    EXPECT_EQ(pp.BackBufferCount, 1u);
    EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(pp.hDeviceWindow, window);
    EXPECT_TRUE(pp.Windowed);
    EXPECT_TRUE(pp.EnableAutoDepthStencil);
    EXPECT_EQ(pp.AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(pp.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(pp.FullScreen_PresentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
    EXPECT_EQ(fake.Creations.back().Behaviour, D3DCREATE_HARDWARE_VERTEXPROCESSING);

    EXPECT_EQ(c->Window, window);
    EXPECT_NE(c->MainSurface, nullptr);
    EXPECT_NE(c->DepthSurface, nullptr);
    EXPECT_EQ(c->DepthFormat, D3DFMT_D24S8);
    EXPECT_EQ(c->BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(c->MultiSampleType, 0u);
    EXPECT_EQ(c->MaxTextureStages, 4u);
    EXPECT_EQ(c->Parameters.RefreshRate, 75u);
    ASSERT_NE(c->TextureManager, nullptr);
    EXPECT_EQ(c->TextureManager->gc, c);
    EXPECT_NE(c->TextureManager->LoadTexture(STOCKTEX_BLOB), nullptr);
    ASSERT_EQ(Engine().Contexts.size(), 1u);
    EXPECT_EQ(Engine().Contexts[0], c);
}

TEST_F(DeviceCreation, FullScreenTakesTheModeAndTheRetraceSetting)
{
    struct Case
    {
        bool vsync;
        UINT interval;
    } cases[] = {{true, D3DPRESENT_INTERVAL_ONE}, {false, D3DPRESENT_INTERVAL_IMMEDIATE}};
    for (const Case& k : cases) {
        GraphicsInitParameters p = Params();
        p.FullScreen = true;
        p.VSync = k.vsync;
        p.RefreshRate = 75;
        ASSERT_NE(Create(p), nullptr);
        const D3DPRESENT_PARAMETERS& pp = LastParameters();
        EXPECT_FALSE(pp.Windowed);
        EXPECT_EQ(pp.BackBufferFormat, D3DFMT_X8R8G8B8);
        EXPECT_EQ(pp.FullScreen_RefreshRateInHz, 75u);
        EXPECT_EQ(pp.FullScreen_PresentationInterval, k.interval);
    }
}

TEST_F(DeviceCreation, VertexProcessing)
{
    struct Case
    {
        bool adapterHas, asked, dontCare;
        bool created, tnlAfter;
        DWORD behaviour;
    } cases[] = {
        {true, false, true, true, true, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {false, true, true, true, false, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
        {false, true, false, false, true, 0},
        {false, false, false, true, false, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    for (const Case& k : cases) {
        FakeAdapter adapter(fake.Modes);
        adapter.DevCaps = k.adapterHas ? D3DDEVCAPS_HWTRANSFORMANDLIGHT : 0;
        Engine3D root(&adapter);
        GraphicsInitParameters p = Params();
        p.HardwareTnL = k.asked;
        p.DontCareFlags = k.dontCare ? DONT_CARE_TNL : 0;
        GraphicsContext* c = root.CreateGraphicsContext(window, 0, &p);
        EXPECT_EQ(c != nullptr, k.created);
        EXPECT_EQ(p.HardwareTnL, k.tnlAfter);
        if (k.created) {
            ASSERT_EQ(adapter.Creations.size(), 1u);
            EXPECT_EQ(adapter.Creations[0].Behaviour, k.behaviour);
        } else {
            EXPECT_TRUE(adapter.Creations.empty());
        }
        Dispose(c);
    }
}

TEST_F(DeviceCreation, DepthBuffer)
{
    struct Case
    {
        const char* what;
        dword bits;
        std::set<D3DFORMAT> formats;
        bool dontCare;
        bool created;
        D3DFORMAT format;
        dword bitsAfter;
        std::vector<D3DFORMAT> tried;
    } cases[] = {
        {"24 with stencil", 24, {D3DFMT_D24S8, D3DFMT_D24X8}, false, true, D3DFMT_D24S8, 24,
         {D3DFMT_D24S8}},
        {"24 without stencil", 24, {D3DFMT_D24X8}, false, true, D3DFMT_D24X8, 24, {D3DFMT_D24S8, D3DFMT_D24X8}},
        {"24 falls back to 16", 24, {D3DFMT_D15S1, D3DFMT_D16}, true, true, D3DFMT_D15S1, 16,
         {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D15S1}},
        {"24 missing, no fall-back", 24, {D3DFMT_D16}, false, false, 0, 24, {D3DFMT_D24S8, D3DFMT_D24X8}},
        {"32 tries D24S8 first", 32, {D3DFMT_D24S8, D3DFMT_D32}, false, true, D3DFMT_D24S8, 32, {D3DFMT_D24S8}},
        {"32 without stencil", 32, {D3DFMT_D32}, false, true, D3DFMT_D32, 32, {D3DFMT_D24S8, D3DFMT_D32}},
        {"0 reads as 32", 0, {D3DFMT_D32}, false, true, D3DFMT_D32, 32, {D3DFMT_D24S8, D3DFMT_D32}},
        {"16 missing, nothing to fall to", 16, {D3DFMT_D32}, true, false, 0, 16, {D3DFMT_D15S1, D3DFMT_D16}},
        {"16 plain", 16, {D3DFMT_D16}, false, true, D3DFMT_D16, 16, {D3DFMT_D15S1, D3DFMT_D16}},
    };
    for (const Case& k : cases) {
        FakeAdapter adapter(fake.Modes);
        adapter.DepthFormats = k.formats;
        Engine3D root(&adapter);
        GraphicsInitParameters p = Params();
        p.DepthBits = k.bits;
        p.DontCareFlags = k.dontCare ? DONT_CARE_DEPTH : 0;
        GraphicsContext* c = root.CreateGraphicsContext(window, 0, &p);
        EXPECT_EQ(c != nullptr, k.created) << k.what;
        EXPECT_EQ(p.DepthBits, k.bitsAfter) << k.what;
        EXPECT_EQ(adapter.CheckedDepthFormats, k.tried) << k.what;
        if (c != nullptr) {
            EXPECT_EQ(c->DepthFormat, k.format) << k.what;
            EXPECT_EQ(adapter.Creations[0].Parameters.AutoDepthStencilFormat, k.format) << k.what;
        }
        Dispose(c);
    }
}

TEST_F(DeviceCreation, NoSixteenBitDepthAfterTheFallBackThrows)
{
    fake.DepthFormats = {};
    GraphicsInitParameters p = Params();
    p.DontCareFlags = DONT_CARE_DEPTH;
    EXPECT_EQ(CreateFails(p), "Requested ZBuffer depth not available");
}

TEST_F(DeviceCreation, Multisampling)
{
    struct Case
    {
        const char* what;
        std::uint8_t quality;
        std::set<D3DMULTISAMPLE_TYPE> offered;
        D3DMULTISAMPLE_TYPE type;
    } cases[] = {
        {"two samples", 0, {2, 4}, 2},
        {"the largest", 1, {2, 4}, 4},
        {"the largest of all", 1, {2, 16}, 16},
        {"only one", 1, {1}, 1},
    };
    for (const Case& k : cases) {
        FakeAdapter adapter(fake.Modes);
        adapter.SampleCounts = k.offered;
        Engine3D root(&adapter);
        GraphicsInitParameters p = Params();
        p.AntiAliasing = true;
        p.AAQuality = k.quality;
        GraphicsContext* c = root.CreateGraphicsContext(window, 0, &p);
        ASSERT_NE(c, nullptr) << k.what;
        EXPECT_EQ(c->MultiSampleType, k.type) << k.what;
        EXPECT_EQ(adapter.Creations[0].Parameters.MultiSampleType, k.type) << k.what;
        Dispose(c);
    }

    GraphicsInitParameters p = Params();
    p.AntiAliasing = true;
    p.AAQuality = 1;
    EXPECT_EQ(CreateFails(p), "Requested Antialiasing mode not available");
    EXPECT_EQ(fake.CheckedSampleCounts.size(), 16u); // 16 down to 1

    p.DontCareFlags = DONT_CARE_AAMODE;
    GraphicsContext* c = Create(p);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->MultiSampleType, 0u);
}

TEST_F(DeviceCreation, DisplayModes)
{
    struct Case
    {
        const char* what;
        dword x, y, bpp, hz;
        std::uint16_t dontCare;
        bool found;
    } cases[] = {
        {"exact", 640, 480, 32, 60, 0, true},
        {"a resolution the adapter lacks, even for a window", 1024, 768, 32, 60, DONT_CARE_BPP | DONT_CARE_REFRESH,
         false},
        {"a refresh rate it lacks", 800, 600, 32, 85, 0, false},
        {"any refresh rate", 800, 600, 32, 85, DONT_CARE_REFRESH, true},
        {"a depth it lacks", 800, 600, 16, 60, 0, false},
        {"any depth", 800, 600, 16, 60, DONT_CARE_BPP, true},
    };
    for (const Case& k : cases) {
        GraphicsInitParameters p = Params();
        p.XRes = k.x;
        p.YRes = k.y;
        p.Bpp = k.bpp;
        p.RefreshRate = k.hz;
        p.DontCareFlags = k.dontCare;
        if (k.found)
            EXPECT_NE(Create(p), nullptr) << k.what;
        else
            EXPECT_EQ(CreateFails(p), "Requested video mode parameters not available") << k.what;
    }
}

TEST_F(DeviceCreation, NeedAlphaAsksForAnAlphaMode)
{
    fake.Modes.push_back(Mode(640, 480, 60, D3DFMT_A8R8G8B8));
    GraphicsInitParameters p = Params();
    p.NeedAlpha = true;
    p.FullScreen = true;
    ASSERT_NE(Create(p), nullptr);
    EXPECT_EQ(LastParameters().BackBufferFormat, D3DFMT_A8R8G8B8);

    fake.Modes.pop_back();
    DropEngine();
    EXPECT_EQ(CreateFails(p), "Requested video mode parameters not available");
}

TEST_F(DeviceCreation, TheDeviceTypeIsPassedThroughUnchanged)
{
    GraphicsInitParameters p = Params();
    p.DevType = 0; // a file without a device line
    fake.SampleCounts = {2};
    p.AntiAliasing = true;
    ASSERT_NE(Create(p), nullptr);
    ASSERT_FALSE(fake.CheckedTypes.empty());
    for (D3DDEVTYPE t : fake.CheckedTypes)
        EXPECT_EQ(t, 0u);
    EXPECT_EQ(fake.Creations.back().Type, 0u);
}

TEST_F(DeviceCreation, OneRetryWithTheProposedBackBufferCount)
{
    struct Case
    {
        const char* what;
        UINT proposed;
        std::uint16_t dontCare;
        size_t calls;
        bool created;
    } cases[] = {
        {"retried", 1, DONT_CARE_FLIPCHAIN, 2, true},
        {"not allowed", 1, 0, 1, false},
        {"count unchanged", 0, DONT_CARE_FLIPCHAIN, 1, false},
    };
    for (const Case& k : cases) {
        FakeAdapter adapter(fake.Modes);
        adapter.CreateFailures = 1;
        adapter.ProposedBackBufferCount = k.proposed;
        Engine3D root(&adapter);
        GraphicsInitParameters p = Params();
        p.NumBuffers = 2;
        p.DontCareFlags = k.dontCare;
        GraphicsContext* c = nullptr;
        std::string error;
        try {
            c = root.CreateGraphicsContext(window, 0, &p);
        } catch (const EngineInitException& e) {
            error = e.Reason;
        }
        EXPECT_EQ(adapter.Creations.size(), k.calls) << k.what;
        EXPECT_EQ(c != nullptr, k.created) << k.what;
        if (k.created) {
            EXPECT_EQ(adapter.Creations[1].Parameters.BackBufferCount, 1u) << k.what;
            EXPECT_EQ(root.Contexts.size(), 1u);
        } else {
            EXPECT_EQ(error, "Could not create Direct3D device") << k.what;
            EXPECT_TRUE(root.Contexts.empty());
        }
        Dispose(c);
    }

    // The retry fails as well.
    fake.CreateFailures = 2;
    fake.ProposedBackBufferCount = 1;
    GraphicsInitParameters p = Params();
    p.NumBuffers = 2;
    p.DontCareFlags = DONT_CARE_FLIPCHAIN;
    EXPECT_EQ(CreateFails(p), "Could not create Direct3D device");
    EXPECT_EQ(fake.Creations.size(), 2u);
}

TEST_F(DeviceCreation, AnAdapterOutOfRangeGivesNull)
{
    GraphicsInitParameters p = Params();
    EXPECT_EQ(Engine().CreateGraphicsContext(window, 1, &p), nullptr);
    EXPECT_TRUE(fake.Creations.empty());
}

TEST_F(DeviceCreation, TheShortFormFillsItsOwnRecord)
{
    fake.DepthFormats = {D3DFMT_D16};
    GraphicsContext* c = Engine().CreateGraphicsContext(window, 640, 480, 32, 0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Parameters.RefreshRate, 75u);
    EXPECT_EQ(c->Parameters.DepthBits, 16u); // fell back from 24
    EXPECT_EQ(c->Parameters.DevType, D3DDEVTYPE_HAL);
    EXPECT_EQ(c->Parameters.DontCareFlags, 0x8E);
    EXPECT_TRUE(LastParameters().Windowed);
}

TEST(GraphicsContextFromConfig, OpensClearsFlipsAndShowsTheColour)
{
    const testsupport::TempDir temp;
    const std::string path = temp.File("q3dinit.conf");
    std::ofstream(path, std::ios::binary) << "fullscreen = false\n"
                                             "resolution = 640x480\n"
                                             "bpp = 32\n"
                                             "zbufferdepth = 24\n"
                                             "device = hal\n"
                                             "tnl = true\n"
                                             "antialiasing = none\n"
                                             "flipchain = doublebuffering\n"
                                             "dontcareabout = bpp, refresh, alpha\n";
    Engine3D engine;
    GraphicsInitParameters p = engine.ReadConfigFile(path.c_str());
    HWND window = enginetest::TestWindow(640, 480);
    GraphicsContext* c = engine.CreateGraphicsContext(window, 0, &p);
    ASSERT_NE(c, nullptr);

    c->Clear(0xFF3366CC);
    c->Flip();
    std::vector<std::uint32_t> pixels;
    UINT w = 0, h = 0;
    ASSERT_EQ(D3DReadBackBuffer(c->Device, pixels, w, h), D3D_OK);
    EXPECT_EQ(w, 640u);
    EXPECT_EQ(h, 480u);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x3366CCu);
    EXPECT_EQ(pixels[240 * 640 + 320] & 0xFFFFFF, 0x3366CCu);

    Dispose(c);
    DestroyWindow(window);
}
