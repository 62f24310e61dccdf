// Mixing 30 voices (3 channels each of 10 clips) for one second of 44.1 kHz stereo
// output: our sound library beside SDL_mixer playing the same decoded clips.
//
// Both run through an SDL audio device on SDL's disk driver writing to /dev/null with no
// delay, so each is timed by how fast its device callback produces one second of
// output. BM_KilnMixInto also times our mixer called directly.
#include "Platform/soundlib/Decoder.h"
#include "Platform/soundlib/Encoder.h"
#include "Platform/soundlib/SoundLib.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
namespace S = Plat::Sound;

namespace
{
    constexpr uint32_t kRate = 44100;
    constexpr int kClipCount = 10;
    constexpr int kChannelsPerClip = 3;
    constexpr uint16_t kDeviceFrames = 1024;
    constexpr float kVolume = 0.5f;

    struct Clips
    {
        std::vector<std::string> paths;
        std::vector<std::vector<int16_t>> decoded;
    };

    // Ten tones of 0.5 to 1.4 s, written as MP3 and decoded once, as the game's clips are.
    const Clips& TheClips()
    {
        static const Clips clips = [] {
            Clips c;
            const fs::path folder = fs::temp_directory_path() / ("kiln_bench_audio_" + std::to_string(::getpid()));
            fs::create_directories(folder);
            for (int i = 0; i < kClipCount; ++i)
            {
                const double seconds = 0.5 + 0.1 * i;
                const size_t frames = static_cast<size_t>(seconds * kRate);
                std::vector<int16_t> pcm(frames * 2);
                for (size_t f = 0; f < frames; ++f)
                {
                    const double t = static_cast<double>(f) / kRate;
                    pcm[f * 2] = static_cast<int16_t>(6000 * std::sin(2 * std::numbers::pi * (220 + 40 * i) * t));
                    pcm[f * 2 + 1] = static_cast<int16_t>(6000 * std::sin(2 * std::numbers::pi * (330 + 40 * i) * t));
                }
                const fs::path path = folder / ("clip" + std::to_string(i) + ".mp3");
                if (!S::EncodeFile(path.string(), pcm.data(), static_cast<uint32_t>(frames), 2, kRate))
                    std::abort();
                c.paths.push_back(path.string());
                c.decoded.push_back(S::DecodeFile(path.string(), kRate).samples);
            }
            return c;
        }();
        return clips;
    }

    // Loads the clips into our library and starts every voice, looping at kVolume.
    void StartOurVoices()
    {
        for (const std::string& path : TheClips().paths)
        {
            const S::HSAMPLE sample = S::SampleLoad(0, path.c_str(), 0, 0, kChannelsPerClip, S::SAMPLE_LOOP);
            for (int c = 0; c < kChannelsPerClip; ++c)
            {
                const S::HCHANNEL channel = S::SampleGetChannel(sample, 1);
                S::ChannelSetAttribute(channel, S::ATTRIB_VOL, kVolume);
                S::ChannelPlay(channel, 0);
            }
        }
    }

    // Waits until a device callback has produced one more second of frames.
    void WaitForOneSecond(const std::atomic<uint64_t>& aFrames)
    {
        const uint64_t target = aFrames.load() + kRate;
        while (aFrames.load() < target)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
    }

    void BM_KilnMixInto(benchmark::State& aState)
    {
        S::Init(S::DEVICE_NONE, kRate, 0, nullptr, nullptr);
        StartOurVoices();
        std::vector<int16_t> out(kRate * 2);
        for (auto _ : aState)
        {
            S::MixInto(out.data(), kRate);
            benchmark::DoNotOptimize(out.data());
        }
        S::Free();
        aState.counters["voices"] = kClipCount * kChannelsPerClip;
    }

    std::atomic<uint64_t> gKilnFrames{0};

    void SDLCALL KilnCallback(void*, Uint8* aStream, int aLength)
    {
        // What our device's own callback does: mix every voice into the stream.
        S::MixInto(reinterpret_cast<int16_t*>(aStream), static_cast<S::DWORD>(aLength / 4));
        gKilnFrames += static_cast<uint64_t>(aLength / 4);
    }

