#include "game/rules.h"

#include "math/random.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cmath>
#include <fstream>
#include <istream>
#include <optional>
#include <string>

BoardPoint BoardPoints[BoardSize][BoardSize];
PickSphere PickSpheres[BoardSize][BoardSize];
std::vector<Vector3> CapturedPositions;
bool PatternFromDataDir = true;

void LinkBoard()
{
    for (auto& line : BoardPoints)
        for (BoardPoint& point : line)
            point = BoardPoint{};

    for (int row = 0; row < BoardSize; ++row) {
        for (int col = 0; col < BoardSize; ++col) {
            BoardPoint& p = BoardPoints[row][col];
            p.Neighbours[0] = col >= 1 ? &BoardPoints[row][col - 1] : nullptr;
            p.Neighbours[1] = row < BoardSize - 1 ? &BoardPoints[row + 1][col] : nullptr;
            p.Neighbours[2] = col < BoardSize - 1 ? &BoardPoints[row][col + 1] : nullptr;
            p.Neighbours[3] = row >= 1 ? &BoardPoints[row - 1][col] : nullptr;
            p.Sphere = &PickSpheres[row][col];
        }
    }
}

namespace
{
constexpr std::size_t PointCount = BoardSize * BoardSize;

// Every point handed to the rules is one of the board's.
std::size_t IndexOf(const BoardPoint* p)
{
    return static_cast<std::size_t>(p - &BoardPoints[0][0]);
}

// The stones the current outermost count has reached: a mark per point, and
// the list of marked points, so that clearing costs the group, not the board.
struct VisitedStones
{
    bool Marked[PointCount] = {};
    std::vector<BoardPoint*> Points;

    // False when p was marked already.
    bool Mark(BoardPoint* p)
    {
        bool& marked = Marked[IndexOf(p)];
        if (marked)
            return false;
        marked = true;
        Points.push_back(p);
        return true;
    }

    void Clear()
    {
        for (BoardPoint* p : Points)
            Marked[IndexOf(p)] = false;
        Points.clear();
    }
};
}

std::int32_t CountLiberties(BoardPoint* p)
{
    // Shared by the whole recursion and empty again once the outermost call
    // returns. Empty points are never marked, which is what makes a liberty
    // count once for each stone of the group that touches it.
    static VisitedStones visited;
    static std::int32_t depth = 0;

    if (depth == 0 && (p == nullptr || p->State == Stone_None))
        return -1;
    if (p == nullptr)
        return 0;
    if (p->State == Stone_None)
        return 1;

    ++depth;
    if (!visited.Mark(p)) {
        --depth;
        return 0;
    }

    std::int32_t sum = 0;
    for (BoardPoint* n : p->Neighbours) {
        if (n != nullptr && n->State != Stone_None && n->State != p->State)
            continue;
        sum += CountLiberties(n);
    }

    --depth;
    if (depth == 0)
        visited.Clear();
    return sum;
}

bool IsInAtari(BoardPoint* p)
{
    return CountLiberties(p) == 1;
}

void RemoveGroup(BoardPoint* p)
{
    if (p == nullptr || p->State == Stone_None)
        return;
    CapturedPositions.push_back(p->Sphere->Centre);
    std::int32_t c = p->State;
    p->State = Stone_None;
    for (BoardPoint* n : p->Neighbours)
        if (n != nullptr && n->State == c)
            RemoveGroup(n);
}

namespace
{
// The groups of the board as it stands: the group of every stone and each
// group's liberty count. A count is a sum over the group's stones, so what a
// stone put on an empty point does to the counts around it follows from the
// table without walking any group again, and one table serves every point
// of an unchanged board.
class GroupTable
{
public:
    static constexpr std::int32_t NoGroup = -1;

    GroupTable()
    {
        for (std::int32_t& g : group_)
            g = NoGroup;
        std::int32_t groups = 0;
        for (auto& line : BoardPoints)
            for (BoardPoint& p : line)
                if (p.State != Stone_None && Of(&p) == NoGroup)
                    Label(&p, groups++);
    }

    // NoGroup for a null or empty point.
    std::int32_t Of(const BoardPoint* p) const { return p == nullptr ? NoGroup : group_[IndexOf(p)]; }
    std::int32_t Liberties(std::int32_t group) const { return liberties_[group]; }

private:
    void Label(BoardPoint* first, std::int32_t group)
    {
        liberties_[group] = CountLiberties(first);
        BoardPoint* stack[PointCount];
        std::size_t size = 0;
        group_[IndexOf(first)] = group;
        stack[size++] = first;
        while (size > 0) {
            const BoardPoint* p = stack[--size];
            for (BoardPoint* n : p->Neighbours) {
                if (n != nullptr && n->State == p->State && group_[IndexOf(n)] == NoGroup) {
                    group_[IndexOf(n)] = group;
                    stack[size++] = n;
                }
            }
        }
    }

