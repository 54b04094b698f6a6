// BMP pictures (8-bit with palette or 24-bit, lines top-down) and run-length sprites in the
// display's pixel layout, black transparent.
#pragma once

#include <cstdint>
#include <string>

struct Picture {
    uint8_t header[54];    // the BMP file and info header as in the file
    uint8_t palette[1024]; // 256 x (blue, green, red, reserved); 8-bit pictures only
    uint8_t* pixels;       // width * height * bytes per pixel, top-down, from the pool
};

struct Sprite {
    int32_t width, height;            // copied from the picture
    int32_t frameWidth, frameHeight;  // size of the frame it will be drawn into
    int32_t bitsPerPixel;             // 16: 5-6-5, anything else: x-5-5-5
    int32_t indexed;                  // 1: pixels are palette indices, with `palette`
    uint16_t* palette;                // indexed sprites: 256 colours in the display layout
    void* extra;                      // null when made; the effects keep fade palettes here
    uint8_t* data;                    // the run stream
};

// Header fields of a loaded picture.
int32_t PictureWidth(const Picture& picture);
int32_t PictureHeight(const Picture& picture);
int32_t PictureBitsPerPixel(const Picture& picture);
// Palette entries the header declares (0 in the file means 256) and the pixel data's offset.
uint32_t PicturePaletteEntries(const Picture& picture);
uint32_t PicturePixelOffset(const Picture& picture);

// 1 success, 0 failure (any reason). Reads through the pack archive.
int32_t LoadPicture(const char* name, Picture* picture);
// Why LoadPicture refuses the named picture ("missing or empty", "a 4-bit picture (only 8- and
// 24-bit pictures are read)", "truncated: ...", ...); empty when its header is one it reads.
std::string PictureProblem(const char* name);
void FreePicture(Picture* picture);

// 1 success, 0 failure.
int32_t MakeSprite(const Picture* picture, Sprite* sprite, int32_t frameWidth, int32_t frameHeight,
                   int32_t bitsPerPixel, int32_t indexed);
void FreeSprite(Sprite* sprite);
