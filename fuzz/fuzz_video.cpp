// Video containers of any bytes: the opener refuses with a reason or gives a video whose size
// and rate fit the memory allowed, and whose frames come out at the size asked, in time order.
#include "display/video.h"
#include "fuzzing.h"

// Small, so that a video within it decodes in milliseconds and the fuzzer keeps its pace.
static const int64_t ByteLimit = 1 << 20;
const int FramesRead = 8;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string why;
    VideoFile* video = openVideoBytes(std::string((const char*)data, size), ByteLimit, 1, why);
    require(video || !why.empty(), "no video and no reason");
    if (!video) return 0;
    VideoFacts facts = videoFacts(video);
    require(facts.Width > 0 && facts.Height > 0 && facts.FrameMilliseconds > 0,
            "a video of impossible size");
    VideoFrame frame;
    std::vector<int16_t> sound;
    int64_t last = -1;
    for (int i = 0;
         i < FramesRead && readVideoFrame(video, 16, 12, frame, &sound) == VideoFrameRead; i++)
    {
        require(frame.Width == 16 && frame.Height == 12 && frame.Pixels.size() == 16 * 12 * 4,
                "a frame of another size than asked");
        require(frame.Time > last, "frames out of time order");
        last = frame.Time;
        if (i == FramesRead / 2 && rewindVideo(video)) last = -1; // the times start again
    }
    require(sound.size() % 2 == 0, "sound samples not in pairs");
    closeVideoFile(video);
    return 0;
}
