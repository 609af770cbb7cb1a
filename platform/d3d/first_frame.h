#pragma once

// For start-up measurements (bench/startup.sh): with the environment variable
// GO3D_EXIT_AFTER_FIRST_FRAME set, the first Present prints the wall-clock
// time on standard error, as "first frame presented at <seconds>", and ends
// the process with exit code 0. Without it a Present pays one test of a flag.

namespace go3d::d3d {

void AfterPresent();

}  // namespace go3d::d3d
