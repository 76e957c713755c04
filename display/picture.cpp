// Pictures through FreeImage. Every picture is converted once to 32 bits, so whatever the file
// held (a palette, grey levels, 24 or 32 bits, 16 bits a channel, an alpha channel) the
// drawing sees one layout.
#include "display/picture.h"

#include "platform/files.h"
#include "platform/window.h"

#include <FreeImage.h>

static std::string LastDecoderMessage;

static void keepDecoderMessage(FREE_IMAGE_FORMAT, const char* message)
{
    LastDecoderMessage = message ? message : "";
}

static void listenToDecoder()
{
    static int listening;
    if (listening) return;
    FreeImage_SetOutputMessage(keepDecoderMessage);
    listening = 1;
}

static std::string decoderSays(const char* fallback)
{
    std::string message = LastDecoderMessage.empty() ? fallback : LastDecoderMessage;
    LastDecoderMessage.clear();
    return message;
}

// The size the header announces, read without decoding a pixel.
static int readHeader(FIMEMORY* memory, FREE_IMAGE_FORMAT format, int flags, int64_t& width,
                      int64_t& height)
{
    FIBITMAP* header = FreeImage_LoadFromMemory(format, memory, flags | FIF_LOAD_NOPIXELS);
    if (!header) return 0;
    width = FreeImage_GetWidth(header);
    height = FreeImage_GetHeight(header);
    FreeImage_Unload(header);
    FreeImage_SeekMemory(memory, 0, SEEK_SET);
    return width > 0 && height > 0;
}

static FIBITMAP* to32Bits(FIBITMAP* decoded)
{
    // Grey levels of 16 bits keep their high byte; the generic conversion would stretch them.
    if (FreeImage_GetImageType(decoded) == FIT_UINT16)
    {
        FIBITMAP* grey = FreeImage_ConvertTo8Bits(decoded);
        FreeImage_Unload(decoded);
        if (!grey) return nullptr;
        decoded = grey;
    }
    FIBITMAP* converted = FreeImage_ConvertTo32Bits(decoded);
    FreeImage_Unload(decoded);
    return converted;
}

static int fitsLimit(int64_t width, int64_t height, int64_t byteLimit, std::string& why)
{
    if (width * height * 4 <= byteLimit) return 1;
    why = std::to_string(width) + "x" + std::to_string(height) +
          " pixels are more than the memory kept for pictures";
    return 0;
}

// Markers followed by a length. FreeImage lets the decoder go on after a marker it does not
// know, from the byte after it, so every other marker stands alone.
static int hasLength(int64_t marker)
{
    return (marker >= 0xC0 && marker <= 0xCF) || (marker >= 0xDA && marker <= 0xDD) ||
           (marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE;
}

// The size in a JPEG's frame header, found the way the decoder walks the markers: bytes before
// a 0xFF and 0xFF fill bytes are passed over. 0 when the bytes end before a frame header.
static int readJpegFrame(const std::string& bytes, int64_t& width, int64_t& height)
{
    auto at = [&](size_t i) { return (int64_t)(uint8_t)bytes[i]; };
    for (size_t i = 2; i + 1 < bytes.size();)
    {
        int64_t marker = at(i + 1);
        if (at(i) != 0xFF || marker == 0xFF || marker == 0)
        {
            i++;
            continue;
        }
        i += 2;
        if (!hasLength(marker)) continue;
        int frame = marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && i + 7 > bytes.size()) return 0;
        if (frame)
        {
            height = at(i + 3) << 8 | at(i + 4);
            width = at(i + 5) << 8 | at(i + 6);
            return 1;
        }
        if (i + 2 > bytes.size()) return 0;
        i += (size_t)(at(i) << 8 | at(i + 1));
    }
    return 0;
}

static FIBITMAP* decodeBitmap(FIMEMORY* memory, int jpeg, int64_t byteLimit, std::string& why)
{
    FREE_IMAGE_FORMAT format = jpeg ? FIF_JPEG : FIF_PNG;
    int flags = jpeg ? JPEG_FAST : 0;
    int64_t width = 0, height = 0;
    if (!readHeader(memory, format, flags, width, height))
    {
        why = decoderSays(jpeg ? "not a JPEG picture" : "not a PNG picture");
        return nullptr;
    }
    if (!fitsLimit(width, height, byteLimit, why)) return nullptr;
    FIBITMAP* decoded = FreeImage_LoadFromMemory(format, memory, flags);
    FIBITMAP* converted = decoded ? to32Bits(decoded) : nullptr;
    if (!converted) why = decoderSays("the picture could not be decoded");
    return converted;
}

Picture* decodePicture(const std::string& bytes, int jpeg, int64_t byteLimit, std::string& why)
{
    listenToDecoder();
    LastDecoderMessage.clear();
    if (bytes.empty())
    {
        why = "the file is empty";
        return nullptr;
    }
    // FreeImage starts the decoder even to read a header, and for a progressive JPEG the decoder
    // then takes memory for every coefficient of the picture: gigabytes for a file of a few
    // bytes that claims 60000x60000 pixels. Such a picture is refused before that.
    int64_t width = 0, height = 0;
    if (jpeg && readJpegFrame(bytes, width, height) && !fitsLimit(width, height, byteLimit, why))
        return nullptr;
    FIMEMORY* memory = FreeImage_OpenMemory((BYTE*)bytes.data(), (DWORD)bytes.size());
    if (!memory) return nullptr;
    FIBITMAP* bitmap = decodeBitmap(memory, jpeg, byteLimit, why);
    FreeImage_CloseMemory(memory);
    if (!bitmap) return nullptr;
    Picture* picture = new Picture();
    picture->Width = (int)FreeImage_GetWidth(bitmap);
    picture->Height = (int)FreeImage_GetHeight(bitmap);
    picture->Pitch = (int)FreeImage_GetPitch(bitmap);
    picture->Bits = FreeImage_GetBits(bitmap);
    picture->Bitmap = bitmap;
    return picture;
}

Picture* loadPictureFile(const std::string& path, int jpeg, int64_t byteLimit, std::string& why)
{
    int64_t stamp = 0, size = 0;
    std::string bytes;
    // A file larger than the pixels allowed cannot hold a picture that fits them.
    if (platformFileStamp(path, &stamp, &size) && size > byteLimit)
        why = "the file is larger than the memory kept for pictures";
    else if (!platformReadFile(path, bytes))
        why = "the file cannot be read";
    else
        return decodePicture(bytes, jpeg, byteLimit, why);
    return nullptr;
}

void freePicture(Picture* picture)
{
    if (!picture) return;
    FreeImage_Unload((FIBITMAP*)picture->Bitmap);
    delete picture;
}

int64_t pictureBytes(const Picture* picture)
{
    return picture ? (int64_t)picture->Pitch * picture->Height : 0;
}

void stretchPicture(Surface* surface, Rect rect, const Picture* picture)
{
    if (!picture) return;
    platformStretchPicture(surface, rect, picture->Bits, picture->Width, picture->Height,
                           picture->Pitch, 1);
}
