// The media writer: pictures and sound handed in by the capture go to an MP4 or Matroska file
// (media_container.cpp) or to a folder of PNG pictures with a WAV file (media_pictures.cpp);
// this file checks the settings and runs the encoding.
//
// The encoding runs on a thread of the writer's own, so that the caller draws the next frame
// while the last one is encoded: a write copies the picture (at its small size, before the
// enlargement) or sound into a queue of at most three pictures and returns; it waits only when the queue is full. The thread takes the work
// in the order it was handed in, so the bytes are those of encoding in the caller's thread. A
// failure while encoding (a full disk) is reported by the next write or by the close.
#include "platform/media_writer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <vector>

#include "platform/media_outputs.h"

namespace {

constexpr int kLargestSide = 16384;
constexpr int kChannels = kMediaChannels;
// Pictures handed in and not yet encoded, counting the one in the encoder; and all pieces of
// work waiting, sound included.
constexpr size_t kQueuedPictures = 3;
constexpr size_t kQueuedJobs = 256;
// More sound than this in one call is a mistake (over an hour at 48 kHz), not a capture.
constexpr size_t kLargestAudioCall = size_t{1} << 28;

// One piece of work for the encoding thread: a picture, or else interleaved stereo samples.
struct WriteJob {
    std::vector<uint8_t> picture;
    std::vector<int16_t> sound;
};

} // namespace

struct MediaWriter {
    MediaSettings settings;

    // Between the caller and the encoding thread, under `mutex`.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<WriteJob> jobs;
    size_t queuedPictures = 0;
    std::vector<std::vector<uint8_t>> sparePictures;  // buffers of encoded pictures, for reuse
    std::string failure;  // the first failure; the writer refuses further work after one
    bool closing = false;
    std::thread encoder;

    // The output, one of the two; it belongs to the encoding thread while that runs.
    PictureSeries* series = nullptr;
    MediaContainer* container = nullptr;
};

namespace {

// The writers handed out and not yet closed, so that a writer closed twice, or a pointer that
// was never a writer, is refused instead of used.
std::mutex liveWritersMutex;
std::unordered_set<MediaWriter*> liveWriters;

bool IsLive(MediaWriter* writer)
{
    std::lock_guard<std::mutex> lock(liveWritersMutex);
    return liveWriters.count(writer) != 0;
}

bool CheckSettings(const MediaSettings& s, std::string* error)
{
    const std::string name = s.path.empty() ? std::string("media writer") : s.path;
    if (s.path.empty()) {
        SetMediaError(error, "media writer: no output path given");
        return false;
    }
    if (s.kind != MediaKind::Mp4 && s.kind != MediaKind::Matroska && s.kind != MediaKind::Lossless &&
        s.kind != MediaKind::Pictures) {
        SetMediaError(error, name + ": unknown kind of output");
        return false;
    }
    if (s.width < 1 || s.height < 1 || s.width > kLargestSide || s.height > kLargestSide) {
        SetMediaError(error, name + ": picture size " + std::to_string(s.width) + "x" + std::to_string(s.height) +
                            " is outside 1x1 to " + std::to_string(kLargestSide) + "x" + std::to_string(kLargestSide));
        return false;
    }
    if (s.scale < 1 || s.scale > 16 || s.width % s.scale != 0 || s.height % s.scale != 0) {
        SetMediaError(error, name + ": a picture size of " + std::to_string(s.width) + "x" + std::to_string(s.height) +
                            " is not a whole enlargement by " + std::to_string(s.scale) + " (1 to 16)");
        return false;
    }
    if ((s.kind == MediaKind::Mp4 || s.kind == MediaKind::Matroska) && (s.width % 2 != 0 || s.height % 2 != 0)) {
        SetMediaError(error, name + ": H.264 in 4:2:0 needs an even width and height, not " + std::to_string(s.width) + "x" +
                            std::to_string(s.height));
        return false;
    }
    if (s.framesPerSecond < 1 || s.framesPerSecond > 1000) {
        SetMediaError(error, name + ": " + std::to_string(s.framesPerSecond) + " pictures a second is outside 1 to 1000");
        return false;
    }
    if (s.sampleRate < 1000 || s.sampleRate > 384000) {
        SetMediaError(error, name + ": sample rate " + std::to_string(s.sampleRate) + " Hz is outside 1000 to 384000");
        return false;
    }
    return true;
}

void FreeWriter(MediaWriter* w)
{
    if (w->encoder.joinable()) {
        {
            std::lock_guard<std::mutex> lock(w->mutex);
            w->closing = true;
        }
        w->changed.notify_all();
        w->encoder.join();
    }
    FreePictureSeries(w->series);
    FreeMediaContainer(w->container);
    delete w;
}

bool EncodePicture(MediaWriter* w, const uint8_t* rgb, std::string* error)
{
    if (w->series) return WriteSeriesPicture(w->series, rgb, error);
    return WriteContainerPicture(w->container, rgb, error);
}

bool EncodeSound(MediaWriter* w, const int16_t* samples, size_t frames, std::string* error)
{
    if (w->series) return WriteSeriesSound(w->series, samples, frames, error);
    return WriteContainerAudio(w->container, samples, frames, error);
}

// The encoding thread: does the work in the order it was queued until the writer closes; after
// a failure it only empties the queue.
void RunEncoder(MediaWriter* w)
{
    for (;;) {
        WriteJob job;
        bool failed = false;
        {
            std::unique_lock<std::mutex> lock(w->mutex);
            w->changed.wait(lock, [w] { return !w->jobs.empty() || w->closing; });
            if (w->jobs.empty()) return;
            job = std::move(w->jobs.front());
            w->jobs.pop_front();
            failed = !w->failure.empty();
        }
        std::string text;
        const bool isPicture = !job.picture.empty();
        const bool ok = failed || (isPicture ? EncodePicture(w, job.picture.data(), &text)
                                             : EncodeSound(w, job.sound.data(), job.sound.size() / kChannels, &text));
        {
            std::lock_guard<std::mutex> lock(w->mutex);
            if (isPicture) {
                --w->queuedPictures;
                if (w->sparePictures.size() < kQueuedPictures) w->sparePictures.push_back(std::move(job.picture));
            }
            if (!ok && w->failure.empty()) w->failure = text;
        }
        w->changed.notify_all();
    }
}

// Waits until the queue has room for one more job (and picture, for a picture); false with the
// encoding thread's failure if it has failed.
bool WaitForRoom(MediaWriter* w, std::unique_lock<std::mutex>& lock, bool picture, std::string* error)
{
    w->changed.wait(lock, [w, picture] {
        return !w->failure.empty() || (w->jobs.size() < kQueuedJobs && (!picture || w->queuedPictures < kQueuedPictures));
    });
    if (!w->failure.empty()) return MediaFailed(error, w->failure + " (nothing more is written)");
    return true;
}

} // namespace

