// Message boxes. Without a display (headless, or when no box can be shown) the caption and
// text go to standard error and an OK/Cancel box answers Cancel.
#pragma once

enum MessageBoxKind {
    kMessageBoxError,         // one OK button, error icon
    kMessageBoxOkCancelError, // OK and Cancel, error icon
};

enum MessageBoxAnswer {
    kMessageBoxAnsweredOk = 1,
    kMessageBoxAnsweredCancel = 2,
};

// Shows the box and waits for the user's answer.
MessageBoxAnswer ShowMessageBox(const char* text, const char* caption, MessageBoxKind kind);
