// Pictures compared with references stored in the source tree (tests/reference/<group>/NAME.png).
// A mismatch names the picture and counts the differing pixels, and leaves the picture actually
// drawn in <build>/test-output/reference-actual/<group>/NAME.png for review. With
// VELA_UPDATE_REFERENCES=1 in the environment the drawings are stored as the new references
// instead: a deliberate act, after looking at them.
#pragma once

#include <string>

#include "formats/png_file.h"

// Adds a test failure when `actual` differs from the stored reference.
void ExpectMatchesReference(const std::string& group, const std::string& name, const RgbImage& actual);
