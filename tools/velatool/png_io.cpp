#include "velatool/png_io.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "effects/pixel_arithmetic.h"
#include "formats/pixel_format.h"
#include "velatool/output_files.h"

namespace {

uint8_t Expand5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
uint8_t Expand6(unsigned v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }

// Encodes the image into `file`; false when libpng gives up.
bool EncodePng(FILE* file, const RgbImage& image)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, image.rgb.data() + static_cast<size_t>(y) * image.width * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WritePng(const std::string& path, const RgbImage& image, std::string* error)
{
    FILE* file = OpenOutput(path, error);
    if (!file) return false;
    errno = 0;
    const bool encoded = EncodePng(file, image);
    const bool written = CloseOutput(file, path, encoded);
    const int reason = errno;
    if (!written) *error = OutputName(path) + ": cannot write the PNG" + (reason ? std::string(": ") + std::strerror(reason) : "");
    return written;
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
    if (img.width == 0 || img.height == 0 || img.width > 16384 || img.height > 16384) {
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

std::vector<uint16_t> PackPixels(const RgbImage& image, int depth)
{
    std::vector<uint16_t> out(static_cast<size_t>(image.width) * image.height);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = PackColour(image.rgb[i * 3], image.rgb[i * 3 + 1], image.rgb[i * 3 + 2], depth);
    }
    return out;
}

RgbImage UnpackPixels(const uint16_t* pixels, int width, int height, int depth)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        unsigned p = pixels[i];
        uint8_t* o = &image.rgb[i * 3];
        if (depth == 16) {
            o[0] = Expand5(p >> 11 & 31);
            o[1] = Expand6(p >> 5 & 63);
        } else {
            o[0] = Expand5(p >> 10 & 31);
            o[1] = Expand5(p >> 5 & 31);
        }
        o[2] = Expand5(p & 31);
    }
    return image;
}
