// Arbitrary bytes as the board picture file. Besides no crash: the board
// must be what a plain reading of the 19-line rule gives, every point of it
// replaced, only the states written, and a missing file must change nothing.

#include "fuzz_input.h"
#include "game/rules.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The loader reads fixed names relative to the working folder: it runs in
// a folder of its own, which has no data/ for the other name.
const fs::path& PictureFolder()
{
    static const fs::path dir = [] {
        std::string pattern = fuzz::ScratchFolder() + "/go3d_fuzz_board_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            fuzz::Fail("cannot make a folder for the picture");
        return fs::path(pattern);
    }();
    static const bool removed = std::atexit([] { fs::remove_all(dir); }) == 0;
    (void)removed;
    return dir;
}

// Runs the loader in the picture's folder and comes back.
void LoadIn(const fs::path& dir, bool fromDataDir)
{
    const int home = open(".", O_RDONLY | O_DIRECTORY);
    fuzz::Check(home >= 0 && chdir(dir.c_str()) == 0, "enter the picture's folder");
    LoadBoardPattern(fromDataDir);
    fuzz::Check(fchdir(home) == 0, "leave the picture's folder");
    close(home);
}

// Row 18 - k, column c, from line k: '.' empty, 'b' black, anything else
// white; a missing line or character is empty.
std::int32_t Expected(std::string_view text, int row, int col)
{
    for (int k = 0; k < BoardSize - 1 - row; ++k) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return Stone_None;
        text.remove_prefix(end + 1);
    }
    std::string_view line = text.substr(0, text.find('\n'));
    // A carriage return belongs to the line break only before a line feed.
    if (line.size() < text.size() && !line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (static_cast<std::size_t>(col) >= line.size())
        return Stone_None;
    return line[col] == '.' ? Stone_None : line[col] == 'b' ? Stone_Black : Stone_White;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    LinkBoard();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path& dir = PictureFolder();
    {
        std::ofstream file(dir / "foo.foo.foo.foo", std::ios::binary);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!file.flush())
            return 0;
    }
    // No state a picture can give: every point must be written.
    BoardPoint before[BoardSize][BoardSize];
    for (auto& line : BoardPoints)
        for (BoardPoint& p : line)
            p.State = -1;
    std::memcpy(before, BoardPoints, sizeof before);

    LoadIn(dir, false);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (int row = 0; row < BoardSize; ++row)
        for (int col = 0; col < BoardSize; ++col) {
            const BoardPoint& p = BoardPoints[row][col];
            const BoardPoint& q = before[row][col];
            fuzz::Check(p.State == Expected(text, row, col), "the picture's stone at every point");
            fuzz::Check(std::memcmp(p.Neighbours, q.Neighbours, sizeof p.Neighbours) == 0 && p.Sphere == q.Sphere,
                        "only the states are written");
        }
    fuzz::Check(CapturedPositions.empty(), "no capture step");

    // The other name: the folder has no data/, so nothing changes.
    std::memcpy(before, BoardPoints, sizeof before);
    LoadIn(dir, true);
    fuzz::Check(std::memcmp(before, BoardPoints, sizeof before) == 0, "a missing file changes nothing");
    return 0;
}
