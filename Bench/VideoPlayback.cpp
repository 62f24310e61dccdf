// Plays a generated 1280 x 720, 25 fps, 10 s H.264 video through Kiln::Video::Update
// (decode, RGBA conversion, upload into the frame texture), beside decoding the same file
// with libavcodec alone into nothing, on as many decoder threads as the player uses. Prints
// both frame rates and their ratio: the share of the decoder's own speed that playback keeps.
#include "forge/graphics/DX11.h"
#include "forge/video/Video.h"
#include "forge/video/VideoPlayer.h"

#include "Platform/gpu/Gpu.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <unistd.h>

namespace
{
    constexpr int Width = 1280;
    constexpr int Height = 720;
    constexpr int FrameRate = 25;
    constexpr int FrameCount = FrameRate * 10;

    // Soft moving gradients with a drifting grid: enough detail and motion that the encoder
    // makes ordinary P and B frames, as in a real cutscene.
    void Draw(AVFrame* aFrame, int aIndex)
    {
        for (int y = 0; y < Height; ++y)
        {
            std::uint8_t* line = aFrame->data[0] + y * aFrame->linesize[0];
            for (int x = 0; x < Width; ++x)
            {
                const double v = 0.5 + 0.25 * std::sin((x + aIndex * 6) * 0.013) + 0.25 * std::sin((y - aIndex * 3) * 0.021 + x * 0.004);
                const bool grid = ((x + aIndex * 2) % 64 < 2) || ((y + aIndex) % 48 < 2);
                line[x] = static_cast<std::uint8_t>(grid ? 235 : 16 + v * 200);
            }
        }
        for (int y = 0; y < Height / 2; ++y)
        {
            for (int x = 0; x < Width / 2; ++x)
            {
                aFrame->data[1][y * aFrame->linesize[1] + x] = static_cast<std::uint8_t>(128 + 60 * std::sin((x + aIndex * 4) * 0.02));
                aFrame->data[2][y * aFrame->linesize[2] + x] = static_cast<std::uint8_t>(128 + 60 * std::cos((y + aIndex * 2) * 0.03));
            }
        }
    }

    bool WriteBenchVideo(const std::string& aPath)
    {
        const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
        AVFormatContext* format = nullptr;
        if (codec == nullptr || avformat_alloc_output_context2(&format, nullptr, nullptr, aPath.c_str()) < 0)
        {
            return false;
        }
        AVCodecContext* context = avcodec_alloc_context3(codec);
        context->width = Width;
        context->height = Height;
        context->pix_fmt = AV_PIX_FMT_YUV420P;
        context->time_base = { 1, FrameRate };
        context->framerate = { FrameRate, 1 };
        context->gop_size = 50;
        av_opt_set(context->priv_data, "preset", "veryfast", 0);
        av_opt_set(context->priv_data, "crf", "23", 0);
        if (format->oformat->flags & AVFMT_GLOBALHEADER) context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVStream* stream = avformat_new_stream(format, nullptr);
        AVFrame* frame = av_frame_alloc();
        AVPacket* packet = av_packet_alloc();
        bool ok = avcodec_open2(context, codec, nullptr) >= 0;
        if (ok)
        {
            stream->time_base = context->time_base;
            avcodec_parameters_from_context(stream->codecpar, context);
            frame->format = AV_PIX_FMT_YUV420P;
            frame->width = Width;
            frame->height = Height;
            ok = av_frame_get_buffer(frame, 0) >= 0 && avio_open(&format->pb, aPath.c_str(), AVIO_FLAG_WRITE) >= 0
                && avformat_write_header(format, nullptr) >= 0;
        }
        for (int i = 0; ok && i <= FrameCount; ++i)
        {
            AVFrame* input = nullptr;
            if (i < FrameCount)
            {
                ok = av_frame_make_writable(frame) >= 0;
                Draw(frame, i);
                frame->pts = i;
                input = frame;
            }
            ok = ok && avcodec_send_frame(context, input) >= 0;
            while (ok && avcodec_receive_packet(context, packet) == 0)
            {
                if (packet->duration == 0) packet->duration = 1;
                av_packet_rescale_ts(packet, context->time_base, stream->time_base);
                packet->stream_index = stream->index;
                ok = av_interleaved_write_frame(format, packet) >= 0;
            }
        }
        ok = ok && av_write_trailer(format) >= 0;
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
        if (format->pb != nullptr) avio_closep(&format->pb);
        avformat_free_context(format);
        return ok;
    }

    bool theVideoWritten = false;

    const std::string& BenchVideo()
    {
        static const std::string path = [] {
            const auto folder = std::filesystem::temp_directory_path() / ("kiln_bench_video_" + std::to_string(getpid()));
            std::filesystem::create_directories(folder);
            const std::string file = (folder / "bench_720p.mp4").string();
            if (!WriteBenchVideo(file))
            {
                std::fprintf(stderr, "could not write %s\n", file.c_str());
                std::exit(1);
            }
            theVideoWritten = true;
            return file;
        }();
        return path;
    }

