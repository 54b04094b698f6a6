// The pack archive: every resource of the show read by name from one archive file, with
// loose files beside it as the fallback. Names use backslashes and are matched without case.
#pragma once

#include <cstdint>

// Reads the trailer and directory of the archive file. A missing archive leaves only loose files.
void OpenPack(const char* archivePath);

// Uncompressed size of the named entry; for a name not in the archive, the loose file's size
// (0 when it does not exist either).
uint32_t PackEntrySize(const char* name);

// Copies bytes offset .. offset + length - 1 of the entry's contents to destination.
// 0 on success, 1 when the archive file or the loose file cannot be opened.
int32_t ReadPackEntry(const char* name, void* destination, uint32_t offset, uint32_t length);

// Releases the directory; afterwards the archive has no entries.
void ClosePack();
