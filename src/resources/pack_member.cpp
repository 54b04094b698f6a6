// Member framing (zip local header with optional data descriptor, gzip header and trailer)
// and the windowed output: every byte is checked, only the asked range is copied out.
#include "formats/byte_order.h"
#include "resources/pack_member.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace {

constexpr size_t kWindowBytes = 32768;
constexpr size_t kInputBytes = 65536;

// The decoding state is one program-wide set: reads never run at the same time.
uint8_t window[kWindowBytes];
uint8_t input[kInputBytes];

struct Input {
    FILE* file;
    size_t position = 0, length = 0;

    // Refills the buffer when it is empty; false at the end of the file.
    bool Fill()
    {
        if (position < length) return true;
        position = 0;
        length = std::fread(input, 1, kInputBytes, file);
        return length > 0;
    }
    // Up to n bytes into out; the number actually read.
    size_t Read(uint8_t* out, size_t n)
    {
        size_t done = 0;
        while (done < n && Fill()) {
            size_t take = std::min(n - done, length - position);
            if (out) std::memcpy(out + done, input + position, take);
            position += take;
            done += take;
        }
        return done;
    }
    int Byte()
    {
        uint8_t b;
        return Read(&b, 1) == 1 ? b : -1;
    }
};

struct Output {
    uint8_t* destination;
    uint64_t offset, end; // the asked range [offset, end)
    MemberSink sink = nullptr; // when set, everything goes to it instead
    void* sinkContext = nullptr;
    uint64_t produced = 0;
    uint32_t crc = 0;

    // The window's first n bytes are done: check them and copy the part in the range.
    void Flush(size_t n)
    {
        crc = static_cast<uint32_t>(crc32(crc, window, static_cast<uInt>(n)));
        if (sink) {
            sink(window, n, sinkContext);
        } else {
            uint64_t lo = std::max(produced, offset), hi = std::min(produced + n, end);
            if (lo < hi) std::memcpy(destination + (lo - offset), window + (lo - produced), hi - lo);
        }
        produced += n;
    }
};

MemberResult Fail(int32_t code, const char* text) { return MemberResult{code, text, false, 0, 0, 0}; }
MemberResult Success() { return MemberResult{0, nullptr, false, 0, 0, 0}; }

const char* const kFormatViolated = "invalid compressed data--format violated";
const char* const kCannotDecrypt = "cannot decrypt entry (need to recompile with full crypt.c)";

MemberResult Inflate(Input& in, Output& out)
{
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return Fail(1, "out of memory");
    stream.next_out = window;
    stream.avail_out = kWindowBytes;
    MemberResult result = Success();
    for (;;) {
        if (stream.avail_in == 0) {
            if (!in.Fill()) {
                result = Fail(4, kFormatViolated); // the data ends before the stream does
                break;
            }
            stream.next_in = input + in.position;
            stream.avail_in = static_cast<uInt>(in.length - in.position);
        }
        int status = inflate(&stream, Z_NO_FLUSH);
        in.position = in.length - stream.avail_in;
        if (status == Z_MEM_ERROR) {
            result = Fail(1, "out of memory");
            break;
        }
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            result = Fail(4, kFormatViolated);
            break;
        }
        if (stream.avail_out == 0 || status == Z_STREAM_END) {
            size_t n = kWindowBytes - stream.avail_out;
            if (n) out.Flush(n);
            stream.next_out = window;
            stream.avail_out = kWindowBytes;
        }
        if (status == Z_STREAM_END) break;
    }
    inflateEnd(&stream);
    return result;
}

MemberResult CopyStored(Input& in, Output& out, uint32_t size)
{
    uint64_t left = size;
    while (left) {
        size_t take = static_cast<size_t>(std::min<uint64_t>(left, kWindowBytes));
        size_t got = in.Read(window, take);
        if (got) out.Flush(got);
        if (got < take) return Fail(3, "zipfile ended prematurely");
        left -= got;
    }
    return Success();
}

MemberResult Verify(const Output& out, uint32_t crc, uint32_t size)
{
    if (out.crc != crc) return Fail(4, "invalid compressed data--crc error");
    if (out.produced != size) return Fail(4, "invalid compressed data--length error");
    MemberResult result = Success();
    result.size = out.produced;
    return result;
}

// What a local header's extra field says: whether it carries Zip64 sizes (and then a data
// descriptor holds 8-byte sizes), and the uncompressed size it gives.
struct ExtraField {
    bool zip64 = false;
    uint64_t uncompressed = 0;
};

ExtraField ReadExtraField(Input& in, size_t length)
{
    ExtraField extra;
    while (length >= 4) {
        uint8_t h[4];
        if (in.Read(h, 4) < 4) return extra;
        length -= 4;
        const size_t size = std::min<size_t>(ReadLe16(h + 2), length);
        uint8_t block[16] = {};
        const size_t kept = std::min<size_t>(size, sizeof block);
        in.Read(block, kept);
        in.Read(nullptr, size - kept);
        length -= size;
        if (ReadLe16(h) == 0x0001) { // Zip64: uncompressed size first (when the header lacks it)
            extra.zip64 = true;
            if (kept >= 8) extra.uncompressed = uint64_t{ReadLe32(block)} | uint64_t{ReadLe32(block + 4)} << 32;
        }
    }
    in.Read(nullptr, length);
    return extra;
}

