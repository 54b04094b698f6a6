// The pack archive: every resource of the show read by name from one archive file, with
// loose files beside it as the fallback. Names use backslashes and are matched without case.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads the trailer and directory of the archive file. A missing archive leaves only loose files.
void OpenPack(const char* archivePath);

// Uncompressed size of the named entry; for a name not in the archive, the loose file's size
// (0 when it does not exist either).
uint32_t PackEntrySize(const char* name);

// Copies bytes offset .. offset + length - 1 of the entry's contents to destination.
// 0 on success, 1 when the archive file or the loose file cannot be opened.
int32_t ReadPackEntry(const char* name, void* destination, uint32_t offset, uint32_t length);

// True when the archive's directory has a record of that name (not counting loose files).
bool PackHasEntry(const char* name);

// Hands the whole contents of the named entry (or loose file) to `sink`, piece by piece, so
// that nothing of its size needs to be held in memory; `size` gets the bytes handed over. 0 on
// success, 1 when neither exists; a damaged member ends the process as ReadPackEntry does.
using PackSink = void (*)(const uint8_t* bytes, size_t count, void* context);
int32_t StreamPackEntry(const char* name, PackSink sink, void* context, uint64_t* size);

// Releases the directory; afterwards the archive has no entries.
void ClosePack();

// Ends the process for a damaged member: writes "funzip error: <text>" to the standard error
// stream, runs the failure hook, and exits with `exitCode` (1, 3 or 4).
[[noreturn]] void FailPackMember(int32_t exitCode, const char* text);
// Runs right before a damaged member ends the process, so that whoever started threads (the
// music's playback thread) can stop them first. Null removes it.
void SetPackFailureHook(void (*beforeExit)());

// The directory as read, for tools: the number of records, and one record (name upper-cased).
struct PackEntryInfo {
    const char* name;
    uint32_t offset; // start of the member in the archive file
    uint32_t size;   // uncompressed size
};
uint32_t PackEntryCount();
bool PackEntryAt(uint32_t index, PackEntryInfo* entry);

// The framing of record `index`'s member: false when it is neither zip nor gzip or unreadable.
bool PackEntryKind(uint32_t index, bool* gzip, bool* deflated);

// Decodes and verifies record `index`'s member without copying anything out. 0 when sound,
// otherwise the exit code a read would end with, and its text in `message`; 1 also when the
// member is sound but holds another number of bytes than the record says.
int32_t CheckPackEntry(uint32_t index, const char** message);

// True when the last OpenPack found the archive's trailer or directory damaged (and so left
// only loose files).
bool PackDirectoryDamaged();
// What was wrong with it ("no room for the trailer", ...), or null when it was not damaged.
const char* PackDirectoryProblem();

// Loose files resolve below `folder` from now on (until the next OpenPack or ClosePack).
void SetLooseFolder(const char* folder);
