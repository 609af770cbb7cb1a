#pragma once

// Inside the layer: SDL keys as Windows virtual-key codes.

#include "platform/win/win32.h"

#include <SDL.h>

namespace win {

// The virtual-key code of a key, or 0 for a key without one. Letters are
// their upper-case codes whatever the shift state; the digit row gives its
// digits on every layout.
UINT VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

} // namespace win
