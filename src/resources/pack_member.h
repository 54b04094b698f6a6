// Decoding one archive member (a zip local member or a gzip member) from an open file:
// inflate or copy through the 32768-byte output window, verify CRC-32 and length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct MemberResult {
    int32_t exitCode;    // 0 when the member decoded and verified
    const char* text;    // the failure's text, null on success
    bool lengthMismatch; // stored data whose two sizes differ: the sizes below are reported first
    uint32_t storedUncompressed, storedCompressed;
    uint64_t size;       // the contents' length, once decoded and verified
};

// Decodes the member that starts at the file's current position and copies bytes
// offset .. offset + length - 1 of its contents to destination (only those that exist).
MemberResult DecodeMember(FILE* file, uint8_t* destination, uint32_t offset, uint32_t length);

// Decodes the member and hands all of its contents to `sink`, piece by piece as they come,
// before they are verified.
using MemberSink = void (*)(const uint8_t* bytes, size_t count, void* context);
MemberResult DecodeMemberTo(FILE* file, MemberSink sink, void* context);

// What a member's header says about its framing, without decoding it.
struct MemberKind {
    bool known; // false: neither zip nor gzip, or a header cut short
    bool gzip;
    bool deflated;
};
MemberKind PeekMember(FILE* file);