    std::int32_t group_[PointCount];
    std::int32_t liberties_[PointCount];
};

// What CountLiberties says around an empty point p before and after a stone
// is put there: Before[i] and After[i] for Neighbours[i], Placed for p.
struct MoveCounts
{
    std::int32_t Before[4];
    std::int32_t After[4];
    std::int32_t Placed;
};

MoveCounts CountMove(const GroupTable& groups, const BoardPoint* p, std::int32_t colour)
{
    std::int32_t group[4];
    for (int i = 0; i < 4; ++i)
        group[i] = groups.Of(p->Neighbours[i]);
    // Every stone of a group next to p loses p as a liberty.
    auto touching = [&](std::int32_t g) { return static_cast<std::int32_t>(std::count(group, group + 4, g)); };

    MoveCounts m{};
    for (int i = 0; i < 4; ++i) {
        const BoardPoint* n = p->Neighbours[i];
        m.Before[i] = m.After[i] = -1;
        if (n == nullptr)
            continue;
        if (n->State == Stone_None) {
            ++m.Placed;
            continue;
        }
        m.Before[i] = groups.Liberties(group[i]);
        const std::int32_t left = m.Before[i] - touching(group[i]);
        if (n->State != colour)
            m.After[i] = left;
        else if (std::find(group, group + i, group[i]) == group + i)
            m.Placed += left; // the stone joins this group of its colour
    }
    for (int i = 0; i < 4; ++i)
        if (p->Neighbours[i] != nullptr && p->Neighbours[i]->State == colour)
            m.After[i] = m.Placed;
    return m;
}

// The counts of colour playing at p, or none when it may not: p occupied,
// or a stone there left without liberties that takes the last one of no
// neighbouring group of the other colour.
std::optional<MoveCounts> LegalMove(const GroupTable& groups, const BoardPoint* p, std::int32_t colour)
{
    if (p->State != Stone_None)
        return std::nullopt;
    const MoveCounts m = CountMove(groups, p, colour);
    if (m.Placed != 0)
        return m;
    for (int i = 0; i < 4; ++i) {
        const BoardPoint* n = p->Neighbours[i];
        if (n != nullptr && m.After[i] == 0 && n->State != colour)
            return m;
    }
    return std::nullopt;
}
}

bool IsIllegalMove(BoardPoint* p, std::int32_t colour)
{
    return !LegalMove(GroupTable(), p, colour);
}

std::int32_t StepsToEdge(std::int32_t dir, BoardPoint* p)
{
    if (dir < 0 || dir > 3)
        return 0;
    std::int32_t steps = 0;
    for (BoardPoint* q = p; q != nullptr; q = q->Neighbours[dir])
        ++steps;
    return steps;
}

bool CaptureAround(std::int32_t row, std::int32_t col)
{
    if (row < 0 || row >= BoardSize || col < 0 || col >= BoardSize)
        return false;

    const std::int32_t mover = BoardPoints[row][col].State;
    bool capturedNow = false;

    auto capture = [&](BoardPoint* n) {
        if (n->State == Stone_None || n->State == mover || CountLiberties(n) != 0)
            return;
        // The list shows what this move took, so the first capture replaces it.
        if (!capturedNow)
            CapturedPositions.clear();
        RemoveGroup(n);
        capturedNow = true;
    };

    if (row < BoardSize - 1)
        capture(&BoardPoints[row + 1][col]);
    if (col < BoardSize - 1)
        capture(&BoardPoints[row][col + 1]);
    if (row > 0)
        capture(&BoardPoints[row - 1][col]);
    if (col > 0)
        capture(&BoardPoints[row][col - 1]);
    return capturedNow;
}

float DistanceFromCentre(BoardPoint* p)
{
    std::int32_t r = StepsToEdge(1, p) - 10;
    std::int32_t c = StepsToEdge(0, p) - 10;
    std::int32_t s = r * r + c * c;
    return std::sqrt(static_cast<float>(s));
}

