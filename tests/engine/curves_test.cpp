#include "engine/curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

namespace
{
template <typename C>
std::unique_ptr<C> Through(std::initializer_list<Vector3> points)
{
    auto curve = std::make_unique<C>();
    for (const Vector3& p : points)
        curve->AddPoint(p);
    return curve;
}

::testing::AssertionResult NearPoint(const Vector3& a, const Vector3& b, float tol = 1e-5f)
{
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a << ") is not within " << tol << " of (" << b << ")";
}

struct Sample
{
    float t;
    Vector3 expected;
};

void ExpectSamples(Curve& curve, std::initializer_list<Sample> samples)
{
    for (const Sample& s : samples)
        EXPECT_TRUE(NearPoint(curve.Interpolate(s.t), s.expected)) << "at t = " << s.t;
}
} // namespace

TEST(CatmullRomSpline, PassesThroughItsPointsAndRepeatsTheEnds)
{
    auto curve = Through<CatmullRomSpline>({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    EXPECT_EQ(curve->GetSegmentCount(), 2);
    ExpectSamples(*curve, {
                              {0.0f, {0, 0, 0}},
                              {0.25f, {0.4375f, 0, 0}},
                              {0.5f, {1, 0, 0}},
                              {0.75f, {1.5625f, 0, 0}},
                              {1.0f, {2, 0, 0}},
                              {1.5f, {2, 0, 0}},
                              {1e30f, {2, 0, 0}},
                          });
}

TEST(CatmullRomSpline, TwoPointsGiveTheStraightSegment)
{
    auto curve = Through<CatmullRomSpline>({{0, 0, 0}, {4, 2, -2}});
    ExpectSamples(*curve, {{0.0f, {0, 0, 0}}, {0.5f, {2, 1, -1}}, {1.0f, {4, 2, -2}}});
}

TEST(CatmullRomSpline, ParametersBelowZeroAndNaNGiveTheStart)
{
    auto curve = Through<CatmullRomSpline>({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    ExpectSamples(*curve, {{-0.5f, {1, 2, 3}}, {-1e30f, {1, 2, 3}}, {std::numeric_limits<float>::quiet_NaN(), {1, 2, 3}}});
    curve->SetArcParametrization(true);
    ExpectSamples(*curve, {{-0.5f, {1, 2, 3}}, {std::numeric_limits<float>::quiet_NaN(), {1, 2, 3}}});
}

TEST(BSpline, ApproximatesItsPoints)
{
    auto curve = Through<BSpline>({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
    EXPECT_EQ(curve->GetSegmentCount(), 1);
    ExpectSamples(*curve, {{0.0f, {1, 0, 0}}, {0.5f, {1.5f, 0, 0}}, {1.0f, {2, 0, 0}}, {2.0f, {2, 0, 0}}});
}

TEST(BSpline, SegmentsJoinContinuously)
{
    auto curve = Through<BSpline>({{0, 0, 0}, {1, 3, 0}, {2, -1, 5}, {3, 4, 1}, {5, 0, 2}});
    // The end of segment 0 and the start of segment 1 are both (p1 + 4 p2 + p3) / 6.
    const Vector3 joint = (Vector3(1, 3, 0) + Vector3(2, -1, 5) * 4.0f + Vector3(3, 4, 1)) / 6.0f;
    EXPECT_TRUE(NearPoint(curve->Interpolate(0.5f), joint));
    EXPECT_TRUE(NearPoint(curve->Interpolate(0.4999f), joint, 1e-2f));
    EXPECT_TRUE(NearPoint(curve->Interpolate(0.5001f), joint, 1e-2f));
}

TEST(Curve, TooFewPointsGiveTheOriginAndNoTable)
{
    std::vector<std::unique_ptr<Curve>> curves;
    curves.push_back(std::make_unique<CatmullRomSpline>());
    curves.push_back(Through<CatmullRomSpline>({{1, 1, 1}}));
    curves.push_back(std::make_unique<BSpline>());
    curves.push_back(Through<BSpline>({{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}));
    for (auto& curve : curves)
        for (bool arc : {false, true})
        {
            curve->SetArcParametrization(arc);
            for (float t : {0.0f, 0.5f, 1.0f})
                EXPECT_TRUE(NearPoint(curve->Interpolate(t), Vector3(), 0.0f));
            EXPECT_EQ(curve->ArcToParameter(0.25f), 0.25f);
            EXPECT_EQ(curve->ArcTable, nullptr);
        }
}

TEST(Curve, ArcTableHasThirtySamplesPerSegmentFromStartToEnd)
{
    auto curve = Through<CatmullRomSpline>({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    curve->SetArcParametrization(true);
    EXPECT_EQ(curve->ArcTable, nullptr);
    EXPECT_TRUE(NearPoint(curve->Interpolate(0.0f), Vector3(0, 0, 0)));
    ASSERT_NE(curve->ArcTable, nullptr);
    ASSERT_EQ(curve->ArcTableSize, 60);
    EXPECT_EQ(curve->ArcTable[0].x, 0.0f);
    EXPECT_EQ(curve->ArcTable[0].y, 0.0f);
    EXPECT_FLOAT_EQ(curve->ArcTable[59].x, 1.0f);
    EXPECT_EQ(curve->ArcTable[59].y, 1.0f);
    for (int i = 1; i < 60; ++i)
        EXPECT_GE(curve->ArcTable[i].y, curve->ArcTable[i - 1].y);
    EXPECT_TRUE(NearPoint(curve->Interpolate(1.0f), Vector3(2, 0, 0)));
    EXPECT_TRUE(curve->ArcParametrization);
}

TEST(Curve, ArcLengthSpreadsEqualStepsEvenly)
{
    auto curve = Through<CatmullRomSpline>({{0, 0, 0}, {1, 0, 0}, {10, 0, 0}});
    EXPECT_TRUE(NearPoint(curve->Interpolate(0.5f), Vector3(1, 0, 0)));
    curve->SetArcParametrization(true);
    const Vector3 half = curve->Interpolate(0.5f);
    EXPECT_NEAR(half.x, 4.9f, 0.05f);
    EXPECT_EQ(half.y, 0.0f);
    EXPECT_EQ(half.z, 0.0f);
}

TEST(Curve, AddPointDropsTheTableAndTheNextLookupRebuildsIt)
{
    auto curve = Through<CatmullRomSpline>({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    curve->SetArcParametrization(true);
    curve->Interpolate(0.5f);
    ASSERT_EQ(curve->ArcTableSize, 60);
    curve->AddPoint({3, 0, 0});
    EXPECT_EQ(curve->ArcTable, nullptr);
    EXPECT_TRUE(NearPoint(curve->Interpolate(0.5f), Vector3(1.5f, 0, 0), 1e-3f));
    EXPECT_NE(curve->ArcTable, nullptr);
    EXPECT_EQ(curve->ArcTableSize, 90);
}

TEST(Curve, FractionsOutsideTheRangeStayInsideTheTable)
{
    auto curve = Through<CatmullRomSpline>({{0, 0, 0}, {1, 0, 0}, {3, 0, 0}});
    EXPECT_EQ(curve->ArcToParameter(-0.5f), 0.0f);
    EXPECT_FLOAT_EQ(curve->ArcToParameter(1.5f), 1.0f);
    EXPECT_FLOAT_EQ(curve->ArcToParameter(1e30f), 1.0f);
    EXPECT_EQ(curve->ArcToParameter(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(curve->ArcToParameter(1.0f), 1.0f);
    // Building the table on a direct lookup leaves the setting as it was.
    EXPECT_FALSE(curve->ArcParametrization);
}

TEST(Curve, ACurveOfNoLengthKeepsTheParameter)
{
    auto curve = Through<CatmullRomSpline>({{2, 2, 2}, {2, 2, 2}, {2, 2, 2}});
    for (float s : {0.0f, 0.3f, 1.0f})
        EXPECT_EQ(curve->ArcToParameter(s), s);
    curve->SetArcParametrization(true);
    EXPECT_TRUE(NearPoint(curve->Interpolate(0.3f), Vector3(2, 2, 2)));
}

TEST(Curve, DeletingThroughTheBaseReleasesEverything)
{
    // Leaks would show under the sanitizers.
    Curve* curve = new CatmullRomSpline;
    curve->AddPoint({0, 0, 0});
    curve->AddPoint({1, 0, 0});
    curve->SetArcParametrization(true);
    curve->Interpolate(0.5f);
    curve->Name = "a path name long enough to be allocated on the heap";
    delete curve;
}

TEST(FindArcSample, FindsTheFirstEntryNotBelowTheFraction)
{
    // Exactly the table's size on the heap, so a read past the end is caught.
    auto table = std::make_unique<Vector2[]>(5);
    const float ys[5] = {0.0f, 0.1f, 0.4f, 0.7f, 1.0f};
    for (int i = 0; i < 5; ++i)
        table[i] = Vector2(i / 4.0f, ys[i]);
    struct Case
    {
        float s;
        int expected;
    };
    const Case cases[] = {{0.0f, 0}, {0.05f, 1}, {0.1f, 1}, {0.2f, 2}, {0.4f, 2}, {0.69f, 3},
                          {0.99f, 4}, {1.0f, 4}, {-1.0f, 0}, {1.5f, 5}};
    for (const Case& c : cases)
        EXPECT_EQ(FindArcSample(table.get(), c.s, 0, 5), c.expected) << "s = " << c.s;
    EXPECT_EQ(FindArcSample(table.get(), std::numeric_limits<float>::quiet_NaN(), 0, 5), -1);
}
