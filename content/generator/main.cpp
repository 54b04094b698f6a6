// vela-content: makes every entry of the manifest and packs them into the show's archive.
// Entries are made on several threads and packed in manifest order, so the archive's bytes
// depend on the sources alone.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "authoring/pack_writer.h"
#include "common/png_file.h"
#include "generator/manifest.h"
#include "pictures/icon.h"

namespace {

const char kUsage[] =
    "usage: vela-content --out OUT.PAK [--dir DIR] [--only NAME]... [--jobs N]\n"
    "       vela-content --icon OUT.png\n"
    "       vela-content --list\n"
    "\n"
    "Makes the show's pictures, scenes and modules from source and packs them.\n"
    "\n"
    "  --out OUT.PAK  the archive to write (written whole, then moved into place)\n"
    "  --dir DIR      also write each entry as a loose file below DIR (folders from the\n"
    "                 backslashes), to look at\n"
    "  --only NAME    make only this entry (any case; may be given again); with --out the\n"
    "                 archive then holds just those\n"
    "  --jobs N       threads making entries (default: the processor count)\n"
    "  --icon OUT.png the desktop icon: the emblem, 256x256, on a transparent background\n"
    "  --list         print every entry name of the manifest\n"
    "  --help, --version\n";

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

int Fail(const std::string& text)
{
    std::fprintf(stderr, "vela-content: %s\n", text.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string out, dir, icon;
    std::set<std::string> only;
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("vela-content %s\n", VELA_VERSION);
            return 0;
        } else if (a == "--list") {
            list = true;
        } else if (a == "--out" || a == "--dir" || a == "--only" || a == "--jobs" || a == "--icon") {
            const char* v = value();
            if (!v) {
                std::fprintf(stderr, "vela-content: missing value for %s\n\n%s", a.c_str(), kUsage);
                return 2;
            }
            if (a == "--out") out = v;
            else if (a == "--dir") dir = v;
            else if (a == "--only") only.insert(Upper(v));
            else if (a == "--icon") icon = v;
            else {
                const int n = std::atoi(v);
                if (n < 1 || n > 64) {
                    std::fprintf(stderr, "vela-content: --jobs takes 1..64, not '%s'\n", v);
                    return 2;
                }
                jobs = static_cast<unsigned>(n);
            }
        } else {
            std::fprintf(stderr, "vela-content: unknown option '%s'\n\n%s", a.c_str(), kUsage);
            return 2;
        }
    }

    const std::vector<content::ContentEntry>& manifest = content::ContentManifest();
    std::set<std::string> seen;
    for (const content::ContentEntry& e : manifest) {
        if (!seen.insert(Upper(e.name)).second) return Fail("the manifest lists '" + e.name + "' twice");
    }
    if (list) {
        for (const content::ContentEntry& e : manifest) std::printf("%s\n", e.name.c_str());
        return 0;
    }
    if (!icon.empty()) {
        constexpr int kIconSize = 256;
        std::string error;
        if (!content::WritePngRgba(icon, kIconSize, kIconSize, content::DrawIcon(kIconSize), &error)) return Fail(error);
        if (out.empty() && dir.empty()) return 0;
    }
    if (out.empty() && dir.empty()) {
        std::fprintf(stderr, "vela-content: nothing to write: give --out, --dir or --icon\n\n%s", kUsage);
        return 2;
    }
    for (const std::string& name : only) {
        if (!seen.count(name)) return Fail("no entry named '" + name + "' in the manifest");
    }

    std::vector<const content::ContentEntry*> chosen;
    for (const content::ContentEntry& e : manifest) {
        if (only.empty() || only.count(Upper(e.name))) chosen.push_back(&e);
    }

    const auto started = std::chrono::steady_clock::now();
    std::vector<std::vector<uint8_t>> made(chosen.size());
    std::vector<std::string> errors(chosen.size());
    std::atomic<size_t> next{0};
    auto work = [&]() {
        for (size_t i; (i = next.fetch_add(1)) < chosen.size();) {
            try {
                made[i] = chosen[i]->make();
                if (made[i].empty()) errors[i] = "made no bytes";
            } catch (const std::exception& e) {
                errors[i] = e.what();
            }
        }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < std::min<size_t>(jobs, chosen.size()); ++t) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < chosen.size(); ++i) {
        if (!errors[i].empty()) return Fail(chosen[i]->name + ": " + errors[i]);
    }

    if (!dir.empty()) {
        for (size_t i = 0; i < chosen.size(); ++i) {
            std::string relative = chosen[i]->name;
            std::replace(relative.begin(), relative.end(), '\\', '/');
            const std::filesystem::path path = std::filesystem::path(dir) / relative;
            std::error_code ec;
            std::filesystem::create_directories(path.parent_path(), ec);
            if (!WriteFile(path, made[i])) return Fail(path.string() + ": cannot write");
        }
    }

    size_t total = 0;
    if (!out.empty()) {
        PackBuilder pack;
        for (size_t i = 0; i < chosen.size(); ++i) {
            AddPackEntry(&pack, chosen[i]->name, made[i], PackMethod::Deflate);
            total += made[i].size();
        }
        const std::vector<uint8_t> bytes = FinishPack(pack);
        const std::filesystem::path target(out);
        std::error_code ec;
        if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
        const std::filesystem::path partial = target.string() + ".partial";
        if (!WriteFile(partial, bytes)) return Fail(partial.string() + ": cannot write");
        std::filesystem::rename(partial, target, ec);
        if (ec) return Fail(target.string() + ": " + ec.message());
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("vela-content: %zu entries, %zu bytes (%zu packed) in %s, %.1f s\n", chosen.size(), total,
                    bytes.size(), out.c_str(), seconds);
    }
    return 0;
}
