#include "Support/SoundFixtures.h"

#include "Sound.h"

#include "forge/settings/Settings.h"

#include "Platform/soundlib/Encoder.h"
#include "Platform/soundlib/SoundLib.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>

namespace TestSupport
{
    void LoadGameSoundBank()
    {
        // The asset roots again each time: a started engine's teardown resets them.
        Kiln::LoadSettings("Game.json");
        static const bool loaded = [] {
            Sound::GetInstance().Init();
            return true;
        }();
        (void)loaded;
    }

    std::filesystem::path MakeScratchFolder(const std::string& aName)
    {
        static std::atomic<int> counter{0};
        const auto folder = std::filesystem::temp_directory_path() /
                            ("kiln_" + aName + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        return folder;
    }

    std::vector<int16_t> MakeTone(double aFrequency, double aSeconds, int16_t anAmplitude, uint32_t aRate)
    {
        const size_t frames = static_cast<size_t>(aSeconds * aRate);
        std::vector<int16_t> out(frames * 2);
        for (size_t i = 0; i < frames; ++i)
        {
            const double v = anAmplitude * std::sin(2.0 * std::numbers::pi * aFrequency * static_cast<double>(i) / aRate);
            out[i * 2] = out[i * 2 + 1] = static_cast<int16_t>(std::lround(v));
        }
        return out;
    }

    bool WriteClip(const std::filesystem::path& aPath, const std::vector<int16_t>& someStereo, uint32_t aRate)
    {
        return Plat::Sound::EncodeFile(aPath.string(), someStereo.data(), static_cast<uint32_t>(someStereo.size() / 2), 2, aRate);
    }

    void WriteBytes(const std::filesystem::path& aPath, const std::string& someBytes)
    {
        std::ofstream(aPath, std::ios::binary).write(someBytes.data(), static_cast<std::streamsize>(someBytes.size()));
    }

    std::string ReadBytes(const std::filesystem::path& aPath)
    {
        std::ifstream in(aPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::vector<int16_t> Scaled(const std::vector<int16_t>& someSamples, float aVolume)
    {
        std::vector<int16_t> out(someSamples.size());
        for (size_t i = 0; i < someSamples.size(); ++i)
        {
            const float v = std::nearbyint(static_cast<float>(someSamples[i]) * aVolume);
            out[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
        }
        return out;
    }

    int64_t FindFrames(const std::vector<int16_t>& aHaystack, const std::vector<int16_t>& aNeedle,
                       uint32_t aFrames, int aTolerance, int64_t aFrom)
    {
        const size_t needleSamples = std::min<size_t>(static_cast<size_t>(aFrames) * 2, aNeedle.size());
        if (needleSamples == 0 || aHaystack.size() < needleSamples)
            return -1;
        const size_t lastStart = (aHaystack.size() - needleSamples) / 2;
        for (size_t frame = static_cast<size_t>(std::max<int64_t>(aFrom, 0)); frame <= lastStart; ++frame)
        {
            size_t i = 0;
            while (i < needleSamples && std::abs(aHaystack[frame * 2 + i] - aNeedle[i]) <= aTolerance)
                ++i;
            if (i == needleSamples)
                return static_cast<int64_t>(frame);
        }
        return -1;
    }

    std::vector<int16_t> Mix(uint32_t aFrames)
    {
        std::vector<int16_t> out(static_cast<size_t>(aFrames) * 2);
        EXPECT_TRUE(Plat::Sound::MixInto(out.data(), aFrames));
        return out;
    }

    int PeakOf(const std::vector<int16_t>& someSamples, size_t aBegin, size_t anEnd)
    {
        int peak = 0;
        for (size_t i = aBegin; i < std::min(anEnd, someSamples.size()); ++i)
            peak = std::max(peak, std::abs(static_cast<int>(someSamples[i])));
        return peak;
    }
}
