// The computer's reply time (ChooseMove with the game's tries and threshold)
// on boards from empty to the worst cases for liberty counting: one group
// that fills the board, and a group whose every empty point touches it four
// times.

#include "game/rules.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

namespace {

// Rows from 0 up, columns from 0 left; '.' empty, 'b' black, 'w' white.
const char* const MidGame[BoardSize] = {
    "...................", //
    "...................", //
    "..w...b.....b..w...", //
    "...b..........w....", //
    "...bw.......bbw....", //
    "....w.....b.ww.....", //
    "...........b.......", //
    "..b.........w......", //
    "...ww...b.......b..", //
    "...bbw.............", //
    "....b.w....ww......", //
    ".......b..wbb...w..", //
    "..w....b...b.......", //
    "...b..........bw...", //
    "...bw.....b....w...", //
    "...bbw.......ww.b..", //
    "..bww..........b...", //
    "...b...............", //
    "...................", //
};

void Fill(const std::function<std::int32_t(int row, int col)>& stateAt)
{
    LinkBoard();
    for (int row = 0; row < BoardSize; ++row)
        for (int col = 0; col < BoardSize; ++col)
            BoardPoints[row][col].State = stateAt(row, col);
}

void Picture(const char* const rows[BoardSize])
{
    Fill([rows](int row, int col) {
        const char ch = rows[row][col];
        return ch == 'b' ? Stone_Black : ch == 'w' ? Stone_White : Stone_None;
    });
}

// One group of 349 stones around twelve lone empty points.
std::int32_t OneGroupOf349(int row, int col, std::int32_t colour)
{
    const bool holeRow = row == 3 || row == 9 || row == 15;
    const bool holeCol = col == 2 || col == 7 || col == 11 || col == 16;
    return holeRow && holeCol ? Stone_None : colour;
}

void Reply(benchmark::State& state, const std::function<void()>& setUp)
{
    setUp();
    for (auto _ : state) {
        std::int32_t row = 0, col = 0;
        const bool played = ChooseMove(&row, &col, 1000, 2.0f);
        benchmark::DoNotOptimize(played);
        // Take the stone back, so that every reply starts from the same board.
        if (played)
            BoardPoints[row][col].State = Stone_None;
    }
}

void Register(const std::string& name, std::function<void()> setUp)
{
    benchmark::RegisterBenchmark(("ChooseMove/" + name).c_str(),
                                 [setUp](benchmark::State& state) { Reply(state, setUp); })
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char** argv)
{
    Register("Empty", [] { Fill([](int, int) { return Stone_None; }); });
    Register("MidGame", [] { Picture(MidGame); });
    Register("OneWhiteGroupOf349", [] { Fill([](int r, int c) { return OneGroupOf349(r, c, Stone_White); }); });
    Register("OneBlackGroupOf349", [] { Fill([](int r, int c) { return OneGroupOf349(r, c, Stone_Black); }); });
    // White everywhere but the 81 points of odd row and odd column: one group
    // of 280 stones, each empty point touching it from all four sides.
    Register("WhiteLattice", [] { Fill([](int r, int c) { return r % 2 && c % 2 ? Stone_None : Stone_White; }); });

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
