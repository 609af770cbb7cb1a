// Boards full of stones and groups that fill the board: the counts, the
// legality and the scores agree with the rule taken step by step (put the
// stone, count again, take it back), and the computer's replies on the
// biggest groups are the ones the rule gives.

#include "board_fixture.h"

#include <cmath>
#include <functional>
#include <random>
#include <string>

namespace
{
constexpr std::int32_t B = Stone_Black;
constexpr std::int32_t W = Stone_White;

bool IllegalStepByStep(BoardPoint* p, std::int32_t colour)
{
    if (p->State != Stone_None)
        return true;
    p->State = colour;
    bool illegal = CountLiberties(p) == 0;
    for (BoardPoint* n : p->Neighbours)
        if (illegal && n != nullptr && CountLiberties(n) == 0 && n->State != colour)
            illegal = false;
    p->State = Stone_None;
    return illegal;
}

float ScoreStepByStep(BoardPoint* p, std::int32_t colour)
{
    if (IllegalStepByStep(p, colour))
        return -100.0f;
    std::int32_t freedoms[4];
    for (int i = 0; i < 4; ++i)
        freedoms[i] = CountLiberties(p->Neighbours[i]);
    p->State = colour;
    float score = 1.0f;
    for (int i = 0; i < 4; ++i) {
        BoardPoint* n = p->Neighbours[i];
        if (n == nullptr)
            continue;
        const std::int32_t after = CountLiberties(n);
        const bool own = n->State == colour;
        score += (!own && after == 0) ? 50.0f : 0.0f;
        score += own ? 2.0f : 0.0f;
        score += (own && after > freedoms[i]) ? 6.0f : 0.0f;
        score += (!own && after < freedoms[i]) ? 8.0f : 0.0f;
        score += (own && freedoms[i] == 1 && after >= 2) ? 100.0f : 0.0f;
    }
    p->State = Stone_None;
    const float d = DistanceFromCentre(p);
    const double a = d > 0.0f ? static_cast<float>(1.0 / (d / 8.0)) : 8.0;
    score = static_cast<float>(score - (a / 4.0 + static_cast<double>(d) * d / 100.0));
    const bool fourthLines = (StepsToEdge(1, p) == 4 || StepsToEdge(1, p) == 16) &&
                             (StepsToEdge(0, p) == 4 || StepsToEdge(0, p) == 16);
    return fourthLines ? score + 100.0f : score;
}

using StateAt = std::function<std::int32_t(int row, int col)>;

struct BigBoard
{
    std::string Name;
    StateAt State;
};

// One group of 349 stones around twelve lone empty points.
StateAt OneGroupOf349(std::int32_t colour)
{
    return [colour](int row, int col) {
        const bool holeRow = row == 3 || row == 9 || row == 15;
        const bool holeCol = col == 2 || col == 7 || col == 11 || col == 16;
        return holeRow && holeCol ? Stone_None : colour;
    };
}

// One group of 280 stones, the 81 points of odd row and column empty.
StateAt Lattice(std::int32_t colour)
{
    return [colour](int row, int col) { return row % 2 && col % 2 ? Stone_None : colour; };
}

// 360 stones around the centre point, their last liberty.
StateAt AllButTheCentre(std::int32_t colour)
{
    return [colour](int row, int col) { return row == 9 && col == 9 ? Stone_None : colour; };
}

std::vector<BigBoard> Boards()
{
    std::vector<BigBoard> boards = {
        {"one white group of 349", OneGroupOf349(W)}, {"one black group of 349", OneGroupOf349(B)},
        {"a white lattice", Lattice(W)},              {"a black lattice", Lattice(B)},
        {"white but the centre", AllButTheCentre(W)}, {"black but the centre", AllButTheCentre(B)},
    };
    // Random boards from sparse to nearly full, with groups of every size.
    std::mt19937 random(7);
    for (int full = 10; full <= 95; full += 5) {
        std::vector<std::int32_t> states(BoardSize * BoardSize);
        for (std::int32_t& s : states)
            s = static_cast<int>(random() % 100) >= full ? Stone_None : static_cast<std::int32_t>(1 + random() % 2);
        boards.push_back({"random, " + std::to_string(full) + " per cent full",
                          [states](int row, int col) { return states[row * BoardSize + col]; }});
    }
    return boards;
}

void Fill(const StateAt& state)
{
    for (int row = 0; row < BoardSize; ++row)
        for (int col = 0; col < BoardSize; ++col)
            BoardPoints[row][col].State = state(row, col);
}
}

