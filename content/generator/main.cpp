// vela-content: makes every entry of the manifest and packs them into the show's archive.
// Entries are made on several threads and packed in manifest order, so the archive's bytes
// depend on the sources alone.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "command_line/command_line.h"
#include "formats/png_file.h"
#include "generator/content_options.h"
#include "generator/make_entries.h"
#include "generator/write_outputs.h"
#include "pictures/icon.h"

namespace {

int Fail(const std::string& text)
{
    std::fprintf(stderr, "vela-content: %s\n", text.c_str());
    return 1;
}

int MakeContent(const ContentOptions& options)
{
    const std::vector<content::ContentEntry>& manifest = content::ContentManifest();
    if (const std::string problem = CheckManifest(manifest, {}); !problem.empty()) return Fail(problem);
    if (options.list) {
        for (const content::ContentEntry& e : manifest) std::printf("%s\n", e.name.c_str());
        return 0;
    }
    if (!options.icon.empty()) {
        constexpr int kIconSize = 256;
        std::string error;
        const std::vector<uint8_t> rgba = content::DrawIcon(kIconSize);
        if (!WritePng(options.icon, PngPixels{kIconSize, kIconSize, PngChannels::Rgba, rgba.data()},
                      PngCompression::Default, &error)) {
            return Fail(error);
        }
        if (options.out.empty() && options.dir.empty()) return 0;
    }
    if (const std::string problem = CheckManifest(manifest, options.only); !problem.empty()) return Fail(problem);

    const auto started = std::chrono::steady_clock::now();
    const std::vector<const content::ContentEntry*> chosen = ChooseEntries(manifest, options.only);
    std::vector<std::vector<uint8_t>> made;
    if (const std::string problem = MakeEntries(chosen, options.jobs, &made); !problem.empty()) return Fail(problem);
    if (!options.dir.empty()) {
        if (const std::string problem = WriteLooseFiles(options.dir, chosen, made); !problem.empty()) return Fail(problem);
    }
    if (!options.out.empty()) {
        size_t packed = 0;
        if (const std::string problem = WritePack(options.out, chosen, made, &packed); !problem.empty()) return Fail(problem);
        size_t total = 0;
        for (const std::vector<uint8_t>& bytes : made) total += bytes.size();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("vela-content: %zu entries, %zu bytes (%zu packed) in %s, %.1f s\n", chosen.size(), total, packed,
                    options.out.c_str(), seconds);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    ContentOptions options;
    try {
        options = ReadContentOptions(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vela-content: %s\nsee 'vela-content --help'\n", e.problem.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kContentUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("vela-content %s\n", VELA_VERSION);
        return 0;
    }
    return MakeContent(options);
}
