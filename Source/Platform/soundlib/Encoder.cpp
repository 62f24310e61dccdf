#include "Platform/soundlib/Encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace Plat::Sound
{
    namespace
    {
        struct Choice
        {
            const char* encoder;
            const char* muxer;
        };

        Choice PickEncoder()
        {
            static const Choice choices[] = {
                {"libmp3lame", "mp3"},
                {"mp2", "mp2"},
                {"pcm_s16le", "wav"},
            };
            for (const Choice& c : choices)
            {
                if (avcodec_find_encoder_by_name(c.encoder))
                    return c;
            }
            return {nullptr, nullptr};
        }

        struct OutputCloser
        {
            void operator()(AVFormatContext* c) const
            {
                if (c->pb)
                    avio_closep(&c->pb);
                avformat_free_context(c);
            }
        };
        struct CodecCloser { void operator()(AVCodecContext* c) const { avcodec_free_context(&c); } };
        struct SwrCloser { void operator()(SwrContext* c) const { swr_free(&c); } };
        struct FrameCloser { void operator()(AVFrame* f) const { av_frame_free(&f); } };
        struct PacketCloser { void operator()(AVPacket* p) const { av_packet_free(&p); } };
    }

    const char* PreferredEncoder()
    {
        return PickEncoder().encoder;
    }

    bool EncodeFile(const std::string& aPath, const int16_t* someSamples, uint32_t aFrameCount,
                    uint32_t aChannels, uint32_t aRate)
    {
        const Choice choice = PickEncoder();
        if (!choice.encoder || (aChannels != 1 && aChannels != 2) || aRate == 0 || (!someSamples && aFrameCount))
            return false;
        const AVCodec* codec = avcodec_find_encoder_by_name(choice.encoder);

        AVFormatContext* rawOutput = nullptr;
        if (avformat_alloc_output_context2(&rawOutput, nullptr, choice.muxer, aPath.c_str()) < 0 || !rawOutput)
            return false;
        std::unique_ptr<AVFormatContext, OutputCloser> output(rawOutput);

        std::unique_ptr<AVCodecContext, CodecCloser> context(avcodec_alloc_context3(codec));
        if (!context)
            return false;
        context->sample_rate = static_cast<int>(aRate);
        av_channel_layout_default(&context->ch_layout, static_cast<int>(aChannels));
        context->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        context->bit_rate = aChannels == 2 ? 192000 : 96000;
        context->time_base = AVRational{1, static_cast<int>(aRate)};
        if (output->oformat->flags & AVFMT_GLOBALHEADER)
            context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(context.get(), codec, nullptr) < 0)
            return false;

        AVStream* stream = avformat_new_stream(output.get(), nullptr);
        if (!stream || avcodec_parameters_from_context(stream->codecpar, context.get()) < 0)
            return false;
        stream->time_base = context->time_base;
        if (avio_open(&output->pb, aPath.c_str(), AVIO_FLAG_WRITE) < 0)
            return false;
        if (avformat_write_header(output.get(), nullptr) < 0)
            return false;

        SwrContext* rawSwr = nullptr;
        if (swr_alloc_set_opts2(&rawSwr, &context->ch_layout, context->sample_fmt, context->sample_rate,
                                &context->ch_layout, AV_SAMPLE_FMT_S16, context->sample_rate, 0, nullptr) < 0)
            return false;
        std::unique_ptr<SwrContext, SwrCloser> swr(rawSwr);
        if (swr_init(swr.get()) < 0)
            return false;

        std::unique_ptr<AVFrame, FrameCloser> frame(av_frame_alloc());
        std::unique_ptr<AVPacket, PacketCloser> packet(av_packet_alloc());
        if (!frame || !packet)
            return false;

        auto writePackets = [&]() -> bool {
            for (;;)
            {
                const int r = avcodec_receive_packet(context.get(), packet.get());
                if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                    return true;
                if (r < 0)
                    return false;
                av_packet_rescale_ts(packet.get(), context->time_base, stream->time_base);
                packet->stream_index = stream->index;
                if (av_interleaved_write_frame(output.get(), packet.get()) < 0)
                    return false;
            }
        };

        // Fixed-size frames; the last one is padded with silence, which every encoder accepts.
        const uint32_t frameSize = context->frame_size > 0 ? static_cast<uint32_t>(context->frame_size) : 1024;
        std::vector<int16_t> chunk(static_cast<size_t>(frameSize) * aChannels);
        for (uint32_t done = 0; done < aFrameCount; done += frameSize)
        {
            const uint32_t count = std::min(frameSize, aFrameCount - done);
            std::fill(chunk.begin(), chunk.end(), int16_t{0});
            std::memcpy(chunk.data(), someSamples + static_cast<size_t>(done) * aChannels,
                        static_cast<size_t>(count) * aChannels * sizeof(int16_t));

            av_frame_unref(frame.get());
            frame->nb_samples = static_cast<int>(frameSize);
            frame->format = context->sample_fmt;
            frame->sample_rate = context->sample_rate;
            if (av_channel_layout_copy(&frame->ch_layout, &context->ch_layout) < 0 ||
                av_frame_get_buffer(frame.get(), 0) < 0)
                return false;
            const uint8_t* input = reinterpret_cast<const uint8_t*>(chunk.data());
            if (swr_convert(swr.get(), frame->data, static_cast<int>(frameSize), &input, static_cast<int>(frameSize)) < 0)
                return false;
            frame->pts = done;
            if (avcodec_send_frame(context.get(), frame.get()) < 0 || !writePackets())
                return false;
        }
        if (avcodec_send_frame(context.get(), nullptr) < 0 || !writePackets())
            return false;
        return av_write_trailer(output.get()) >= 0;
    }
}
