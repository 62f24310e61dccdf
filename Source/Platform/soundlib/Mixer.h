#pragma once
// The samples, their channels and the mixing of playing channels into 16-bit stereo.
// Not locked: SoundLib.cpp serialises every call. Mix allocates nothing; the channel
// slots a sample may use are reserved when it is added.
#include <array>
#include <cstdint>
#include <vector>

namespace Plat::Sound
{
    class Mixer
    {
    public:
        static constexpr uint32_t kMaxChannelSlots = 0xFFFF;

        struct Sample
        {
            std::vector<int16_t> data;        // interleaved stereo frames
            uint32_t frameCount = 0;
            uint32_t flags = 0;
            uint32_t maxChannels = 0;
            std::vector<uint32_t> slots;      // the channel slots reserved for this sample
            bool inUse = false;
        };

        struct Channel
        {
            uint32_t generation = 1;
            uint32_t sample = 0;              // index into the sample list
            uint32_t flags = 0;
            uint32_t position = 0;            // frame within the current pass
            uint64_t startOrder = 0;          // creation order, for listing oldest first
            float volume = 1.0f;
            bool inUse = false;
            bool playing = false;
        };

        // Adds a sample with its own channel slots; returns its index, or -1 when the
        // slots are exhausted.
        int AddSample(std::vector<int16_t>&& someData, uint32_t aFlags, uint32_t aMaxChannels);
        void RemoveSample(uint32_t anIndex);
        Sample* GetSample(uint32_t anIndex);

        // A free slot of the sample, or (allowOverride) the busy one that has played
        // furthest; -1 when none. The slot is reset to a stopped channel at position 0.
        int AcquireChannel(uint32_t aSample, bool allowOverride);
        void ReleaseChannel(uint32_t aSlot);
        Channel* GetChannel(uint32_t aSlot);
        // The sample's channels in use, oldest first.
        uint32_t ListChannels(uint32_t aSample, uint32_t* someSlots) const;

        void Mix(int16_t* anOut, uint32_t aFrameCount);
        uint32_t SampleCount() const { return static_cast<uint32_t>(mySamples.size()); }

    private:
        static constexpr uint32_t kBlockFrames = 512;

        void MixChannel(Channel& aChannel, const Sample& aSample, float* anAccumulator, uint32_t aFrameCount, uint32_t aSlot);

        std::vector<Sample> mySamples;
        std::vector<Channel> myChannels;
        std::vector<uint32_t> myFreeSlots;
        uint64_t myNextStartOrder = 1;
        std::array<float, kBlockFrames * 2> myAccumulator{};
    };
}
