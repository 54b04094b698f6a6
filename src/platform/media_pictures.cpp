// The media writer's picture series: a numbered PNG picture for each frame and the sound as a
// WAV file beside them, both written through the file formats library with fixed settings, so
// the same input gives the same bytes on every run. The pictures are compressed for speed, as
// a capture writes one per frame of the show; the WAV header gets its sizes at the end.
#include "platform/media_outputs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "formats/png_file.h"
#include "formats/wav_header.h"
#include "platform/media_conversion.h"

struct PictureSeries {
    MediaSettings settings;
    std::filesystem::path folder;
    int64_t pictures = 0;  // written so far
    std::string wavPath;
    FILE* wav = nullptr;
    uint64_t wavDataBytes = 0;
    std::vector<uint8_t> enlarged;  // the picture at the full size, when it is handed in small
};

namespace {

std::string PicturePath(const std::filesystem::path& folder, int64_t index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(index));
    return (folder / name).string();
}

std::vector<uint8_t> WavHeaderFor(const PictureSeries* s, uint64_t dataBytes)
{
    return MakeWavHeader(static_cast<uint32_t>(s->settings.sampleRate), kMediaChannels, dataBytes);
}

void RemoveStalePictures(const PictureSeries* s)
{
    std::error_code ec;
    for (int64_t i = s->pictures;; ++i) {
        if (!std::filesystem::remove(PicturePath(s->folder, i), ec)) break;
    }
}

bool Start(PictureSeries* s, std::string* error)
{
    const std::string& path = s->settings.path;
    std::error_code ec;
    s->folder = path;
    std::filesystem::create_directories(s->folder, ec);
    if (ec || !std::filesystem::is_directory(s->folder, ec)) {
        return MediaFailed(error, path + ": cannot make the folder: " +
                                      (ec ? ec.message() : std::string("something else is in the way")));
    }
    s->wavPath = (s->folder / "audio.wav").string();
    s->wav = std::fopen(s->wavPath.c_str(), "wb");
    if (!s->wav) return MediaFailed(error, s->wavPath + ": cannot create: " + std::strerror(errno));
    const std::vector<uint8_t> header = WavHeaderFor(s, 0);
    if (std::fwrite(header.data(), 1, header.size(), s->wav) != header.size()) {
        return MediaFailed(error, s->wavPath + ": cannot write: " + std::strerror(errno));
    }
    return true;
}

} // namespace

PictureSeries* OpenPictureSeries(const MediaSettings& settings, std::string* error)
{
    PictureSeries* s = new PictureSeries;
    s->settings = settings;
    if (!Start(s, error)) {
        FreePictureSeries(s);
        return nullptr;
    }
    return s;
}

bool WriteSeriesPicture(PictureSeries* s, const uint8_t* rgb, std::string* error)
{
    std::string text;
    const MediaSettings& m = s->settings;
    if (m.scale > 1) {
        s->enlarged.resize(static_cast<size_t>(m.width) * static_cast<size_t>(m.height) * 3);
        EnlargeToRgb(SmallPicture{rgb, m.width / m.scale, m.height / m.scale, m.scale}, s->enlarged.data(), m.width * 3);
        rgb = s->enlarged.data();
    }
    const PngPixels pixels{m.width, m.height, PngChannels::Rgb, rgb};
    if (!WritePng(PicturePath(s->folder, s->pictures), pixels, PngCompression::Fast, &text)) {
        return MediaFailed(error, text);
    }
    ++s->pictures;
    return true;
}

bool WriteSeriesSound(PictureSeries* s, const int16_t* samples, size_t frames, std::string* error)
{
    const uint64_t bytes = static_cast<uint64_t>(frames) * kMediaChannels * 2;
    if (s->wavDataBytes + bytes > kLargestWavData) {
        return MediaFailed(error, s->wavPath + ": more sound than a WAV file can count (4 GiB)");
    }
    std::vector<uint8_t> block;
    AppendWavSamples(&block, samples, frames * kMediaChannels);
    if (std::fwrite(block.data(), 1, block.size(), s->wav) != block.size()) {
        return MediaFailed(error, s->wavPath + ": cannot write: " + std::strerror(errno));
    }
    s->wavDataBytes += bytes;
    return true;
}

bool FinishPictureSeries(PictureSeries* s, bool complete, std::string* error)
{
    const std::vector<uint8_t> header = WavHeaderFor(s, s->wavDataBytes);
    errno = 0;
    bool ok = std::fflush(s->wav) == 0 && std::fseek(s->wav, 0, SEEK_SET) == 0 &&
              std::fwrite(header.data(), 1, header.size(), s->wav) == header.size() && std::fflush(s->wav) == 0;
    const int writeErrno = errno;
    ok = std::fclose(s->wav) == 0 && ok;
    s->wav = nullptr;
    if (!ok) return MediaFailed(error, s->wavPath + ": cannot write: " + std::strerror(writeErrno ? writeErrno : errno));
    if (complete) RemoveStalePictures(s);
    return true;
}

void FreePictureSeries(PictureSeries* s)
{
    if (!s) return;
    if (s->wav) std::fclose(s->wav);
    delete s;
}
