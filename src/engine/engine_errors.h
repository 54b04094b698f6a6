// The engine's error codes and their messages.
#pragma once

#include <cstdint>

enum EngineErrorCode : int32_t {
    kEngineOk = 0,
    kEngineMemoryError = 1,
    kEngineNoCamera = 2,
    kEngineBadDepth = 3,
    kEngineBadResolution = 4,
    kEnginePictureError = 5,
};

// Message of an engine error code; code 5 carries the failing picture's name (12 characters).
const char* EngineErrorText(int32_t code);
// Puts a picture name into code 5's message: its first 12 characters, or the name padded
// with blanks to 12.
void SetEngineErrorName(const char* name);
