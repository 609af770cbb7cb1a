#pragma once

#include "game/rules.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

struct Stone
{
    int Row, Col;
    std::int32_t Colour;
};

using Cell = std::pair<int, int>; // row, column

// A freshly linked board whose pick spheres sit at (row, 0, col), so a
// recorded position tells which stone was removed.
class BoardTest : public ::testing::Test
{
protected:
    using Snapshot = std::array<std::int32_t, BoardSize * BoardSize>;

    void SetUp() override { Reset(); }

    static void Reset()
    {
        LinkBoard();
        for (int row = 0; row < BoardSize; ++row)
            for (int col = 0; col < BoardSize; ++col)
                PickSpheres[row][col] = PickSphere{Vector3(float(row), 0.0f, float(col)), 0.5f};
        CapturedPositions.clear();
    }

    static BoardPoint* At(int row, int col) { return &BoardPoints[row][col]; }
    static BoardPoint* At(Cell cell) { return At(cell.first, cell.second); }

    static void Place(const std::vector<Stone>& stones)
    {
        for (const Stone& s : stones)
            At(s.Row, s.Col)->State = s.Colour;
    }

    static void Place(std::int32_t colour, std::initializer_list<Cell> cells)
    {
        for (Cell cell : cells)
            At(cell)->State = colour;
    }

    static Snapshot States()
    {
        Snapshot states{};
        for (int row = 0; row < BoardSize; ++row)
            for (int col = 0; col < BoardSize; ++col)
                states[row * BoardSize + col] = BoardPoints[row][col].State;
        return states;
    }

    static std::int32_t& StateIn(Snapshot& states, Cell cell)
    {
        return states[cell.first * BoardSize + cell.second];
    }

    static std::vector<Cell> CapturedCells()
    {
        std::vector<Cell> cells;
        for (const Vector3& v : CapturedPositions)
            cells.emplace_back(int(v.x), int(v.z));
        return cells;
    }
};
