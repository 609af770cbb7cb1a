#pragma once

// The game's scene: board, grid, the two stone models and the table, as
// written to data/geometry2.3ds by make_scene.

#include "tools/tds_writer.h"

#include <cstdint>
#include <vector>

namespace scene {

// Sizes, in world units (Y up; the person sits at -z).
//
// The game watches from (0, 100, -100) towards the origin with a vertical
// field of view of pi/4 (horizontal pi/3). A grid spacing of 5 makes the
// 18 spaces 90 units across; with a border of 6 the board is 102 x 102.
// Its near edge then lies at 85 % of the half-height below the centre of the
// view (88 % for the bottom of its front face) and its near corners at 81 %
// of the half-width: the whole board shows with a margin, large enough that
// a stone spans about 30 pixels at 1024 x 768.
inline constexpr float GridSpacing = 5.0f;
inline constexpr int GridLines = 19;
inline constexpr float GridHalf = GridSpacing * (GridLines - 1) / 2;  // 45
inline constexpr float BoardHalf = GridHalf + 6.0f;                   // 51
// The top face is the plane y = 0, so the view's target is the board's centre.
inline constexpr float BoardTop = 0.0f;
inline constexpr float BoardThickness = 5.0f;
// The grid floats this far above the board: with a 24-bit depth buffer at
// the far edge (about 180 units away) one depth step is about 0.002, so the
// lines never fight the board, and no one can see the gap.
inline constexpr float GridLift = 0.1f;
inline constexpr float LineWidth = 0.3f;  // about 2 pixels at 1024 x 768
inline constexpr float StarRadius = 0.6f;

// The lines are not drawn as hard-edged polygons, which cover a pixel or
// not: at 1024 x 768 a line 1.6 to 2.5 pixels wide then reads one, two or
// three pixels wide by where it falls, and an oblique one steps. Each line
// is a strip of InkMargin either side of its ink, textured with the ink's
// cross-section as alpha (InkImage); the texture's mip-maps average the ink
// over about a pixel whatever the distance, so every line keeps its weight
// and its edges are smooth.
//
// Texture coordinates: u runs across a strip, 0 to 1, the ink in its
// middle. v is InkBodyV along the lines; past the ends of the border lines
// it grows, at the rate u grows across, to the end of the image's ink
// (InkEndV) and on through the margin, so those ends and the board's
// corners fade as the sides do. The image's ink fills its top quarter of v
// and InkBodyV lies in the middle of it, so that the mip-maps keep the
// lines' v inside the ink down to the level of 4 x 4 texels.
inline constexpr float InkMargin = 1.5f * LineWidth;  // more than a pixel, at the far edge too
inline constexpr float InkStrip = LineWidth + 2 * InkMargin;
inline constexpr float InkEndV = LineWidth / InkStrip;  // a quarter
inline constexpr float InkBodyV = InkEndV / 2;
inline constexpr const char* InkImage = "ink.png";
inline constexpr int InkImageSize = 128;

// Stones are spheres that the game flattens to 0.4 of their height, which
// gives the lens of a real stone (22 mm across, 9 mm high). A diameter of
// 4.8 leaves a small gap between neighbours, as on a real board.
inline constexpr float StoneRadius = 2.4f;
inline constexpr float StoneFlattening = 0.4f;
// The centre of a flattened stone resting on the board.
inline constexpr float StoneRestHeight = BoardTop + StoneFlattening * StoneRadius;
inline constexpr int StoneSlices = 18;
inline constexpr int StoneStacks = 6;  // an even count keeps a ring on the rim

// The table top is wide enough to fill the view behind the board from the
// starting camera (the top corners of the view reach it about 150 units out).
inline constexpr float TableHalf = 220.0f;
inline constexpr float TableThickness = 4.0f;
inline constexpr float TableHeight = 170.0f;  // floor to top, legs included
inline constexpr float TableLegHalf = 5.0f;

inline constexpr const char* WoodImage = "wood.jpg";
// The black stones' shine (make_sheen): a reflection map, since the lamp
// gives no specular light of its own.
inline constexpr const char* SheenImage = "sheen.jpg";

tds::SceneFile BuildGameScene();

// The alpha of the ink image, InkImageSize x InkImageSize, top row first:
// each texel is the share of it that the ink covers, the ink being the
// middle LineWidth / InkStrip of u and v up to InkEndV.
std::vector<std::uint8_t> BuildInkAlpha();

}  // namespace scene
