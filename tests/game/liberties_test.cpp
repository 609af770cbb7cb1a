#include "board_fixture.h"

#include <string>

namespace
{
constexpr std::int32_t B = Stone_Black;
constexpr std::int32_t W = Stone_White;

struct LibertyCase
{
    std::string Name;
    std::vector<Stone> Stones;
    Cell Probe; // (-1, -1) probes a null pointer
    std::int32_t Expected;
};
}

TEST_F(BoardTest, LinkBoardLinksNeighboursInFixedOrderAndEmptiesTheBoard)
{
    Place(B, {{4, 4}, {18, 18}});
    LinkBoard();
    for (int row = 0; row < BoardSize; ++row) {
        for (int col = 0; col < BoardSize; ++col) {
            SCOPED_TRACE(::testing::Message() << "row " << row << " col " << col);
            const BoardPoint& p = BoardPoints[row][col];
            EXPECT_EQ(p.State, Stone_None);
            EXPECT_EQ(p.Neighbours[0], col > 0 ? At(row, col - 1) : nullptr);
            EXPECT_EQ(p.Neighbours[1], row < 18 ? At(row + 1, col) : nullptr);
            EXPECT_EQ(p.Neighbours[2], col < 18 ? At(row, col + 1) : nullptr);
            EXPECT_EQ(p.Neighbours[3], row > 0 ? At(row - 1, col) : nullptr);
            EXPECT_EQ(p.Sphere, &PickSpheres[row][col]);
        }
    }
}

TEST_F(BoardTest, CountLibertiesCountsAnEmptyPointOncePerTouchingStone)
{
    // The U: five black stones around (9, 9), which touches three of them.
    const std::vector<Stone> u = {{9, 8, B}, {10, 8, B}, {10, 9, B}, {10, 10, B}, {9, 10, B}};
    const std::vector<LibertyCase> cases = {
        {"lone stone in the middle", {{9, 9, B}}, {9, 9}, 4},
        {"lone stone on the bottom edge", {{0, 9, B}}, {0, 9}, 3},
        {"lone stone on the right edge", {{9, 18, W}}, {9, 18}, 3},
        {"lone stone in the first corner", {{0, 0, B}}, {0, 0}, 2},
        {"lone stone in the last corner", {{18, 18, W}}, {18, 18}, 2},
        {"two stones side by side", {{9, 9, B}, {9, 10, B}}, {9, 9}, 6},
        {"the U, from one arm", u, {9, 8}, 12},
        {"the U, from its base", u, {10, 9}, 12},
        {"a stone of the other colour takes a liberty", {{9, 9, B}, {9, 10, W}}, {9, 9}, 3},
        {"a surrounded corner stone", {{0, 0, B}, {0, 1, W}, {1, 0, W}}, {0, 0}, 0},
        {"a null point", {}, {-1, -1}, -1},
        {"an empty point on an empty board", {}, {9, 9}, -1},
        {"an empty point next to a stone", {{9, 9, B}}, {9, 10}, -1},
    };

    for (const LibertyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        Place(c.Stones);
        BoardPoint* p = c.Probe.first < 0 ? nullptr : At(c.Probe);
        EXPECT_EQ(CountLiberties(p), c.Expected);
        // A visited list left behind would make the second count 0.
        EXPECT_EQ(CountLiberties(p), c.Expected);
    }
}

TEST_F(BoardTest, IsInAtariMeansExactlyOneLiberty)
{
    Place({{0, 0, B}, {0, 1, W}});
    EXPECT_TRUE(IsInAtari(At(0, 0)));
    EXPECT_FALSE(IsInAtari(At(0, 1)));
    EXPECT_FALSE(IsInAtari(At(5, 5)));
}

TEST_F(BoardTest, StepsToEdgeCountsThePointItself)
{
    struct Case
    {
        Cell Point;
        std::int32_t Dir, Expected;
    };
    const Case cases[] = {
        {{0, 0}, 0, 1},   {{0, 0}, 1, 19}, {{0, 0}, 2, 19}, {{0, 0}, 3, 1},
        {{18, 5}, 1, 1},  {{18, 5}, 0, 6}, {{18, 5}, 2, 14}, {{18, 5}, 3, 19},
        {{3, 15}, 0, 16}, {{3, 15}, 1, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "(" << c.Point.first << ", " << c.Point.second << ") dir " << c.Dir);
        EXPECT_EQ(StepsToEdge(c.Dir, At(c.Point)), c.Expected);
    }
    // A direction that is not a neighbour index reads nothing.
    EXPECT_EQ(StepsToEdge(4, At(9, 9)), 0);
    EXPECT_EQ(StepsToEdge(-1, At(9, 9)), 0);
}
