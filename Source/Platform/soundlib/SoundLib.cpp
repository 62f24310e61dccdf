#include "Platform/soundlib/SoundLib.h"

#include "Platform/audiodevice/SharedOutput.h"
#include "Platform/runtime/Paths.h"
#include "Platform/soundlib/Decoder.h"
#include "Platform/soundlib/Mixer.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace Plat::Sound
{
    namespace
    {
        constexpr uint32_t kSampleBase = 0x10000;
        constexpr uint32_t kChannelBit = 0x80000000u;
        constexpr uint32_t kGenerationMask = 0x7FFF;
        constexpr uint32_t kMaxSampleCount = kChannelBit - kSampleBase;
        constexpr uint16_t kDeviceFrames = 1024;

        struct Output
        {
            std::mutex lifecycle;     // serialises Init and Free
            std::mutex lock;          // everything below; shared with the mixing thread
            bool initialised = false;
            DWORD freq = 44100;
            DWORD flags = 0;
            bool paused = false;
            AudioDevice::Source* device = nullptr;
            Mixer mixer;
            std::map<std::string, DecodeResult> prefetched;   // by resolved path
        };

        // Never destroyed: the device's mixing thread may still run while the process
        // exits, after static destructors, when nobody closed the output.
        Output& TheOutput()
        {
            static Output* output = new Output;
            return *output;
        }

        thread_local int tLastError = OK;

        template <typename T>
        T Fail(int anError, T aResult)
        {
            tLastError = anError;
            return aResult;
        }

        template <typename T>
        T Succeed(T aResult)
        {
            tLastError = OK;
            return aResult;
        }

        HSAMPLE ToSampleHandle(uint32_t anIndex) { return kSampleBase + anIndex; }

        Mixer::Sample* FindSample(Output& anOutput, HSAMPLE aHandle, uint32_t& anIndex)
        {
            if (aHandle < kSampleBase || (aHandle & kChannelBit))
                return nullptr;
            anIndex = aHandle - kSampleBase;
            return anOutput.mixer.GetSample(anIndex);
        }

        HCHANNEL ToChannelHandle(uint32_t aSlot, uint32_t aGeneration)
        {
            return kChannelBit | ((aGeneration & kGenerationMask) << 16) | aSlot;
        }

        Mixer::Channel* FindChannel(Output& anOutput, HCHANNEL aHandle, uint32_t* aSlot = nullptr)
        {
            if (!(aHandle & kChannelBit))
                return nullptr;
            const uint32_t slot = aHandle & 0xFFFF;
            Mixer::Channel* channel = anOutput.mixer.GetChannel(slot);
            if (!channel || (channel->generation & kGenerationMask) != ((aHandle >> 16) & kGenerationMask))
                return nullptr;
            if (aSlot)
                *aSlot = slot;
            return channel;
        }

        // The shared output asks for the next aLength bytes of 16-bit stereo.
        void MixCallback(uint8_t* aStream, uint32_t aLength)
        {
            Output& output = TheOutput();
            std::lock_guard guard(output.lock);
            if (output.paused)
            {
                std::memset(aStream, 0, aLength);
                return;
            }
            output.mixer.Mix(reinterpret_cast<int16_t*>(aStream), aLength / 4);
        }

        // Opens the SDL device for Init; returns the error code.
        int OpenDevice(Output& anOutput, int aDevice, DWORD aFreq)
        {
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
                return ERROR_DRIVER;
            const char* name = nullptr;
            if (aDevice >= 1)
            {
                if (aDevice > SDL_GetNumAudioDevices(0))
                {
                    SDL_QuitSubSystem(SDL_INIT_AUDIO);
                    return ERROR_DEVICE;
                }
                name = SDL_GetAudioDeviceName(aDevice - 1, 0);
            }
            AudioDevice::StreamFormat format;
            format.frequency = aFreq;
            format.sdlFormat = AUDIO_S16SYS;
            format.channels = 2;
            // The process shares one output with every other sound source.
            anOutput.device = AudioDevice::Join(format, &MixCallback, name, kDeviceFrames);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            if (anOutput.device == nullptr)
                return ERROR_DRIVER;
            return OK;
        }
    }

    BOOL Init(int device, DWORD freq, DWORD flags, void*, const void*)
    {
        Output& output = TheOutput();
        std::lock_guard life(output.lifecycle);
        {
            std::lock_guard guard(output.lock);
            if (output.initialised)
                return Fail(ERROR_ALREADY, 0);
        }
        if (device < -1)
            return Fail(ERROR_DEVICE, 0);
        if (freq < 8000 || freq > 192000)
            return Fail(ERROR_ILLPARAM, 0);

        {
            std::lock_guard guard(output.lock);
            output.freq = freq;
            output.flags = flags;
            output.paused = false;
        }
        if (device != DEVICE_NONE)
        {
            const int error = OpenDevice(output, device, freq);
            if (error != OK)
                return Fail(error, 0);
        }
        std::lock_guard guard(output.lock);
        output.initialised = true;
        return Succeed(1);
    }

    BOOL Free()
    {
        Output& output = TheOutput();
        std::lock_guard life(output.lifecycle);
        AudioDevice::Source* device = nullptr;
        {
            std::lock_guard guard(output.lock);
            if (!output.initialised)
                return Fail(ERROR_INIT, 0);
            for (uint32_t i = 0; i < output.mixer.SampleCount(); ++i)
                output.mixer.RemoveSample(i);
            output.prefetched.clear();
            output.initialised = false;
            device = output.device;
            output.device = nullptr;
        }
        // Leaving waits for the mixing thread, which needs the lock: never leave under it.
        AudioDevice::Leave(device);
        return Succeed(1);
    }

    int ErrorGetCode()
    {
        return tLastError;
    }

    namespace
    {
        // Pausing silences this output only: other sources share the device.
        BOOL SetPaused(int aPaused)
        {
            Output& output = TheOutput();
            std::lock_guard guard(output.lock);
            if (!output.initialised)
                return Fail(ERROR_INIT, 0);
            output.paused = aPaused != 0;
            return Succeed(1);
        }
    }

    BOOL Pause() { return SetPaused(1); }
    BOOL Start() { return SetPaused(0); }

    HSAMPLE SampleLoad(BOOL fromMemory, const char* file, QWORD offset, DWORD length, DWORD max, DWORD flags)
    {
        Output& output = TheOutput();
        DWORD freq;
        {
            std::lock_guard guard(output.lock);
            if (!output.initialised)
                return Fail(ERROR_INIT, 0u);
            freq = output.freq;
        }
        if (fromMemory || offset != 0 || length != 0)
            return Fail(ERROR_NOTAVAIL, 0u);
        if (!file || max == 0 || max > Mixer::kMaxChannelSlots)
            return Fail(ERROR_ILLPARAM, 0u);

        // Decoding takes a while; the mixing thread must not wait for it.
        const std::string path = Plat::Runtime::ResolveCase(std::string_view(file)).string();
        DecodeResult decoded;
        bool found = false;
        {
            std::lock_guard guard(output.lock);
            if (auto node = output.prefetched.extract(path))
            {
                decoded = std::move(node.mapped());
                found = true;
            }
        }
        if (!found)
            decoded = DecodeFile(path, freq);
        if (decoded.error != OK)
            return Fail(decoded.error, 0u);

        std::lock_guard guard(output.lock);
        if (!output.initialised)
            return Fail(ERROR_INIT, 0u);
        if (output.mixer.SampleCount() >= kMaxSampleCount)
            return Fail(ERROR_MEM, 0u);
        const int index = output.mixer.AddSample(std::move(decoded.samples), flags | SAMPLE_SOFTWARE, max);
        if (index < 0)
            return Fail(ERROR_MEM, 0u);
        return Succeed(ToSampleHandle(static_cast<uint32_t>(index)));
    }

    BOOL SamplePrefetch(const char* const* files, DWORD count)
    {
        Output& output = TheOutput();
        DWORD freq;
        {
            std::lock_guard guard(output.lock);
            if (!output.initialised)
                return Fail(ERROR_INIT, 0);
            freq = output.freq;
        }
        if (count > 0 && !files)
            return Fail(ERROR_ILLPARAM, 0);

        std::vector<std::string> paths(count);
        std::vector<DecodeResult> results(count);
        std::atomic<DWORD> next{0};
        const auto work = [&] {
            for (DWORD i = next++; i < count; i = next++)
            {
                if (!files[i])
                    continue;
                paths[i] = Plat::Runtime::ResolveCase(std::string_view(files[i])).string();
                results[i] = DecodeFile(paths[i], freq);
            }
        };
        const DWORD threads = std::min<DWORD>(count, std::max(1u, std::thread::hardware_concurrency()));
        std::vector<std::thread> workers;
        try
        {
            for (DWORD t = 1; t < threads; ++t)
                workers.emplace_back(work);
        }
        catch (const std::system_error&)
        {
            // No more threads: the ones started and this one share the rest.
        }
        work();
        for (std::thread& worker : workers)
            worker.join();

        std::lock_guard guard(output.lock);
        // Free or a new Init meanwhile: the results may be for another rate.
        if (!output.initialised || output.freq != freq)
            return Fail(ERROR_INIT, 0);
        for (DWORD i = 0; i < count; ++i)
        {
            if (files[i])
                output.prefetched.insert_or_assign(std::move(paths[i]), std::move(results[i]));
        }
        return Succeed(1);
    }

    BOOL SampleFree(HSAMPLE sample)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        uint32_t index;
        if (!FindSample(output, sample, index))
            return Fail(ERROR_HANDLE, 0);
        output.mixer.RemoveSample(index);
        return Succeed(1);
    }

    BOOL SampleGetInfo(HSAMPLE sample, SampleInfo* info)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        uint32_t index;
        const Mixer::Sample* s = FindSample(output, sample, index);
        if (!s)
            return Fail(ERROR_HANDLE, 0);
        if (!info)
            return Fail(ERROR_ILLPARAM, 0);
        info->freq = output.freq;
        info->chans = 2;
        info->length = s->frameCount * 4;
        info->flags = s->flags;
        info->max = s->maxChannels;
        info->volume = 1.0f;
        return Succeed(1);
    }

    HCHANNEL SampleGetChannel(HSAMPLE sample, BOOL onlyNew)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        uint32_t index;
        const Mixer::Sample* s = FindSample(output, sample, index);
        if (!s)
            return Fail(ERROR_HANDLE, 0u);
        const bool allowOverride = !onlyNew && (s->flags & SAMPLE_OVER_POS);
        const int slot = output.mixer.AcquireChannel(index, allowOverride);
        if (slot < 0)
            return Fail(ERROR_NOCHAN, 0u);
        const Mixer::Channel* channel = output.mixer.GetChannel(static_cast<uint32_t>(slot));
        return Succeed(ToChannelHandle(static_cast<uint32_t>(slot), channel->generation));
    }

    int SampleGetChannels(HSAMPLE sample, HCHANNEL* channels)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        uint32_t index;
        if (!FindSample(output, sample, index))
            return Fail(ERROR_HANDLE, -1);
        const uint32_t count = output.mixer.ListChannels(index, channels);
        if (channels)
        {
            for (uint32_t i = 0; i < count; ++i)
                channels[i] = ToChannelHandle(channels[i], output.mixer.GetChannel(channels[i])->generation);
        }
        return Succeed(static_cast<int>(count));
    }

    BOOL SampleStop(HSAMPLE sample)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        uint32_t index;
        const Mixer::Sample* s = FindSample(output, sample, index);
        if (!s)
            return Fail(ERROR_HANDLE, 0);
        for (uint32_t slot : s->slots)
            output.mixer.ReleaseChannel(slot);
        return Succeed(1);
    }

    BOOL ChannelPlay(HCHANNEL channel, BOOL restart)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        Mixer::Channel* c = FindChannel(output, channel);
        if (!c)
            return Fail(ERROR_HANDLE, 0);
        if (restart)
            c->position = 0;
        c->playing = true;
        return Succeed(1);
    }

    BOOL ChannelStop(HCHANNEL channel)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        uint32_t slot;
        if (!FindChannel(output, channel, &slot))
            return Fail(ERROR_HANDLE, 0);
        output.mixer.ReleaseChannel(slot);
        return Succeed(1);
    }

    DWORD ChannelIsActive(HCHANNEL channel)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        const Mixer::Channel* c = FindChannel(output, channel);
        if (!c)
            return Fail(ERROR_HANDLE, ACTIVE_STOPPED);
        return Succeed(c->playing ? ACTIVE_PLAYING : ACTIVE_STOPPED);
    }

    BOOL ChannelSetAttribute(HCHANNEL channel, DWORD attribute, float value)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        Mixer::Channel* c = FindChannel(output, channel);
        if (!c)
            return Fail(ERROR_HANDLE, 0);
        if (attribute != ATTRIB_VOL)
            return Fail(ERROR_ILLTYPE, 0);
        if (std::isnan(value))
            return Fail(ERROR_ILLPARAM, 0);
        c->volume = value < 0.0f ? 0.0f : value;
        return Succeed(1);
    }

    BOOL ChannelGetAttribute(HCHANNEL channel, DWORD attribute, float* value)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        const Mixer::Channel* c = FindChannel(output, channel);
        if (!c)
            return Fail(ERROR_HANDLE, 0);
        if (attribute != ATTRIB_VOL)
            return Fail(ERROR_ILLTYPE, 0);
        if (!value)
            return Fail(ERROR_ILLPARAM, 0);
        *value = c->volume;
        return Succeed(1);
    }

    BOOL ChannelSetPosition(HCHANNEL channel, QWORD position, DWORD mode)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        Mixer::Channel* c = FindChannel(output, channel);
        if (!c)
            return Fail(ERROR_HANDLE, 0);
        if (mode != POS_BYTE)
            return Fail(ERROR_ILLTYPE, 0);
        const Mixer::Sample* s = output.mixer.GetSample(c->sample);
        const QWORD frame = position / 4;
        if (frame >= s->frameCount)
            return Fail(ERROR_POSITION, 0);
        c->position = static_cast<uint32_t>(frame);
        return Succeed(1);
    }

    QWORD ChannelGetPosition(HCHANNEL channel, DWORD mode)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        const Mixer::Channel* c = FindChannel(output, channel);
        if (!c)
            return Fail(ERROR_HANDLE, ~QWORD{0});
        if (mode != POS_BYTE)
            return Fail(ERROR_ILLTYPE, ~QWORD{0});
        return Succeed(static_cast<QWORD>(c->position) * 4);
    }

    DWORD ChannelFlags(HCHANNEL channel, DWORD flags, DWORD mask)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        Mixer::Channel* c = FindChannel(output, channel);
        if (!c)
            return Fail(ERROR_HANDLE, ~DWORD{0});
        const DWORD changeable = mask & SAMPLE_LOOP;
        c->flags = (c->flags & ~changeable) | (flags & changeable);
        return Succeed(c->flags);
    }

    BOOL MixInto(int16_t* out, DWORD frames)
    {
        Output& output = TheOutput();
        std::lock_guard guard(output.lock);
        if (!output.initialised)
            return Fail(ERROR_INIT, 0);
        if (!out && frames)
            return Fail(ERROR_ILLPARAM, 0);
        output.mixer.Mix(out, frames);
        return Succeed(1);
    }
}
