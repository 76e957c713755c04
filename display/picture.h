// Decoding PNG and JPEG pictures into 32-bit pixels the drawing operations take, refusing a
// picture whose pixels would not fit the memory given before any of them is decoded.
#pragma once

#include <cstdint>
#include <string>

struct Surface;
struct Rect;

// A decoded picture: rows bottom-up, 4 bytes a pixel (blue, green, red, unused).
struct Picture
{
    int Width, Height;
    int Pitch; // bytes from one row to the next
    const uint8_t* Bits;
    void* Bitmap; // the decoder's own record, which owns Bits
};

// Decodes bytes as a JPEG (jpeg set) or a PNG. Null when they are not such a picture, or when
// its pixels would take more than byteLimit bytes; why then says what was wrong.
Picture* decodePicture(const std::string& bytes, int jpeg, int64_t byteLimit, std::string& why);
// Reads and decodes the file; a file larger than byteLimit is not read at all.
Picture* loadPictureFile(const std::string& path, int jpeg, int64_t byteLimit, std::string& why);
void freePicture(Picture* picture);
// Bytes the picture's pixels take.
int64_t pictureBytes(const Picture* picture);
// The whole picture stretched onto rect of surface, nearest neighbour, without keeping its aspect.
void stretchPicture(Surface* surface, Rect rect, const Picture* picture);
