#include "Platform/waveout/WaveOut.h"

#include "Platform/audiodevice/SharedOutput.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>

namespace Plat::WaveOut
{
    struct Device
    {
        AudioDevice::Source* source = nullptr;
        Uint8 silence = 0;
        DoneCallback onDone;
        // Written buffers in play order; guarded by the shared output's lock, which the
        // audio thread holds while it asks for sound.
        std::deque<WaveHeader*> queue;
        std::uint32_t frontOffset = 0;
    };

    namespace
    {
        void FinishHeader(Device& aDevice, WaveHeader& aHeader)
        {
            std::uint32_t flags = aHeader.flags.load();
            flags = (flags & ~HeaderInQueue) | HeaderDone;
            aHeader.flags.store(flags);
            if (aDevice.onDone)
            {
                aDevice.onDone(aHeader);
            }
        }

        // The audio thread asks for the next aLength bytes: hand out the written buffers
        // in order, mark each done as soon as it is used up, and pad with silence.
        void FillStream(Device& device, Uint8* aStream, std::uint32_t aLength)
        {
            std::uint32_t written = 0;
            const std::uint32_t wanted = aLength;
            while (written < wanted && !device.queue.empty())
            {
                WaveHeader& header = *device.queue.front();
                const std::uint32_t left = header.bufferLength - device.frontOffset;
                const std::uint32_t count = std::min(left, wanted - written);
                if (count > 0)
                {
                    std::memcpy(aStream + written, header.data + device.frontOffset, count);
                }
                written += count;
                device.frontOffset += count;
                if (device.frontOffset >= header.bufferLength)
                {
                    device.queue.pop_front();
                    device.frontOffset = 0;
                    FinishHeader(device, header);
                }
            }
            if (written < wanted)
            {
                std::memset(aStream + written, device.silence, wanted - written);
            }
        }

        bool IsValidFormat(const WaveFormat& aFormat)
        {
            if (aFormat.formatTag != FormatPcm) return false;
            if (aFormat.channels < 1 || aFormat.channels > 8) return false;
            if (aFormat.bitsPerSample != 8 && aFormat.bitsPerSample != 16) return false;
            if (aFormat.samplesPerSec < 1000 || aFormat.samplesPerSec > 192000) return false;
            const std::uint32_t block = aFormat.channels * aFormat.bitsPerSample / 8u;
            return aFormat.blockAlign == block && aFormat.avgBytesPerSec == block * aFormat.samplesPerSec;
        }
    }

    std::uint32_t DeviceCount()
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        {
            return 0;
        }
        const int count = SDL_GetNumAudioDevices(0);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return count > 0 ? static_cast<std::uint32_t>(count) : 0u;
    }

    Result Open(DeviceHandle* aDevice, std::uint32_t aDeviceId, const WaveFormat* aFormat, DoneCallback aOnDone)
    {
        if (aDevice == nullptr || aFormat == nullptr)
        {
            return InvalidParam;
        }
        *aDevice = nullptr;
        if (!IsValidFormat(*aFormat))
        {
            return BadFormat;
        }
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        {
            return NoDriver;
        }

        const char* name = nullptr;
        if (aDeviceId != WaveMapper)
        {
            const int count = SDL_GetNumAudioDevices(0);
            if (count < 0 || aDeviceId >= static_cast<std::uint32_t>(count))
            {
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
                return BadDeviceId;
            }
            name = SDL_GetAudioDeviceName(static_cast<int>(aDeviceId), 0);
        }

        auto* device = new Device();
        device->onDone = std::move(aOnDone);
        device->silence = aFormat->bitsPerSample == 8 ? 0x80 : 0;
        AudioDevice::StreamFormat format;
        format.frequency = aFormat->samplesPerSec;
        format.sdlFormat = aFormat->bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        format.channels = static_cast<std::uint8_t>(aFormat->channels);
        // The process shares one output with every other sound source.
        const auto fill = [device](std::uint8_t* someBytes, std::uint32_t aLength) { FillStream(*device, someBytes, aLength); };
        device->source = AudioDevice::Join(format, fill, name);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (device->source == nullptr)
        {
            delete device;
            return NoDriver;
        }
        *aDevice = device;
        return NoError;
    }

    Result PrepareHeader(DeviceHandle aDevice, WaveHeader* aHeader)
    {
        if (aDevice == nullptr) return InvalidHandle;
        if (aHeader == nullptr || (aHeader->data == nullptr && aHeader->bufferLength > 0)) return InvalidParam;
        aHeader->flags.fetch_or(HeaderPrepared);
        return NoError;
    }

    Result UnprepareHeader(DeviceHandle aDevice, WaveHeader* aHeader)
    {
        if (aDevice == nullptr) return InvalidHandle;
        if (aHeader == nullptr) return InvalidParam;
        if (aHeader->flags.load() & HeaderInQueue) return StillPlaying;
        aHeader->flags.fetch_and(~HeaderPrepared);
        return NoError;
    }

    Result Write(DeviceHandle aDevice, WaveHeader* aHeader)
    {
        if (aDevice == nullptr) return InvalidHandle;
        if (aHeader == nullptr) return InvalidParam;
        const std::uint32_t flags = aHeader->flags.load();
        if (!(flags & HeaderPrepared)) return Unprepared;
        if (flags & HeaderInQueue) return StillPlaying;

        AudioDevice::Lock(aDevice->source);
        aHeader->flags.store((flags & ~HeaderDone) | HeaderInQueue);
        aDevice->queue.push_back(aHeader);
        AudioDevice::Unlock(aDevice->source);
        return NoError;
    }

    Result Reset(DeviceHandle aDevice)
    {
        if (aDevice == nullptr) return InvalidHandle;
        AudioDevice::Lock(aDevice->source);
        std::deque<WaveHeader*> returned;
        returned.swap(aDevice->queue);
        aDevice->frontOffset = 0;
        for (WaveHeader* header : returned)
        {
            FinishHeader(*aDevice, *header);
        }
        AudioDevice::Unlock(aDevice->source);
        return NoError;
    }

    Result Close(DeviceHandle aDevice)
    {
        if (aDevice == nullptr) return InvalidHandle;
        AudioDevice::Lock(aDevice->source);
        const bool busy = !aDevice->queue.empty();
        AudioDevice::Unlock(aDevice->source);
        if (busy)
        {
            return StillPlaying;
        }
        AudioDevice::Leave(aDevice->source);
        delete aDevice;
        return NoError;
    }
}