    void BM_KilnDevice(benchmark::State& aState)
    {
        S::Init(S::DEVICE_NONE, kRate, 0, nullptr, nullptr);
        StartOurVoices();
        SDL_InitSubSystem(SDL_INIT_AUDIO);
        SDL_AudioSpec wanted{};
        wanted.freq = kRate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 2;
        wanted.samples = kDeviceFrames;
        wanted.callback = KilnCallback;
        const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (!device)
        {
            aState.SkipWithError(SDL_GetError());
            S::Free();
            return;
        }
        SDL_PauseAudioDevice(device, 0);
        for (auto _ : aState)
            WaitForOneSecond(gKilnFrames);
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        S::Free();
        aState.counters["voices"] = kClipCount * kChannelsPerClip;
    }

    std::atomic<uint64_t> gMixerFrames{0};

    void SDLCALL CountMixed(void*, Uint8*, int aLength)
    {
        gMixerFrames += static_cast<uint64_t>(aLength / 4);
    }

    void BM_SdlMixerDevice(benchmark::State& aState)
    {
        SDL_InitSubSystem(SDL_INIT_AUDIO);
        if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, 2, kDeviceFrames, nullptr, 0) != 0)
        {
            aState.SkipWithError(Mix_GetError());
            return;
        }
        Mix_AllocateChannels(kClipCount * kChannelsPerClip);
        std::vector<Mix_Chunk*> chunks;
        int channel = 0;
        for (const std::vector<int16_t>& data : TheClips().decoded)
        {
            Mix_Chunk* chunk = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(const_cast<int16_t*>(data.data())),
                                                 static_cast<Uint32>(data.size() * sizeof(int16_t)));
            chunks.push_back(chunk);
            for (int c = 0; c < kChannelsPerClip; ++c, ++channel)
            {
                Mix_Volume(channel, static_cast<int>(kVolume * MIX_MAX_VOLUME));
                Mix_PlayChannel(channel, chunk, -1);
            }
        }
        Mix_SetPostMix(CountMixed, nullptr);
        for (auto _ : aState)
            WaitForOneSecond(gMixerFrames);
        Mix_SetPostMix(nullptr, nullptr);
        Mix_HaltChannel(-1);
        for (Mix_Chunk* chunk : chunks)
            Mix_FreeChunk(chunk);
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        aState.counters["voices"] = kClipCount * kChannelsPerClip;
    }

    BENCHMARK(BM_KilnMixInto)->Unit(benchmark::kMillisecond)->UseRealTime();
    BENCHMARK(BM_KilnDevice)->Unit(benchmark::kMillisecond)->UseRealTime();
    BENCHMARK(BM_SdlMixerDevice)->Unit(benchmark::kMillisecond)->UseRealTime();

    // Prints the two device runs side by side as a ratio.
    class RatioReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns(const std::vector<Run>& someRuns) override
        {
            ConsoleReporter::ReportRuns(someRuns);
            for (const Run& run : someRuns)
            {
                const std::string name = run.benchmark_name();
                if (name.find("BM_KilnDevice") != std::string::npos)
                    myOurs = run.GetAdjustedRealTime();
                if (name.find("BM_SdlMixerDevice") != std::string::npos)
                    myPeer = run.GetAdjustedRealTime();
            }
        }

        void Finalize() override
        {
            ConsoleReporter::Finalize();
            if (myOurs > 0 && myPeer > 0)
                std::printf("\nOne second of 30 voices: ours %.2f ms, SDL_mixer %.2f ms; ours / SDL_mixer = %.2f\n",
                            myOurs, myPeer, myOurs / myPeer);
        }

    private:
        double myOurs = 0;
        double myPeer = 0;
    };
}

int main(int argc, char** argv)
{
    // A device that runs as fast as it is fed, writing nowhere.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    TheClips();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(fs::temp_directory_path() / ("kiln_bench_audio_" + std::to_string(::getpid())), ec);
    return 0;
}