MediaWriter* OpenMediaWriter(const MediaSettings& settings, std::string* error)
{
    if (!CheckSettings(settings, error)) return nullptr;
    MediaWriter* w = new MediaWriter;
    w->settings = settings;
    if (settings.kind == MediaKind::Pictures) {
        w->series = OpenPictureSeries(settings, error);
    } else {
        w->container = OpenMediaContainer(settings, error);
    }
    const bool opened = w->series || w->container;
    if (opened) {
        try {
            w->encoder = std::thread(RunEncoder, w);
        } catch (const std::system_error& e) {
            SetMediaError(error, settings.path + ": cannot start the encoding thread: " + e.what());
        }
    }
    if (!w->encoder.joinable()) {
        FreeWriter(w);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(liveWritersMutex);
    liveWriters.insert(w);
    return w;
}

bool WriteMediaPicture(MediaWriter* w, const uint8_t* rgb, std::string* error)
{
    if (!IsLive(w)) {
        SetMediaError(error, "media writer: not an open writer");
        return false;
    }
    if (!rgb) {
        SetMediaError(error, w->settings.path + ": no picture given");
        return false;
    }
    std::unique_lock<std::mutex> lock(w->mutex);
    if (!WaitForRoom(w, lock, true, error)) return false;
    WriteJob job;
    if (!w->sparePictures.empty()) {
        job.picture = std::move(w->sparePictures.back());
        w->sparePictures.pop_back();
    }
    const MediaSettings& s = w->settings;
    job.picture.assign(rgb, rgb + static_cast<size_t>(s.width / s.scale) * static_cast<size_t>(s.height / s.scale) * 3);
    w->jobs.push_back(std::move(job));
    ++w->queuedPictures;
    lock.unlock();
    w->changed.notify_all();
    return true;
}

bool WriteMediaAudio(MediaWriter* w, const int16_t* samples, size_t frames, std::string* error)
{
    if (!IsLive(w)) {
        SetMediaError(error, "media writer: not an open writer");
        return false;
    }
    if (frames > 0 && !samples) {
        SetMediaError(error, w->settings.path + ": no samples given");
        return false;
    }
    if (frames > kLargestAudioCall) {
        SetMediaError(error, w->settings.path + ": " + std::to_string(frames) + " sample frames in one call is too many");
        return false;
    }
    std::unique_lock<std::mutex> lock(w->mutex);
    if (!WaitForRoom(w, lock, false, error)) return false;
    if (frames == 0) return true;
    WriteJob job;
    job.sound.assign(samples, samples + frames * kChannels);
    w->jobs.push_back(std::move(job));
    lock.unlock();
    w->changed.notify_all();
    return true;
}

bool CloseMediaWriter(MediaWriter* w, std::string* error)
{
    {
        std::lock_guard<std::mutex> lock(liveWritersMutex);
        if (liveWriters.erase(w) == 0) {
            SetMediaError(error, "media writer: not an open writer (closed already?)");
            return false;
        }
    }
    {
        std::lock_guard<std::mutex> lock(w->mutex);
        w->closing = true;
    }
    w->changed.notify_all();
    w->encoder.join();  // after the last queued work

    // The WAV file gets its sizes even after a failure, so the sound written so far stays readable.
    bool ok = w->series ? FinishPictureSeries(w->series, w->failure.empty(), error) : true;
    if (!w->failure.empty()) {
        ok = false;
        SetMediaError(error, w->failure + " (the output is left unfinished)");
    } else if (w->container) {
        ok = FinishMediaContainer(w->container, error);
    }
    FreeWriter(w);
    return ok;
}

