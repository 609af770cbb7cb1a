#include "engine/curves.h"

#include "math/matrix4x4.h"
#include "math/vector4.h"

#include <cmath>

namespace
{
constexpr int SamplesPerSegment = 30;

// (1/d) (u^3, u^2, u, 1) * basis * (p0, p1, p2, p3) as a column, per coordinate.
Vector3 EvaluateSegment(const Matrix4x4& basis, float d, Vector3 (&cp)[4], float u)
{
    const Vector4 params(u * u * u, u * u, u, 1.0f);
    const Matrix4x4 transposed = basis.Transposed();
    Vector3 res;
    for (int c = 0; c < 3; ++c)
    {
        Vector4 column(cp[0][c], cp[1][c], cp[2][c], cp[3][c]);
        column.Transform(transposed);
        column /= d;
        res[c] = params.DotProduct(column);
    }
    return res;
}
} // namespace

void Curve::AddPoint(const Vector3& point)
{
    ControlPoints.PushBack(point);
    ArcTable.reset();
}

void Curve::SetArcParametrization(bool on)
{
    ArcParametrization = on;
}

void Curve::BuildArcTable()
{
    ArcTableSize = GetSegmentCount() * SamplesPerSegment;
    // Sample raw parameters; the caller's setting comes back at the end.
    const bool wasOn = ArcParametrization;
    ArcParametrization = false;

    ArcTable = std::make_unique<Vector2[]>(ArcTableSize);
    Vector3 prevpos;
    const float step = 1.0f / float(ArcTableSize - 1);
    for (int i = 0; i < ArcTableSize; ++i)
    {
        const float t = float(i) * step;
        const Vector3 pos = Interpolate(t);
        ArcTable[i].x = t;
        ArcTable[i].y = i == 0 ? 0.0f : ArcTable[i - 1].y + (pos - prevpos).Length();
        prevpos = pos;
    }

    // A curve of no length has no fractions; its y values stay 0 and
    // ArcToParameter then leaves the parameter as it is.
    const float total = ArcTable[ArcTableSize - 1].y;
    if (total > 0.0f && std::isfinite(total))
        for (int i = 0; i < ArcTableSize; ++i)
            ArcTable[i].y /= total;

    ArcParametrization = wasOn;
}

int FindArcSample(const Vector2* table, float s, int lo, int hi)
{
    const int mid = lo + (hi - lo) / 2;
    // Tested first, because with lo == hi the middle may be one past the end.
    if (lo == hi)
        return mid;
    if (table[mid].y == s)
        return mid;
    if (s < table[mid].y)
        return FindArcSample(table, s, lo, mid);
    if (s > table[mid].y)
        return FindArcSample(table, s, mid + 1, hi);
    return -1;
}

float Curve::ArcToParameter(float s)
{
    if (GetSegmentCount() < 1)
        return s;
    if (!ArcTable)
        BuildArcTable();

    const Vector2* table = ArcTable.get();
    const int last = ArcTableSize - 1;
    if (table[last].y != 1.0f)
        return s;

    int i = FindArcSample(table, s, 0, ArcTableSize);
    if (i < 0)
        return s;
    if (i > last)
        i = last;

    const Vector2& e = table[i];
    if (std::fabs(e.y - s) < 1e-8f)
        return e.x;
    if (e.y > s)
    {
        if (i == 0)
            return e.x;
        const Vector2& p = table[i - 1];
        const float f = (s - p.y) / (e.y - p.y);
        return p.x + (e.x - p.x) * f;
    }
    if (i == last)
        return e.x;
    const Vector2& n = table[i + 1];
    const float f = (s - e.y) / (n.y - e.y);
    return e.x + (n.x - e.x) * f;
}

void Curve::Locate(float t, int multiplier, int& seg, float& u)
{
    if (ArcParametrization)
        t = ArcToParameter(t);
    // Keeps the walk on the list; every t above 1 evaluates the end anyway.
    if (!(t >= 0.0f))
        t = 0.0f;
    if (t > 1.0f)
        t = 1.0f;
    t = t * float(multiplier);
    seg = int(t);
    u = t - std::floor(t);
    if (seg >= GetSegmentCount())
    {
        seg = GetSegmentCount() - 1;
        u = 1.0f;
    }
}

const ListNode<Vector3>* Curve::NodeAt(int seg) const
{
    const ListNode<Vector3>* node = ControlPoints.Begin();
    for (int i = 0; i < seg; ++i)
        node = node->Next;
    return node;
}

int CatmullRomSpline::GetSegmentCount() const
{
    return int(ControlPoints.Size()) - 1;
}

Vector3 CatmullRomSpline::Interpolate(float t)
{
    const int n = int(ControlPoints.Size());
    if (n < 2)
        return Vector3();
    int seg;
    float u;
    Locate(t, n - 1, seg, u);

    const ListNode<Vector3>* node = NodeAt(seg);
    Vector3 cp[4];
    cp[1] = node->Data;
    cp[2] = node->Next->Data;
    cp[0] = seg == 0 ? cp[1] : node->Prev->Data;
    cp[3] = seg == n - 2 ? cp[2] : node->Next->Next->Data;

    static const Matrix4x4 basis(-1, 3, -3, 1,
                                 2, -5, 4, -1,
                                 -1, 0, 1, 0,
                                 0, 2, 0, 0);
    return EvaluateSegment(basis, 2.0f, cp, u);
}

int BSpline::GetSegmentCount() const
{
    return int(ControlPoints.Size()) - 3;
}

Vector3 BSpline::Interpolate(float t)
{
    const int n = int(ControlPoints.Size());
    if (n < 4)
        return Vector3();
    int seg;
    float u;
    Locate(t, n - 3, seg, u);

    const ListNode<Vector3>* node = NodeAt(seg);
    Vector3 cp[4];
    for (Vector3& p : cp)
    {
        p = node->Data;
        node = node->Next;
    }

    static const Matrix4x4 basis(-1, 3, -3, 1,
                                 3, -6, 3, 0,
                                 -3, 0, 3, 0,
                                 1, 4, 1, 0);
    return EvaluateSegment(basis, 6.0f, cp, u);
}
