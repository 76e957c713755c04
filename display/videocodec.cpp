// Videos through FFmpeg's libraries. Only the containers video snaps come in are opened (a
// picture or a playlist renamed .mp4 is refused by its contents, not its name), and nothing is
// decoded before the frame size and rate are known to fit the memory kept for pictures.

#include "display/video.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

// The demuxers of .mp4, .mkv/.webm, .avi and .flv, by FFmpeg's names.
static const char* const Containers = "mov,matroska,avi,flv";
// Frames are decoded a little ahead of their time, so that a redraw between two of them does
// not make the next late: this long of them must fit the memory.
const int64_t AheadMilliseconds = 100;
const int MemoryBlock = 64 * 1024;
// The sound a video may carry, beyond the rates and channels of any real recording.
const int LowestSoundRate = 1000, HighestSoundRate = 768000, MostSoundChannels = 64;

// Bytes in memory read as a file, for the opener's tests.
struct MemoryInput
{
    std::string Bytes;
    int64_t Position = 0;
};

struct VideoFile
{
    AVFormatContext* Format = nullptr;
    AVIOContext* Input = nullptr; // reading from memory only
    MemoryInput* Memory = nullptr;
    AVCodecContext* Decoder = nullptr;
    AVCodecContext* SoundDecoder = nullptr;
    SwsContext* Scaler = nullptr;
    SwrContext* Resampler = nullptr;
    AVChannelLayout SoundLayout{}; // what the resampler takes, which a stream may change
    int SoundFormat = -1, SoundRate = 0;
    AVPacket* Packet = nullptr;
    AVFrame* Frame = nullptr;
    int Stream = -1, SoundStream = -1;
    int Draining = 0;
    int64_t FirstTime = AV_NOPTS_VALUE; // of the first frame since the start or a rewind
    int64_t LastTime = -1;
    VideoFacts Facts{};
};

static std::string ffmpegSays(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Our one line per file says what matters; the libraries would print many per frame.
static void quietLibraries()
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
}

static int readMemory(void* opaque, uint8_t* buffer, int size)
{
    MemoryInput* input = (MemoryInput*)opaque;
    int64_t left = (int64_t)input->Bytes.size() - input->Position;
    if (left <= 0) return AVERROR_EOF;
    int count = (int)std::min<int64_t>(left, size);
    std::copy_n(input->Bytes.data() + input->Position, count, buffer);
    input->Position += count;
    return count;
}

static int64_t seekMemory(void* opaque, int64_t offset, int whence)
{
    MemoryInput* input = (MemoryInput*)opaque;
    int64_t size = (int64_t)input->Bytes.size();
    if (whence & AVSEEK_SIZE) return size;
    int64_t from = (whence & 3) == SEEK_CUR ? input->Position : (whence & 3) == SEEK_END ? size : 0;
    if (offset > size - from || offset < -from) return -1;
    input->Position = from + offset;
    return input->Position;
}

static void codecClose(VideoFile* video)
{
    if (!video) return;
    avcodec_free_context(&video->Decoder);
    avcodec_free_context(&video->SoundDecoder);
    sws_freeContext(video->Scaler);
    swr_free(&video->Resampler);
    av_channel_layout_uninit(&video->SoundLayout);
    av_packet_free(&video->Packet);
    av_frame_free(&video->Frame);
    avformat_close_input(&video->Format);
    if (video->Input) av_freep(&video->Input->buffer);
    avio_context_free(&video->Input);
    delete video->Memory;
    delete video;
}

