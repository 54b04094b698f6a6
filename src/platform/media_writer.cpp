// The media writer: pictures and sound handed in by the capture go to an MP4 file (H.264 and
// AAC), a Matroska file (FFV1 and FLAC) or a folder of PNG pictures with a WAV file.
//
// Determinism: the encoders run with FFmpeg's bit-exact flag, x264 on one thread and FFV1 with
// a fixed four slices; the muxers write no creation time, library version or random identifier;
// PNG and WAV files are written by hand with fixed settings. The same input gives the same bytes
// on every run.
//
// Sound is buffered into the audio encoder's frame size; the last, shorter frame goes in at
// close, so nothing is dropped or padded beyond what the encoder itself adds (AAC's priming,
// which the MP4 edit list hides again).
//
// The encoding runs on a thread of the writer's own, so that the caller draws the next frame
// while the last one is encoded: a write copies the picture or sound into a queue of at most
// three pictures and returns; it waits only when the queue is full. The thread takes the work
// in the order it was handed in, so the bytes are those of encoding in the caller's thread. A
// failure while encoding (a full disk) is reported by the next write or by the close.
#include "platform/media_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/cpu.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <vector>

#include "formats/byte_order.h"

namespace {

constexpr int kLargestSide = 16384;
constexpr int kChannels = 2;
constexpr size_t kWavHeaderBytes = 44;
// A WAV file counts its bytes in 32 bits.
constexpr uint64_t kLargestWavData = 0xFFFFFFFFull - (kWavHeaderBytes - 8);
// Pictures handed in and not yet encoded, counting the one in the encoder; and all pieces of
// work waiting, sound included.
constexpr size_t kQueuedPictures = 3;
constexpr size_t kQueuedJobs = 256;
// More sound than this in one call is a mistake (over an hour at 48 kHz), not a capture.
constexpr size_t kLargestAudioCall = size_t{1} << 28;

struct EncodedStream {
    AVCodecContext* context = nullptr;
    AVStream* stream = nullptr;
    // Frames to fill; an encoder may keep a reference to the last one it was sent (FFV1
    // does), so there are as many as it holds plus one, each allocated once.
    std::vector<AVFrame*> frames;
    int64_t nextPts = 0;
};

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

    // Everything below belongs to the encoding thread while it runs.
    int64_t pictures = 0;

    // Pictures: the folder and the WAV file beside the pictures.
    std::filesystem::path folder;
    std::string wavPath;
    FILE* wav = nullptr;
    uint64_t wavDataBytes = 0;

    // MP4 and Matroska.
    AVFormatContext* format = nullptr;
    EncodedStream video;
    EncodedStream audio;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    std::vector<int16_t> pendingAudio;  // interleaved frames short of one encoder frame
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

void SetError(std::string* error, const std::string& text)
{
    if (error) *error = text;
}

std::string DescribeAvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

bool Failed(std::string* error, const std::string& text)
{
    SetError(error, text);
    return false;
}

bool CheckSettings(const MediaSettings& s, std::string* error)
{
    const std::string name = s.path.empty() ? std::string("media writer") : s.path;
    if (s.path.empty()) {
        SetError(error, "media writer: no output path given");
        return false;
    }
    if (s.kind != MediaKind::Mp4 && s.kind != MediaKind::Matroska && s.kind != MediaKind::Lossless &&
        s.kind != MediaKind::Pictures) {
        SetError(error, name + ": unknown kind of output");
        return false;
    }
    if (s.width < 1 || s.height < 1 || s.width > kLargestSide || s.height > kLargestSide) {
        SetError(error, name + ": picture size " + std::to_string(s.width) + "x" + std::to_string(s.height) +
                            " is outside 1x1 to " + std::to_string(kLargestSide) + "x" + std::to_string(kLargestSide));
        return false;
    }
    if ((s.kind == MediaKind::Mp4 || s.kind == MediaKind::Matroska) && (s.width % 2 != 0 || s.height % 2 != 0)) {
        SetError(error, name + ": H.264 in 4:2:0 needs an even width and height, not " + std::to_string(s.width) + "x" +
                            std::to_string(s.height));
        return false;
    }
    if (s.framesPerSecond < 1 || s.framesPerSecond > 1000) {
        SetError(error, name + ": " + std::to_string(s.framesPerSecond) + " pictures a second is outside 1 to 1000");
        return false;
    }
    if (s.sampleRate < 1000 || s.sampleRate > 384000) {
        SetError(error, name + ": sample rate " + std::to_string(s.sampleRate) + " Hz is outside 1000 to 384000");
        return false;
    }
    return true;
}

// ---- PNG pictures and a WAV file --------------------------------------------------------

std::string PicturePath(const std::filesystem::path& folder, int64_t index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(index));
    return (folder / name).string();
}

