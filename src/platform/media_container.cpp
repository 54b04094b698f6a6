// The media writer's video files: H.264 and AAC in MP4 or Matroska, or FFV1 and FLAC in
// Matroska, through FFmpeg's libraries.
//
// Determinism: the encoders run with FFmpeg's bit-exact flag, x264 with a fixed number of
// threads and FFV1 with a fixed four slices; the pictures are converted by integer arithmetic
// of our own (media_conversion.cpp); the muxers write no creation time, library version or
// random identifier. The same input gives the same bytes on every run.
//
// Sound is buffered into the audio encoder's frame size; the last, shorter frame goes in at
// close, so nothing is dropped or padded beyond what the encoder itself adds (AAC's priming,
// which the MP4 edit list hides again).
#include "platform/media_outputs.h"

#include "platform/media_conversion.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/cpu.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

struct EncodedStream {
    AVCodecContext* context = nullptr;
    AVStream* stream = nullptr;
    // Frames to fill; an encoder may keep a reference to the last one it was sent (FFV1
    // does), so there are as many as it holds plus one, each allocated once.
    std::vector<AVFrame*> frames;
    int64_t nextPts = 0;
};

} // namespace

struct MediaContainer {
    MediaSettings settings;
    AVFormatContext* format = nullptr;
    EncodedStream video;
    EncodedStream audio;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    std::vector<int16_t> pendingAudio;  // interleaved frames short of one encoder frame
};

namespace {

constexpr int kChannels = kMediaChannels;
constexpr int kX264Threads = 4;

std::string DescribeAvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

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
bool EncodeAndWrite(MediaContainer* m, EncodedStream& s, AVFrame* frame, std::string* error)
{
    const std::string& path = m->settings.path;
    int ret = avcodec_send_frame(s.context, frame);
    if (ret < 0) return MediaFailed(error, path + ": the " + s.context->codec->name + " encoder failed: " + DescribeAvError(ret));
    for (;;) {
        ret = avcodec_receive_packet(s.context, m->packet);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
        if (ret < 0) return MediaFailed(error, path + ": the " + s.context->codec->name + " encoder failed: " + DescribeAvError(ret));
        av_packet_rescale_ts(m->packet, s.context->time_base, s.stream->time_base);
        m->packet->stream_index = s.stream->index;
        ret = av_interleaved_write_frame(m->format, m->packet);  // takes the packet's data, leaves it blank
        if (ret < 0) return MediaFailed(error, path + ": cannot write: " + DescribeAvError(ret));
    }
}

AVCodecContext* OpenEncoder(MediaContainer* m, AVCodecID id, const char* name, std::string* error)
{
    const std::string& path = m->settings.path;
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec || codec->id != id) {
        SetMediaError(error, path + ": this FFmpeg has no " + name + " encoder (" + avcodec_get_name(id) + ")");
        return nullptr;
    }
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context) SetMediaError(error, path + ": out of memory");
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

