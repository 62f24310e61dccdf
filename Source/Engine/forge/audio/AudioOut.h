#pragma once
// The sound output: loads each sound file once as an in-memory sample and plays,
// re-levels and stops channels of it. Created by the first AudioClip::Init and kept
// for the rest of the program.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Kiln
{
    class AudioOut
    {
    public:
        // Opens the default output device at 44,100 Hz. Without a device the output opens
        // with none (HasDevice false): sounds still load, so a file that is missing or
        // damaged still fails its load, and nothing is heard. Neither case is reported here.
        AudioOut();
        virtual ~AudioOut();
        AudioOut(const AudioOut&) = delete;
        AudioOut& operator=(const AudioOut&) = delete;

        // The output, or null before the first clip was initialised.
        static AudioOut* GetInstance();
        // Creates the output when there is none yet.
        static AudioOut& GetOrCreateInstance();

        // The sample handle; 0 when the path is already loaded (reported on stderr);
        // -1 when the file cannot be loaded.
        int32_t Load(const std::string& aPath, bool aLoop);
        // Starts a new channel of the sample at aVolume and writes it to *aChannel.
        bool Play(int32_t aSample, uint32_t* aChannel, float aVolume);
        // Sets the volume of that one channel.
        void SetVolume(const uint32_t* aChannel, float aVolume);
        // At once: every channel of the sample ends. Otherwise only a looping sample is
        // affected: one looping channel plays its current pass to the end.
        bool Stop(int32_t aSample, bool anImmediately);
        bool StopLooping(int32_t aSample);
        // The handle of an exactly equal path, or 0.
        uint32_t FindSample(const std::string& aPath) const;
        std::vector<uint32_t> GetChannels(int32_t aSample) const;

        bool IsInitialised() const { return myInitialised; }
        // Whether the output reaches an audio device.
        bool HasDevice() const { return myHasDevice; }

    private:
        bool myInitialised = false;
        bool myHasDevice = false;
        std::vector<std::pair<std::string, uint32_t>> mySamples;
    };
}
