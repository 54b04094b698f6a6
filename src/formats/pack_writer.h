// Writes pack archives: members (zip local members, stored or deflated, optionally with a
// data descriptor; or gzip members), then the directory and the 8-byte trailer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class PackMethod { Store, Deflate, Gzip };

// One zip local member holding `contents`. With `descriptor`, flag bit 3 is set and the
// CRC-32 and sizes follow the data in a 16-byte descriptor (a deflated member's header then
// carries zeros, as a streaming writer leaves it).
std::vector<uint8_t> MakeZipMember(const std::string& name, const std::vector<uint8_t>& contents, bool deflate,
                                   bool descriptor);

// One gzip member holding `contents`, with the file name in its header when one is given.
std::vector<uint8_t> MakeGzipMember(const std::vector<uint8_t>& contents, const std::string& storedName = "");

// Raw DEFLATE (no wrapper) of `contents` at the best compression.
std::vector<uint8_t> DeflateRaw(const std::vector<uint8_t>& contents);

// An archive under construction: members are appended in order.
struct PackBuilder {
    struct Record {
        std::string name;
        uint32_t offset;
        uint32_t size;
    };
    std::vector<uint8_t> bytes;
    std::vector<Record> records;
};

// Appends `contents` as a member made by `method`, and its record.
void AddPackEntry(PackBuilder* pack, const std::string& name, const std::vector<uint8_t>& contents,
                  PackMethod method, bool descriptor = false);

// Appends a member made elsewhere (by another tool, or deliberately damaged) as it is, with
// the record's size given by the caller.
void AddRawPackMember(PackBuilder* pack, const std::string& name, const std::vector<uint8_t>& member,
                      uint32_t uncompressedSize);

// The whole archive file: the members, then the directory and the trailer.
std::vector<uint8_t> FinishPack(const PackBuilder& pack);
