// Message boxes in a page: shown over the page, where the picture would be, until answered.
// Headless runs write them to standard error (the browser's console), as on a desktop.
#include <cstdio>

#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/web/page_calls.h"

MessageBoxAnswer ShowMessageBox(const char* text, const char* caption, MessageBoxKind kind)
{
    const bool okCancel = kind == kMessageBoxOkCancelError;
    if (!IsHeadless()) {
        // A box with one button is answered OK whichever key closes it.
        const int answer = PageShowMessage(text, caption, okCancel);
        return !okCancel || answer == kMessageBoxAnsweredOk ? kMessageBoxAnsweredOk : kMessageBoxAnsweredCancel;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return okCancel ? kMessageBoxAnsweredCancel : kMessageBoxAnsweredOk;
}
