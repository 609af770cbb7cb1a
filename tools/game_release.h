#pragma once

// The game leaves its table, its panel, its graphics context and its window
// to the end of the process. Programs and tests that start the game and go
// on after it (a benchmark's sides, a test's cases, a repeated run) release
// them with this: what the game's close handler deletes, then the rest, so
// that the next start-up begins afresh. Safe after a start-up that failed
// half way.

namespace tools {

void ReleaseGame();

}  // namespace tools
