#include "board_fixture.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace
{
const std::string Dots(19, '.');

// 19 lines of dots with the given first lines, each ended by eol.
std::string Picture(std::vector<std::string> top, const std::string& eol = "\n")
{
    top.resize(19, Dots);
    std::string text;
    for (const std::string& line : top)
        text += line + eol;
    return text;
}
}

// Runs each test in a fresh working directory of its own.
class BoardPictureTest : public BoardTest
{
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        Home = fs::current_path();
        fs::create_directory(Dir.Path() / "data");
        fs::current_path(Dir.Path());
        // Something on the board for a picture to replace.
        Place({{9, 9, Stone_Black}, {0, 18, Stone_White}, {18, 5, Stone_White}});
    }

    void TearDown() override
    {
        fs::current_path(Home);
    }

    static void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(name, std::ios::binary) << text;
    }

    static void Load(const std::string& text)
    {
        Write("data/foo.foo.foo.foo", text);
        LoadBoardPattern(true);
    }

    fs::path Home;
    testsupport::TempDir Dir;
};

TEST_F(BoardPictureTest, PatternStartsInTheDataDirectory)
{
    EXPECT_TRUE(PatternFromDataDir);
}

TEST_F(BoardPictureTest, DotsEmptyTheBoard)
{
    Load(Picture({}));
    EXPECT_EQ(States(), Snapshot{});
}

TEST_F(BoardPictureTest, FirstLineIsTheTopRowAndFirstCharacterColumnZero)
{
    std::vector<std::string> lines(19, Dots);
    lines[0] = "b" + Dots.substr(1);
    lines[18] = Dots.substr(1) + "b";
    Load(Picture(lines));

    Snapshot expected{};
    StateIn(expected, {18, 0}) = Stone_Black;
    StateIn(expected, {0, 18}) = Stone_Black;
    EXPECT_EQ(States(), expected);
}

TEST_F(BoardPictureTest, OnlyDotAndLowerCaseBAreNotWhite)
{
    Load(Picture({".bBwx #" + Dots.substr(7)}));
    const std::int32_t expected[] = {Stone_None, Stone_Black, Stone_White, Stone_White,
                                     Stone_White, Stone_White, Stone_White, Stone_None};
    for (int col = 0; col < 8; ++col)
        EXPECT_EQ(At(18, col)->State, expected[col]) << "column " << col;
}

TEST_F(BoardPictureTest, CrLfReadsLikeLf)
{
    const std::vector<std::string> lines = {"b.w" + Dots.substr(3), "..b", Dots.substr(1) + "w", "w"};
    Load(Picture(lines, "\n"));
    const Snapshot fromLf = States();
    Reset();
    Load(Picture(lines, "\r\n"));
    EXPECT_EQ(States(), fromLf);
    EXPECT_EQ(At(18, 2)->State, Stone_White);
    EXPECT_EQ(At(17, 3)->State, Stone_None) << "a carriage return read as a stone";
}

TEST_F(BoardPictureTest, MissingCharactersAndLinesAreEmptyPoints)
{
    struct Case
    {
        std::string Name, Text;
        std::vector<Stone> Stones;
    };
    const Case cases[] = {
        {"a short line", Picture({"bw"}), {{18, 0, Stone_Black}, {18, 1, Stone_White}}},
        {"an empty line", Picture({"", "b"}), {{17, 0, Stone_Black}}},
        {"two lines and no more", "w\n.b\n", {{18, 0, Stone_White}, {17, 1, Stone_Black}}},
        {"a last line without a line feed", "b\nw", {{18, 0, Stone_Black}, {17, 0, Stone_White}}},
        {"an empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        Place({{9, 9, Stone_Black}, {18, 18, Stone_White}});
        Load(c.Text);
        Snapshot expected{};
        for (const Stone& s : c.Stones)
            StateIn(expected, {s.Row, s.Col}) = s.Colour;
        EXPECT_EQ(States(), expected);
    }
}

TEST_F(BoardPictureTest, CharactersAndLinesBeyondNineteenAreIgnored)
{
    std::vector<std::string> lines(20, Dots);
    lines[0] = std::string(30, 'b');
    lines[19] = "wwww";
    Load(Picture(lines));

    Snapshot expected{};
    for (int col = 0; col < 19; ++col)
        StateIn(expected, {18, col}) = Stone_Black;
    EXPECT_EQ(States(), expected);
}

TEST_F(BoardPictureTest, OnlyStatesChange)
{
    Load(Picture({"b"}));
    EXPECT_EQ(At(9, 9)->Neighbours[1], At(10, 9));
    EXPECT_EQ(At(9, 9)->Sphere, &PickSpheres[9][9]);
}

TEST_F(BoardPictureTest, MissingFileChangesNothing)
{
    const Snapshot before = States();
    LoadBoardPattern(true);
    LoadBoardPattern(false);
    EXPECT_EQ(States(), before);
}

// A folder opens as a stream does, then reads as nothing: not as a picture
// of an empty board.
TEST_F(BoardPictureTest, FolderInPlaceOfTheFileChangesNothing)
{
    fs::create_directory("data/foo.foo.foo.foo");
    fs::create_directory("foo.foo.foo.foo");
    const Snapshot before = States();
    LoadBoardPattern(true);
    LoadBoardPattern(false);
    EXPECT_EQ(States(), before);
}

TEST_F(BoardPictureTest, FlagChoosesBetweenDataDirectoryAndWorkingDirectory)
{
    Write("data/foo.foo.foo.foo", Picture({"b"}));
    Write("foo.foo.foo.foo", Picture({"w"}));

    LoadBoardPattern(true);
    EXPECT_EQ(At(18, 0)->State, Stone_Black);
    LoadBoardPattern(false);
    EXPECT_EQ(At(18, 0)->State, Stone_White);
}
