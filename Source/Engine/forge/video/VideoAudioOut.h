#pragma once
// Plays a video's converted sound through the wave output: written bytes are cut into a
// ring of fixed-size buffers, and each full buffer is queued at the device.
#include "Platform/waveout/WaveOut.h"

#include <cstdint>
#include <memory>
#include <semaphore>
#include <vector>

namespace Kiln
{
    class VideoAudioOut
    {
    public:
        VideoAudioOut(const Plat::WaveOut::WaveFormat* aFormat, std::int32_t aBufferCount, std::int32_t aBufferSize);
        ~VideoAudioOut();
        VideoAudioOut(const VideoAudioOut&) = delete;
        VideoAudioOut& operator=(const VideoAudioOut&) = delete;

        // Blocks while the buffer to be filled next is still at the device.
        void Write(const std::uint8_t* someData, std::int32_t aSize);

        bool IsOpen() const { return myDevice != nullptr; }
        // Buffers handed to the device so far (successful queue writes).
        std::uint32_t GetBuffersWritten() const { return myBuffersWritten; }

    private:
        struct Buffer
        {
            Plat::WaveOut::WaveHeader header;
            Plat::WaveOut::DeviceHandle device = nullptr;
            std::int32_t filled = 0;
            std::unique_ptr<char[]> memory;
        };

        // One count per buffer not held at the device; the device's done callback gives
        // a count back, so a writer waits on it instead of polling the done flag.
        std::counting_semaphore<4096> myFreeBuffers;
        std::int32_t myBufferCount = 0;
        std::int32_t myCurrentBuffer = 0;
        std::vector<std::unique_ptr<Buffer>> myBuffers;
        Plat::WaveOut::DeviceHandle myDevice = nullptr;
        std::uint32_t myBuffersWritten = 0;
        bool myDeviceStalled = false;
    };
}
