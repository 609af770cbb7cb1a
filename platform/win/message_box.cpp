// MessageBoxA as a modal SDL message box, or one line on standard error.

#include "platform/win/message_box.h"
#include "platform/win/sdl_window.h"
#include "platform/win/window_registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

MessageBoxHook installedHook = nullptr;

constexpr UINT kButtonsMask = 0x0000000F;
constexpr UINT kIconMask = 0x000000F0;

bool NonInteractive()
{
    if (installedHook)
        return true;
    const char* mode = std::getenv("GO3D_MESSAGEBOX");
    return mode && std::strcmp(mode, "stderr") == 0;
}

struct Button
{
    int id;
    const char* label;
};

// The buttons of a box type, the default first.
std::vector<Button> ButtonsFor(UINT type)
{
    switch (type & kButtonsMask)
    {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "Yes"}, {IDNO, "No"}};
    default: return {{IDOK, "OK"}};
    }
}

void PrintLine(LPCSTR caption, LPCSTR text)
{
    std::string line = "[";
    line += caption;
    line += "] ";
    for (const char* p = text; *p; ++p)
    {
        if (*p == '\n')
            line += "\\n";
        else if (*p != '\r')
            line += *p;
    }
    line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

Uint32 SdlIcon(UINT type)
{
    switch (type & kIconMask)
    {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

} // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    installedHook = hook;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    // A box without a caption is titled "Error", as the original platform does.
    if (!caption)
        caption = "Error";
    if (!text)
        text = "";
    const std::vector<Button> buttons = ButtonsFor(type);

    if (NonInteractive())
    {
        PrintLine(caption, text);
        if (installedHook)
            installedHook(owner, text, caption, type);
        return buttons.front().id;
    }

    win::EnsureVideo();
    // SDL lays buttons out in array order; Return picks the default, Escape
    // the last button (the cancelling one where there is one).
    std::vector<SDL_MessageBoxButtonData> sdlButtons;
    for (std::size_t i = 0; i < buttons.size(); ++i)
    {
        Uint32 flags = 0;
        if (i == 0)
            flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (i + 1 == buttons.size())
            flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        sdlButtons.push_back({flags, buttons[i].id, buttons[i].label});
    }
    SDL_MessageBoxData data{};
    data.flags = SdlIcon(type);
    data.window = GetSDLWindow(owner);
    data.title = caption;
    data.message = text;
    data.numbuttons = static_cast<int>(sdlButtons.size());
    data.buttons = sdlButtons.data();

    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0)
    {
        // No box could be shown: the message still reaches someone.
        std::fprintf(stderr, "message box failed (%s): ", SDL_GetError());
        PrintLine(caption, text);
        return 0;
    }
    // Closing the box by its window frame counts as the escape button.
    return pressed >= 0 ? pressed : buttons.back().id;
}
