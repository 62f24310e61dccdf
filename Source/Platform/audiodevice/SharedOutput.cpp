#include "Platform/audiodevice/SharedOutput.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace Plat::AudioDevice
{
    struct Source
    {
        StreamFormat format;
        FillFunction fill;
        // Only for a source whose format differs from the device's.
        SDL_AudioStream* stream = nullptr;
        std::vector<std::uint8_t> input;     // one chunk in the source's format
        std::vector<std::uint8_t> scratch;   // one device buffer in the device's format
    };

    namespace
    {
        struct Output
        {
            std::mutex lifecycle;   // serialises Join and Leave
            SDL_AudioDeviceID device = 0;
            SDL_AudioSpec spec{};
            StreamFormat format;
            std::vector<Source*> sources;   // changed only under the device lock
        };

        // Never destroyed: the audio thread may still run while the process exits.
        Output& TheOutput()
        {
            static Output* output = new Output;
            return *output;
        }

        // The next aLength bytes of the source, in the device's format.
        void Produce(Source& aSource, std::uint8_t* someBytes, std::uint32_t aLength, std::uint8_t aSilence)
        {
            if (aSource.stream == nullptr)
            {
                aSource.fill(someBytes, aLength);
                return;
            }
            const auto chunk = static_cast<std::uint32_t>(aSource.input.size());
            while (static_cast<std::uint32_t>(SDL_AudioStreamAvailable(aSource.stream)) < aLength)
            {
                aSource.fill(aSource.input.data(), chunk);
                if (SDL_AudioStreamPut(aSource.stream, aSource.input.data(), static_cast<int>(chunk)) != 0)
                    break;
            }
            const int got = std::max(0, SDL_AudioStreamGet(aSource.stream, someBytes, static_cast<int>(aLength)));
            if (static_cast<std::uint32_t>(got) < aLength)
                std::memset(someBytes + got, aSilence, aLength - static_cast<std::uint32_t>(got));
        }

        // SDL's audio thread, with the device locked: every source is added into silence.
        // Adding one source to silence gives its bytes unchanged.
        void SDLCALL MixCallback(void*, Uint8* aStream, int aLength)
        {
            Output& output = TheOutput();
            const auto length = static_cast<std::uint32_t>(std::max(aLength, 0));
            std::memset(aStream, output.spec.silence, length);
            for (Source* source : output.sources)
            {
                std::uint32_t done = 0;
                while (done < length)
                {
                    const auto count = std::min(length - done, static_cast<std::uint32_t>(source->scratch.size()));
                    Produce(*source, source->scratch.data(), count, output.spec.silence);
                    SDL_MixAudioFormat(aStream + done, source->scratch.data(), output.spec.format, count, SDL_MIX_MAXVOLUME);
                    done += count;
                }
            }
        }

        void CloseDevice(Output& anOutput)
        {
            SDL_CloseAudioDevice(anOutput.device);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            anOutput.device = 0;
        }
    }

    Source* Join(const StreamFormat& aFormat, FillFunction aFill, const char* aDeviceName, std::uint16_t aFrames)
    {
        if (!aFill || aFormat.channels == 0 || aFormat.frequency == 0)
            return nullptr;
        Output& output = TheOutput();
        std::lock_guard life(output.lifecycle);

        bool opened = false;
        if (output.device == 0)
        {
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
                return nullptr;
            SDL_AudioSpec wanted{};
            wanted.freq = static_cast<int>(aFormat.frequency);
            wanted.format = aFormat.sdlFormat;
            wanted.channels = aFormat.channels;
            wanted.samples = aFrames;
            wanted.callback = &MixCallback;
            SDL_AudioSpec obtained{};
            // No allowed changes: SDL converts our format to whatever the hardware wants.
            output.device = SDL_OpenAudioDevice(aDeviceName, 0, &wanted, &obtained, 0);
            if (output.device == 0)
            {
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
                return nullptr;
            }
            output.spec = obtained;
            output.format = aFormat;
            opened = true;
        }

        auto* source = new Source;
        source->format = aFormat;
        source->fill = std::move(aFill);
        source->scratch.resize(std::max<std::uint32_t>(output.spec.size, 64));
        if (!(aFormat == output.format))
        {
            source->stream = SDL_NewAudioStream(aFormat.sdlFormat, aFormat.channels, static_cast<int>(aFormat.frequency),
                                                output.spec.format, output.spec.channels, output.spec.freq);
            if (source->stream == nullptr)
            {
                delete source;
                if (opened)
                    CloseDevice(output);
                return nullptr;
            }
            const std::size_t frameBytes = aFormat.channels * (SDL_AUDIO_BITSIZE(aFormat.sdlFormat) / 8u);
            source->input.resize(std::max<std::size_t>(output.spec.samples, 64) * frameBytes);
        }

        SDL_LockAudioDevice(output.device);
        output.sources.push_back(source);
        SDL_UnlockAudioDevice(output.device);
        if (opened)
            SDL_PauseAudioDevice(output.device, 0);
        return source;
    }

    void Leave(Source* aSource)
    {
        if (aSource == nullptr)
            return;
        Output& output = TheOutput();
        std::lock_guard life(output.lifecycle);
        SDL_LockAudioDevice(output.device);
        std::erase(output.sources, aSource);
        const bool last = output.sources.empty();
        SDL_UnlockAudioDevice(output.device);
        if (aSource->stream != nullptr)
            SDL_FreeAudioStream(aSource->stream);
        delete aSource;
        // Closing waits for the audio thread, so the device is unlocked by then.
        if (last)
            CloseDevice(output);
    }

    void Lock(Source* aSource)
    {
        if (aSource != nullptr)
            SDL_LockAudioDevice(TheOutput().device);
    }

    void Unlock(Source* aSource)
    {
        if (aSource != nullptr)
            SDL_UnlockAudioDevice(TheOutput().device);
    }

    bool GetDeviceFormat(StreamFormat& aFormat)
    {
        Output& output = TheOutput();
        std::lock_guard life(output.lifecycle);
        if (output.device == 0)
            return false;
        aFormat = output.format;
        return true;
    }
}
