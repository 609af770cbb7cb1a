#include "board_fixture.h"

#include <string>

namespace
{
constexpr std::int32_t B = Stone_Black;
constexpr std::int32_t W = Stone_White;

// What CapturedPositions holds before the move.
const Cell Stale = {-1, -1};

struct CaptureCase
{
    std::string Name;
    std::vector<Stone> Stones;
    Stone Move;
    std::vector<Cell> Captured; // what CapturedPositions holds afterwards
};
}

TEST_F(BoardTest, CaptureAroundRemovesTheOtherColoursGroupsLeftWithoutLiberties)
{
    const std::vector<CaptureCase> cases = {
        {"two groups: the one below first, then the one to the right",
         {{10, 9, W}, {11, 9, W}, {10, 8, B}, {10, 10, B}, {11, 8, B}, {11, 10, B}, {12, 9, B},
          {9, 10, W}, {9, 11, B}, {8, 10, B}},
         {9, 9, B},
         {{10, 9}, {11, 9}, {9, 10}}},
        {"one group touching the move on two sides is removed once",
         {{10, 9, W}, {10, 10, W}, {9, 10, W}, {10, 8, B}, {11, 9, B}, {11, 10, B}, {10, 11, B},
          {9, 11, B}, {8, 10, B}},
         {9, 9, B},
         {{10, 9}, {10, 10}, {9, 10}}},
        {"the first corner", {{0, 1, W}, {0, 2, B}, {1, 1, B}}, {0, 0, B}, {{0, 1}}},
        {"the last corner", {{17, 18, W}, {16, 18, B}, {17, 17, B}}, {18, 18, B}, {{17, 18}}},
        {"white captures black", {{0, 1, B}, {0, 2, W}, {1, 1, W}}, {0, 0, W}, {{0, 1}}},
        // The move fills the last liberty of its own group {(9, 9), (10, 9)},
        // seen first, and of the white stone at (8, 9): only white goes.
        {"the mover's own group without liberties stays",
         {{10, 9, B}, {11, 9, W}, {10, 8, W}, {10, 10, W}, {9, 8, W}, {9, 10, W},
          {8, 9, W}, {8, 8, B}, {8, 10, B}, {7, 9, B}},
         {9, 9, B},
         {{8, 9}}},
        {"a neighbour that keeps a liberty", {{9, 10, W}}, {9, 9, B}, {Stale}},
        {"a corner on an empty board", {}, {18, 0, W}, {Stale}},
    };

    for (const CaptureCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        Place(c.Stones);
        CapturedPositions = {Vector3(float(Stale.first), 0.0f, float(Stale.second))};
        At(c.Move.Row, c.Move.Col)->State = c.Move.Colour;
        Snapshot expected = States();
        for (Cell cell : c.Captured)
            if (cell != Stale)
                StateIn(expected, cell) = Stone_None;

        const bool captured = CaptureAround(c.Move.Row, c.Move.Col);

        EXPECT_EQ(captured, c.Captured != std::vector<Cell>{Stale});
        EXPECT_EQ(CapturedCells(), c.Captured);
        EXPECT_EQ(States(), expected);
    }
}

TEST_F(BoardTest, CaptureAroundOffTheBoardDoesNothing)
{
    Place({{0, 0, W}, {0, 1, B}, {1, 0, B}});
    const Snapshot before = States();
    EXPECT_FALSE(CaptureAround(-1, 0));
    EXPECT_FALSE(CaptureAround(0, -1));
    EXPECT_FALSE(CaptureAround(19, 0));
    EXPECT_FALSE(CaptureAround(0, 19));
    EXPECT_EQ(States(), before);
    EXPECT_TRUE(CapturedPositions.empty());
}

TEST_F(BoardTest, RemoveGroupIgnoresNullAndEmptyPoints)
{
    Place(B, {{9, 9}});
    RemoveGroup(nullptr);
    RemoveGroup(At(9, 10));
    EXPECT_EQ(At(9, 9)->State, Stone_Black);
    EXPECT_TRUE(CapturedPositions.empty());
}