// No C++ object lives in this function, so libpng's longjmp skips no destructor.
bool EncodePng(FILE* file, int width, int height, const uint8_t* rgb)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // Fast settings: a capture writes one picture per frame of the show.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool WritePngFile(const std::string& path, int width, int height, const uint8_t* rgb, std::string* text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *text = path + ": cannot create: " + std::strerror(errno);
        return false;
    }
    errno = 0;
    const bool encoded = EncodePng(file, width, height, rgb);
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    int cause = errno;
    const bool closed = std::fclose(file) == 0;
    if (!cause) cause = errno;
    if (!encoded || !flushed || !closed) {
        *text = path + ": cannot write: " + (cause ? std::strerror(cause) : "the PNG encoder failed");
        return false;
    }
    return true;
}

std::vector<uint8_t> MakeWavHeader(int sampleRate, uint64_t dataBytes)
{
    std::vector<uint8_t> h;
    h.reserve(kWavHeaderBytes);
    const uint32_t blockAlign = kChannels * 2;
    for (char c : std::string("RIFF")) h.push_back(static_cast<uint8_t>(c));
    AppendLe32(h, static_cast<uint32_t>(dataBytes + kWavHeaderBytes - 8));
    for (char c : std::string("WAVEfmt ")) h.push_back(static_cast<uint8_t>(c));
    AppendLe32(h, 16);
    AppendLe16(h, 1);  // integer PCM
    AppendLe16(h, kChannels);
    AppendLe32(h, static_cast<uint32_t>(sampleRate));
    AppendLe32(h, static_cast<uint32_t>(sampleRate) * blockAlign);
    AppendLe16(h, blockAlign);
    AppendLe16(h, 16);
    for (char c : std::string("data")) h.push_back(static_cast<uint8_t>(c));
    AppendLe32(h, static_cast<uint32_t>(dataBytes));
    return h;
}

bool OpenPictureSeries(MediaWriter* w, std::string* error)
{
    const std::string& path = w->settings.path;
    std::error_code ec;
    w->folder = path;
    std::filesystem::create_directories(w->folder, ec);
    if (ec || !std::filesystem::is_directory(w->folder, ec)) {
        SetError(error, path + ": cannot make the folder: " + (ec ? ec.message() : std::string("something else is in the way")));
        return false;
    }
    w->wavPath = (w->folder / "audio.wav").string();
    w->wav = std::fopen(w->wavPath.c_str(), "wb");
    if (!w->wav) {
        SetError(error, w->wavPath + ": cannot create: " + std::strerror(errno));
        return false;
    }
    const std::vector<uint8_t> header = MakeWavHeader(w->settings.sampleRate, 0);
    if (std::fwrite(header.data(), 1, header.size(), w->wav) != header.size()) {
        SetError(error, w->wavPath + ": cannot write: " + std::strerror(errno));
        return false;
    }
    return true;
}

bool WriteWavSamples(MediaWriter* w, const int16_t* samples, size_t frames, std::string* error)
{
    const uint64_t bytes = static_cast<uint64_t>(frames) * kChannels * 2;
    if (w->wavDataBytes + bytes > kLargestWavData) {
        return Failed(error, w->wavPath + ": more sound than a WAV file can count (4 GiB)");
    }
    std::vector<uint8_t> block(static_cast<size_t>(bytes));
    for (size_t i = 0; i < frames * kChannels; ++i) StoreLe16(block.data() + 2 * i, static_cast<uint16_t>(samples[i]));
    if (std::fwrite(block.data(), 1, block.size(), w->wav) != block.size()) {
        return Failed(error, w->wavPath + ": cannot write: " + std::strerror(errno));
    }
    w->wavDataBytes += bytes;
    return true;
}

// Removes pictures an earlier, longer capture left after this one's last, so that the folder
// holds one capture's unbroken series.
void RemoveStalePictures(const MediaWriter* w)
{
    std::error_code ec;
    for (int64_t i = w->pictures;; ++i) {
        if (!std::filesystem::remove(PicturePath(w->folder, i), ec)) break;
    }
}