bool AddVideoStream(MediaContainer* m, const ContainerChoice& choice, std::string* error)
{
    const MediaSettings& s = m->settings;
    AVCodecContext* c = OpenEncoder(m, choice.videoCodec, choice.videoEncoder, error);
    if (!c) return false;
    m->video.context = c;
    c->width = s.width;
    c->height = s.height;
    c->pix_fmt = choice.pixelFormat;
    c->time_base = AVRational{1, s.framesPerSecond};
    c->framerate = AVRational{s.framesPerSecond, 1};
    c->sample_aspect_ratio = AVRational{1, 1};
    c->flags |= AV_CODEC_FLAG_BITEXACT;
    if (m->format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (choice.videoCodec == AV_CODEC_ID_H264) {
        // The show's pictures are RGB: convert with and label BT.709 at video range, as players
        // assume for pictures of this size.
        c->color_range = AVCOL_RANGE_MPEG;
        c->colorspace = AVCOL_SPC_BT709;
        c->color_primaries = AVCOL_PRI_BT709;
        c->color_trc = AVCOL_TRC_BT709;
        c->profile = FF_PROFILE_H264_HIGH;
        // A fixed number of frame threads, whatever the machine has: x264's output depends on
        // how many it uses but is otherwise repeatable, so the bytes are the same everywhere,
        // and the pictures are encoded on every core there is. No B-pictures: at the same CRF
        // every picture gets the quality of a P-picture (B-pictures are coded coarser), and the
        // encoding takes a fifth less time for a quarter more bytes.
        c->thread_count = kX264Threads;
        av_dict_set(&options, "preset", "veryfast", 0);
        av_dict_set(&options, "crf", "18", 0);
        const std::string params = "threads=" + std::to_string(kX264Threads) + ":lookahead-threads=1:sliced-threads=0" +
                                   ":bframes=0" + ChooseX264Instructions();
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
        SetMediaError(error, m->settings.path + ": cannot start the " + c->codec->name + " encoder: " + DescribeAvError(ret));
        return false;
    }
    m->video.stream = avformat_new_stream(m->format, nullptr);
    if (!m->video.stream || avcodec_parameters_from_context(m->video.stream->codecpar, c) < 0) {
        SetMediaError(error, m->settings.path + ": out of memory");
        return false;
    }
    m->video.stream->time_base = c->time_base;
    m->video.stream->avg_frame_rate = c->framerate;
    m->video.stream->sample_aspect_ratio = c->sample_aspect_ratio;
    return true;
}

bool AddAudioStream(MediaContainer* m, const ContainerChoice& choice, std::string* error)
{
    const MediaSettings& s = m->settings;
    AVCodecContext* c = OpenEncoder(m, choice.audioCodec, choice.audioEncoder, error);
    if (!c) return false;
    m->audio.context = c;
    const AVCodec* codec = c->codec;
    if (codec->supported_samplerates) {
        bool supported = false;
        for (const int* r = codec->supported_samplerates; *r; ++r) supported = supported || *r == s.sampleRate;
        if (!supported) {
            SetMediaError(error, s.path + ": the " + codec->name + " encoder does not take " + std::to_string(s.sampleRate) + " Hz");
            return false;
        }
    }
    c->sample_rate = s.sampleRate;
    c->time_base = AVRational{1, s.sampleRate};
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (av_channel_layout_copy(&c->ch_layout, &stereo) < 0) {
        SetMediaError(error, s.path + ": out of memory");
        return false;
    }
    c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
        if (*f == AV_SAMPLE_FMT_S16) c->sample_fmt = AV_SAMPLE_FMT_S16;  // lossless needs nothing wider
    }
    if (choice.audioCodec == AV_CODEC_ID_AAC) c->bit_rate = 192000;
    c->thread_count = 1;
    c->flags |= AV_CODEC_FLAG_BITEXACT;
    if (m->format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int ret = avcodec_open2(c, codec, nullptr);
    if (ret < 0) {
        SetMediaError(error, s.path + ": cannot start the " + codec->name + " encoder: " + DescribeAvError(ret));
        return false;
    }
    m->audio.stream = avformat_new_stream(m->format, nullptr);
    if (!m->audio.stream || avcodec_parameters_from_context(m->audio.stream->codecpar, c) < 0) {
        SetMediaError(error, s.path + ": out of memory");
        return false;
    }
    m->audio.stream->time_base = c->time_base;

    ret = swr_alloc_set_opts2(&m->resampler, &c->ch_layout, c->sample_fmt, c->sample_rate, &stereo, AV_SAMPLE_FMT_S16,
                              s.sampleRate, 0, nullptr);
    if (ret < 0 || swr_init(m->resampler) < 0) {
        SetMediaError(error, s.path + ": cannot convert 16-bit samples to " + av_get_sample_fmt_name(c->sample_fmt));
        return false;
    }
    m->pendingAudio.reserve(static_cast<size_t>(AudioFrameSize(c)) * kChannels);
    return true;
}

bool OpenContainer(MediaContainer* m, std::string* error)
{
    const std::string& path = m->settings.path;
    const ContainerChoice choice = ChooseContainer(m->settings.kind);
    // "file:" keeps FFmpeg from reading a colon in the name as a protocol such as http: or pipe:.
    const std::string url = "file:" + path;
    int ret = avformat_alloc_output_context2(&m->format, nullptr, choice.muxer, url.c_str());
    if (ret < 0 || !m->format) {
        SetMediaError(error, path + ": this FFmpeg cannot write " + choice.muxer + ": " + DescribeAvError(ret));
        return false;
    }
    m->format->flags |= AVFMT_FLAG_BITEXACT;
    m->packet = av_packet_alloc();
    if (!m->packet) {
        SetMediaError(error, path + ": out of memory");
        return false;
    }
    if (!AddVideoStream(m, choice, error) || !AddAudioStream(m, choice, error)) return false;

    ret = avio_open(&m->format->pb, url.c_str(), AVIO_FLAG_WRITE);
    if (ret < 0) {
        SetMediaError(error, path + ": cannot create: " + DescribeAvError(ret));
        return false;
    }
    AVDictionary* options = nullptr;
    if (m->settings.kind == MediaKind::Mp4) av_dict_set(&options, "movflags", "+faststart", 0);
    ret = avformat_write_header(m->format, &options);
    av_dict_free(&options);
    if (ret < 0) {
        SetMediaError(error, path + ": cannot write: " + DescribeAvError(ret));
        return false;
    }
    return true;
}

bool EncodeAudioFrame(MediaContainer* m, const int16_t* samples, int frames, std::string* error)
{
    AVFrame* f = TakeWritableFrame(m->audio);
    if (!f) return MediaFailed(error, m->settings.path + ": out of memory");
    f->nb_samples = frames;  // at most the frame size it was made with
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    const int converted = swr_convert(m->resampler, f->data, frames, in, frames);
    if (converted != frames) {
        return MediaFailed(error, m->settings.path + ": the sample conversion gave " + std::to_string(converted) + " of " +
                                  std::to_string(frames) + " frames");
    }
    f->pts = m->audio.nextPts;
    m->audio.nextPts += frames;
    return EncodeAndWrite(m, m->audio, f, error);
}

// Puts the small RGB picture into the encoder's frame, enlarged and converted in one pass: to
// BT.709 4:2:0 at video range for H.264, to blue, green, red, unused for FFV1 (exact).
void FillFrame(MediaContainer* m, const uint8_t* rgb, AVFrame* f)
{
    const MediaSettings& s = m->settings;
    const SmallPicture picture{rgb, s.width / s.scale, s.height / s.scale, s.scale};
    if (f->format == AV_PIX_FMT_YUV420P) {
        uint8_t* const planes[3] = {f->data[0], f->data[1], f->data[2]};
        const int strides[3] = {f->linesize[0], f->linesize[1], f->linesize[2]};
        EnlargeToYuv420(picture, planes, strides);
    } else {
        EnlargeToBgr0(picture, f->data[0], f->linesize[0]);
    }
}

void FreeStream(EncodedStream& s)
{
    avcodec_free_context(&s.context);
    for (AVFrame*& frame : s.frames) av_frame_free(&frame);
}

} // namespace

