#include "board_fixture.h"

#include "math/random.h"

#include <cmath>
#include <string>

namespace
{
constexpr std::int32_t B = Stone_Black;
constexpr std::int32_t W = Stone_White;

struct EvaluationCase
{
    std::string Name;
    std::vector<Stone> Stones;
    Stone Move;
    float Expected;
    float Tolerance;
};

const Cell StarPoints[] = {{3, 3}, {3, 15}, {15, 3}, {15, 15}};
}

TEST_F(BoardTest, DistanceFromCentreIsEuclideanFromNineNine)
{
    EXPECT_EQ(DistanceFromCentre(At(9, 9)), 0.0f);
    EXPECT_EQ(DistanceFromCentre(At(9, 10)), 1.0f);
    EXPECT_EQ(DistanceFromCentre(At(0, 9)), 9.0f);
    EXPECT_FLOAT_EQ(DistanceFromCentre(At(0, 1)), std::sqrt(145.0f));
    EXPECT_FLOAT_EQ(DistanceFromCentre(At(18, 0)), std::sqrt(162.0f));
}

TEST_F(BoardTest, EvaluateMoveScoresTacticsAndPlace)
{
    // The place term for (0, 1): d = sqrt(145), 8 / d / 4 + d * d / 100.
    const float edgeTerm = 8.0f / std::sqrt(145.0f) / 4.0f + 1.45f;
    const std::vector<EvaluationCase> cases = {
        {"the centre of an empty board", {}, {9, 9, W}, -1.0f, 0.0f},
        {"next to the centre keeps the centre's a = 8", {}, {9, 10, W}, -1.01f, 1e-5f},
        {"a star point", {}, {3, 3, W}, 100.044f, 1e-3f},
        {"next to a lone black stone", {{9, 9, B}}, {9, 10, W}, 1.0f + 8.0f - 2.01f, 1e-5f},
        // (0, 1) is the last liberty of the black group, touching two of its
        // stones: capture and lost liberty count from each side.
        {"filling the last liberty from two sides",
         {{0, 0, B}, {1, 0, B}, {1, 1, B}, {2, 0, W}, {2, 1, W}, {1, 2, W}},
         {0, 1, W},
         1.0f + 2 * (50.0f + 8.0f) - edgeTerm,
         1e-4f},
        {"rescuing a stone in atari",
         {{9, 9, W}, {9, 8, B}, {8, 9, B}, {9, 10, B}},
         {10, 9, W},
         1.0f + 2.0f + 6.0f + 100.0f - 2.01f,
         1e-4f},
        {"an occupied point", {{9, 9, B}}, {9, 9, W}, -100.0f, 0.0f},
        {"a suicide", {{0, 1, B}, {1, 0, B}}, {0, 0, W}, -100.0f, 0.0f},
    };

    for (const EvaluationCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        Place(c.Stones);
        const Snapshot before = States();
        EXPECT_NEAR(EvaluateMove(At(c.Move.Row, c.Move.Col), c.Move.Colour), c.Expected, c.Tolerance);
        EXPECT_EQ(States(), before);
    }
}

TEST_F(BoardTest, OnlyTheFourStarPointsGetTheBonusAndScoreAlike)
{
    const float star = EvaluateMove(At(3, 3), W);
    int above = 0;
    for (int row = 0; row < BoardSize; ++row)
        for (int col = 0; col < BoardSize; ++col)
            if (EvaluateMove(At(row, col), W) > 50.0f)
                ++above;
    EXPECT_EQ(above, 4);
    for (Cell cell : StarPoints) {
        SCOPED_TRACE(::testing::Message() << cell.first << ", " << cell.second);
        EXPECT_EQ(EvaluateMove(At(cell), W), star);
    }
}

TEST_F(BoardTest, ChooseMovePlaysTheFirstBestPointInColumnOrder)
{
    struct Case
    {
        Cell Black;
        Cell Expected;
    };
    const Case cases[] = {{{9, 9}, {3, 3}}, {{3, 3}, {15, 3}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "black at " << c.Black.first << ", " << c.Black.second);
        Reset();
        Place(B, {c.Black});
        Snapshot expected = States();
        StateIn(expected, c.Expected) = W;

        std::int32_t row = -1, col = -1;
        ASSERT_TRUE(ChooseMove(&row, &col, 1000, 2.0f));
        EXPECT_EQ(Cell(row, col), c.Expected);
        EXPECT_EQ(States(), expected);
    }
}

TEST_F(BoardTest, ChooseMovePassesWhenNothingBeatsTheThreshold)
{
    // Black everywhere except isolated points on even rows and columns: every
    // empty point is a suicide for white, capturing nothing.
    for (int row = 0; row < BoardSize; ++row)
        for (int col = 0; col < BoardSize; ++col)
            if (row % 2 != 0 || col % 2 != 0)
                At(row, col)->State = B;
    const Snapshot before = States();

    std::int32_t row = 42, col = 43;
    EXPECT_FALSE(ChooseMove(&row, &col, 1000, 2.0f));
    EXPECT_EQ(row, 42);
    EXPECT_EQ(col, 43);
    EXPECT_EQ(States(), before);
}

TEST_F(BoardTest, ChooseMoveNeedsAScoreStrictlyAboveTheThreshold)
{
    const float star = EvaluateMove(At(3, 3), W);
    std::int32_t row = -1, col = -1;
    EXPECT_FALSE(ChooseMove(&row, &col, 1000, star));
    EXPECT_EQ(States(), Snapshot{});
    EXPECT_TRUE(ChooseMove(&row, &col, 1000, star - 0.01f));
    EXPECT_EQ(Cell(row, col), Cell(3, 3));
}

TEST_F(BoardTest, ChooseMoveWithFewTriesDrawsRowThenColumn)
{
    // The first two values of the sequence are 41 and 18467.
    ResetRand();
    std::int32_t row = -1, col = -1;
    ASSERT_TRUE(ChooseMove(&row, &col, 1, -1000.0f));
    EXPECT_EQ(Cell(row, col), Cell(41 % 19, 18467 % 19));
    EXPECT_EQ(At(row, col)->State, W);
}
