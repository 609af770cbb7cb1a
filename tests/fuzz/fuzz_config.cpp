// Arbitrary bytes as a configuration file. Besides no crash and no leak:
// the record must be what the file's lines say by the documented rule,
// worked out here a second way, field by field, and every line's value
// must be what GetValue gives.

#include "engine/3dengine.h"
#include "fuzz_input.h"
#include "tests/engine/fake_adapter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

// A line break is a line feed, with the carriage return before it; the last
// line needs none.
std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string line(text.substr(0, end));
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

// After the first '=': one character whatever it is, then blanks.
std::string Value(const std::string& line)
{
    std::size_t from = std::min(line.find('=') + 2, line.size());
    while (from < line.size() && Blank(line[from]))
        ++from;
    return line.substr(from);
}

// A decimal number from the front, as strtol reads it, held to 32 bits.
dword Number(const std::string& text, std::size_t from = 0)
{
    const long long n = std::strtoll(text.c_str() + std::min(from, text.size()), nullptr, 10);
    return static_cast<dword>(static_cast<std::int32_t>(std::clamp<long long>(n, INT_MIN, INT_MAX)));
}

std::uint16_t Flags(const std::string& list)
{
    static const std::pair<const char*, std::uint16_t> tokens[] = {
        {"bpp", 0x01}, {"refresh", 0x02}, {"alpha", 0x04}, {"zbufferdepth", 0x08},
        {"tnl", 0x10}, {"flipchain", 0x20}, {"aamode", 0x40}, {"vsync", 0x80},
    };
    std::uint16_t flags = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        std::string token = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        token.erase(0, std::min(token.find_first_not_of(" \t"), token.size()));
        for (const auto& [name, bit] : tokens)
            if (token == name)
                flags |= bit;
        if (comma == std::string::npos)
            return flags;
        start = comma + 1;
    }
}

GraphicsInitParameters Expected(std::string_view text)
{
    GraphicsInitParameters p;
    for (const std::string& line : Lines(text)) {
        if (line.empty() || line[0] == ';' || line[0] == '\r' || Blank(line[0]))
            continue;
        // A known key without '=' is ignored rather than read from the key.
        if (line.find('=') == std::string::npos)
            continue;
        const std::string key = line.substr(0, std::find_if(line.begin(), line.end(), Blank) - line.begin());
        const std::string v = Value(line);
        if (key == "fullscreen")
            p.FullScreen = v == "true";
        else if (key == "resolution") {
            const std::size_t x = v.find('x');
            p.XRes = Number(v);
            p.YRes = x == std::string::npos ? p.XRes : Number(v, x + 1);
        } else if (key == "bpp")
            p.Bpp = Number(v);
        else if (key == "zbufferdepth")
            p.DepthBits = Number(v);
        else if (key == "device")
            p.DevType = v == "ref" ? 2 : 1;
        else if (key == "tnl")
            p.HardwareTnL = v != "false";
        else if (key == "refresh")
            p.RefreshRate = Number(v);
        else if (key == "antialiasing") {
            p.AntiAliasing = v != "none";
            if (p.AntiAliasing)
                p.AAQuality = v == "speed" || v == "low" ? 0 : 1;
        } else if (key == "flipchain")
            p.NumBuffers = v == "triplebuffering" ? 2 : 1;
        else if (key == "vsync")
            p.VSync = v == "true";
        else if (key == "dontcareabout")
            p.DontCareFlags = Flags(v);
    }
    return p;
}

void CheckRecord(const GraphicsInitParameters& got, const GraphicsInitParameters& want)
{
    using fuzz::Check;
    Check(got.XRes == want.XRes, "XRes");
    Check(got.YRes == want.YRes, "YRes");
    Check(got.Bpp == want.Bpp, "Bpp");
    Check(got.RefreshRate == want.RefreshRate, "RefreshRate");
    Check(!got.NeedAlpha, "NeedAlpha: no key sets it");
    Check(got.DepthBits == want.DepthBits, "DepthBits");
    Check(got.DevType == want.DevType, "DevType");
    Check(got.HardwareTnL == want.HardwareTnL, "HardwareTnL");
    Check(got.FullScreen == want.FullScreen, "FullScreen");
    Check(got.AntiAliasing == want.AntiAliasing, "AntiAliasing");
    Check(got.AAQuality == want.AAQuality, "AAQuality");
    Check(got.VSync == want.VSync, "VSync");
    Check(got.NumBuffers == want.NumBuffers, "NumBuffers");
    Check(got.DontCareFlags == want.DontCareFlags, "DontCareFlags");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!fuzz::WriteInput(data, size))
        return 0;
    // The record reader needs an engine root, not a display.
    static enginetest::FakeAdapter adapter;
    static Engine3D engine(&adapter);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckRecord(engine.ReadConfigFile(fuzz::InputPath().c_str()), Expected(text));
    for (const std::string& line : Lines(text))
        if (line.find('=') != std::string::npos)
            fuzz::Check(GetValue(line) == Value(line), "GetValue");
    return 0;
}
