#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>

#include "platform/headless.h"

MessageBoxAnswer ShowMessageBox(const char* text, const char* caption, MessageBoxKind kind)
{
    if (!IsHeadless()) {
        const SDL_MessageBoxButtonData okCancel[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kMessageBoxAnsweredOk, "OK"},
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kMessageBoxAnsweredCancel, "Cancel"},
        };
        const SDL_MessageBoxButtonData ok[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kMessageBoxAnsweredOk, "OK"},
        };
        SDL_MessageBoxData data{};
        data.flags = SDL_MESSAGEBOX_ERROR;
        data.title = caption;
        data.message = text;
        data.numbuttons = kind == kMessageBoxOkCancelError ? 2 : 1;
        data.buttons = kind == kMessageBoxOkCancelError ? okCancel : ok;
        int pressed = 0;
        if (SDL_ShowMessageBox(&data, &pressed) == 0) {
            return pressed == kMessageBoxAnsweredOk ? kMessageBoxAnsweredOk : kMessageBoxAnsweredCancel;
        }
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return kind == kMessageBoxOkCancelError ? kMessageBoxAnsweredCancel : kMessageBoxAnsweredOk;
}