MediaContainer* OpenMediaContainer(const MediaSettings& settings, std::string* error)
{
    // FFmpeg's notes (x264's statistics at the end and the like) stay off standard error; the
    // caller gets every failure as a message.
    av_log_set_level(AV_LOG_ERROR);
    MediaContainer* m = new MediaContainer;
    m->settings = settings;
    if (!OpenContainer(m, error)) {
        FreeMediaContainer(m);
        return nullptr;
    }
    return m;
}

bool WriteContainerAudio(MediaContainer* m, const int16_t* samples, size_t frames, std::string* error)
{
    const size_t frameSize = static_cast<size_t>(AudioFrameSize(m->audio.context));
    std::vector<int16_t>& pending = m->pendingAudio;
    while (frames > 0) {
        if (pending.empty() && frames >= frameSize) {
            if (!EncodeAudioFrame(m, samples, static_cast<int>(frameSize), error)) return false;
            samples += frameSize * kChannels;
            frames -= frameSize;
            continue;
        }
        const size_t take = std::min(frames, frameSize - pending.size() / kChannels);
        pending.insert(pending.end(), samples, samples + take * kChannels);
        samples += take * kChannels;
        frames -= take;
        if (pending.size() / kChannels == frameSize) {
            if (!EncodeAudioFrame(m, pending.data(), static_cast<int>(frameSize), error)) return false;
            pending.clear();
        }
    }
    return true;
}

bool WriteContainerPicture(MediaContainer* m, const uint8_t* rgb, std::string* error)
{
    AVFrame* f = TakeWritableFrame(m->video);
    if (!f) return MediaFailed(error, m->settings.path + ": out of memory");
    FillFrame(m, rgb, f);
    f->pts = m->video.nextPts++;
    return EncodeAndWrite(m, m->video, f, error);
}

// Sends the last short sound frame, drains both encoders and writes the file's index.
bool FinishMediaContainer(MediaContainer* m, std::string* error)
{
    const std::string& path = m->settings.path;
    if (!m->pendingAudio.empty()) {
        const int frames = static_cast<int>(m->pendingAudio.size() / kChannels);
        if (!EncodeAudioFrame(m, m->pendingAudio.data(), frames, error)) return false;
        m->pendingAudio.clear();
    }
    if (!EncodeAndWrite(m, m->audio, nullptr, error) || !EncodeAndWrite(m, m->video, nullptr, error)) return false;
    int ret = av_write_trailer(m->format);
    if (ret < 0) return MediaFailed(error, path + ": cannot finish: " + DescribeAvError(ret));
    if (m->format->pb->error < 0) return MediaFailed(error, path + ": cannot write: " + DescribeAvError(m->format->pb->error));
    ret = avio_closep(&m->format->pb);
    if (ret < 0) return MediaFailed(error, path + ": cannot write: " + DescribeAvError(ret));
    return true;
}

void FreeMediaContainer(MediaContainer* m)
{
    if (!m) return;
    FreeStream(m->video);
    FreeStream(m->audio);
    swr_free(&m->resampler);
    av_packet_free(&m->packet);
    if (m->format) {
        if (m->format->pb) avio_closep(&m->format->pb);
        avformat_free_context(m->format);
    }
    delete m;
}
