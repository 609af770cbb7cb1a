#include "board_fixture.h"

#include <string>

namespace
{
constexpr std::int32_t B = Stone_Black;
constexpr std::int32_t W = Stone_White;

struct LegalityCase
{
    std::string Name;
    std::vector<Stone> Stones;
    Stone Move;
    bool Illegal;
};

// Four lone white stones around (9, 9), each keeping three liberties.
const std::vector<Stone> WhiteCross = {{9, 8, W}, {10, 9, W}, {9, 10, W}, {8, 9, W}};

std::vector<Stone> operator+(std::vector<Stone> a, const std::vector<Stone>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
}

TEST_F(BoardTest, IsIllegalMoveRefusesOccupiedPointsAndSuicideThatCapturesNothing)
{
    const std::vector<LegalityCase> cases = {
        {"an empty board", {}, {9, 9, B}, false},
        {"a point held by the mover", {{9, 9, B}}, {9, 9, B}, true},
        {"a point held by the other colour", {{9, 9, W}}, {9, 9, B}, true},
        {"inside four stones of the other colour", WhiteCross, {9, 9, B}, true},
        {"a corner held by two stones of the other colour", {{0, 1, W}, {1, 0, W}}, {0, 0, B}, true},
        {"white in a corner held by two black stones", {{0, 1, B}, {1, 0, B}}, {0, 0, W}, true},
        // The same cross, with black stones leaving (9, 9) the last liberty
        // of the white stone at (8, 9).
        {"inside four stones, one of them taken", WhiteCross + std::vector<Stone>{{7, 9, B}, {8, 8, B}, {8, 10, B}},
         {9, 9, B},
         false},
        {"joining an own stone that keeps liberties", {{9, 8, B}, {10, 9, W}, {9, 10, W}, {8, 9, W}}, {9, 9, B}, false},
        {"filling the last liberty of the own group",
         {{0, 1, B}, {0, 2, W}, {1, 1, W}, {1, 0, W}},
         {0, 0, B},
         true},
    };

    for (const LegalityCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        Place(c.Stones);
        const Snapshot before = States();
        EXPECT_EQ(IsIllegalMove(At(c.Move.Row, c.Move.Col), c.Move.Colour), c.Illegal);
        EXPECT_EQ(States(), before) << "the tested point or its surroundings changed";
    }
}