static int openContainer(VideoFile* video, const std::string& path, std::string& why)
{
    video->Format = avformat_alloc_context();
    if (!video->Format) return 0;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", Containers, 0);
    // A container may name other files or addresses to read (a reference movie): never.
    av_dict_set(&options, "protocol_whitelist", video->Input ? "" : "file", 0);
    if (video->Input)
    {
        video->Format->pb = video->Input;
        video->Format->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    int opened =
        avformat_open_input(&video->Format, video->Input ? "" : path.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened >= 0) return 1;
    why = opened == AVERROR_INVALIDDATA || opened == AVERROR(EINVAL)
              ? "not a video of a kind shown here (MP4, Matroska, WebM, AVI or FLV)"
              : ffmpegSays(opened);
    return 0;
}

static VideoFacts factsOf(const AVStream* stream)
{
    const AVCodecParameters* codec = stream->codecpar;
    AVRational sar = codec->sample_aspect_ratio;
    int64_t width = codec->width;
    if (sar.num > 0 && sar.den > 0) width = width * sar.num / sar.den;
    AVRational rate =
        stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    double fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0;
    int64_t frame = fps > 0 ? std::clamp<int64_t>(std::llround(1000 / fps), 1, 1000) : 40;
    return VideoFacts{(int)std::clamp<int64_t>(width, 1, 1 << 16), codec->height, fps, frame};
}

// The frames held ahead at the file's rate, each at its size, against the budget.
static int fitsMemory(const VideoFacts& facts, const AVCodecParameters* codec, int64_t byteLimit,
                      std::string& why)
{
    if (codec->width <= 0 || codec->height <= 0)
    {
        why = "its pictures have no size";
        return 0;
    }
    double ahead = std::max(2.0, std::ceil(facts.FramesPerSecond * AheadMilliseconds / 1000));
    double bytes = (double)codec->width * codec->height * 4 * ahead;
    if (bytes <= (double)byteLimit) return 1;
    why = std::to_string(codec->width) + "x" + std::to_string(codec->height) + " pixels at " +
          std::to_string((int64_t)std::llround(facts.FramesPerSecond)) +
          " frames a second are more than the memory kept for pictures";
    return 0;
}

static AVCodecContext* openDecoder(const AVStream* stream, int64_t byteLimit, std::string& why)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
    {
        const char* name = avcodec_get_name(stream->codecpar->codec_id);
        why = std::string("no decoder for its ") + (name ? name : "unknown") + " stream";
        return nullptr;
    }
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    AVDictionary* options = nullptr;
    // A stream whose frames grow past its header's size stops there.
    av_dict_set_int(&options, "max_pixels", std::max<int64_t>(byteLimit / 4, 1), 0);
    av_dict_set_int(&options, "threads", 1, 0);
    int opened = decoder ? avcodec_parameters_to_context(decoder, stream->codecpar) : -1;
    if (opened >= 0) opened = avcodec_open2(decoder, codec, &options);
    av_dict_free(&options);
    if (opened >= 0) return decoder;
    why = "its " + std::string(codec->name) + " stream cannot be decoded: " + ffmpegSays(opened);
    avcodec_free_context(&decoder);
    return nullptr;
}

// The resampler reads as many planes as the layout it was made for has, so a stream that
// changes its channels mid-way (joined files do) gets a new one rather than a read past a frame.
static int fitResampler(VideoFile* video, const AVChannelLayout& layout, int format, int rate)
{
    if (video->Resampler && video->SoundFormat == format && video->SoundRate == rate &&
        av_channel_layout_compare(&video->SoundLayout, &layout) == 0)
        return 1;
    swr_free(&video->Resampler);
    av_channel_layout_uninit(&video->SoundLayout);
    // A damaged header's rate of millions a second would have the resampler build its filter
    // for many seconds and hundreds of megabytes: such sound is not played.
    if (rate < LowestSoundRate || rate > HighestSoundRate || layout.nb_channels < 1 ||
        layout.nb_channels > MostSoundChannels)
        return 0;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (av_channel_layout_copy(&video->SoundLayout, &layout) < 0 ||
        swr_alloc_set_opts2(&video->Resampler, &stereo, AV_SAMPLE_FMT_S16, VideoSoundRate,
                            &video->SoundLayout, (AVSampleFormat)format, rate, 0, nullptr) < 0 ||
        swr_init(video->Resampler) < 0)
    {
        swr_free(&video->Resampler);
        return 0;
    }
    video->SoundFormat = format;
    video->SoundRate = rate;
    return 1;
}

