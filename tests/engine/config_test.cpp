// The configuration file: one table of file texts and the records they give.

#include "engine/3dengine.h"
#include "engine/exceptions.h"
#include "fake_adapter.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace
{
class ConfigFile : public ::testing::Test
{
protected:
    ConfigFile() : fake({enginetest::Mode(640, 480, 60, D3DFMT_X8R8G8B8)}), engine(&fake) {}

    GraphicsInitParameters Read(const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
        return engine.ReadConfigFile(path.c_str());
    }

    enginetest::FakeAdapter fake;
    Engine3D engine;
    testsupport::TempDir temp;
    std::string path = temp.File("q3dinit.conf");
};

// The fields a case expects; everything else must stay zero.
GraphicsInitParameters Record(void (*fill)(GraphicsInitParameters&))
{
    GraphicsInitParameters p;
    fill(p);
    return p;
}

void ExpectEqual(const GraphicsInitParameters& a, const GraphicsInitParameters& b, const std::string& what)
{
    EXPECT_EQ(a.XRes, b.XRes) << what;
    EXPECT_EQ(a.YRes, b.YRes) << what;
    EXPECT_EQ(a.Bpp, b.Bpp) << what;
    EXPECT_EQ(a.RefreshRate, b.RefreshRate) << what;
    EXPECT_EQ(a.NeedAlpha, b.NeedAlpha) << what;
    EXPECT_EQ(a.DepthBits, b.DepthBits) << what;
    EXPECT_EQ(a.DevType, b.DevType) << what;
    EXPECT_EQ(a.HardwareTnL, b.HardwareTnL) << what;
    EXPECT_EQ(a.FullScreen, b.FullScreen) << what;
    EXPECT_EQ(a.AntiAliasing, b.AntiAliasing) << what;
    EXPECT_EQ(a.AAQuality, b.AAQuality) << what;
    EXPECT_EQ(a.VSync, b.VSync) << what;
    EXPECT_EQ(a.NumBuffers, b.NumBuffers) << what;
    EXPECT_EQ(a.DontCareFlags, b.DontCareFlags) << what;
}
}

