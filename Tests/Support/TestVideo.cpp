#include "Support/TestVideo.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cmath>
#include <numbers>
#include <unistd.h>

namespace VideoTest
{
    namespace
    {
        struct Track
        {
            AVStream* stream = nullptr;
            AVCodecContext* context = nullptr;
            AVFrame* frame = nullptr;
            std::int64_t next = 0;  // pts of the next frame, in the context's time base
            bool done = false;
            bool isVideo = true;
            TestVideoStream picture;
            double tone = 0.0;
        };

        struct Writer
        {
            AVFormatContext* format = nullptr;
            std::vector<Track> tracks;
            AVPacket* packet = nullptr;
            std::string error;
            bool timed = true;

            ~Writer()
            {
                for (Track& track : tracks)
                {
                    av_frame_free(&track.frame);
                    avcodec_free_context(&track.context);
                }
                av_packet_free(&packet);
                if (format != nullptr)
                {
                    if (!(format->oformat->flags & AVFMT_NOFILE) && format->pb != nullptr)
                        avio_closep(&format->pb);
                    avformat_free_context(format);
                }
            }

            bool Fail(const std::string& aWhat)
            {
                error = aWhat;
                return false;
            }

            // Sends one frame (or null to flush) and writes whatever packets come out.
            bool Encode(Track& aTrack, AVFrame* aFrame)
            {
                if (avcodec_send_frame(aTrack.context, aFrame) < 0)
                    return Fail("encoder refused a frame");
                for (;;)
                {
                    const int result = avcodec_receive_packet(aTrack.context, packet);
                    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                        return true;
                    if (result < 0)
                        return Fail("encoder failed");
                    // Without a duration the muxer ends the track's edit list at the last
                    // picture's start, and demuxers then drop that picture.
                    if (aTrack.isVideo && packet->duration == 0 && timed)
                        packet->duration = 1;
                    av_packet_rescale_ts(packet, aTrack.context->time_base, aTrack.stream->time_base);
                    packet->stream_index = aTrack.stream->index;
                    if (av_interleaved_write_frame(format, packet) < 0)
                        return Fail("muxer failed");
                }
            }
        };

        void DrawPicture(AVFrame* aFrame, const TestVideoStream& aLook, int aNumber)
        {
            // Straight into YUV 4:2:0 (BT.601, limited range), as encoders take it.
            const int w = aFrame->width;
            const int h = aFrame->height;
            const double r = aLook.red, g = aLook.green, b = aLook.blue;
            const auto y = static_cast<std::uint8_t>(std::lround(16 + 0.257 * r + 0.504 * g + 0.098 * b));
            const auto u = static_cast<std::uint8_t>(std::lround(128 - 0.148 * r - 0.291 * g + 0.439 * b));
            const auto v = static_cast<std::uint8_t>(std::lround(128 + 0.439 * r - 0.368 * g - 0.071 * b));
            for (int row = 0; row < h; ++row)
            {
                std::uint8_t* line = aFrame->data[0] + row * aFrame->linesize[0];
                for (int column = 0; column < w; ++column)
                {
                    if (row < h / 2)
                    {
                        const int bit = column * 8 / w;
                        line[column] = (aNumber >> bit) & 1 ? 235 : 16;
                    }
                    else
                        line[column] = y;
                }
            }
            for (int row = 0; row < (h + 1) / 2; ++row)
            {
                std::uint8_t* lineU = aFrame->data[1] + row * aFrame->linesize[1];
                std::uint8_t* lineV = aFrame->data[2] + row * aFrame->linesize[2];
                const bool bars = row * 2 < h / 2;
                for (int column = 0; column < (w + 1) / 2; ++column)
                {
                    lineU[column] = bars ? 128 : u;
                    lineV[column] = bars ? 128 : v;
                }
            }
        }

        void FillTone(AVFrame* aFrame, double aTone, std::int64_t aFirstSample)
        {
            for (int channel = 0; channel < aFrame->ch_layout.nb_channels; ++channel)
            {
                auto* samples = reinterpret_cast<float*>(aFrame->extended_data[channel]);
                for (int i = 0; i < aFrame->nb_samples; ++i)
                {
                    const double t = static_cast<double>(aFirstSample + i) / 44100.0;
                    samples[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * aTone * t));
                }
            }
        }

