// Writes the game's videos and their soundtracks into <output folder>:
//   VID_VT58.mp4, VID_Intro.mp4, VID_Outro.mp4 (4 s, 320 x 180, 25 fps, H.264 or MPEG-4)
//   VID_Intro_Sound.mp3, VID_Outro_Sound.mp3 (4 s, 44,100 Hz stereo)
// Each picture shows colour bars sliding sideways, the video's name and a frame counter,
// so a cutscene visibly plays. Usage: tool_MakeGameVideos <output folder>
extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace
{
    constexpr int Width = 320;
    constexpr int Height = 180;
    constexpr int FrameRate = 25;
    constexpr int Seconds = 4;
    constexpr int SampleRate = 44100;

    struct Rgb
    {
        int r, g, b;
    };

    // 5 x 7 glyphs, one string of 7 rows of 5 columns each.
    const char* Glyph(char aCharacter)
    {
        switch (aCharacter)
        {
        case '0': return " ### #   ##  ### # ###  ##   # ### ";
        case '1': return "  #   ##    #    #    #    #   ### ";
        case '2': return " ### #   #    #   #   #   #   #####";
        case '3': return "#####   #   #     #     ##   # ### ";
        case '4': return "   #   ##  # # #  # #####   #    # ";
        case '5': return "######    ####     #    ##   # ### ";
        case '6': return "  ##  #   #    #### #   ##   # ### ";
        case '7': return "#####    #   #   #   #    #    #   ";
        case '8': return " ### #   ##   # ### #   ##   # ### ";
        case '9': return " ### #   ##   # ####    #   #  ##  ";
        case 'I': return " ###   #    #    #    #    #   ### ";
        case 'N': return "#   ###  ## # ##  ###   ##   ##   #";
        case 'T': return "#####  #    #    #    #    #    #  ";
        case 'R': return "#### #   ##   ##### # #  #  # #   #";
        case 'O': return " ### #   ##   ##   ##   ##   # ### ";
        case 'U': return "#   ##   ##   ##   ##   ##   # ### ";
        case 'V': return "#   ##   ##   ##   ##   # # #   #  ";
        default: return nullptr;
        }
    }

    struct Picture
    {
        std::vector<Rgb> pixels = std::vector<Rgb>(static_cast<std::size_t>(Width * Height));

        void Put(int aX, int aY, Rgb aColour)
        {
            if (aX >= 0 && aY >= 0 && aX < Width && aY < Height)
            {
                pixels[static_cast<std::size_t>(aY * Width + aX)] = aColour;
            }
        }

        void Text(const std::string& aText, int aX, int aY, int aScale, Rgb aColour)
        {
            for (char character : aText)
            {
                if (const char* glyph = Glyph(character))
                {
                    for (int row = 0; row < 7; ++row)
                        for (int column = 0; column < 5; ++column)
                            if (glyph[row * 5 + column] == '#')
                                for (int dy = 0; dy < aScale; ++dy)
                                    for (int dx = 0; dx < aScale; ++dx)
                                        Put(aX + column * aScale + dx, aY + row * aScale + dy, aColour);
                }
                aX += 6 * aScale;
            }
        }
    };

    void Draw(Picture& aPicture, const std::string& aTitle, int aFrame, int aDirection, Rgb aBackground)
    {
        static const std::array<Rgb, 7> bars{ { { 235, 235, 235 }, { 235, 235, 16 }, { 16, 235, 235 }, { 16, 235, 16 },
                                               { 235, 16, 235 }, { 235, 16, 16 }, { 16, 16, 235 } } };
        const int barWidth = Width / 7 + 1;
        const int shift = aDirection * aFrame * 4;
        for (int y = 0; y < Height; ++y)
        {
            for (int x = 0; x < Width; ++x)
            {
                Rgb colour = aBackground;
                if (y < Height * 2 / 3)
                {
                    const int index = (((x + shift) % (barWidth * 7)) + barWidth * 7) % (barWidth * 7) / barWidth;
                    colour = bars[static_cast<std::size_t>(index)];
                }
                aPicture.Put(x, y, colour);
            }
        }
        aPicture.Text(aTitle, 8, Height * 2 / 3 + 8, 3, { 255, 255, 255 });
        char counter[16];
        std::snprintf(counter, sizeof counter, "%03d", aFrame);
        aPicture.Text(counter, Width - 8 - 3 * 6 * 3, Height * 2 / 3 + 8, 3, { 255, 255, 0 });
    }

    void ToYuv(const Picture& aPicture, AVFrame* aFrame)
    {
        for (int y = 0; y < Height; ++y)
        {
            for (int x = 0; x < Width; ++x)
            {
                const Rgb& p = aPicture.pixels[static_cast<std::size_t>(y * Width + x)];
                aFrame->data[0][y * aFrame->linesize[0] + x] = static_cast<std::uint8_t>(16 + (66 * p.r + 129 * p.g + 25 * p.b + 128) / 256);
            }
        }
        for (int y = 0; y < Height / 2; ++y)
        {
            for (int x = 0; x < Width / 2; ++x)
            {
                const Rgb& p = aPicture.pixels[static_cast<std::size_t>(2 * y * Width + 2 * x)];
                aFrame->data[1][y * aFrame->linesize[1] + x] = static_cast<std::uint8_t>(128 + (-38 * p.r - 74 * p.g + 112 * p.b + 128) / 256);
                aFrame->data[2][y * aFrame->linesize[2] + x] = static_cast<std::uint8_t>(128 + (112 * p.r - 94 * p.g - 18 * p.b + 128) / 256);
            }
        }
    }

    // One encoder feeding one muxer stream.
    class Output
    {
    public:
        ~Output()
        {
            av_packet_free(&myPacket);
            avcodec_free_context(&myCodec);
            if (myFormat != nullptr)
            {
                if (myFormat->pb != nullptr) avio_closep(&myFormat->pb);
                avformat_free_context(myFormat);
            }
        }

        bool Begin(const std::filesystem::path& aPath, AVCodecContext* aCodec)
        {
            myCodec = aCodec;
            myPacket = av_packet_alloc();
            if (avformat_alloc_output_context2(&myFormat, nullptr, nullptr, aPath.c_str()) < 0 || myPacket == nullptr)
            {
                return false;
            }
            if (myFormat->oformat->flags & AVFMT_GLOBALHEADER)
            {
                myCodec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            }
            if (avcodec_open2(myCodec, myCodec->codec, nullptr) < 0)
            {
                return false;
            }
            myStream = avformat_new_stream(myFormat, nullptr);
            if (myStream == nullptr)
            {
                return false;
            }
            myStream->time_base = myCodec->time_base;
            avcodec_parameters_from_context(myStream->codecpar, myCodec);
            return avio_open(&myFormat->pb, aPath.c_str(), AVIO_FLAG_WRITE) >= 0
                && avformat_write_header(myFormat, nullptr) >= 0;
        }

        bool Send(AVFrame* aFrame, std::int64_t aDuration)
        {
            if (avcodec_send_frame(myCodec, aFrame) < 0)
            {
                return false;
            }
            for (;;)
            {
                const int result = avcodec_receive_packet(myCodec, myPacket);
                if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
                if (result < 0) return false;
                if (myPacket->duration == 0) myPacket->duration = aDuration;
                av_packet_rescale_ts(myPacket, myCodec->time_base, myStream->time_base);
                myPacket->stream_index = myStream->index;
                if (av_interleaved_write_frame(myFormat, myPacket) < 0) return false;
            }
        }

        bool End(std::int64_t aDuration)
        {
            return Send(nullptr, aDuration) && av_write_trailer(myFormat) >= 0;
        }

    private:
        AVFormatContext* myFormat = nullptr;
        AVCodecContext* myCodec = nullptr;
        AVStream* myStream = nullptr;
        AVPacket* myPacket = nullptr;
    };

    bool WriteVideo(const std::filesystem::path& aPath, const std::string& aTitle, int aDirection, Rgb aBackground)
    {
        const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
        if (codec == nullptr) codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
        if (codec == nullptr) return false;
        AVCodecContext* context = avcodec_alloc_context3(codec);
        context->width = Width;
        context->height = Height;
        context->pix_fmt = AV_PIX_FMT_YUV420P;
        context->time_base = { 1, FrameRate };
        context->framerate = { FrameRate, 1 };
        context->gop_size = FrameRate;
        context->bit_rate = 800000;
        if (codec->id == AV_CODEC_ID_H264)
        {
            av_opt_set(context->priv_data, "preset", "veryfast", 0);
            av_opt_set(context->priv_data, "crf", "20", 0);
        }
        Output output;
        if (!output.Begin(aPath, context)) return false;

        AVFrame* frame = av_frame_alloc();
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = Width;
        frame->height = Height;
        bool ok = av_frame_get_buffer(frame, 0) >= 0;
        Picture picture;
        for (int i = 0; ok && i < FrameRate * Seconds; ++i)
        {
            ok = av_frame_make_writable(frame) >= 0;
            Draw(picture, aTitle, i, aDirection, aBackground);
            ToYuv(picture, frame);
            frame->pts = i;
            ok = ok && output.Send(frame, 1);
        }
        av_frame_free(&frame);
        return ok && output.End(1);
    }

    // A short tune of sine notes with a soft attack and release.
    bool WriteSoundtrack(const std::filesystem::path& aPath, const std::vector<double>& someNotes)
    {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP3);
        if (codec == nullptr) return false;
        AVCodecContext* context = avcodec_alloc_context3(codec);
        context->sample_fmt = AV_SAMPLE_FMT_FLTP;
        context->sample_rate = SampleRate;
        context->bit_rate = 128000;
        context->time_base = { 1, SampleRate };
        const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        av_channel_layout_copy(&context->ch_layout, &stereo);
        Output output;
        if (!output.Begin(aPath, context)) return false;

        AVFrame* frame = av_frame_alloc();
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = SampleRate;
        frame->nb_samples = context->frame_size > 0 ? context->frame_size : 1152;
        av_channel_layout_copy(&frame->ch_layout, &stereo);
        bool ok = av_frame_get_buffer(frame, 0) >= 0;
        const std::int64_t total = static_cast<std::int64_t>(SampleRate) * Seconds;
        const double noteLength = static_cast<double>(Seconds) / static_cast<double>(someNotes.size());
        for (std::int64_t first = 0; ok && first < total; first += frame->nb_samples)
        {
            ok = av_frame_make_writable(frame) >= 0;
            for (int i = 0; ok && i < frame->nb_samples; ++i)
            {
                const double t = static_cast<double>(first + i) / SampleRate;
                const auto note = std::min(someNotes.size() - 1, static_cast<std::size_t>(t / noteLength));
                const double inNote = t - static_cast<double>(note) * noteLength;
                const double envelope = std::min({ 1.0, inNote * 20.0, (noteLength - inNote) * 8.0 });
                const double value = t < Seconds ? 0.3 * envelope * std::sin(2.0 * std::numbers::pi * someNotes[note] * t) : 0.0;
                reinterpret_cast<float*>(frame->extended_data[0])[i] = static_cast<float>(value);
                reinterpret_cast<float*>(frame->extended_data[1])[i] = static_cast<float>(value);
            }
            frame->pts = first;
            ok = ok && output.Send(frame, frame->nb_samples);
        }
        av_frame_free(&frame);
        return ok && output.End(0);
    }
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    av_log_set_level(AV_LOG_ERROR);
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    struct Job
    {
        const char* name;
        bool ok;
    };
    const Job jobs[] = {
        { "VID_VT58.mp4", WriteVideo(folder / "VID_VT58.mp4", "VT58", 1, { 40, 40, 90 }) },
        { "VID_Intro.mp4", WriteVideo(folder / "VID_Intro.mp4", "INTRO", -1, { 20, 70, 40 }) },
        { "VID_Outro.mp4", WriteVideo(folder / "VID_Outro.mp4", "OUTRO", 1, { 90, 30, 30 }) },
        { "VID_Intro_Sound.mp3", WriteSoundtrack(folder / "VID_Intro_Sound.mp3", { 261.63, 329.63, 392.0, 523.25 }) },
        { "VID_Outro_Sound.mp3", WriteSoundtrack(folder / "VID_Outro_Sound.mp3", { 523.25, 392.0, 329.63, 261.63 }) },
    };
    int failures = 0;
    for (const Job& job : jobs)
    {
        if (!job.ok)
        {
            std::fprintf(stderr, "MakeGameVideos: could not write %s\n", (folder / job.name).c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
