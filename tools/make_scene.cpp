// Writes the game's scene file and the ink image its grid names, beside it:
// make_scene [output], by default data/geometry2.3ds below the working
// directory.

#include "tools/game_scene.h"
#include "tools/png_file.h"
#include "tools/tds_writer.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "data/geometry2.3ds";
    const std::string ink = (std::filesystem::path(path).parent_path() / scene::InkImage).string();
    try {
        if (!tds::SaveFile(path, scene::BuildGameScene().Build())) {
            std::fprintf(stderr, "make_scene: cannot write %s\n", path);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_scene: %s\n", e.what());
        return 1;
    }
    if (!tools::SaveAlphaPng(ink, scene::BuildInkAlpha(), scene::InkImageSize, scene::InkImageSize)) {
        std::fprintf(stderr, "make_scene: cannot write %s\n", ink.c_str());
        return 1;
    }
    return 0;
}