TEST_F(BoardTest, LegalityAndScoresAgreeWithTheRuleStepByStep)
{
    for (const BigBoard& board : Boards()) {
        SCOPED_TRACE(board.Name);
        Reset();
        Fill(board.State);
        const Snapshot before = States();
        for (int row = 0; row < BoardSize; ++row) {
            for (int col = 0; col < BoardSize; ++col) {
                for (std::int32_t colour : {B, W}) {
                    SCOPED_TRACE(::testing::Message() << "colour " << colour << " at " << row << ", " << col);
                    BoardPoint* p = At(row, col);
                    ASSERT_EQ(IsIllegalMove(p, colour), IllegalStepByStep(p, colour));
                    ASSERT_EQ(EvaluateMove(p, colour), ScoreStepByStep(p, colour));
                }
            }
        }
        EXPECT_EQ(States(), before);
    }
}

TEST_F(BoardTest, TheReplyIsTheFirstBestPointOfTheRuleStepByStep)
{
    for (const BigBoard& board : Boards()) {
        SCOPED_TRACE(board.Name);
        Reset();
        Fill(board.State);
        float best = 2.0f;
        Cell expected(-1, -1);
        for (int i = 0; i < BoardSize * BoardSize; ++i) {
            const float s = ScoreStepByStep(At(i % BoardSize, i / BoardSize), W);
            if (s > best) {
                best = s;
                expected = {i % BoardSize, i / BoardSize};
            }
        }
        std::int32_t row = -1, col = -1;
        EXPECT_EQ(ChooseMove(&row, &col, 1000, 2.0f), expected.first != -1);
        EXPECT_EQ(Cell(row, col), expected);
    }
}

TEST_F(BoardTest, GroupsThatFillTheBoard)
{
    struct Case
    {
        std::string Name;
        StateAt State;
        std::int32_t Liberties; // of the group at (0, 0)
        bool Plays;
        Cell Reply;
        float Score;
    };
    // The place term 8 / d / 4 + d * d / 100 is least at d * d = 40 among the
    // twelve holes; the lattice's holes include the four star points.
    const float tactics = 1.0f + 4 * 2.0f;
    const Case cases[] = {
        {"one white group of 349", OneGroupOf349(W), 12 * 4, true, {3, 7},
         tactics - (2.0f / std::sqrt(40.0f) + 0.4f)},
        {"one black group of 349: every hole a suicide", OneGroupOf349(B), 12 * 4, false, {-1, -1}, -100.0f},
        {"a white lattice", Lattice(W), 81 * 4, true, {3, 3},
         tactics - (2.0f / std::sqrt(72.0f) + 0.72f) + 100.0f},
        {"a black lattice: every hole a suicide", Lattice(B), 81 * 4, false, {-1, -1}, -100.0f},
        // Four captures and four lost liberties, at the centre's place term 2.
        {"black but the centre: white takes all 360", AllButTheCentre(B), 4, true, {9, 9},
         1.0f + 4 * (50.0f + 8.0f) - 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        Fill(c.State);
        EXPECT_EQ(CountLiberties(At(0, 0)), c.Liberties);
        std::int32_t row = -1, col = -1;
        ASSERT_EQ(ChooseMove(&row, &col, 1000, 2.0f), c.Plays);
        EXPECT_EQ(Cell(row, col), c.Reply);
        if (!c.Plays)
            continue;
        At(row, col)->State = Stone_None;
        EXPECT_NEAR(EvaluateMove(At(row, col), W), c.Score, 1e-4f);
    }
}

TEST_F(BoardTest, CapturingAGroupOf360RemovesItFromTheCapturingStoneOutwards)
{
    Fill(AllButTheCentre(B));
    At(9, 9)->State = W;
    ASSERT_TRUE(CaptureAround(9, 9));
    Snapshot expected{};
    StateIn(expected, {9, 9}) = W;
    EXPECT_EQ(States(), expected);
    const std::vector<Cell> captured = CapturedCells();
    ASSERT_EQ(captured.size(), 360u);
    // Depth first from the first neighbour visited, (10, 9), down its
    // Neighbours[0] chain to the edge.
    EXPECT_EQ(captured[0], Cell(10, 9));
    EXPECT_EQ(captured[1], Cell(10, 8));
    EXPECT_EQ(captured[9], Cell(10, 0));
    EXPECT_EQ(CountLiberties(At(9, 9)), 4);
}