MemberResult DecodeZip(Input& in, Output& out)
{
    uint8_t h[30];
    if (in.Read(h + 2, 28) < 28 || h[2] != 3 || h[3] != 4) return Fail(3, "invalid zipfile");
    const uint16_t flags = ReadLe16(h + 6), method = ReadLe16(h + 8);
    if (method != 0 && method != 8) return Fail(3, "first entry not deflated or stored--cannot unpack");
    if (flags & 1) return Fail(3, kCannotDecrypt);
    uint32_t crc = ReadLe32(h + 14);
    const uint32_t compressed = ReadLe32(h + 18);
    uint32_t uncompressed = ReadLe32(h + 22);
    in.Read(nullptr, ReadLe16(h + 26)); // the name
    const ExtraField extra = ReadExtraField(in, ReadLe16(h + 28));
    // Sizes past 32 bits stand in the Zip64 extra field; such members are beyond this format.
    if (extra.zip64 && uncompressed == 0xFFFFFFFFu) {
        if (extra.uncompressed > 0xFFFFFFFFu) return Fail(4, "invalid compressed data--length error");
        uncompressed = static_cast<uint32_t>(extra.uncompressed);
    }

    if (method == 0) {
        if (compressed != uncompressed) {
            MemberResult r = Fail(4, "invalid compressed data--length mismatch");
            r.lengthMismatch = true;
            r.storedUncompressed = uncompressed;
            r.storedCompressed = compressed;
            return r;
        }
        MemberResult r = CopyStored(in, out, compressed);
        if (r.exitCode) return r;
    } else {
        MemberResult r = Inflate(in, out);
        if (r.exitCode) return r;
    }
    if (flags & 8) {
        // The descriptor: an optional signature, the CRC-32, then the compressed and
        // uncompressed sizes, 4 bytes each, or 8 each when the header carried Zip64 sizes (as
        // Info-ZIP writes when it zips from a pipe).
        uint8_t d[24];
        const size_t sizeBytes = extra.zip64 ? 8 : 4;
        if (in.Read(d, 4) < 4) return Fail(3, "zipfile ended prematurely");
        if (ReadLe32(d) == 0x08074B50u && in.Read(d, 4) < 4) return Fail(3, "zipfile ended prematurely");
        crc = ReadLe32(d);
        if (in.Read(d + 4, 2 * sizeBytes) < 2 * sizeBytes) return Fail(3, "zipfile ended prematurely");
        const uint8_t* u = d + 4 + sizeBytes;
        if (sizeBytes == 8 && ReadLe32(u + 4) != 0) return Fail(4, "invalid compressed data--length error");
        uncompressed = ReadLe32(u);
    }
    return Verify(out, crc, uncompressed);
}

MemberResult DecodeGzip(Input& in, Output& out)
{
    uint8_t h[10];
    if (in.Read(h + 2, 8) < 8) return Fail(3, "invalid gzip file");
    if (h[2] != 8) return Fail(3, "gzip file not deflated");
    const uint8_t flags = h[3];
    if (flags & 0x02) return Fail(3, "cannot handle multi-part gzip files");
    if (flags & 0x20) return Fail(3, kCannotDecrypt);
    if (flags & 0x04) {
        int lo = in.Byte(), hi = in.Byte();
        if (lo >= 0 && hi >= 0) in.Read(nullptr, static_cast<size_t>(lo | hi << 8));
    }
    for (uint8_t bit : {uint8_t{0x08}, uint8_t{0x10}}) { // file name, comment
        if (flags & bit) {
            int c;
            do c = in.Byte();
            while (c > 0);
        }
    }
    MemberResult r = Inflate(in, out);
    if (r.exitCode) return r;
    uint8_t t[8];
    if (in.Read(t, 8) < 8) return Fail(3, "gzip file ended prematurely");
    return Verify(out, ReadLe32(t), ReadLe32(t + 4));
}

} // namespace

namespace {

MemberResult Decode(FILE* file, Output& out)
{
    Input in{file};
    uint8_t magic[2];
    if (in.Read(magic, 2) == 2) {
        uint16_t kind = ReadLe16(magic);
        if (kind == 0x4B50) return DecodeZip(in, out);
        if (kind == 0x8B1F) return DecodeGzip(in, out);
    }
    return Fail(3, "input not a zip or gzip file");
}

} // namespace

MemberResult DecodeMember(FILE* file, uint8_t* destination, uint32_t offset, uint32_t length)
{
    Output out{destination, offset, uint64_t{offset} + length};
    return Decode(file, out);
}

MemberResult DecodeMemberTo(FILE* file, MemberSink sink, void* context)
{
    Output out{nullptr, 0, 0, sink, context};
    return Decode(file, out);
}

MemberKind PeekMember(FILE* file)
{
    uint8_t h[10] = {};
    size_t got = std::fread(h, 1, sizeof h, file);
    if (got >= 10 && ReadLe16(h) == 0x4B50 && h[2] == 3 && h[3] == 4) return MemberKind{true, false, ReadLe16(h + 8) == 8};
    if (got >= 3 && ReadLe16(h) == 0x8B1F) return MemberKind{true, true, h[2] == 8};
    return MemberKind{false, false, false};
}
