// The shipped grid drawn with the shipped settings, on white, from the
// game's starting camera and from where the wheel and the right button take
// it: every line, measured across one pixel row (or column) at a time,
// keeps the weight and the darkness its distance gives it all along its
// length, and its middle runs straight, without steps.

#include "tests/engine/device_fixture.h"

#include "engine/object.h"
#include "engine/sceneloader.h"
#include "platform/d3d/readback.h"
#include "tests/support/case_print.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string Root = GO3D_SOURCE_ROOT;

// Straight-line fit of ys over xs; the largest distance of a point from it.
float LargestResidual(const std::vector<float>& xs, const std::vector<float>& ys)
{
    const float n = float(xs.size());
    float mx = 0, my = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        mx += xs[i] / n;
        my += ys[i] / n;
    }
    float sxy = 0, sxx = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        sxy += (xs[i] - mx) * (ys[i] - my);
        sxx += (xs[i] - mx) * (xs[i] - mx);
    }
    const float slope = sxx > 0 ? sxy / sxx : 0;
    float worst = 0;
    for (std::size_t i = 0; i < xs.size(); ++i)
        worst = std::max(worst, std::fabs(ys[i] - (my + slope * (xs[i] - mx))));
    return worst;
}

// One line measured across, place by place along it: how many pixels' worth
// of ink it has there, and where its middle lies.
struct Trace
{
    std::vector<float> along, weight, peak, middle;

    // The pixels first to last across the line, at one place along it.
    template <typename Cover>
    void Add(int at, int first, int last, Cover cover)
    {
        float sum = 0, moment = 0, most = 0;
        for (int k = first; k <= last; ++k) {
            sum += cover(k);
            moment += cover(k) * float(k);
            most = std::max(most, cover(k));
        }
        along.push_back(float(at));
        weight.push_back(sum);
        peak.push_back(most);
        middle.push_back(sum > 0 ? moment / sum : 0);
    }

    // Along a line, its weight in pixels goes with the inverse of the
    // distance, which is linear in the frame, and so does its darkness,
    // which only a change of texture level without a blend makes jump from
    // crisp to soft; a straight line's middle runs straight.
    void ExpectEven() const
    {
        ASSERT_GT(along.size(), 50u);
        EXPECT_GT(*std::min_element(weight.begin(), weight.end()), 0.3f) << "a gap in the line";
        EXPECT_LT(LargestResidual(along, weight), 0.3f) << "the line's weight jumps along it";
        EXPECT_LT(LargestResidual(along, peak), 0.2f) << "the line turns from crisp to soft along it";
        EXPECT_LT(LargestResidual(along, middle), 0.2f) << "the line steps";
    }
};

// Where the camera is: each wheel notch away takes it 5 % further from the
// board's centre, nearer 5 % closer; a right-drag raises it a unit a pixel
// down and lowers it a unit a pixel up.
struct View
{
    const char* name;
    Vector3 eye;
};

void PrintTo(const View& view, std::ostream* os)
{
    *os << view.name << " (" << view.eye.x << ", " << view.eye.y << ", " << view.eye.z << ")";
}

Vector3 Notches(int n)
{
    return Vector3(0, 100, -100) * std::pow(n > 0 ? 1.05f : 0.95f, float(std::abs(n)));
}

const View Views[] = {
    {"First", Vector3(0, 100, -100)},     {"ThreeNotchesAway", Notches(3)},
    {"SixNotchesAway", Notches(6)},       {"ThreeNotchesNearer", Notches(-3)},
    {"Raised80", Vector3(0, 180, -100)},  {"Raised120", Vector3(0, 220, -100)},
    {"Lowered40", Vector3(0, 60, -100)},
};

class GridPicture : public ::testing::TestWithParam<View>
{
protected:
    void SetUp() override
    {
        params = engine.ReadConfigFile((Root + "/q3dinit.conf").c_str());
        window = enginetest::TestWindow(int(params.XRes), int(params.YRes));
        ASSERT_NE(window, nullptr);
        c = engine.CreateGraphicsContext(window, 0, &params);
        ASSERT_NE(c, nullptr);
    }
    void TearDown() override
    {
        grid.reset();
        SceneLoader::SetGraphicsContext(nullptr);
        tools::ReleaseContext(c);
        if (window != nullptr)
            DestroyWindow(window);
    }

    Engine3D engine;
    GraphicsInitParameters params;
    HWND window = nullptr;
    GraphicsContext* c = nullptr;
    std::unique_ptr<Object> grid;
};

