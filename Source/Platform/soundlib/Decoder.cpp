#include "Platform/soundlib/Decoder.h"

#include "Platform/soundlib/SoundLib.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <memory>

namespace Plat::Sound
{
    namespace
    {
        // Decoded data must stay addressable with 32-bit byte positions.
        constexpr size_t kMaxSamples = 0x7FFFFFFFu / sizeof(int16_t);

        struct FormatCloser { void operator()(AVFormatContext* c) const { avformat_close_input(&c); } };
        struct CodecCloser { void operator()(AVCodecContext* c) const { avcodec_free_context(&c); } };
        struct SwrCloser { void operator()(SwrContext* c) const { swr_free(&c); } };
        struct FrameCloser { void operator()(AVFrame* f) const { av_frame_free(&f); } };
        struct PacketCloser { void operator()(AVPacket* p) const { av_packet_free(&p); } };

        // Decoded samples with room to grow: filled in place, grown geometrically, so a
        // long file is neither copied nor zero-filled again for every decoded frame.
        struct PcmBuffer
        {
            std::vector<int16_t> data;
            size_t used = 0;

            int16_t* Room(size_t aCount)
            {
                if (used + aCount > data.size())
                    data.resize(std::max(used + aCount, data.size() * 2));
                return data.data() + used;
            }

            std::vector<int16_t> Take()
            {
                data.resize(used);
                if (data.capacity() > used + used / 4)
                    data.shrink_to_fit();
                return std::move(data);
            }
        };

        // Converts decoded frames of whatever layout, format and rate to 16-bit stereo.
        class Converter
        {
        public:
            explicit Converter(uint32_t aRate) : myRate(aRate) {}
            ~Converter() { av_channel_layout_uninit(&myInLayout); }
            Converter(const Converter&) = delete;
            Converter& operator=(const Converter&) = delete;

            bool Add(const AVFrame& aFrame, PcmBuffer& someSamples)
            {
                if (!Matches(aFrame))
                {
                    if (!Flush(someSamples) || !Configure(aFrame))
                        return false;
                }
                return Convert(aFrame.extended_data, aFrame.nb_samples, someSamples);
            }

            bool Flush(PcmBuffer& someSamples)
            {
                return !mySwr || Convert(nullptr, 0, someSamples);
            }

        private:
            bool Matches(const AVFrame& aFrame) const
            {
                return mySwr && aFrame.format == myInFormat && aFrame.sample_rate == myInRate &&
                       av_channel_layout_compare(&aFrame.ch_layout, &myInLayout) == 0;
            }

            bool Configure(const AVFrame& aFrame)
            {
                av_channel_layout_uninit(&myInLayout);
                if (aFrame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || aFrame.ch_layout.nb_channels <= 0)
                    av_channel_layout_default(&myInLayout, aFrame.ch_layout.nb_channels > 0 ? aFrame.ch_layout.nb_channels : 2);
                else if (av_channel_layout_copy(&myInLayout, &aFrame.ch_layout) < 0)
                    return false;
                myInFormat = aFrame.format;
                myInRate = aFrame.sample_rate;
                if (myInRate <= 0)
                    return false;

                AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
                SwrContext* swr = nullptr;
                if (swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, static_cast<int>(myRate), &myInLayout,
                                        static_cast<AVSampleFormat>(myInFormat), myInRate, 0, nullptr) < 0)
                    return false;
                mySwr.reset(swr);
                return swr_init(swr) >= 0;
            }

            bool Convert(const uint8_t* const* someInput, int aCount, PcmBuffer& someSamples)
            {
                const int room = swr_get_out_samples(mySwr.get(), aCount);
                if (room < 0)
                    return false;
                if (room == 0)
                    return true;
                if (someSamples.used + static_cast<size_t>(room) * 2 > kMaxSamples)
                    return false;
                uint8_t* out = reinterpret_cast<uint8_t*>(someSamples.Room(static_cast<size_t>(room) * 2));
                const int written = swr_convert(mySwr.get(), &out, room, const_cast<const uint8_t**>(someInput), aCount);
                if (written < 0)
                    return false;
                someSamples.used += static_cast<size_t>(written) * 2;
                return true;
            }

            uint32_t myRate;
            std::unique_ptr<SwrContext, SwrCloser> mySwr;
            AVChannelLayout myInLayout{};
            int myInFormat = -1;
            int myInRate = 0;
        };

        // A file whose header states its length (an MP3 frame-count header, a WAV data
        // size) but whose data ends well before it was cut short. Encoder delay and
        // padding make the stated length a little longer than what decodes.
        bool IsCutShort(const AVStream& aStream, AVDurationEstimationMethod aMethod, uint32_t aFrameCount, uint32_t aRate)
        {
            if (aMethod != AVFMT_DURATION_FROM_STREAM || aStream.duration == AV_NOPTS_VALUE || aStream.duration <= 0)
                return false;
            const double seconds = static_cast<double>(aStream.duration) * av_q2d(aStream.time_base);
            const double expected = seconds * aRate;
            const double slack = std::max(4096.0, expected * 0.05);
            return static_cast<double>(aFrameCount) + slack < expected;
        }

