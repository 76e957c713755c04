// Picture files of any bytes, read as JPEG when they start like one and as PNG otherwise: a
// picture given back stays within the memory allowed, every pixel can be read, and it can be
// drawn.
#include "display/picture.h"
#include "fuzzing.h"
#include "platform/testing.h"
#include "platform/window.h"

// Small enough that a picture within it decodes in milliseconds, so the fuzzer keeps its pace.
static const int64_t ByteLimit = 1 << 18;
static Surface* Target;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startTestPlatform();
    Target = platformCreateSurface(32, 24);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int jpeg = size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
    const std::string& file = scratchFile(".picture");
    writeScratch(file, data, size);
    std::string why;
    Picture* picture = loadPictureFile(file, jpeg, ByteLimit, why);
    require(picture || !why.empty(), "no picture and no reason");
    if (!picture) return 0;
    require(picture->Width > 0 && picture->Height > 0 && picture->Pitch >= 4 * picture->Width &&
                (int64_t)picture->Width * picture->Height * 4 <= ByteLimit,
            "a picture of impossible size");
    unsigned sum = 0;
    for (int64_t i = 0; i < pictureBytes(picture); i++) sum += picture->Bits[i];
    stretchPicture(Target, Rect{1, 2, 31, 23 + (int)(sum & 1)}, picture);
    freePicture(picture);
    return 0;
}
