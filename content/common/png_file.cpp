#include "common/png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace content {

bool WritePngRgba(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba, std::string* error)
{
    if (rgba.size() != static_cast<size_t>(width) * height * 4) {
        *error = "the pixels do not match the size";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = path + ": cannot write";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        *error = path + ": cannot encode the PNG";
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rgba.data() + static_cast<size_t>(y) * width * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        *error = path + ": cannot write";
        return false;
    }
    return true;
}

} // namespace content
