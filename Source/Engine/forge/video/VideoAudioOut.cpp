#include "forge/video/VideoAudioOut.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

namespace Kiln
{
    namespace
    {
        constexpr std::int32_t MaxBuffers = 4096;
        // Far longer than the ring plays for; a device that has not handed a buffer back by
        // then has stopped consuming (lost or paused), and waiting longer would hang the game.
        constexpr auto StallTimeout = std::chrono::seconds(3);
    }

    VideoAudioOut::VideoAudioOut(const Plat::WaveOut::WaveFormat* aFormat, std::int32_t aBufferCount, std::int32_t aBufferSize)
        : myFreeBuffers(std::clamp(aBufferCount, 0, MaxBuffers))
        , myBufferCount(std::clamp(aBufferCount, 0, MaxBuffers))
    {
        using namespace Plat::WaveOut;
        const Result opened = Open(&myDevice, WaveMapper, aFormat, [this](WaveHeader&) { myFreeBuffers.release(); });
        if (opened != NoError)
        {
            myDevice = nullptr;
        }

        myBuffers.reserve(static_cast<std::size_t>(myBufferCount));
        for (std::int32_t i = 0; i < myBufferCount; ++i)
        {
            auto buffer = std::make_unique<Buffer>();
            buffer->device = myDevice;
            if (aBufferSize > 0)
            {
                buffer->memory.reset(new (std::nothrow) char[static_cast<std::size_t>(aBufferSize)]);
            }
            if (buffer->memory)
            {
                buffer->header.data = buffer->memory.get();
                buffer->header.bufferLength = static_cast<std::uint32_t>(aBufferSize);
                if (myDevice != nullptr)
                {
                    PrepareHeader(myDevice, &buffer->header);
                }
            }
            myBuffers.push_back(std::move(buffer));
        }
    }

    VideoAudioOut::~VideoAudioOut()
    {
        using namespace Plat::WaveOut;
        if (myDevice != nullptr)
        {
            Reset(myDevice);
        }
        for (auto& buffer : myBuffers)
        {
            if (buffer->memory && myDevice != nullptr)
            {
                UnprepareHeader(myDevice, &buffer->header);
            }
            buffer->memory.reset();
        }
        if (myDevice != nullptr)
        {
            Close(myDevice);
            myDevice = nullptr;
        }
    }

    void VideoAudioOut::Write(const std::uint8_t* someData, std::int32_t aSize)
    {
        using namespace Plat::WaveOut;
        if (aSize <= 0 || someData == nullptr)
        {
            return;
        }
        // Without a device nothing ever comes back, so the sound is dropped instead of
        // waiting forever.
        if (myDevice == nullptr || myBufferCount == 0 || myDeviceStalled)
        {
            return;
        }

        std::int32_t remaining = aSize;
        while (remaining > 0)
        {
            Buffer& buffer = *myBuffers[static_cast<std::size_t>(myCurrentBuffer)];
            if (!buffer.memory)
            {
                return;
            }
            const auto length = static_cast<std::int32_t>(buffer.header.bufferLength);
            if (buffer.filled == 0)
            {
                // Buffers come back in the order they were queued, so a free count means
                // this one (the oldest queued) is done.
                if (!myFreeBuffers.try_acquire_for(StallTimeout))
                {
                    myDeviceStalled = true;
                    return;
                }
            }

            const std::int32_t count = std::min(remaining, length - buffer.filled);
            std::memcpy(buffer.header.data + buffer.filled, someData, static_cast<std::size_t>(count));
            buffer.filled += count;
            someData += count;
            remaining -= count;
            if (buffer.filled < length)
            {
                return;
            }

            buffer.filled = 0;
            if (Plat::WaveOut::Write(myDevice, &buffer.header) == NoError)
            {
                ++myBuffersWritten;
            }
            else
            {
                myFreeBuffers.release();
            }
            myCurrentBuffer = (myCurrentBuffer + 1) % myBufferCount;
        }
    }
}
