#include "generator/write_outputs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "formats/pack_writer.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

std::string WriteLooseFiles(const std::string& dir, const std::vector<const content::ContentEntry*>& chosen,
                            const std::vector<std::vector<uint8_t>>& made)
{
    for (size_t i = 0; i < chosen.size(); ++i) {
        std::string relative = chosen[i]->name;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const std::filesystem::path path = std::filesystem::path(dir) / relative;
        std::error_code ec;
        std::filesystem::create_directories(path.parent_path(), ec);
        if (!WriteFile(path, made[i])) return path.string() + ": cannot write";
    }
    return "";
}

std::string WritePack(const std::string& out, const std::vector<const content::ContentEntry*>& chosen,
                      const std::vector<std::vector<uint8_t>>& made, size_t* packedBytes)
{
    PackBuilder pack;
    for (size_t i = 0; i < chosen.size(); ++i) AddPackEntry(&pack, chosen[i]->name, made[i], PackMethod::Deflate);
    const std::vector<uint8_t> bytes = FinishPack(pack);
    *packedBytes = bytes.size();
    const std::filesystem::path target(out);
    std::error_code ec;
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
    const std::filesystem::path partial = target.string() + ".partial";
    if (!WriteFile(partial, bytes)) return partial.string() + ": cannot write";
    std::filesystem::rename(partial, target, ec);
    if (ec) return target.string() + ": " + ec.message();
    return "";
}
