#include "tools/game_release.h"

#include "engine/3dengine.h"
#include "game/game.h"
#include "tools/context_release.h"

#include <algorithm>

namespace tools {

void ReleaseGame()
{
    CleanUp();
    delete TrapeziObject;
    delete GuiQuad;
    TrapeziObject = GuiQuad = nullptr;
    if (Graphics != nullptr) {
        // The engine would otherwise hold a context that is gone.
        std::erase(MainEngine.Contexts, Graphics);
        ReleaseContext(Graphics);
        Graphics = nullptr;
    }
    if (WindowHandle != nullptr) {
        DestroyWindow(WindowHandle);
        WindowHandle = nullptr;
    }
}

}  // namespace tools