bool ClosePictureSeries(MediaWriter* w, std::string* error)
{
    const std::vector<uint8_t> header = MakeWavHeader(w->settings.sampleRate, w->wavDataBytes);
    errno = 0;
    bool ok = std::fflush(w->wav) == 0 && std::fseek(w->wav, 0, SEEK_SET) == 0 &&
              std::fwrite(header.data(), 1, header.size(), w->wav) == header.size() && std::fflush(w->wav) == 0;
    const int writeErrno = errno;
    ok = std::fclose(w->wav) == 0 && ok;
    w->wav = nullptr;
    if (!ok) {
        SetError(error, w->wavPath + ": cannot write: " + std::strerror(writeErrno ? writeErrno : errno));
        return false;
    }
    if (w->failure.empty()) RemoveStalePictures(w);
    return true;
}

// ---- MP4 and Matroska through FFmpeg ----------------------------------------------------

struct ContainerChoice {
    const char* muxer;
    AVCodecID videoCodec;
    const char* videoEncoder;  // by name where several encoders share an identifier
    AVPixelFormat pixelFormat;
    AVCodecID audioCodec;
    const char* audioEncoder;
};

ContainerChoice ChooseContainer(MediaKind kind)
{
    if (kind == MediaKind::Mp4) {
        return {"mp4", AV_CODEC_ID_H264, "libx264", AV_PIX_FMT_YUV420P, AV_CODEC_ID_AAC, "aac"};
    }
    if (kind == MediaKind::Matroska) {
        return {"matroska", AV_CODEC_ID_H264, "libx264", AV_PIX_FMT_YUV420P, AV_CODEC_ID_AAC, "aac"};
    }
    // bgr0 holds the red, green and blue bytes unchanged, so the decoded pictures equal the input.
    return {"matroska", AV_CODEC_ID_FFV1, "ffv1", AV_PIX_FMT_BGR0, AV_CODEC_ID_FLAC, "flac"};
}

// Sends one frame (null: the end) to the encoder and writes every packet it gives back.
bool EncodeAndWrite(MediaWriter* w, EncodedStream& s, AVFrame* frame, std::string* error)
{
    const std::string& path = w->settings.path;
    int ret = avcodec_send_frame(s.context, frame);
    if (ret < 0) return Failed(error, path + ": the " + s.context->codec->name + " encoder failed: " + DescribeAvError(ret));
    for (;;) {
        ret = avcodec_receive_packet(s.context, w->packet);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
        if (ret < 0) return Failed(error, path + ": the " + s.context->codec->name + " encoder failed: " + DescribeAvError(ret));
        av_packet_rescale_ts(w->packet, s.context->time_base, s.stream->time_base);
        w->packet->stream_index = s.stream->index;
        ret = av_interleaved_write_frame(w->format, w->packet);  // takes the packet's data, leaves it blank
        if (ret < 0) return Failed(error, path + ": cannot write: " + DescribeAvError(ret));
    }
}

AVCodecContext* OpenEncoder(MediaWriter* w, AVCodecID id, const char* name, std::string* error)
{
    const std::string& path = w->settings.path;
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec || codec->id != id) {
        SetError(error, path + ": this FFmpeg has no " + name + " encoder (" + avcodec_get_name(id) + ")");
        return nullptr;
    }
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context) SetError(error, path + ": out of memory");
    return context;
}

// Gives the frame buffers of its format and size, every byte zero: the padding after each row
// is never written by the conversion, and SIMD routines that read past a row's end must find
// the same bytes there on every run.
bool AllocateClearedFrame(AVFrame* frame)
{
    if (av_frame_get_buffer(frame, 0) < 0) return false;
    for (AVBufferRef* buffer : frame->buf) {
        if (buffer) std::memset(buffer->data, 0, buffer->size);
    }
    return true;
}

// The audio encoder's frame size; encoders that take any size get 1024 frames at a time.
int AudioFrameSize(const AVCodecContext* c) { return c->frame_size > 0 ? c->frame_size : 1024; }

