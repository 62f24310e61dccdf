#pragma once
// A waveform-audio output device: open it with a PCM format, prepare buffers, write them
// in order and learn when the device has finished each one (its done flag and an optional
// callback). Played through an SDL2 audio device of its own; result codes and flag values
// keep the numbers callers of the original interface compare against.
#include <atomic>
#include <cstdint>
#include <functional>

namespace Plat::WaveOut
{
    using Result = std::uint32_t;

    inline constexpr Result NoError = 0;
    inline constexpr Result Error = 1;             // unspecified failure
    inline constexpr Result BadDeviceId = 2;
    inline constexpr Result InvalidHandle = 5;
    inline constexpr Result NoDriver = 6;           // no audio output could be opened
    inline constexpr Result NoMemory = 7;
    inline constexpr Result InvalidParam = 11;
    inline constexpr Result BadFormat = 32;
    inline constexpr Result StillPlaying = 33;      // a buffer is still queued
    inline constexpr Result Unprepared = 34;        // the buffer was not prepared

    // Device id that picks the default output.
    inline constexpr std::uint32_t WaveMapper = 0xFFFFFFFFu;

    inline constexpr std::uint16_t FormatPcm = 1;

    // Header flag bits.
    inline constexpr std::uint32_t HeaderDone = 0x01;     // the device has finished with the buffer
    inline constexpr std::uint32_t HeaderPrepared = 0x02;
    inline constexpr std::uint32_t HeaderInQueue = 0x10;  // written and not yet done

    struct WaveFormat
    {
        std::uint16_t formatTag = FormatPcm;
        std::uint16_t channels = 0;
        std::uint32_t samplesPerSec = 0;
        std::uint32_t avgBytesPerSec = 0;
        std::uint16_t blockAlign = 0;
        std::uint16_t bitsPerSample = 0;
        std::uint16_t extraSize = 0;
    };

    // One buffer handed to the device. The caller owns the memory and keeps the header at
    // a fixed address from Prepare to Unprepare. The device thread sets the flags, so they
    // are atomic: a writer may poll HeaderDone or wait for the done callback.
    struct WaveHeader
    {
        char* data = nullptr;
        std::uint32_t bufferLength = 0;
        std::uint32_t bytesRecorded = 0;
        std::uintptr_t user = 0;
        std::atomic<std::uint32_t> flags{ 0 };
        std::uint32_t loops = 0;
    };

    struct Device;
    using DeviceHandle = Device*;

    // Called on the audio thread when the device has finished a buffer (and for every
    // queued buffer that Reset returns). It must not call back into this layer.
    using DoneCallback = std::function<void(WaveHeader&)>;

    // Opens output aDeviceId (WaveMapper for the default; else an index below DeviceCount())
    // for 8- or 16-bit PCM with 1 to 8 channels. Playback starts at once and plays silence
    // until buffers arrive.
    Result Open(DeviceHandle* aDevice, std::uint32_t aDeviceId, const WaveFormat* aFormat,
                DoneCallback aOnDone = {});
    Result PrepareHeader(DeviceHandle aDevice, WaveHeader* aHeader);
    Result UnprepareHeader(DeviceHandle aDevice, WaveHeader* aHeader);
    // Queues a prepared buffer behind the ones already written.
    Result Write(DeviceHandle aDevice, WaveHeader* aHeader);
    // Stops playback and marks every queued buffer done; the device stays open.
    Result Reset(DeviceHandle aDevice);
    // Fails with StillPlaying while buffers are queued.
    Result Close(DeviceHandle aDevice);

    std::uint32_t DeviceCount();
}
