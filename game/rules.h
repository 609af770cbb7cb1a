#pragma once

#include "game/picksphere.h"
#include "math/vector3.h"

#include <cstdint>
#include <vector>

// The Go board, its rules and the computer's (white) move choice.

constexpr std::int32_t Stone_None = 0;
constexpr std::int32_t Stone_Black = 1; // the person, who moves first
constexpr std::int32_t Stone_White = 2; // the computer

constexpr int BoardSize = 19;

// One intersection. Neighbours: 0 = (row, col-1), 1 = (row+1, col),
// 2 = (row, col+1), 3 = (row-1, col); null off the board.
struct BoardPoint
{
    std::int32_t State;
    BoardPoint* Neighbours[4];
    PickSphere* Sphere;
};

// First index the row, second the column.
extern BoardPoint BoardPoints[BoardSize][BoardSize];
extern PickSphere PickSpheres[BoardSize][BoardSize];

// Where the stones removed by the latest capturing move stood, in order of removal.
extern std::vector<Vector3> CapturedPositions;

// Which board picture file the load key reads.
extern bool PatternFromDataDir;

// Empties the board and links every point to its neighbours and pick sphere.
void LinkBoard();

// Liberties of the group at p, counting an empty point once for every stone of
// the group that touches it; -1 for a null or empty point.
std::int32_t CountLiberties(BoardPoint* p);

bool IsInAtari(BoardPoint* p);

// Empties the group at p, appending its stones' positions to CapturedPositions.
void RemoveGroup(BoardPoint* p);

// True when colour may not play at p (occupied, or suicide that captures
// nothing). Leaves p as it was.
bool IsIllegalMove(BoardPoint* p, std::int32_t colour);

// Points from p (inclusive) to the edge along Neighbours[dir].
std::int32_t StepsToEdge(std::int32_t dir, BoardPoint* p);

// Removes the neighbouring groups of the other colour that the stone just
// placed at (row, col) left without liberties; true when it removed any.
bool CaptureAround(std::int32_t row, std::int32_t col);

// Score of colour playing at p; -100 for an illegal move. Leaves the board as
// it found it.
float EvaluateMove(BoardPoint* p, std::int32_t colour);

float DistanceFromCentre(BoardPoint* p);

// Plays white's best point if its score beats threshold and returns true with
// its position in *row, *col; otherwise passes and changes nothing.
bool ChooseMove(std::int32_t* row, std::int32_t* col, std::int32_t tries, float threshold);

// Replaces the board with the picture in "data/foo.foo.foo.foo" or, when
// fromDataDir is false, "foo.foo.foo.foo". A missing file changes nothing.
void LoadBoardPattern(bool fromDataDir);
