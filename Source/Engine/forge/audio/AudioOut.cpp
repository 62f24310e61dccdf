#include "forge/audio/AudioOut.h"

#include "Platform/soundlib/SoundLib.h"

#include <iostream>

namespace Kiln
{
    namespace
    {
        AudioOut* gAudioOut = nullptr;

        constexpr Plat::Sound::DWORD kChannelsPerSample = 3;
        constexpr Plat::Sound::DWORD kLoopFlags = 4;
        constexpr Plat::Sound::DWORD kOneShotFlags = 0x20001;
        constexpr Plat::Sound::DWORD kLoopingSoftwareFlags = 0x14;
    }

    AudioOut::AudioOut()
    {
        myHasDevice = Plat::Sound::Init(Plat::Sound::DEVICE_DEFAULT, 44100, 1, nullptr, nullptr) != 0;
        myInitialised = myHasDevice;
        const int error = Plat::Sound::ErrorGetCode();
        if (error == Plat::Sound::ERROR_DRIVER || error == Plat::Sound::ERROR_DEVICE)
            myInitialised = Plat::Sound::Init(Plat::Sound::DEVICE_NONE, 44100, 1, nullptr, nullptr) != 0;
    }

    AudioOut::~AudioOut()
    {
        for (const auto& [path, handle] : mySamples)
            Plat::Sound::SampleFree(handle);
        if (myInitialised)
            Plat::Sound::Free();
        if (gAudioOut == this)
            gAudioOut = nullptr;
    }

    AudioOut* AudioOut::GetInstance()
    {
        return gAudioOut;
    }

    AudioOut& AudioOut::GetOrCreateInstance()
    {
        if (!gAudioOut)
            gAudioOut = new AudioOut();
        return *gAudioOut;
    }

    int32_t AudioOut::Load(const std::string& aPath, bool aLoop)
    {
        if (FindSample(aPath) != 0)
        {
            std::cerr << "Audio error: " << aPath << " already loaded" << std::endl;
            return 0;
        }
        const Plat::Sound::HSAMPLE handle =
            Plat::Sound::SampleLoad(0, aPath.c_str(), 0, 0, kChannelsPerSample, aLoop ? kLoopFlags : kOneShotFlags);
        if (handle == 0)
            return -1;
        mySamples.emplace_back(aPath, handle);
        return static_cast<int32_t>(handle);
    }

    bool AudioOut::Play(int32_t aSample, uint32_t* aChannel, float aVolume)
    {
        if (aSample == 0)
            return false;
        const Plat::Sound::HCHANNEL channel = Plat::Sound::SampleGetChannel(static_cast<Plat::Sound::HSAMPLE>(aSample), 0);
        if (channel == 0)
            return Plat::Sound::ErrorGetCode() == 0;
        Plat::Sound::ChannelSetAttribute(channel, Plat::Sound::ATTRIB_VOL, aVolume);
        *aChannel = channel;
        if (Plat::Sound::ChannelPlay(channel, 0))
            return true;
        return Plat::Sound::ErrorGetCode() == 0;
    }

    void AudioOut::SetVolume(const uint32_t* aChannel, float aVolume)
    {
        Plat::Sound::ChannelSetAttribute(*aChannel, Plat::Sound::ATTRIB_VOL, aVolume);
    }

    bool AudioOut::Stop(int32_t aSample, bool anImmediately)
    {
        if (aSample == 0)
            return false;
        const auto sample = static_cast<Plat::Sound::HSAMPLE>(aSample);
        if (anImmediately)
        {
            Plat::Sound::ChannelSetPosition(Plat::Sound::SampleGetChannel(sample, 0), 0, Plat::Sound::POS_BYTE);
            return Plat::Sound::SampleStop(sample) != 0;
        }
        return StopLooping(aSample);
    }

    bool AudioOut::StopLooping(int32_t aSample)
    {
        Plat::Sound::SampleInfo info;
        if (!Plat::Sound::SampleGetInfo(static_cast<Plat::Sound::HSAMPLE>(aSample), &info) ||
            info.flags != kLoopingSoftwareFlags)
            return false;
        for (uint32_t channel : GetChannels(aSample))
        {
            // A channel that ended meanwhile reads as an error (all bits set): not looping.
            constexpr auto kError = ~decltype(Plat::Sound::ChannelFlags(channel, 0, 0)){0};
            const auto flags = Plat::Sound::ChannelFlags(channel, 0, 0);
            if (flags == kError || !(flags & Plat::Sound::SAMPLE_LOOP))
                continue;
            // The channel finishes its current pass and ends.
            if (Plat::Sound::ChannelFlags(channel, 0, Plat::Sound::SAMPLE_LOOP) != kError)
                return true;
        }
        return false;
    }

    uint32_t AudioOut::FindSample(const std::string& aPath) const
    {
        for (const auto& [path, handle] : mySamples)
        {
            if (path == aPath)
                return handle;
        }
        return 0;
    }

    std::vector<uint32_t> AudioOut::GetChannels(int32_t aSample) const
    {
        const auto sample = static_cast<Plat::Sound::HSAMPLE>(aSample);
        Plat::Sound::SampleInfo info;
        if (!Plat::Sound::SampleGetInfo(sample, &info))
            return {};
        std::vector<uint32_t> channels(info.max);
        const int count = Plat::Sound::SampleGetChannels(sample, channels.data());
        channels.resize(count > 0 ? static_cast<size_t>(count) : 0);
        return channels;
    }
}
