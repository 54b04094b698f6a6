// Placeholder until the archive reader, the pool and the picture loader land: no archive,
// heap allocation, no pictures.
#include <cstdlib>
#include <cstdio>

#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"

void OpenPack(const char*) {}
uint32_t PackEntrySize(const char*) { return 0; }
int32_t ReadPackEntry(const char*, void*, uint32_t, uint32_t) { return 1; }
void ClosePack() {}

int32_t InitMemoryPool(int32_t) { return 0; }
void* PoolAlloc(uint32_t size, uint32_t) { return std::malloc(size); }
void PoolFree(void* p) { std::free(p); }
void FreeMemoryPool() {}
size_t PoolBytesInUse() { return 0; }
size_t PoolHighWater() { return 0; }

int32_t LoadPicture(const char*, Picture*) { return 0; }
void FreePicture(Picture*) {}
int32_t MakeSprite(const Picture*, Sprite*, int32_t, int32_t, int32_t, int32_t) { return 0; }
void FreeSprite(Sprite*) {}