namespace
{
float ScoreMove(const GroupTable& groups, BoardPoint* p, std::int32_t colour)
{
    const std::optional<MoveCounts> counts = LegalMove(groups, p, colour);
    if (!counts)
        return -100.0f;
    const std::int32_t* freedoms = counts->Before;

    float score = 1.0f;
    for (int i = 0; i < 4; ++i) {
        const BoardPoint* n = p->Neighbours[i];
        if (n == nullptr)
            continue;
        const std::int32_t after = counts->After[i];
        const bool own = n->State == colour;
        if (!own && after == 0)
            score += 50.0f; // capture
        if (own)
            score += 2.0f; // connection
        if (own && after > freedoms[i])
            score += 6.0f; // own group gains liberties
        if (!own && after < freedoms[i])
            score += 8.0f; // other group loses liberties
        if (own && freedoms[i] == 1 && after >= 2)
            score += 100.0f; // rescue from atari
    }

    // Prefer the middle, but not the very centre.
    const float d = DistanceFromCentre(p);
    const float a = d > 0.0f ? static_cast<float>(1.0 / (d / 8.0)) : 8.0f;
    score = static_cast<float>(score - (a / 4.0 + static_cast<double>(d) * d / 100.0));

    // The four points on the fourth lines from two edges.
    const std::int32_t down = StepsToEdge(1, p);
    const std::int32_t left = StepsToEdge(0, p);
    if ((down == 4 || down == 16) && (left == 4 || left == 16))
        score += 100.0f;
    return score;
}
}

float EvaluateMove(BoardPoint* p, std::int32_t colour)
{
    return ScoreMove(GroupTable(), p, colour);
}

bool ChooseMove(std::int32_t* row, std::int32_t* col, std::int32_t tries, float threshold)
{
    float best = threshold;
    BoardPoint* chosen = nullptr;
    // Scoring changes nothing, so one table of the board serves every candidate.
    const GroupTable groups;

    auto consider = [&](std::int32_t r, std::int32_t c) {
        BoardPoint* p = &BoardPoints[r][c];
        const float s = ScoreMove(groups, p, Stone_White);
        if (s > best) {
            chosen = p;
            best = s;
            *row = r;
            *col = c;
        }
    };

    if (tries >= BoardSize * BoardSize) {
        for (std::int32_t i = 0; i < BoardSize * BoardSize; ++i)
            consider(i % BoardSize, i / BoardSize);
    } else {
        for (std::int32_t t = 0; t < tries; ++t) {
            const std::int32_t r = Rand() % BoardSize;
            const std::int32_t c = Rand() % BoardSize;
            consider(r, c);
        }
    }

    if (chosen == nullptr)
        return false;
    chosen->State = Stone_White;
    return true;
}

namespace
{
// One line of a board picture: at most its first BoardSize characters, the rest
// skipped up to the line feed. A carriage return just before the line feed is
// dropped, so CR LF files read like LF files.
void ReadPictureLine(std::istream& in, std::string& line)
{
    using Traits = std::istream::traits_type;
    line.clear();
    for (auto ch = in.get(); ch != Traits::eof() && ch != '\n'; ch = in.get()) {
        if (ch == '\r' && in.peek() == '\n')
            continue;
        if (line.size() < static_cast<std::size_t>(BoardSize))
            line.push_back(Traits::to_char_type(ch));
    }
}

std::int32_t StoneFromPicture(char ch)
{
    if (ch == '.')
        return Stone_None;
    if (ch == 'b')
        return Stone_Black;
    return Stone_White;
}
}

void LoadBoardPattern(bool fromDataDir)
{
    std::ifstream foofile(fromDataDir ? "data/foo.foo.foo.foo" : "foo.foo.foo.foo", std::ios::binary);
    if (!foofile)
        return;

    // The whole picture is read before the board changes: a file that opens
    // but cannot be read (a folder does) is as good as missing, not a picture
    // of an empty board.
    std::array<std::string, BoardSize> foostr;
    for (std::string& line : foostr)
        ReadPictureLine(foofile, line);
    if (foofile.bad())
        return;

    // The first line is the top row. A line shorter than 19 characters, and
    // the lines missing from a file shorter than 19 lines, read as empty
    // points: the picture always replaces the whole board.
    for (int k = 0; k < BoardSize; ++k) {
        const std::string& line = foostr[k];
        for (int c = 0; c < BoardSize; ++c) {
            const char ch = static_cast<std::size_t>(c) < line.size() ? line[c] : '.';
            BoardPoints[BoardSize - 1 - k][c].State = StoneFromPicture(ch);
        }
    }
}