// A frame of the encoder's format and size that the encoder no longer holds; null when out of
// memory.
AVFrame* TakeWritableFrame(EncodedStream& s)
{
    for (AVFrame* frame : s.frames) {
        if (av_frame_is_writable(frame)) return frame;
    }
    AVFrame* frame = av_frame_alloc();
    if (!frame) return nullptr;
    const AVCodecContext* c = s.context;
    bool ok = true;
    if (c->codec_type == AVMEDIA_TYPE_VIDEO) {
        frame->format = c->pix_fmt;
        frame->width = c->width;
        frame->height = c->height;
    } else {
        frame->format = c->sample_fmt;
        frame->sample_rate = c->sample_rate;
        frame->nb_samples = AudioFrameSize(c);
        ok = av_channel_layout_copy(&frame->ch_layout, &c->ch_layout) >= 0;
    }
    if (!ok || !AllocateClearedFrame(frame)) {
        av_frame_free(&frame);
        return nullptr;
    }
    s.frames.push_back(frame);
    return frame;
}

// x264's AVX-512 routines read memory they never wrote, so on a machine that has AVX-512 its
// output changed with what the heap held before (seen with x264 0.164 on Debian 12). Every
// other level gives the same bytes, so x264 gets the best one up to AVX2 that the processor
// has, found by FFmpeg.
std::string ChooseX264Instructions()
{
#if defined(__x86_64__) || defined(__i386__)
    const int f = av_get_cpu_flags();
    const auto has = [f](int flags) { return (f & flags) == flags; };
    if (has(AV_CPU_FLAG_AVX2 | AV_CPU_FLAG_FMA3 | AV_CPU_FLAG_BMI1 | AV_CPU_FLAG_BMI2 | AV_CPU_FLAG_AVX)) return ":asm=AVX2";
    if (has(AV_CPU_FLAG_AVX | AV_CPU_FLAG_SSE42)) return ":asm=AVX";
    if (has(AV_CPU_FLAG_SSE42)) return ":asm=SSE4.2";
    if (has(AV_CPU_FLAG_SSE4)) return ":asm=SSE4.1";
    if (has(AV_CPU_FLAG_SSSE3)) return ":asm=SSSE3";
    if (has(AV_CPU_FLAG_SSE3)) return ":asm=SSE3";
    if (has(AV_CPU_FLAG_SSE2)) return ":asm=SSE2";
#endif
    return "";
}

