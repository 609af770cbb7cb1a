#pragma once

// Path curves through a list of control points, evaluated at t from 0 (the
// start) to 1 (the end), optionally by fraction of arc length.

#include "engine/list.h"
#include "math/vector2.h"
#include "math/vector3.h"

#include <memory>
#include <string>

class Curve
{
public:
    LinkedList<Vector3> ControlPoints;
    // Entry i: x = the curve parameter of sample i, y = the fraction of the
    // length up to it. Absent until the first arc-length lookup.
    std::unique_ptr<Vector2[]> ArcTable;
    int ArcTableSize = 0;
    bool ArcParametrization = false;
    std::string Name;

    Curve() = default;
    // Virtual, so deleting through a Curve pointer is always whole.
    virtual ~Curve() = default;

    // The list owns its nodes and the table is owned too: no copies.
    Curve(const Curve&) = delete;
    Curve& operator=(const Curve&) = delete;

    // Appends a copy and drops the arc table, which no longer fits.
    virtual void AddPoint(const Vector3& point);
    virtual int GetSegmentCount() const = 0;
    // Neither builds nor frees the table.
    virtual void SetArcParametrization(bool on);
    // Below 0 (or NaN) counts as 0, above 1 as 1. Too few points give (0, 0, 0).
    virtual Vector3 Interpolate(float t) = 0;

    // Samples the curve 30 times per segment.
    void BuildArcTable();
    // The parameter at which the fraction s of the length is reached. s below
    // 0 gives the first sample's parameter, above 1 the last one's; a curve
    // with no segment or no length gives s back.
    float ArcToParameter(float s);

protected:
    // Steps 1 to 4 of both evaluations: the parameter clamped (and mapped by
    // arc length when asked), split into a segment and the fraction u.
    void Locate(float t, int multiplier, int& seg, float& u);
    // The node seg steps from the head.
    const ListNode<Vector3>* NodeAt(int seg) const;
};

// A curve through every control point; the end points are repeated so that
// it starts at the first and ends at the last.
class CatmullRomSpline : public Curve
{
public:
    int GetSegmentCount() const override;
    Vector3 Interpolate(float t) override;
};

// A uniform cubic B-spline: it approximates its control points.
class BSpline : public Curve
{
public:
    int GetSegmentCount() const override;
    Vector3 Interpolate(float t) override;
};

// Bisection over the y values of table[lo..hi): the first entry whose y is
// not below s, or an exact match met on the way; hi when s is above them all
// (hi itself is never read), -1 for a NaN s.
int FindArcSample(const Vector2* table, float s, int lo, int hi);
