// The display's side of the video module: loaded at the first video, and asked for what
// video.h offers. A module that cannot be loaded is told once; its videos are then unplayable
// as a broken file is, and the screenshot stays.
#include "display/video.h"

#include "platform/files.h"
#include "platform/modules.h"

#include <cstdio>

struct VideoModuleRecord
{
    int Tried = 0;
    const VideoCodecTable* Codec = nullptr;
    std::string Why; // why it is not there
};
static VideoModuleRecord VideoModule;

static const VideoCodecTable* codec(std::string& why)
{
    if (!VideoModule.Tried)
    {
        VideoModule.Tried = 1;
        void* entry = platformModuleEntry(VideoModuleName, VIDEO_CODEC_ENTRY, VideoModule.Why);
        auto table = entry ? ((const VideoCodecTable* (*)())entry)() : nullptr;
        if (entry && (!table || table->Version != VideoCodecVersion))
            VideoModule.Why = "it is of another version of the program";
        else
            VideoModule.Codec = table;
        if (!VideoModule.Codec)
            fprintf(stderr, "Videos cannot be played: the video module %s; told once\n",
                    VideoModule.Why.c_str());
    }
    if (!VideoModule.Codec) why = "videos cannot be played here (" + VideoModule.Why + ")";
    return VideoModule.Codec;
}

VideoFile* openVideoFile(const std::string& path, int64_t byteLimit, int sound, std::string& why)
{
    int64_t stamp = 0, size = -1;
    if (!platformFileStamp(path, &stamp, &size))
        why = "the file cannot be read";
    else if (size == 0)
        why = "the file is empty";
    // The decoder opens the file itself, and would wait for ever on a FIFO. Its own byteLimit
    // governs what is read of a real file.
    else if (!platformIsDataFile(path, INT64_MAX))
        why = "it is not a regular file";
    else if (const VideoCodecTable* table = codec(why))
        return table->OpenFile(path, byteLimit, sound, why);
    return nullptr;
}

VideoFile* openVideoBytes(const std::string& bytes, int64_t byteLimit, int sound, std::string& why)
{
    const VideoCodecTable* table = codec(why);
    return table ? table->OpenBytes(bytes, byteLimit, sound, why) : nullptr;
}

// A video was opened, so the module is there.
VideoFacts videoFacts(const VideoFile* video)
{
    return VideoModule.Codec->Facts(video);
}

VideoRead readVideoFrame(VideoFile* video, int width, int height, VideoFrame& frame,
                         std::vector<int16_t>* sound)
{
    return VideoModule.Codec->Read(video, width, height, frame, sound);
}

int rewindVideo(VideoFile* video)
{
    return VideoModule.Codec->Rewind(video);
}

void closeVideoFile(VideoFile* video)
{
    if (video) VideoModule.Codec->Close(video);
}
