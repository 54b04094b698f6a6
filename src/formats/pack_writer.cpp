#include "formats/pack_writer.h"
#include "formats/byte_order.h"

#include <stdexcept>
#include <zlib.h>

namespace {

uint32_t Crc(const std::vector<uint8_t>& bytes)
{
    return static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

} // namespace

std::vector<uint8_t> DeflateRaw(const std::vector<uint8_t>& contents)
{
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflate cannot start");
    std::vector<uint8_t> out(deflateBound(&stream, static_cast<uLong>(contents.size())));
    stream.next_in = const_cast<Bytef*>(contents.data());
    stream.avail_in = static_cast<uInt>(contents.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return out;
}

std::vector<uint8_t> MakeZipMember(const std::string& name, const std::vector<uint8_t>& contents, bool deflate,
                                   bool descriptor)
{
    std::vector<uint8_t> data = deflate ? DeflateRaw(contents) : contents;
    const uint32_t crc = Crc(contents);
    const uint32_t size = static_cast<uint32_t>(contents.size());
    const uint32_t compressed = static_cast<uint32_t>(data.size());
    // Stored data is always sized in the header: it has no end marker of its own.
    const bool sizesInHeader = !descriptor || !deflate;

    std::vector<uint8_t> out;
    AppendLe32(out, 0x04034B50);
    AppendLe16(out, 20);
    AppendLe16(out, descriptor ? 8 : 0);
    AppendLe16(out, deflate ? 8 : 0);
    AppendLe32(out, 0); // time and date
    AppendLe32(out, sizesInHeader ? crc : 0);
    AppendLe32(out, sizesInHeader ? compressed : 0);
    AppendLe32(out, sizesInHeader ? size : 0);
    AppendLe16(out, static_cast<uint32_t>(name.size()));
    AppendLe16(out, 0);
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), data.begin(), data.end());
    if (descriptor) {
        AppendLe32(out, 0x08074B50);
        AppendLe32(out, crc);
        AppendLe32(out, compressed);
        AppendLe32(out, size);
    }
    return out;
}

std::vector<uint8_t> MakeGzipMember(const std::vector<uint8_t>& contents, const std::string& storedName)
{
    std::vector<uint8_t> out = {0x1F, 0x8B, 8, static_cast<uint8_t>(storedName.empty() ? 0 : 0x08), 0, 0, 0, 0, 0, 3};
    if (!storedName.empty()) {
        out.insert(out.end(), storedName.begin(), storedName.end());
        out.push_back(0);
    }
    std::vector<uint8_t> data = DeflateRaw(contents);
    out.insert(out.end(), data.begin(), data.end());
    AppendLe32(out, Crc(contents));
    AppendLe32(out, static_cast<uint32_t>(contents.size()));
    return out;
}

void AddRawPackMember(PackBuilder* pack, const std::string& name, const std::vector<uint8_t>& member,
                      uint32_t uncompressedSize)
{
    pack->records.push_back({name, static_cast<uint32_t>(pack->bytes.size()), uncompressedSize});
    pack->bytes.insert(pack->bytes.end(), member.begin(), member.end());
}

void AddPackEntry(PackBuilder* pack, const std::string& name, const std::vector<uint8_t>& contents,
                  PackMethod method, bool descriptor)
{
    std::vector<uint8_t> member = method == PackMethod::Gzip
                                      ? MakeGzipMember(contents)
                                      : MakeZipMember(name, contents, method == PackMethod::Deflate, descriptor);
    AddRawPackMember(pack, name, member, static_cast<uint32_t>(contents.size()));
}

std::vector<uint8_t> FinishPack(const PackBuilder& pack)
{
    std::vector<uint8_t> out = pack.bytes;
    const uint32_t directoryOffset = static_cast<uint32_t>(out.size());
    for (const PackBuilder::Record& r : pack.records) {
        out.insert(out.end(), r.name.begin(), r.name.end());
        out.push_back(0);
        AppendLe32(out, r.offset);
        AppendLe32(out, r.size);
    }
    AppendLe32(out, static_cast<uint32_t>(pack.records.size()));
    AppendLe32(out, directoryOffset);
    return out;
}
