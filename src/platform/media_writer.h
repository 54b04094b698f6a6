// Writing the show to a video file: H.264 video with AAC audio in MP4 or Matroska, or lossless FFV1 video
// with FLAC audio in Matroska, through FFmpeg's libraries; or a numbered series of PNG pictures
// with a WAV file beside them. The output is deterministic: the same frames and samples give the
// same bytes on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class MediaKind {
    Mp4,       // H.264 (yuv420p) + AAC
    Matroska,  // H.264 (yuv420p) + AAC in Matroska
    Lossless,  // FFV1 + FLAC in Matroska
    Pictures,  // PATH is a folder: frame-000000.png, frame-000001.png, ... and audio.wav
};

struct MediaSettings {
    std::string path;
    MediaKind kind = MediaKind::Mp4;
    int width = 960;           // of the video
    int height = 720;
    // Pictures are handed in at width/scale x height/scale and enlarged by whole pixels while
    // they are encoded, so the caller copies and queues only the small picture.
    int scale = 1;
    int framesPerSecond = 60;
    int sampleRate = 48000;    // interleaved stereo 16-bit samples
};

struct MediaWriter;

// Opens the output. Null, with a message naming the file and the problem in `error`, when it
// cannot be written (a folder that does not exist, no permission, an encoder missing).
MediaWriter* OpenMediaWriter(const MediaSettings& settings, std::string* error);
// One picture: width/scale x height/scale pixels of 8-bit red, green, blue, rows top to bottom.
bool WriteMediaPicture(MediaWriter* writer, const uint8_t* rgb, std::string* error);
// Audio: `frames` interleaved stereo frames.
bool WriteMediaAudio(MediaWriter* writer, const int16_t* samples, size_t frames, std::string* error);
// Flushes the encoders, finishes the file and frees the writer (also after a failure).
bool CloseMediaWriter(MediaWriter* writer, std::string* error);
