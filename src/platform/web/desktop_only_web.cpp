// What a page has no use for: the launcher's own dialog (the page asks its questions in an HTML
// form before the program starts), process priority (a page has none), and writing videos.
#include "platform/launcher_dialog.h"
#include "platform/media_writer.h"
#include "platform/process_priority.h"

int32_t ShowLauncherDialog(LauncherDialogChoices*) { return -1; }

void SetProcessPriority(ProcessPriority) {}

MediaWriter* OpenMediaWriter(const MediaSettings&, std::string* error)
{
    *error = "the page cannot write videos or pictures; capture with the desktop program";
    return nullptr;
}
bool WriteMediaPicture(MediaWriter*, const uint8_t*, std::string*) { return false; }
bool WriteMediaAudio(MediaWriter*, const int16_t*, size_t, std::string*) { return false; }
bool CloseMediaWriter(MediaWriter*, std::string*) { return true; }
