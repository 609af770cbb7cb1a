#pragma once

// The engine keeps every graphics context, with its device, surfaces and
// cached textures, for the life of the process. Programs and tests that make
// and drop contexts of their own release one with this: what its texture
// cache holds, its surfaces and its device; then the context itself.

class GraphicsContext;

namespace tools {

void ReleaseContext(GraphicsContext* context);

}  // namespace tools
