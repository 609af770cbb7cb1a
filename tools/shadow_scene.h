#pragma once

// The scene of the scene demo: a floor, a few shapes standing on it, a lamp
// that casts shadows and a camera, as a 3DS file for LoadScene.

#include "tools/tds_writer.h"

namespace scene {

// The one object that casts no shadow.
inline constexpr const char* ShadowFloorName = "Floor";

tds::SceneFile BuildShadowScene();

}  // namespace scene
