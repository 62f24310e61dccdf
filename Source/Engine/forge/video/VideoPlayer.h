#pragma once
// The decoding state of one video file: demuxes packets, decodes the chosen video stream
// (and optionally the first audio stream, sent to a VideoAudioOut) and converts the latest
// picture to RGBA rows for a texture.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVCodec;
struct AVCodecContext;
struct SwsContext;
struct SwrContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

namespace Kiln
{
    class VideoAudioOut;

    class VideoPlayer
    {
    public:
        enum OpenResult : std::int32_t
        {
            OpenSuccess = 0,
            OpenFailure = 1,
            OpenFileMissing = 2,
        };

        VideoPlayer();
        ~VideoPlayer();
        VideoPlayer(const VideoPlayer&) = delete;
        VideoPlayer& operator=(const VideoPlayer&) = delete;

        std::int32_t Open(const char* aPath, bool aWithAudio);
        // Reads packets until one video frame is complete; returns the last read result,
        // negative once the stream is finished and no decoded frame is left.
        std::int32_t DecodeNextFrame();
        // Frames per second from the stream, then the codec's time base; 0 when none is usable.
        double GetFrameRate() const;
        // Writes the latest picture into the top-left of a aTextureWidth x aTextureHeight RGBA
        // area (aRowPitch bytes per row) and zeros the rest; false before the first frame.
        bool ConvertFrame(std::uint8_t* aDestination, std::uint32_t aTextureWidth, std::uint32_t aTextureHeight, std::uint32_t aRowPitch);
        void ResampleAudio(AVFrame* aFrame);
        void Rewind();
        void SeekToStart();
        void Close();

        // Size of the latest decoded frame (0 x 0 before the first).
        std::uint32_t GetFrameWidth() const;
        std::uint32_t GetFrameHeight() const;
        std::uint32_t GetFramesConverted() const { return myFramesConverted; }
        bool HasFrame() const { return myFrameComplete; }
        bool HasAudioStream() const { return myAudioStream >= 0; }
        const VideoAudioOut* GetAudioOut() const { return myAudioOut.get(); }

    private:
        struct PcmOutput
        {
            std::int32_t channels = 2;
            std::int32_t sampleRate = 44100;
            std::int32_t bytesPerSample = 2;
            std::vector<std::uint8_t> samples;
            std::int32_t size = 0;
        };

        bool ReceiveVideoFrame();
        bool PrepareScaler();
        void DecodeAudioPacket(const AVPacket* aPacket);
        void DrainAudio();
        bool ConfigureResampler(int aChannels, int aSampleFormat, int aSampleRate);
        void WritePcm();
        void Seek(int aFlags);

        const AVCodec* myVideoDecoder = nullptr;
        AVCodecContext* myVideoContext = nullptr;
        AVCodecContext* myAudioContext = nullptr;
        SwsContext* myScaler = nullptr;
        SwrContext* myResampler = nullptr;
        AVFormatContext* myFormat = nullptr;
        AVFrame* myDecodedFrame = nullptr;
        AVFrame* myRgbaFrame = nullptr;
        AVFrame* myAudioFrame = nullptr;
        AVPacket* myPacket = nullptr;
        std::string myPath;
        std::uint8_t* myRgbaBuffer = nullptr;
        std::int32_t myLastResult = 0;
        std::uint32_t myFramesConverted = 0;
        bool myFrameComplete = false;
        std::int32_t myVideoStream = -1;
        std::int32_t myRgbaBufferSize = 0;
        std::int32_t myAudioStream = -1;
        PcmOutput myPcm;
        std::unique_ptr<VideoAudioOut> myAudioOut;
        bool myAudioOutCreated = false;

        // Picture size the RGBA rows are made at (the stream's coded size).
        std::int32_t myPictureWidth = 0;
        std::int32_t myPictureHeight = 0;
        // What the resampler was set up for, so a frame in another layout gets a new one.
        int myResamplerChannels = 0;
        int myResamplerFormat = -1;
        int myResamplerRate = 0;
        AVFrame* myScratchFrame = nullptr;
        AVFrame* myTargetFrame = nullptr;   // what the scaler writes into, borrowed memory
        // What the scaler was made for.
        int myScalerWidth = 0;
        int myScalerHeight = 0;
        int myScalerFormat = -1;
        std::vector<std::uint8_t> myResampleScratch;
        bool myVideoDraining = false;
        bool myAudioDrained = false;
    };
}
