#pragma once
// Sound clips made at test time, unique scratch folders, and searching mixed output.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace TestSupport
{
    // A fresh empty folder under the system temp folder, unique per process and call.
    std::filesystem::path MakeScratchFolder(const std::string& aName);

    // Interleaved 16-bit stereo: a sine of aFrequency Hz, aSeconds long, same on both sides.
    std::vector<int16_t> MakeTone(double aFrequency, double aSeconds, int16_t anAmplitude, uint32_t aRate = 44100);

    // Encodes stereo PCM to aPath (MP3 when FFmpeg has an MP3 encoder); false on failure.
    bool WriteClip(const std::filesystem::path& aPath, const std::vector<int16_t>& someStereo, uint32_t aRate = 44100);

    // Writes raw bytes (for damaged or non-audio files).
    void WriteBytes(const std::filesystem::path& aPath, const std::string& someBytes);
    std::string ReadBytes(const std::filesystem::path& aPath);

    // Interleaved stereo samples scaled by aVolume and rounded, as the mixer does for one channel.
    std::vector<int16_t> Scaled(const std::vector<int16_t>& someSamples, float aVolume);

    // The first frame offset in aHaystack at or after aFrom where aNeedle's first aFrames
    // frames appear within aTolerance per sample; -1 when nowhere.
    int64_t FindFrames(const std::vector<int16_t>& aHaystack, const std::vector<int16_t>& aNeedle,
                       uint32_t aFrames, int aTolerance, int64_t aFrom = 0);

    // Loads the shipped settings (for the asset roots), and the game's sound bank over the
    // shipped asset tree and the default output device once per process, whichever suite
    // asks first.
    void LoadGameSoundBank();

    // The next aFrames frames the sound library mixes (MixInto), as interleaved stereo.
    std::vector<int16_t> Mix(uint32_t aFrames);

    // Largest absolute sample value.
    int PeakOf(const std::vector<int16_t>& someSamples, size_t aBegin = 0, size_t anEnd = SIZE_MAX);
}