bool AddVideoStream(MediaWriter* w, const ContainerChoice& choice, std::string* error)
{
    const MediaSettings& s = w->settings;
    AVCodecContext* c = OpenEncoder(w, choice.videoCodec, choice.videoEncoder, error);
    if (!c) return false;
    w->video.context = c;
    c->width = s.width;
    c->height = s.height;
    c->pix_fmt = choice.pixelFormat;
    c->time_base = AVRational{1, s.framesPerSecond};
    c->framerate = AVRational{s.framesPerSecond, 1};
    c->sample_aspect_ratio = AVRational{1, 1};
    c->flags |= AV_CODEC_FLAG_BITEXACT;
    if (w->format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (choice.videoCodec == AV_CODEC_ID_H264) {
        // The show's pictures are RGB: convert with and label BT.709 at video range, as players
        // assume for pictures of this size.
        c->color_range = AVCOL_RANGE_MPEG;
        c->colorspace = AVCOL_SPC_BT709;
        c->color_primaries = AVCOL_PRI_BT709;
        c->color_trc = AVCOL_TRC_BT709;
        c->profile = FF_PROFILE_H264_HIGH;
        // One thread: x264's output must not depend on how its work was shared out. On one
        // thread at 960x720, "veryfast" takes about 14 ms a picture and "faster" about 22, so
        // only the first keeps up with 60 pictures a second.
        c->thread_count = 1;
        av_dict_set(&options, "preset", "veryfast", 0);
        av_dict_set(&options, "crf", "18", 0);
        const std::string params = "threads=1:lookahead-threads=1:sliced-threads=0" + ChooseX264Instructions();
        av_dict_set(&options, "x264-params", params.c_str(), 0);
    } else {
        // Four slices whatever the number of threads, so the bytes do not depend on the
        // machine; the slices are coded in parallel on as many cores as there are.
        c->level = 3;
        c->slices = 4;
        c->thread_count = 0;
        c->thread_type = FF_THREAD_SLICE;
        av_dict_set(&options, "slicecrc", "1", 0);
    }
    const int ret = avcodec_open2(c, c->codec, &options);
    av_dict_free(&options);
    if (ret < 0) {
        SetError(error, w->settings.path + ": cannot start the " + c->codec->name + " encoder: " + DescribeAvError(ret));
        return false;
    }
    w->video.stream = avformat_new_stream(w->format, nullptr);
    if (!w->video.stream || avcodec_parameters_from_context(w->video.stream->codecpar, c) < 0) {
        SetError(error, w->settings.path + ": out of memory");
        return false;
    }
    w->video.stream->time_base = c->time_base;
    w->video.stream->avg_frame_rate = c->framerate;
    w->video.stream->sample_aspect_ratio = c->sample_aspect_ratio;
    if (choice.pixelFormat == AV_PIX_FMT_BGR0) return true;  // reordered by hand, see FillFrame

    // RGB to 4:2:0 with the BT.709 matrix at video range, the same on every processor.
    const int flags = SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT;
    w->scaler = sws_getContext(s.width, s.height, AV_PIX_FMT_RGB24, s.width, s.height, c->pix_fmt, flags, nullptr,
                               nullptr, nullptr);
    if (!w->scaler) {
        SetError(error, w->settings.path + ": cannot convert RGB pictures to " + av_get_pix_fmt_name(c->pix_fmt));
        return false;
    }
    const int* rgb = sws_getCoefficients(SWS_CS_DEFAULT);
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(w->scaler, rgb, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    return true;
}

bool AddAudioStream(MediaWriter* w, const ContainerChoice& choice, std::string* error)
{
    const MediaSettings& s = w->settings;
    AVCodecContext* c = OpenEncoder(w, choice.audioCodec, choice.audioEncoder, error);
    if (!c) return false;
    w->audio.context = c;
    const AVCodec* codec = c->codec;
    if (codec->supported_samplerates) {
        bool supported = false;
        for (const int* r = codec->supported_samplerates; *r; ++r) supported = supported || *r == s.sampleRate;
        if (!supported) {
            SetError(error, s.path + ": the " + codec->name + " encoder does not take " + std::to_string(s.sampleRate) + " Hz");
            return false;
        }
    }
    c->sample_rate = s.sampleRate;
    c->time_base = AVRational{1, s.sampleRate};
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (av_channel_layout_copy(&c->ch_layout, &stereo) < 0) {
        SetError(error, s.path + ": out of memory");
        return false;
    }
    c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
        if (*f == AV_SAMPLE_FMT_S16) c->sample_fmt = AV_SAMPLE_FMT_S16;  // lossless needs nothing wider
    }
    if (choice.audioCodec == AV_CODEC_ID_AAC) c->bit_rate = 192000;
    c->thread_count = 1;
    c->flags |= AV_CODEC_FLAG_BITEXACT;
    if (w->format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int ret = avcodec_open2(c, codec, nullptr);
    if (ret < 0) {
        SetError(error, s.path + ": cannot start the " + codec->name + " encoder: " + DescribeAvError(ret));
        return false;
    }
    w->audio.stream = avformat_new_stream(w->format, nullptr);
    if (!w->audio.stream || avcodec_parameters_from_context(w->audio.stream->codecpar, c) < 0) {
        SetError(error, s.path + ": out of memory");
        return false;
    }
    w->audio.stream->time_base = c->time_base;

    ret = swr_alloc_set_opts2(&w->resampler, &c->ch_layout, c->sample_fmt, c->sample_rate, &stereo, AV_SAMPLE_FMT_S16,
                              s.sampleRate, 0, nullptr);
    if (ret < 0 || swr_init(w->resampler) < 0) {
        SetError(error, s.path + ": cannot convert 16-bit samples to " + av_get_sample_fmt_name(c->sample_fmt));
        return false;
    }
    w->pendingAudio.reserve(static_cast<size_t>(AudioFrameSize(c)) * kChannels);
    return true;
}

bool OpenContainer(MediaWriter* w, std::string* error)
{
    const std::string& path = w->settings.path;
    const ContainerChoice choice = ChooseContainer(w->settings.kind);
    // "file:" keeps FFmpeg from reading a colon in the name as a protocol such as http: or pipe:.
    const std::string url = "file:" + path;
    int ret = avformat_alloc_output_context2(&w->format, nullptr, choice.muxer, url.c_str());
    if (ret < 0 || !w->format) {
        SetError(error, path + ": this FFmpeg cannot write " + choice.muxer + ": " + DescribeAvError(ret));
        return false;
    }
    w->format->flags |= AVFMT_FLAG_BITEXACT;
    w->packet = av_packet_alloc();
    if (!w->packet) {
        SetError(error, path + ": out of memory");
        return false;
    }
    if (!AddVideoStream(w, choice, error) || !AddAudioStream(w, choice, error)) return false;

    ret = avio_open(&w->format->pb, url.c_str(), AVIO_FLAG_WRITE);
    if (ret < 0) {
        SetError(error, path + ": cannot create: " + DescribeAvError(ret));
        return false;
    }
    AVDictionary* options = nullptr;
    if (w->settings.kind == MediaKind::Mp4) av_dict_set(&options, "movflags", "+faststart", 0);
    ret = avformat_write_header(w->format, &options);
    av_dict_free(&options);
    if (ret < 0) {
        SetError(error, path + ": cannot write: " + DescribeAvError(ret));
        return false;
    }
    return true;
}

bool EncodeAudioFrame(MediaWriter* w, const int16_t* samples, int frames, std::string* error)
{
    AVFrame* f = TakeWritableFrame(w->audio);
    if (!f) return Failed(error, w->settings.path + ": out of memory");
    f->nb_samples = frames;  // at most the frame size it was made with
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    const int converted = swr_convert(w->resampler, f->data, frames, in, frames);
    if (converted != frames) {
        return Failed(error, w->settings.path + ": the sample conversion gave " + std::to_string(converted) + " of " +
                                  std::to_string(frames) + " frames");
    }
    f->pts = w->audio.nextPts;
    w->audio.nextPts += frames;
    return EncodeAndWrite(w, w->audio, f, error);
}

bool WriteContainerAudio(MediaWriter* w, const int16_t* samples, size_t frames, std::string* error)
{
    const size_t frameSize = static_cast<size_t>(AudioFrameSize(w->audio.context));
    std::vector<int16_t>& pending = w->pendingAudio;
    while (frames > 0) {
        if (pending.empty() && frames >= frameSize) {
            if (!EncodeAudioFrame(w, samples, static_cast<int>(frameSize), error)) return false;
            samples += frameSize * kChannels;
            frames -= frameSize;
            continue;
        }
        const size_t take = std::min(frames, frameSize - pending.size() / kChannels);
        pending.insert(pending.end(), samples, samples + take * kChannels);
        samples += take * kChannels;
        frames -= take;
        if (pending.size() / kChannels == frameSize) {
            if (!EncodeAudioFrame(w, pending.data(), static_cast<int>(frameSize), error)) return false;
            pending.clear();
        }
    }
    return true;
}

// Puts the RGB picture into the encoder's frame: converted by swscale for H.264; for FFV1 each
// pixel's bytes reordered by hand to blue, green, red, unused, which is exact by construction
// and cheaper than swscale's bit-exact route.
bool FillFrame(MediaWriter* w, const uint8_t* rgb, AVFrame* f)
{
    const int width = w->settings.width;
    if (w->scaler) {
        const uint8_t* planes[1] = {rgb};
        const int strides[1] = {width * 3};
        return sws_scale(w->scaler, planes, strides, 0, f->height, f->data, f->linesize) == f->height;
    }
    for (int y = 0; y < f->height; ++y) {
        const uint8_t* in = rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
        uint8_t* out = f->data[0] + static_cast<ptrdiff_t>(y) * f->linesize[0];
        for (int x = 0; x < width; ++x, in += 3, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 0;
        }
    }
    return true;
}

bool WriteContainerPicture(MediaWriter* w, const uint8_t* rgb, std::string* error)
{
    AVFrame* f = TakeWritableFrame(w->video);
    if (!f) return Failed(error, w->settings.path + ": out of memory");
    if (!FillFrame(w, rgb, f)) return Failed(error, w->settings.path + ": the picture could not be converted for the encoder");
    f->pts = w->video.nextPts++;
    return EncodeAndWrite(w, w->video, f, error);
}

// Sends the last short sound frame, drains both encoders and writes the file's index.
bool FinishContainer(MediaWriter* w, std::string* error)
{
    const std::string& path = w->settings.path;
    if (!w->pendingAudio.empty()) {
        const int frames = static_cast<int>(w->pendingAudio.size() / kChannels);
        if (!EncodeAudioFrame(w, w->pendingAudio.data(), frames, error)) return false;
        w->pendingAudio.clear();
    }
    if (!EncodeAndWrite(w, w->audio, nullptr, error) || !EncodeAndWrite(w, w->video, nullptr, error)) return false;
    int ret = av_write_trailer(w->format);
    if (ret < 0) return Failed(error, path + ": cannot finish: " + DescribeAvError(ret));
    if (w->format->pb->error < 0) return Failed(error, path + ": cannot write: " + DescribeAvError(w->format->pb->error));
    ret = avio_closep(&w->format->pb);
    if (ret < 0) return Failed(error, path + ": cannot write: " + DescribeAvError(ret));
    return true;
}

void FreeStream(EncodedStream& s)
{
    avcodec_free_context(&s.context);
    for (AVFrame*& frame : s.frames) av_frame_free(&frame);
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
    if (w->wav) std::fclose(w->wav);
    FreeStream(w->video);
    FreeStream(w->audio);
    sws_freeContext(w->scaler);
    swr_free(&w->resampler);
    av_packet_free(&w->packet);
    if (w->format) {
        if (w->format->pb) avio_closep(&w->format->pb);
        avformat_free_context(w->format);
    }
    delete w;
}

bool EncodePicture(MediaWriter* w, const uint8_t* rgb, std::string* error)
{
    if (w->settings.kind == MediaKind::Pictures) {
        if (!WritePngFile(PicturePath(w->folder, w->pictures), w->settings.width, w->settings.height, rgb, error)) {
            return false;
        }
    } else if (!WriteContainerPicture(w, rgb, error)) {
        return false;
    }
    ++w->pictures;
    return true;
}

bool EncodeSound(MediaWriter* w, const int16_t* samples, size_t frames, std::string* error)
{
    if (w->settings.kind == MediaKind::Pictures) return WriteWavSamples(w, samples, frames, error);
    return WriteContainerAudio(w, samples, frames, error);
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
    if (!w->failure.empty()) return Failed(error, w->failure + " (nothing more is written)");
    return true;
}

} // namespace

MediaWriter* OpenMediaWriter(const MediaSettings& settings, std::string* error)
{
    if (!CheckSettings(settings, error)) return nullptr;
    // FFmpeg's notes (x264's statistics at the end and the like) stay off standard error; the
    // caller gets every failure as a message.
    av_log_set_level(AV_LOG_ERROR);
    MediaWriter* w = new MediaWriter;
    w->settings = settings;
    const bool opened = settings.kind == MediaKind::Pictures ? OpenPictureSeries(w, error) : OpenContainer(w, error);
    if (opened) {
        try {
            w->encoder = std::thread(RunEncoder, w);
        } catch (const std::system_error& e) {
            SetError(error, settings.path + ": cannot start the encoding thread: " + e.what());
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
        SetError(error, "media writer: not an open writer");
        return false;
    }
    if (!rgb) {
        SetError(error, w->settings.path + ": no picture given");
        return false;
    }
    std::unique_lock<std::mutex> lock(w->mutex);
    if (!WaitForRoom(w, lock, true, error)) return false;
    WriteJob job;
    if (!w->sparePictures.empty()) {
        job.picture = std::move(w->sparePictures.back());
        w->sparePictures.pop_back();
    }
    job.picture.assign(rgb, rgb + static_cast<size_t>(w->settings.width) * static_cast<size_t>(w->settings.height) * 3);
    w->jobs.push_back(std::move(job));
    ++w->queuedPictures;
    lock.unlock();
    w->changed.notify_all();
    return true;
}

bool WriteMediaAudio(MediaWriter* w, const int16_t* samples, size_t frames, std::string* error)
{
    if (!IsLive(w)) {
        SetError(error, "media writer: not an open writer");
        return false;
    }
    if (frames > 0 && !samples) {
        SetError(error, w->settings.path + ": no samples given");
        return false;
    }
    if (frames > kLargestAudioCall) {
        SetError(error, w->settings.path + ": " + std::to_string(frames) + " sample frames in one call is too many");
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
            SetError(error, "media writer: not an open writer (closed already?)");
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
    bool ok = w->settings.kind == MediaKind::Pictures ? ClosePictureSeries(w, error) : true;
    if (!w->failure.empty()) {
        ok = false;
        SetError(error, w->failure + " (the output is left unfinished)");
    } else if (w->settings.kind != MediaKind::Pictures) {
        ok = FinishContainer(w, error);
    }
    FreeWriter(w);
    return ok;
}

