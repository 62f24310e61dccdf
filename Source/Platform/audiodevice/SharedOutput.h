#pragma once
// The process's one audio output device, shared by every sound source (the sound bank's
// mixer, each video's wave output). Drivers such as SDL's dummy and disk drivers open only
// one output at a time, so sources do not open devices of their own: the first source to
// join opens the device in its own format, later sources are converted to that format and
// added in, and the last one to leave closes it.
#include <cstdint>
#include <functional>

namespace Plat::AudioDevice
{
    struct StreamFormat
    {
        std::uint32_t frequency = 44100;
        std::uint16_t sdlFormat = 0;   // an SDL_AudioFormat: AUDIO_U8 or AUDIO_S16LSB / AUDIO_S16SYS
        std::uint8_t channels = 2;

        bool operator==(const StreamFormat&) const = default;
    };

    // Writes exactly aLength bytes of the source's next sound, in its own format, to
    // someBytes. Runs on the audio thread while the device is locked.
    using FillFunction = std::function<void(std::uint8_t* someBytes, std::uint32_t aLength)>;

    struct Source;

    // Adds a source to the output, opening the device when it is the first one (aDeviceName
    // picks the device then; null means the default). Null when no device could be opened.
    // aFrames is the device buffer size, in frames, asked for when the device is opened.
    Source* Join(const StreamFormat& aFormat, FillFunction aFill, const char* aDeviceName = nullptr, std::uint16_t aFrames = 1024);
    // Removes the source; its fill function is not called after this returns. The device
    // closes with the last source.
    void Leave(Source* aSource);

    // Keeps the audio thread out of every fill function while held.
    void Lock(Source* aSource);
    void Unlock(Source* aSource);

    // The format the device was opened with, while any source is joined.
    bool GetDeviceFormat(StreamFormat& aFormat);
}
