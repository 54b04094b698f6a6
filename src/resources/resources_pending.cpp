// Placeholder until the archive reader lands: no archive.
#include "resources/pack_archive.h"

void OpenPack(const char*) {}
uint32_t PackEntrySize(const char*) { return 0; }
int32_t ReadPackEntry(const char*, void*, uint32_t, uint32_t) { return 1; }
void ClosePack() {}