        bool AddVideo(Writer& aWriter, const TestVideoSpec& aSpec, const TestVideoStream& aLook)
        {
            const AVCodec* codec = avcodec_find_encoder_by_name(aSpec.codec.c_str());
            if (codec == nullptr)
                return aWriter.Fail("no encoder " + aSpec.codec);
            Track track;
            track.picture = aLook;
            track.stream = avformat_new_stream(aWriter.format, nullptr);
            track.context = avcodec_alloc_context3(codec);
            if (track.stream == nullptr || track.context == nullptr)
            {
                avcodec_free_context(&track.context);
                return aWriter.Fail("out of memory");
            }
            AVCodecContext* c = track.context;
            c->width = aLook.width;
            c->height = aLook.height;
            // The JPEG encoder takes full-range 4:2:0; the picture values stay the same.
            c->pix_fmt = aSpec.codec == "mjpeg" ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
            c->time_base = AVRational{ 1, aSpec.frameRate };
            c->framerate = AVRational{ aSpec.frameRate, 1 };
            c->gop_size = 12;
            if (aSpec.codec == "mpeg4" || aSpec.codec == "mjpeg")
            {
                c->flags |= AV_CODEC_FLAG_QSCALE;
                c->global_quality = FF_QP2LAMBDA * 2;
            }
            else if (aSpec.codec == "libx264")
            {
                av_opt_set(c->priv_data, "preset", "ultrafast", 0);
                av_opt_set(c->priv_data, "crf", "12", 0);
                c->max_b_frames = 2;
            }
            if (aWriter.format->oformat->flags & AVFMT_GLOBALHEADER)
                c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            if (avcodec_open2(c, codec, nullptr) < 0)
            {
                avcodec_free_context(&track.context);
                return aWriter.Fail("cannot open encoder " + aSpec.codec);
            }
            track.stream->time_base = c->time_base;
            avcodec_parameters_from_context(track.stream->codecpar, c);
            track.frame = av_frame_alloc();
            track.frame->format = c->pix_fmt;
            track.frame->width = c->width;
            track.frame->height = c->height;
            if (av_frame_get_buffer(track.frame, 0) < 0)
                return aWriter.Fail("out of memory");
            aWriter.tracks.push_back(track);
            return true;
        }