TEST_F(ConfigFile, LinesGiveTheRecord)
{
    using P = GraphicsInitParameters;
    struct Case
    {
        const char* text;
        P expected;
    } cases[] = {
        {"", P{}},
        {"fullscreen = true\n", Record([](P& p) { p.FullScreen = true; })},
        {"fullscreen = true \n", P{}}, // the value is compared whole
        {"fullscreen = TRUE\n", P{}},
        {";fullscreen = true\n", P{}},
        {" fullscreen = true\n", P{}},
        {"fullscreen= true\n", P{}}, // no blank after the key: no key
        {"resolution = 800\n", Record([](P& p) { p.XRes = p.YRes = 800; })},
        {"resolution = 1024 x 768\n", Record([](P& p) { p.XRes = 1024, p.YRes = 768; })},
        {"resolution = 1024x768\n", Record([](P& p) { p.XRes = 1024, p.YRes = 768; })},
        {"resolution =1024x768\n", Record([](P& p) { p.XRes = 24, p.YRes = 768; })}, // first value character lost
        {"resolution =    640x480\n", Record([](P& p) { p.XRes = 640, p.YRes = 480; })},
        {"bpp = 32\nrefresh = 85\nzbufferdepth = 24\n",
         Record([](P& p) { p.Bpp = 32, p.RefreshRate = 85, p.DepthBits = 24; })},
        {"bpp = -16\n", Record([](P& p) { p.Bpp = static_cast<dword>(-16); })},
        {"bpp = thirty\n", P{}},
        {"bpp = 99999999999999\n", Record([](P& p) { p.Bpp = 2147483647u; })},
        {"device = ref\n", Record([](P& p) { p.DevType = D3DDEVTYPE_REF; })},
        {"device = hal\n", Record([](P& p) { p.DevType = D3DDEVTYPE_HAL; })},
        {"device = anything\n", Record([](P& p) { p.DevType = D3DDEVTYPE_HAL; })},
        {"tnl = false\n", P{}},
        {"tnl = nope\n", Record([](P& p) { p.HardwareTnL = true; })},
        {"tnl = \n", Record([](P& p) { p.HardwareTnL = true; })}, // empty value is not "false"
        {"antialiasing = low\n", Record([](P& p) { p.AntiAliasing = true; })},
        {"antialiasing = speed\n", Record([](P& p) { p.AntiAliasing = true; })},
        {"antialiasing = quality\n", Record([](P& p) { p.AntiAliasing = true, p.AAQuality = 1; })},
        {"antialiasing = quality\nantialiasing = none\n", Record([](P& p) { p.AAQuality = 1; })},
        {"flipchain = triplebuffering\n", Record([](P& p) { p.NumBuffers = 2; })},
        {"flipchain = double\n", Record([](P& p) { p.NumBuffers = 1; })},
        {"vsync = true", Record([](P& p) { p.VSync = true; })}, // last line without a break
        {"vsync = true\r\nbpp = 16\r\n", Record([](P& p) { p.VSync = true, p.Bpp = 16; })},
        {"vsync = true\r\n\r\nfullscreen = true", Record([](P& p) { p.VSync = p.FullScreen = true; })},
        // A carriage return with no line feed after it stays in the value.
        {"vsync = true\r\nfullscreen = true\r", Record([](P& p) { p.VSync = true; })},
        {"vsync = true\r\rbpp = 16\n", P{}},
        {"dontcareabout = bpp,refresh\n", Record([](P& p) { p.DontCareFlags = 0x03; })},
        {"dontcareabout = bpp, refresh\n", Record([](P& p) { p.DontCareFlags = 0x03; })},
        {"dontcareabout = bpp ,refresh\n", Record([](P& p) { p.DontCareFlags = 0x02; })},
        {"dontcareabout = bpp,refresh,\n", Record([](P& p) { p.DontCareFlags = 0x03; })},
        {"dontcareabout = \n", P{}},
        {"dontcareabout = , ,,\n", P{}},
        {"dontcareabout = alpha, zbufferdepth, tnl, flipchain, aamode, vsync, colour\n",
         Record([](P& p) { p.DontCareFlags = 0xFC; })},
        {"dontcareabout = bpp\ndontcareabout = vsync\n", Record([](P& p) { p.DontCareFlags = 0x80; })},
        {"bpp = 16\nbpp = 32\n", Record([](P& p) { p.Bpp = 32; })},
        {"Bpp = 16\nunknown = 1\n\n", P{}},
        // A known key without '=' is ignored rather than read out of the key.
        {"tnl false\nantialiasing none\n", P{}},
    };
    for (const Case& c : cases)
        ExpectEqual(Read(c.text), c.expected, std::string("file: ") + c.text);
}

TEST_F(ConfigFile, TheShippedFormReadsAsWritten)
{
    const GraphicsInitParameters p = Read("; display settings\n"
                                          "fullscreen = false\n"
                                          "resolution = 1024x768\n"
                                          "bpp = 32\n"
                                          "zbufferdepth = 24\n"
                                          "device = hal\n"
                                          "tnl = true\n"
                                          "refresh = 60\n"
                                          "antialiasing = none\n"
                                          "flipchain = doublebuffering\n"
                                          "vsync = false\n"
                                          "dontcareabout = refresh, alpha, tnl\n");
    EXPECT_FALSE(p.FullScreen);
    EXPECT_EQ(p.XRes, 1024u);
    EXPECT_EQ(p.YRes, 768u);
    EXPECT_EQ(p.DevType, D3DDEVTYPE_HAL);
    EXPECT_TRUE(p.HardwareTnL);
    EXPECT_EQ(p.NumBuffers, 1u);
    EXPECT_EQ(p.DontCareFlags, DONT_CARE_REFRESH | DONT_CARE_ALPHA | DONT_CARE_TNL);
}

TEST_F(ConfigFile, AMissingOrUnreadableFileThrows)
{
    // A folder opens as a stream does; only reading it fails.
    std::filesystem::create_directory(path);
    for (const std::string& name : {temp.File("missing.conf"), path}) {
        try {
            engine.ReadConfigFile(name.c_str());
            ADD_FAILURE() << "no exception for " << name;
        } catch (const EngineInitException& e) {
            EXPECT_EQ(e.Reason, "Could not open configuration file") << name;
        }
    }
}

TEST(GetValue, PassesOverOneCharacterThenBlanks)
{
    struct Case
    {
        const char* line;
        const char* value;
    } cases[] = {
        {"key = value", "value"},     {"key =value", "alue"},  {"key =   spaced  out ", "spaced  out "},
        {"key = a=b", "a=b"},         {"key =", ""},           {"key = ", ""},
        {"no equals here", ""},       {"=xy", "y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetValue(c.line), c.value) << c.line;
}