    // One hidden window and GL device, published as the engine's device handles.
    struct Gpu
    {
        SDL_Window* window = nullptr;
        std::shared_ptr<Plat::Gpu::SwapChain> swapChain;
        std::shared_ptr<Plat::Gpu::Device> device;
        std::shared_ptr<Plat::Gpu::DeviceContext> context;

        bool Start()
        {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
            Plat::Gpu::PrepareWindowCreation();
            window = SDL_CreateWindow("bench", 0, 0, 64, 64, Plat::Gpu::WindowCreationFlags() | SDL_WINDOW_HIDDEN);
            Plat::Gpu::SwapChainDesc desc;
            desc.outputWindow = window;
            if (window == nullptr || !Plat::Gpu::CreateDeviceAndSwapChain(nullptr, desc, &swapChain, &device, &context)) return false;
            Kiln::DX11::Device = device.get();
            Kiln::DX11::Context = context.get();
            return true;
        }

        void Stop()
        {
            Kiln::DX11::Device = nullptr;
            Kiln::DX11::Context = nullptr;
            context.reset();
            device.reset();
            swapChain.reset();
            if (window != nullptr) SDL_DestroyWindow(window);
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    };

    void KilnVideoUpdate(benchmark::State& aState)
    {
        const std::string& path = BenchVideo();
        Gpu gpu;
        if (!gpu.Start())
        {
            aState.SkipWithError("no GL device");
            return;
        }
        std::int64_t frames = 0;
        for (auto _ : aState)
        {
            aState.PauseTiming();
            {
                Kiln::Video video;
                if (!video.Init(path.c_str(), false))
                {
                    aState.SkipWithError("Init failed");
                    break;
                }
                video.Play(false);
                aState.ResumeTiming();
                // A little over one period per call: one decoded and uploaded frame each.
                while (video.GetStatus() != Kiln::Video::Ended)
                {
                    video.Update(1.0f / FrameRate + 1e-4f);
                }
                frames += video.GetPlayer()->GetFramesConverted();
                aState.PauseTiming();
            }
            aState.ResumeTiming();
        }
        aState.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
        gpu.Stop();
    }

    void LibavcodecDecodeOnly(benchmark::State& aState)
    {
        const std::string& path = BenchVideo();
        std::int64_t frames = 0;
        for (auto _ : aState)
        {
            aState.PauseTiming();
            AVFormatContext* format = nullptr;
            if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0 || avformat_find_stream_info(format, nullptr) < 0)
            {
                aState.SkipWithError("cannot open the video");
                break;
            }
            const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
            const AVCodec* decoder = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
            AVCodecContext* context = avcodec_alloc_context3(decoder);
            avcodec_parameters_to_context(context, format->streams[index]->codecpar);
            // The player's decoder threads, so the ratio compares like with like.
            context->thread_count = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
            context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
            avcodec_open2(context, decoder, nullptr);
            AVPacket* packet = av_packet_alloc();
            AVFrame* frame = av_frame_alloc();
            aState.ResumeTiming();

            while (av_read_frame(format, packet) >= 0)
            {
                if (packet->stream_index == index && avcodec_send_packet(context, packet) >= 0)
                {
                    while (avcodec_receive_frame(context, frame) == 0) ++frames;
                }
                av_packet_unref(packet);
            }
            avcodec_send_packet(context, nullptr);
            while (avcodec_receive_frame(context, frame) == 0) ++frames;

            aState.PauseTiming();
            av_frame_free(&frame);
            av_packet_free(&packet);
            avcodec_free_context(&context);
            avformat_close_input(&format);
            aState.ResumeTiming();
        }
        aState.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    }

    // Keeps each run's frame rate for the closing comparison.
    class RateReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns(const std::vector<Run>& someRuns) override
        {
            for (const Run& run : someRuns)
            {
                const auto found = run.counters.find("frames_per_second");
                if (found != run.counters.end() && !run.error_occurred)
                {
                    rates[run.run_name.function_name] = found->second.value;
                }
            }
            ConsoleReporter::ReportRuns(someRuns);
        }

        std::map<std::string, double> rates;
    };
}

BENCHMARK(KilnVideoUpdate)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(LibavcodecDecodeOnly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    av_log_set_level(AV_LOG_ERROR);
    benchmark::Initialize(&argc, argv);
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto ours = reporter.rates.find("KilnVideoUpdate");
    const auto peer = reporter.rates.find("LibavcodecDecodeOnly");
    if (ours != reporter.rates.end() && peer != reporter.rates.end() && peer->second > 0.0)
    {
        std::printf("\n1280x720 25 fps H.264, 10 s:\n");
        std::printf("  Kiln::Video::Update (decode + RGBA + upload): %8.1f frames/s\n", ours->second);
        std::printf("  libavcodec decode only, same threads:         %8.1f frames/s\n", peer->second);
        std::printf("  ratio (Kiln / libavcodec):                    %8.3f\n", ours->second / peer->second);
    }
    if (theVideoWritten)
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(BenchVideo()).parent_path(), ignored);
    }
    return 0;
}
