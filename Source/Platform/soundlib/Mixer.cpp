#include "Platform/soundlib/Mixer.h"

#include "Platform/soundlib/SoundLib.h"

#include <algorithm>
#include <cmath>

namespace Plat::Sound
{
    int Mixer::AddSample(std::vector<int16_t>&& someData, uint32_t aFlags, uint32_t aMaxChannels)
    {
        const size_t newSlots = aMaxChannels > myFreeSlots.size() ? aMaxChannels - myFreeSlots.size() : 0;
        if (myChannels.size() + newSlots > kMaxChannelSlots)
            return -1;

        Sample sample;
        sample.frameCount = static_cast<uint32_t>(someData.size() / 2);
        sample.data = std::move(someData);
        sample.flags = aFlags;
        sample.maxChannels = aMaxChannels;
        sample.inUse = true;
        for (uint32_t i = 0; i < aMaxChannels; ++i)
        {
            uint32_t slot;
            if (!myFreeSlots.empty())
            {
                slot = myFreeSlots.back();
                myFreeSlots.pop_back();
            }
            else
            {
                slot = static_cast<uint32_t>(myChannels.size());
                myChannels.emplace_back();
            }
            sample.slots.push_back(slot);
        }
        const uint32_t index = static_cast<uint32_t>(mySamples.size());
        for (uint32_t slot : sample.slots)
        {
            Channel& c = myChannels[slot];
            c.sample = index;
            c.inUse = false;
            c.playing = false;
        }
        mySamples.push_back(std::move(sample));
        return static_cast<int>(index);
    }

    void Mixer::RemoveSample(uint32_t anIndex)
    {
        Sample* sample = GetSample(anIndex);
        if (!sample)
            return;
        for (uint32_t slot : sample->slots)
        {
            ReleaseChannel(slot);
            myFreeSlots.push_back(slot);
        }
        // The entry stays so that indices (and handles built from them) are never reused.
        *sample = Sample{};
    }

    Mixer::Sample* Mixer::GetSample(uint32_t anIndex)
    {
        if (anIndex >= mySamples.size() || !mySamples[anIndex].inUse)
            return nullptr;
        return &mySamples[anIndex];
    }

    int Mixer::AcquireChannel(uint32_t aSample, bool allowOverride)
    {
        Sample* sample = GetSample(aSample);
        if (!sample)
            return -1;
        int chosen = -1;
        for (uint32_t slot : sample->slots)
        {
            if (!myChannels[slot].inUse)
            {
                chosen = static_cast<int>(slot);
                break;
            }
        }
        if (chosen < 0 && allowOverride)
        {
            for (uint32_t slot : sample->slots)
            {
                if (chosen < 0 || myChannels[slot].position > myChannels[static_cast<uint32_t>(chosen)].position)
                    chosen = static_cast<int>(slot);
            }
            if (chosen >= 0)
                ReleaseChannel(static_cast<uint32_t>(chosen));
        }
        if (chosen < 0)
            return -1;

        Channel& c = myChannels[static_cast<uint32_t>(chosen)];
        c.inUse = true;
        c.playing = false;
        c.position = 0;
        c.volume = 1.0f;
        c.flags = sample->flags;
        c.sample = aSample;
        c.startOrder = myNextStartOrder++;
        return chosen;
    }

    void Mixer::ReleaseChannel(uint32_t aSlot)
    {
        if (aSlot >= myChannels.size())
            return;
        Channel& c = myChannels[aSlot];
        if (c.inUse)
            c.generation = c.generation + 1;
        c.inUse = false;
        c.playing = false;
        c.position = 0;
    }

    Mixer::Channel* Mixer::GetChannel(uint32_t aSlot)
    {
        if (aSlot >= myChannels.size() || !myChannels[aSlot].inUse)
            return nullptr;
        return &myChannels[aSlot];
    }

    uint32_t Mixer::ListChannels(uint32_t aSample, uint32_t* someSlots) const
    {
        if (aSample >= mySamples.size() || !mySamples[aSample].inUse)
            return 0;
        const Sample& sample = mySamples[aSample];
        // At most a handful of slots per sample in practice: a selection pass keeps this allocation-free.
        uint32_t count = 0;
        uint64_t after = 0;
        for (;;)
        {
            int next = -1;
            for (uint32_t slot : sample.slots)
            {
                const Channel& c = myChannels[slot];
                if (c.inUse && c.startOrder > after &&
                    (next < 0 || c.startOrder < myChannels[static_cast<uint32_t>(next)].startOrder))
                    next = static_cast<int>(slot);
            }
            if (next < 0)
                return count;
            if (someSlots)
                someSlots[count] = static_cast<uint32_t>(next);
            ++count;
            after = myChannels[static_cast<uint32_t>(next)].startOrder;
        }
    }

    void Mixer::MixChannel(Channel& aChannel, const Sample& aSample, float* anAccumulator, uint32_t aFrameCount, uint32_t aSlot)
    {
        const float volume = aChannel.volume;
        uint32_t done = 0;
        while (done < aFrameCount)
        {
            const uint32_t left = aSample.frameCount - aChannel.position;
            const uint32_t count = std::min(left, aFrameCount - done);
            const int16_t* src = aSample.data.data() + static_cast<size_t>(aChannel.position) * 2;
            float* dst = anAccumulator + static_cast<size_t>(done) * 2;
            for (uint32_t i = 0; i < count * 2; ++i)
                dst[i] += static_cast<float>(src[i]) * volume;
            done += count;
            aChannel.position += count;
            if (aChannel.position >= aSample.frameCount)
            {
                if (aChannel.flags & SAMPLE_LOOP)
                {
                    aChannel.position = 0;
                }
                else
                {
                    // Its pass is over: the channel ends and its handle goes stale.
                    ReleaseChannel(aSlot);
                    return;
                }
            }
        }
    }

    void Mixer::Mix(int16_t* anOut, uint32_t aFrameCount)
    {
        uint32_t done = 0;
        while (done < aFrameCount)
        {
            const uint32_t count = std::min(kBlockFrames, aFrameCount - done);
            std::fill(myAccumulator.begin(), myAccumulator.begin() + count * 2, 0.0f);
            for (uint32_t slot = 0; slot < myChannels.size(); ++slot)
            {
                Channel& c = myChannels[slot];
                if (c.inUse && c.playing)
                    MixChannel(c, mySamples[c.sample], myAccumulator.data(), count, slot);
            }
            int16_t* out = anOut + static_cast<size_t>(done) * 2;
            for (uint32_t i = 0; i < count * 2; ++i)
            {
                const float v = std::nearbyint(myAccumulator[i]);
                out[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
            }
            done += count;
        }
    }
}