static void openSound(VideoFile* video)
{
    int found =
        av_find_best_stream(video->Format, AVMEDIA_TYPE_AUDIO, -1, video->Stream, nullptr, 0);
    if (found < 0) return;
    std::string ignored; // a video whose sound cannot be decoded still shows
    video->SoundDecoder = openDecoder(video->Format->streams[found], INT32_MAX, ignored);
    if (!video->SoundDecoder) return;
    AVCodecContext* from = video->SoundDecoder;
    if (!fitResampler(video, from->ch_layout, from->sample_fmt, from->sample_rate))
    {
        avcodec_free_context(&video->SoundDecoder);
        return;
    }
    video->SoundStream = found;
}

static int openStreams(VideoFile* video, int64_t byteLimit, int sound, std::string& why)
{
    AVFormatContext* format = video->Format;
    int found = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    // A container that gives no size in its header is looked into, a little.
    if (found >= 0 && format->streams[found]->codecpar->width <= 0)
    {
        format->probesize = 1 << 20;
        format->max_analyze_duration = AV_TIME_BASE;
        avformat_find_stream_info(format, nullptr);
        found = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    }
    if (found < 0)
    {
        why = "it holds no pictures (sound only?)";
        return 0;
    }
    AVStream* stream = format->streams[found];
    video->Facts = factsOf(stream);
    if (!fitsMemory(video->Facts, stream->codecpar, byteLimit, why)) return 0;
    video->Decoder = openDecoder(stream, byteLimit, why);
    if (!video->Decoder) return 0;
    video->Stream = found;
    for (unsigned i = 0; i < format->nb_streams; i++)
        if ((int)i != found) format->streams[i]->discard = AVDISCARD_ALL;
    if (sound)
    {
        openSound(video);
        if (video->SoundStream >= 0)
            format->streams[video->SoundStream]->discard = AVDISCARD_DEFAULT;
    }
    video->Packet = av_packet_alloc();
    video->Frame = av_frame_alloc();
    return video->Packet && video->Frame;
}

static VideoFile* openVideo(VideoFile* video, const std::string& path, int64_t byteLimit, int sound,
                            std::string& why)
{
    quietLibraries();
    if (!openContainer(video, path, why) || !openStreams(video, byteLimit, sound, why))
    {
        if (why.empty()) why = "it cannot be opened";
        codecClose(video);
        return nullptr;
    }
    return video;
}

// The loader has made sure the path is a regular file that is not empty.
static VideoFile* codecOpenFile(const std::string& path, int64_t byteLimit, int sound,
                                std::string& why)
{
    return openVideo(new VideoFile(), path, byteLimit, sound, why);
}

static VideoFile* codecOpenBytes(const std::string& bytes, int64_t byteLimit, int sound,
                                 std::string& why)
{
    if (bytes.empty())
    {
        why = "the file is empty";
        return nullptr;
    }
    VideoFile* video = new VideoFile();
    video->Memory = new MemoryInput{bytes, 0};
    uint8_t* buffer = (uint8_t*)av_malloc(MemoryBlock);
    video->Input =
        avio_alloc_context(buffer, MemoryBlock, 0, video->Memory, readMemory, nullptr, seekMemory);
    if (!video->Input) av_free(buffer);
    if (!video->Input)
    {
        codecClose(video);
        return nullptr;
    }
    return openVideo(video, "", byteLimit, sound, why);
}

static VideoFacts codecFacts(const VideoFile* video)
{
    return video->Facts;
}

static void decodeSound(VideoFile* video, std::vector<int16_t>& sound)
{
    if (avcodec_send_packet(video->SoundDecoder, video->Packet) < 0) return;
    while (avcodec_receive_frame(video->SoundDecoder, video->Frame) >= 0)
    {
        AVFrame* frame = video->Frame;
        // A frame whose sound cannot be converted is left silent; the pictures go on.
        int fits = fitResampler(video, frame->ch_layout, frame->format, frame->sample_rate);
        int count = fits ? swr_get_out_samples(video->Resampler, frame->nb_samples) : 0;
        if (count > 0)
        {
            size_t at = sound.size();
            sound.resize(at + (size_t)count * 2);
            uint8_t* out = (uint8_t*)(sound.data() + at);
            int made = swr_convert(video->Resampler, &out, count,
                                   (const uint8_t**)frame->extended_data, frame->nb_samples);
            sound.resize(at + (size_t)std::max(made, 0) * 2);
        }
        av_frame_unref(video->Frame);
    }
}

