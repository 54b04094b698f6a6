// The engine error table; message 5 carries the name of the picture that failed.
#include <cstring>

#include "engine/engine_errors.h"
#include "engine/engine_state.h"

namespace {

char pictureMessage[] = "Error: File  123456789012 acces error or invalid BMP format";
constexpr size_t kNameSlot = 13; // where "123456789012" starts
constexpr size_t kNameSlotSize = 12;

const char* const kEngineErrorTexts[] = {
    "No error :)",
    "Not enough Memory for engine",
    "Error: no camera in engine",
    "Error: bpp not supported in engine",
    "Error: resolution not suppored in engine",
};

} // namespace

const char* EngineErrorText(int32_t code)
{
    if (code == kEnginePictureError) return pictureMessage;
    if (code < 0 || code > kEngineBadResolution) return kEngineErrorTexts[kEngineMemoryError];
    return kEngineErrorTexts[code];
}

void SetEngineErrorName(const char* name)
{
    size_t i = 0;
    for (; i < kNameSlotSize && name && name[i]; ++i) pictureMessage[kNameSlot + i] = name[i];
    for (; i < kNameSlotSize; ++i) pictureMessage[kNameSlot + i] = ' ';
}