        // A file that cannot be loaded leaves no trace: FFmpeg's messages about the files
        // decoded here are dropped, everyone else's go to FFmpeg's usual output.
        thread_local bool tQuiet = false;

        void FilteredLog(void* aContext, int aLevel, const char* aFormat, va_list someArguments)
        {
            if (!tQuiet)
                av_log_default_callback(aContext, aLevel, aFormat, someArguments);
        }

        struct QuietScope
        {
            QuietScope()
            {
                static const bool installed = [] {
                    av_log_set_callback(FilteredLog);
                    return true;
                }();
                (void)installed;
                tQuiet = true;
            }
            ~QuietScope() { tQuiet = false; }
        };

        DecodeResult Fail(int anError)
        {
            DecodeResult result;
            result.error = anError;
            return result;
        }
    }

    DecodeResult DecodeFile(const std::string& aPath, uint32_t aRate)
    {
        const QuietScope quiet;
        // "file:" keeps a name with a colon from being read as another protocol, and
        // the whitelist keeps playlist-like formats from reaching beyond local files.
        AVDictionary* options = nullptr;
        av_dict_set(&options, "protocol_whitelist", "file", 0);
        AVFormatContext* rawFormat = nullptr;
        const int openResult = avformat_open_input(&rawFormat, ("file:" + aPath).c_str(), nullptr, &options);
        av_dict_free(&options);
        if (openResult < 0)
        {
            const bool missing = openResult == AVERROR(ENOENT) || openResult == AVERROR(EACCES) ||
                                 openResult == AVERROR(EISDIR);
            return Fail(missing ? ERROR_FILEOPEN : ERROR_FILEFORM);
        }
        std::unique_ptr<AVFormatContext, FormatCloser> format(rawFormat);
        if (avformat_find_stream_info(format.get(), nullptr) < 0)
            return Fail(ERROR_FILEFORM);

        const AVCodec* codec = nullptr;
        const int streamIndex = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (streamIndex < 0 || !codec)
            return Fail(ERROR_FILEFORM);

        std::unique_ptr<AVCodecContext, CodecCloser> context(avcodec_alloc_context3(codec));
        if (!context)
            return Fail(ERROR_MEM);
        if (avcodec_parameters_to_context(context.get(), format->streams[streamIndex]->codecpar) < 0)
            return Fail(ERROR_FILEFORM);
        context->thread_count = 1;   // keeps every message of this decoder on this thread
        if (avcodec_open2(context.get(), codec, nullptr) < 0)
            return Fail(ERROR_CODEC);

        std::unique_ptr<AVPacket, PacketCloser> packet(av_packet_alloc());
        std::unique_ptr<AVFrame, FrameCloser> frame(av_frame_alloc());
        if (!packet || !frame)
            return Fail(ERROR_MEM);

        PcmBuffer pcm;
        const AVStream& stream = *format->streams[streamIndex];
        if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0)
        {
            const double frames = static_cast<double>(stream.duration) * av_q2d(stream.time_base) * aRate;
            if (frames > 0.0 && frames * 2 < static_cast<double>(kMaxSamples))
                pcm.data.resize(static_cast<size_t>(frames) * 2 + 8192);
        }
        Converter converter(aRate);

        // Pulls every frame the decoder has ready; false on a decoding error.
        auto drain = [&]() -> bool {
            for (;;)
            {
                const int r = avcodec_receive_frame(context.get(), frame.get());
                if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                    return true;
                if (r < 0 || frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT))
                    return false;
                const bool ok = converter.Add(*frame, pcm);
                av_frame_unref(frame.get());
                if (!ok)
                    return false;
            }
        };

        for (;;)
        {
            const int r = av_read_frame(format.get(), packet.get());
            if (r == AVERROR_EOF)
                break;
            if (r < 0)
                return Fail(ERROR_CODEC);
            if (packet->stream_index != streamIndex)
            {
                av_packet_unref(packet.get());
                continue;
            }
            const bool corrupt = (packet->flags & AV_PKT_FLAG_CORRUPT) != 0;
            const int sent = avcodec_send_packet(context.get(), packet.get());
            av_packet_unref(packet.get());
            if (corrupt || sent < 0 || !drain())
                return Fail(ERROR_CODEC);
        }
        if (avcodec_send_packet(context.get(), nullptr) < 0 || !drain() || !converter.Flush(pcm))
            return Fail(ERROR_CODEC);
        DecodeResult result;
        result.samples = pcm.Take();
        if (result.samples.empty())
            return Fail(ERROR_FILEFORM);
        if (IsCutShort(*format->streams[streamIndex], format->duration_estimation_method, result.FrameCount(), aRate))
            return Fail(ERROR_CODEC);
        return result;
    }
}
