// The media writer's two kinds of output, used by its encoding thread and by the opening and
// closing calls around that thread (media_writer.cpp): a folder of numbered PNG pictures with a
// WAV file beside them (media_pictures.cpp), and an MP4 or Matroska file encoded through
// FFmpeg (media_container.cpp). Every call that can fail returns false, or null, with a
// message naming the file in `error` (when given).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/media_writer.h"

constexpr int kMediaChannels = 2;  // sound is interleaved stereo

inline void SetMediaError(std::string* error, const std::string& text)
{
    if (error) *error = text;
}

inline bool MediaFailed(std::string* error, const std::string& text)
{
    SetMediaError(error, text);
    return false;
}

// ---- PNG pictures and a WAV file: frame-000000.png, frame-000001.png, ... and audio.wav

struct PictureSeries;

// Makes the folder (where missing) and starts its WAV file.
PictureSeries* OpenPictureSeries(const MediaSettings& settings, std::string* error);
// The next picture, handed in small (width/scale x height/scale pixels of red, green, blue).
bool WriteSeriesPicture(PictureSeries* series, const uint8_t* rgb, std::string* error);
bool WriteSeriesSound(PictureSeries* series, const int16_t* samples, size_t frames, std::string* error);
// Completes the WAV file's header and closes it. With `complete` (nothing failed), also removes
// the pictures an earlier, longer capture left after this one's last, so that the folder holds
// one capture's unbroken series.
bool FinishPictureSeries(PictureSeries* series, bool complete, std::string* error);
// Closes what is still open and frees the series.
void FreePictureSeries(PictureSeries* series);

// ---- MP4 and Matroska through FFmpeg

struct MediaContainer;

// Starts the encoders and writes the file's header.
MediaContainer* OpenMediaContainer(const MediaSettings& settings, std::string* error);
// The picture is handed in small, as for the series.
bool WriteContainerPicture(MediaContainer* container, const uint8_t* rgb, std::string* error);
bool WriteContainerAudio(MediaContainer* container, const int16_t* samples, size_t frames, std::string* error);
// Sends the last short sound frame, drains both encoders and writes the file's index.
bool FinishMediaContainer(MediaContainer* container, std::string* error);
// Frees the encoders and closes the file, finished or not.
void FreeMediaContainer(MediaContainer* container);