// Feeds the decoder one packet; 0 when the file has no more.
static int feedDecoder(VideoFile* video, std::vector<int16_t>* sound)
{
    if (av_read_frame(video->Format, video->Packet) < 0)
    {
        avcodec_send_packet(video->Decoder, nullptr); // the frames still held come out
        video->Draining = 1;
        return 1;
    }
    // A damaged packet is passed over; the frames after it may still decode.
    if (video->Packet->stream_index == video->Stream)
        avcodec_send_packet(video->Decoder, video->Packet);
    else if (video->Packet->stream_index == video->SoundStream && sound)
        decodeSound(video, *sound);
    av_packet_unref(video->Packet);
    return 1;
}

// Milliseconds from the first frame; a file whose times run backwards or are missing shows
// each frame a frame's length after the one before.
static int64_t frameTime(VideoFile* video)
{
    int64_t stamp = video->Frame->best_effort_timestamp;
    int64_t time = video->LastTime + video->Facts.FrameMilliseconds;
    if (stamp != AV_NOPTS_VALUE)
    {
        if (video->FirstTime == AV_NOPTS_VALUE) video->FirstTime = stamp;
        AVRational base = video->Format->streams[video->Stream]->time_base;
        int64_t read = av_rescale_q(stamp - video->FirstTime, base, AVRational{1, 1000});
        if (read > video->LastTime && (video->LastTime < 0 || read - video->LastTime < 60000))
            time = read;
    }
    if (video->LastTime < 0 && stamp == AV_NOPTS_VALUE) time = 0;
    video->LastTime = time;
    return time;
}

static int convertFrame(VideoFile* video, int width, int height, VideoFrame& frame)
{
    AVFrame* decoded = video->Frame;
    video->Scaler = sws_getCachedContext(video->Scaler, decoded->width, decoded->height,
                                         (AVPixelFormat)decoded->format, width, height,
                                         AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!video->Scaler) return 0;
    frame.Width = width;
    frame.Height = height;
    frame.Pitch = width * 4;
    frame.Pixels.resize((size_t)frame.Pitch * height);
    uint8_t* planes[4] = {frame.Pixels.data()};
    int pitches[4] = {frame.Pitch};
    return sws_scale(video->Scaler, decoded->data, decoded->linesize, 0, decoded->height, planes,
                     pitches) > 0;
}

static VideoRead codecRead(VideoFile* video, int width, int height, VideoFrame& frame,
                           std::vector<int16_t>* sound)
{
    if (width <= 0 || height <= 0) return VideoAtEnd;
    for (;;)
    {
        int received = avcodec_receive_frame(video->Decoder, video->Frame);
        if (received >= 0)
        {
            int converted = convertFrame(video, width, height, frame);
            frame.Time = frameTime(video);
            av_frame_unref(video->Frame);
            if (converted) return VideoFrameRead;
            continue;
        }
        if (received != AVERROR(EAGAIN) || video->Draining) return VideoAtEnd;
        feedDecoder(video, sound);
    }
}

static int codecRewind(VideoFile* video)
{
    AVFormatContext* format = video->Format;
    int64_t start = format->start_time == AV_NOPTS_VALUE ? 0 : format->start_time;
    if (av_seek_frame(format, -1, start, AVSEEK_FLAG_BACKWARD) < 0 &&
        avformat_seek_file(format, -1, INT64_MIN, start, INT64_MAX, 0) < 0)
        return 0;
    avcodec_flush_buffers(video->Decoder);
    if (video->SoundDecoder) avcodec_flush_buffers(video->SoundDecoder);
    video->Draining = 0;
    video->FirstTime = AV_NOPTS_VALUE;
    video->LastTime = -1;
    return 1;
}

extern "C" const VideoCodecTable* torvanellVideoCodec()
{
    static const VideoCodecTable table = {VideoCodecVersion, codecOpenFile, codecOpenBytes,
                                          codecFacts,        codecRead,     codecRewind,
                                          codecClose};
    return &table;
}
