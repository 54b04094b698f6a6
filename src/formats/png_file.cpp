#include "formats/png_file.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>

namespace {

constexpr png_uint_32 kLargestSide = 16384;

int ColourType(PngChannels channels)
{
    switch (channels) {
    case PngChannels::Grey: return PNG_COLOR_TYPE_GRAY;
    case PngChannels::Rgb: return PNG_COLOR_TYPE_RGB;
    case PngChannels::Rgba: return PNG_COLOR_TYPE_RGB_ALPHA;
    }
    return PNG_COLOR_TYPE_RGB;
}

} // namespace

// No C++ object lives in this function, so libpng's longjmp skips no destructor.
bool EncodePng(FILE* file, const PngPixels& pixels, PngCompression compression)
{
    if (!pixels.data || pixels.width < 1 || pixels.height < 1) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    if (compression == PngCompression::Fast) {
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.width), static_cast<png_uint_32>(pixels.height), 8,
                 ColourType(pixels.channels), PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t rowBytes = static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.channels);
    for (int y = 0; y < pixels.height; ++y) png_write_row(png, pixels.data + static_cast<size_t>(y) * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool WritePng(const std::string& path, const PngPixels& pixels, PngCompression compression, std::string* error)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = path + ": cannot create: " + std::strerror(errno);
        return false;
    }
    errno = 0;
    const bool encoded = EncodePng(file, pixels, compression);
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    int cause = errno;
    const bool closed = std::fclose(file) == 0;
    if (!cause) cause = errno;
    if (!encoded || !flushed || !closed) {
        *error = path + ": cannot write: " + (cause ? std::strerror(cause) : "the PNG encoder failed");
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, const RgbImage& image, std::string* error)
{
    return WritePng(path, PngPixelsOf(image), PngCompression::Default, error);
}

bool ReadPng(const std::string& path, RgbImage* image, std::string* error)
{
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) {
        *error = path + ": not a readable PNG (" + img.message + ")";
        return false;
    }
    img.format = PNG_FORMAT_RGB;
    if (img.width == 0 || img.height == 0 || img.width > kLargestSide || img.height > kLargestSide) {
        png_image_free(&img);
        *error = path + ": picture size out of range";
        return false;
    }
    image->width = static_cast<int>(img.width);
    image->height = static_cast<int>(img.height);
    image->rgb.assign(PNG_IMAGE_SIZE(img), 0);
    if (!png_image_finish_read(&img, nullptr, image->rgb.data(), 0, nullptr)) {
        *error = path + ": damaged PNG (" + img.message + ")";
        png_image_free(&img);
        return false;
    }
    return true;
}
