// Video files through FFmpeg: a container of the kinds a video snap comes in is opened, its size
// and frame rate checked against the memory kept for pictures before a frame is decoded, and
// its frames decoded one at a time into 32-bit pixels of the size they are drawn at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One decoded frame, converted for drawing: rows top-down, 4 bytes a pixel (blue, green, red,
// unused), as the back buffer keeps them.
struct VideoFrame
{
    int Width = 0, Height = 0;
    int Pitch = 0; // bytes from one row to the next
    std::vector<uint8_t> Pixels;
    int64_t Time = 0; // milliseconds from the video's first frame
};

struct VideoFacts
{
    int Width, Height;         // of a frame as shown (wide pixels widen it)
    double FramesPerSecond;    // what the file says; 0 when it does not say
    int64_t FrameMilliseconds; // how long one frame shows when the file gives no time
};

// Sound is decoded to this: 16-bit samples, two channels, interleaved.
const int VideoSoundRate = 44100;

// A video ready to decode; FFmpeg's records.
struct VideoFile;

// Opens the file, 0 with why when it is empty, no video of a known kind, has no picture
// stream or no decoder for it, or when its frames (those held ahead for a tenth of a second)
// would take more than byteLimit bytes. With sound set, its sound is decoded too.
VideoFile* openVideoFile(const std::string& path, int64_t byteLimit, int sound, std::string& why);
// The same from bytes in memory (kept by the video until it is closed): for the fuzzer and the
// tests, which hand it files they made.
VideoFile* openVideoBytes(const std::string& bytes, int64_t byteLimit, int sound, std::string& why);
VideoFacts videoFacts(const VideoFile* video);
enum VideoRead
{
    VideoFrameRead,
    VideoAtEnd, // no more frames: the end, or what follows cannot be read
};
// The next frame converted to width x height into frame (its pixels reused); the sound read
// on the way is appended to sound when the video was opened with sound.
VideoRead readVideoFrame(VideoFile* video, int width, int height, VideoFrame& frame,
                         std::vector<int16_t>* sound);
// Back to the first frame; 0 when the container cannot go back.
int rewindVideo(VideoFile* video);
void closeVideoFile(VideoFile* video);

// ---- The video module
// The decoder, the one part of the program linked with FFmpeg, lives in a module of its own
// (libtorvanell-video.so) loaded at the first video: FFmpeg and what it brings (some twenty
// libraries, some 18 MB once loaded) are never held by a cabinet that shows no video. The
// functions above ask it through this table.

const int VideoCodecVersion = 1; // raised whenever the table or the records it passes change

struct VideoCodecTable
{
    int Version;
    VideoFile* (*OpenFile)(const std::string& path, int64_t byteLimit, int sound, std::string& why);
    VideoFile* (*OpenBytes)(const std::string& bytes, int64_t byteLimit, int sound,
                            std::string& why);
    VideoFacts (*Facts)(const VideoFile* video);
    VideoRead (*Read)(VideoFile* video, int width, int height, VideoFrame& frame,
                      std::vector<int16_t>* sound);
    int (*Rewind)(VideoFile* video);
    void (*Close)(VideoFile* video);
};

// The module's one exported symbol.
#define VIDEO_CODEC_ENTRY "torvanellVideoCodec"
extern "C" const VideoCodecTable* torvanellVideoCodec();
// The module's file name, found by platformLoadModule.
inline constexpr const char* VideoModuleName = "libtorvanell-video.so";