        bool AddAudio(Writer& aWriter, double aTone)
        {
            const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
            if (codec == nullptr)
                return aWriter.Fail("no AAC encoder");
            Track track;
            track.isVideo = false;
            track.tone = aTone;
            track.stream = avformat_new_stream(aWriter.format, nullptr);
            track.context = avcodec_alloc_context3(codec);
            if (track.stream == nullptr || track.context == nullptr)
            {
                avcodec_free_context(&track.context);
                return aWriter.Fail("out of memory");
            }
            AVCodecContext* c = track.context;
            c->sample_fmt = AV_SAMPLE_FMT_FLTP;
            c->sample_rate = 44100;
            c->bit_rate = 128000;
            c->time_base = AVRational{ 1, 44100 };
            AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
            av_channel_layout_copy(&c->ch_layout, &stereo);
            if (aWriter.format->oformat->flags & AVFMT_GLOBALHEADER)
                c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            if (avcodec_open2(c, codec, nullptr) < 0)
            {
                avcodec_free_context(&track.context);
                return aWriter.Fail("cannot open the AAC encoder");
            }
            track.stream->time_base = c->time_base;
            avcodec_parameters_from_context(track.stream->codecpar, c);
            track.frame = av_frame_alloc();
            track.frame->format = c->sample_fmt;
            track.frame->sample_rate = 44100;
            track.frame->nb_samples = c->frame_size > 0 ? c->frame_size : 1024;
            av_channel_layout_copy(&track.frame->ch_layout, &c->ch_layout);
            if (av_frame_get_buffer(track.frame, 0) < 0)
                return aWriter.Fail("out of memory");
            aWriter.tracks.push_back(track);
            return true;
        }
    }

    bool WriteTestVideo(const std::filesystem::path& aPath, const TestVideoSpec& aSpec, std::string* aError)
    {
        // Encoders report their statistics at info level; keep warnings and errors.
        if (av_log_get_level() > AV_LOG_WARNING)
            av_log_set_level(AV_LOG_WARNING);
        Writer writer;
        auto fail = [&](const std::string& aWhat) {
            if (aError != nullptr) *aError = aWhat.empty() ? writer.error : aWhat;
            return false;
        };
        const std::string path = aPath.string();
        if (avformat_alloc_output_context2(&writer.format, nullptr, aSpec.container.c_str(), path.c_str()) < 0)
            return fail("unknown container " + aSpec.container);
        writer.packet = av_packet_alloc();
        for (const TestVideoStream& look : aSpec.videoStreams)
        {
            if (!AddVideo(writer, aSpec, look)) return fail({});
        }
        for (double tone : aSpec.audioTones)
        {
            if (!AddAudio(writer, tone)) return fail({});
        }
        if (!(writer.format->oformat->flags & AVFMT_NOFILE) && avio_open(&writer.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0)
            return fail("cannot create " + path);
        writer.timed = aSpec.timed;
        AVDictionary* options = nullptr;
        if (!aSpec.timed)
            av_dict_set(&options, "use_editlist", "0", 0);
        const int header = avformat_write_header(writer.format, &options);
        av_dict_free(&options);
        if (header < 0)
            return fail("cannot write the header");

        const AVRational seconds{ 1, aSpec.frameRate };
        const std::int64_t end = aSpec.frameCount;  // in frames
        // Feed the track that is furthest behind, so packets reach the muxer in time order.
        for (;;)
        {
            Track* next = nullptr;
            for (Track& track : writer.tracks)
                if (!track.done && (next == nullptr || av_compare_ts(track.next, track.context->time_base, next->next, next->context->time_base) < 0))
                    next = &track;
            if (next == nullptr)
                break;
            if (av_compare_ts(next->next, next->context->time_base, end, seconds) >= 0)
            {
                next->done = true;
                if (!writer.Encode(*next, nullptr)) return fail({});
                continue;
            }
            if (av_frame_make_writable(next->frame) < 0) return fail("out of memory");
            next->frame->pts = next->next;
            if (next->isVideo)
            {
                DrawPicture(next->frame, next->picture, static_cast<int>(next->next));
                if (next->context->flags & AV_CODEC_FLAG_QSCALE) next->frame->quality = next->context->global_quality;
                next->next += 1;
            }
            else
            {
                FillTone(next->frame, next->tone, next->next);
                next->next += next->frame->nb_samples;
            }
            if (!writer.Encode(*next, next->frame)) return fail({});
        }
        if (av_write_trailer(writer.format) < 0)
            return fail("cannot finish the file");
        return true;
    }

    int ReadFrameNumber(const std::uint8_t* someRgba, std::uint32_t aPitch, int aWidth, int aHeight)
    {
        int number = 0;
        const int row = aHeight / 4;
        for (int bit = 0; bit < 8; ++bit)
        {
            const int column = (2 * bit + 1) * aWidth / 16;
            const std::uint8_t* texel = someRgba + static_cast<std::size_t>(row) * aPitch + static_cast<std::size_t>(column) * 4;
            const int luma = (texel[0] + texel[1] + texel[2]) / 3;
            if (luma > 170)
            {
                number |= 1 << bit;
            }
            else if (luma > 80)
                return -1;
        }
        return number;
    }

    namespace
    {
        std::optional<std::string> ReadVariable(const char* aName)
        {
            const char* value = std::getenv(aName);
            return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
        }

        void WriteVariable(const char* aName, const std::optional<std::string>& aValue)
        {
            if (aValue) setenv(aName, aValue->c_str(), 1);
            else unsetenv(aName);
        }
    }

    ScopedAudioDriver::ScopedAudioDriver(const char* aDriver, const std::filesystem::path& anOutputFile)
        : myDriver(ReadVariable("SDL_AUDIODRIVER"))
        , myFile(ReadVariable("SDL_DISKAUDIOFILE"))
    {
        setenv("SDL_AUDIODRIVER", aDriver, 1);
        if (!anOutputFile.empty())
            setenv("SDL_DISKAUDIOFILE", anOutputFile.c_str(), 1);
    }

    ScopedAudioDriver::~ScopedAudioDriver()
    {
        WriteVariable("SDL_AUDIODRIVER", myDriver);
        WriteVariable("SDL_DISKAUDIOFILE", myFile);
    }

    TempFolder::TempFolder(const std::string& aTag)
    {
        static std::atomic<int> counter{ 0 };
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        myPath = std::filesystem::temp_directory_path()
            / ("kiln_" + aTag + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" + std::to_string(stamp));
        std::filesystem::create_directories(myPath);
    }

    TempFolder::~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(myPath, ignored);
    }
}