TEST_P(GridPicture, EveryLineKeepsItsWeightAndRunsStraight)
{
    SceneLoader::SetGraphicsContext(c);
    SceneLoader::SetDataPath((Root + "/data/").c_str());
    Object* o = nullptr;
    ASSERT_TRUE(SceneLoader::LoadObject((Root + "/data/geometry2.3ds").c_str(), "Grid", &o));
    grid.reset(o);

    enginetest::LookAsTheGameFrom(c, GetParam().eye);
    c->Clear(0xFFFFFFFF);
    grid->Render();

    std::vector<std::uint32_t> pixels;
    UINT w = 0, h = 0;
    ASSERT_EQ(D3DReadBackBuffer(c->Device, pixels, w, h), D3D_OK);
    const int width = int(w), height = int(h);
    // How much of each pixel the ink covers, from its brightness between the
    // white and the lit ink (the darkest pixel, inside a star point).
    auto brightness = [&](int x, int y) {
        const std::uint32_t v = pixels[std::size_t(y) * w + std::size_t(x)];
        return float((v >> 16 & 0xFF) + (v >> 8 & 0xFF) + (v & 0xFF)) / 3.0f;
    };
    float ink = 255;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ink = std::min(ink, brightness(x, y));
    ASSERT_LT(ink, 64.0f) << "no grid in the frame";
    auto cover = [&](int x, int y) { return std::clamp((255.0f - brightness(x, y)) / (255.0f - ink), 0.0f, 1.0f); };

    const Vertex* v = grid->GetTriMesh()->GetVertexArray(0);
    auto screen = [&](int row, int col) { return enginetest::ToPixel(c, v[row * 19 + col].Position, width, height); };
    // Rows of the frame that a row line or a star point passes, and the
    // columns a column line passes at a row line, are left out: there
    // lines cross.
    auto starLine = [](int n) { return n == 3 || n == 9 || n == 15; };
    auto nearRowLine = [&](int y) {
        for (int row = 0; row < 19; ++row)
            if (std::abs(y - screen(row, 0)[1]) <= (starLine(row) ? 8 : 4))
                return true;
        return false;
    };

    // The spacing of the column lines along the nearest and the farthest row.
    const float nearSpacing = float(screen(0, 1)[0] - screen(0, 0)[0]) * 0.5f +
                              float(screen(0, 18)[0] - screen(0, 17)[0]) * 0.5f;
    const float farSpacing = float(screen(18, 1)[0] - screen(18, 0)[0]) * 0.5f +
                             float(screen(18, 18)[0] - screen(18, 17)[0]) * 0.5f;

    for (int col = 0; col < 19; ++col) {
        SCOPED_TRACE(testing::Message() << "column line " << col);
        const auto nearEnd = screen(0, col), farEnd = screen(18, col);
        Trace trace;
        // Where the camera is low, the nearest part of the board lies below
        // the frame.
        for (int y = std::max(farEnd[1], 0); y <= std::min(nearEnd[1], height - 1); ++y) {
            if (nearRowLine(y))
                continue;
            const float t = float(y - farEnd[1]) / float(nearEnd[1] - farEnd[1]);
            const float x = float(farEnd[0]) + t * float(nearEnd[0] - farEnd[0]);
            // Less than half the way to the next line, on both sides.
            const float reach = 0.4f * (farSpacing + t * (nearSpacing - farSpacing));
            if (x - reach >= 0 && x + reach < float(width))
                trace.Add(y, int(x - reach), int(x + reach), [&](int px) { return cover(px, y); });
        }
        trace.ExpectEven();
    }

    for (int row = 0; row < 19; ++row) {
        SCOPED_TRACE(testing::Message() << "row line " << row);
        const int y = screen(row, 0)[1];
        const int reach = int(0.4f * float(std::abs(screen(row > 0 ? row - 1 : 1, 0)[1] - y)));
        if (y - reach < 0 || y + reach >= height)
            continue;
        Trace trace;
        for (int x = std::max(screen(row, 0)[0], 0); x <= std::min(screen(row, 18)[0], width - 1); ++x) {
            bool crossing = false;
            for (int col = 0; col < 19; ++col) {
                const bool star = starLine(row) && starLine(col);
                // The column line, oblique, over the rows measured.
                const float slope = float(screen(18, col)[0] - screen(0, col)[0]) /
                                    float(screen(18, col)[1] - screen(0, col)[1]);
                const float clear = (star ? 10.0f : 5.0f) + std::fabs(slope) * float(reach);
                crossing = crossing || std::fabs(float(x - screen(row, col)[0])) <= clear;
            }
            if (!crossing)
                trace.Add(x, y - reach, y + reach, [&](int py) { return cover(x, py); });
        }
        // All of a row line lies at one distance from the camera.
        trace.ExpectEven();
    }
}

INSTANTIATE_TEST_SUITE_P(Views, GridPicture, ::testing::ValuesIn(Views),
                         testsupport::NameOfCase());

}  // namespace
