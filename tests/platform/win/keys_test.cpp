// SDL keys to virtual-key codes.

#include "platform/win/keys.h"

#include <gtest/gtest.h>

namespace {

TEST(VirtualKeys, KeysAPersonCanPress)
{
    struct Case
    {
        SDL_Keycode key;
        SDL_Scancode scancode;
        UINT vk;
    };
    const Case cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 'A'},
        {SDLK_p, SDL_SCANCODE_P, 80},
        {SDLK_z, SDL_SCANCODE_Z, 90},
        {SDLK_0, SDL_SCANCODE_0, 48},
        {SDLK_1, SDL_SCANCODE_1, 49},
        {SDLK_9, SDL_SCANCODE_9, 57},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},
        {SDLK_F1, SDL_SCANCODE_F1, 112},
        {SDLK_F12, SDL_SCANCODE_F12, 123},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, VK_RETURN},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, VK_SPACE},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, VK_LEFT},
        {SDLK_UP, SDL_SCANCODE_UP, VK_UP},
        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, VK_RIGHT},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, VK_DOWN},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, VK_BACK},
        {SDLK_TAB, SDL_SCANCODE_TAB, VK_TAB},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, VK_SHIFT},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, VK_CONTROL},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, VK_DELETE},
        {SDLK_KP_0, SDL_SCANCODE_KP_0, VK_NUMPAD0},
        {SDLK_KP_7, SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7},
        {SDLK_MINUS, SDL_SCANCODE_MINUS, VK_OEM_MINUS},
        // A French layout's digit row types symbols; the key still gives its digit.
        {SDLK_AMPERSAND, SDL_SCANCODE_1, '1'},
        // Keys without a code are not reported.
        {SDLK_RIGHTPAREN, SDL_SCANCODE_MINUS, 0},
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(win::VirtualKeyFromSdl(c.key, c.scancode), c.vk) << SDL_GetKeyName(c.key);
}

} // namespace
