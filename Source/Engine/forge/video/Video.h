#pragma once
// A video played into a texture: frames are decoded as the game's time accumulates, at
// the stream's frame rate, converted to RGBA and uploaded into the top-left corner of a
// texture whose sides are the next powers of two (the rest stays clear). Optionally plays
// the sound.
#include "forge/graphics/Texture.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Plat::Gpu
{
    class ShaderResourceView;
    class Texture2D;
}

namespace Kiln
{
    class VideoPlayer;

    class Video
    {
    public:
        enum Status : std::uint32_t
        {
            Stopped = 0,
            Ready = 1,   // after Init
            Ended = 2,   // the last decode found the end of the stream
        };

        // Frames per second used for a stream that gives no usable rate.
        static constexpr double FallbackFrameRate = 25.0;

        Video();
        ~Video();
        Video(const Video&) = delete;
        Video& operator=(const Video&) = delete;

        // Opens the file and creates the frame texture; a video is initialised only once.
        bool Init(const char* aPath, bool aWithAudio);
        void Play(bool aLoop);
        // Status Stopped, and back to the start.
        void Stop();
        // Adds aSeconds and uploads one frame per whole frame period accumulated.
        void Update(float aSeconds);

        // What the game draws; null until Init has succeeded.
        Texture* GetTexture() const { return myFrameTexture.get(); }
        std::uint32_t GetStatus() const { return myStatus; }
        bool IsPlaying() const { return myPlaying; }
        // Size of the first decoded frame, and of the texture holding it.
        std::uint32_t GetWidth() const { return myWidth; }
        std::uint32_t GetHeight() const { return myHeight; }
        std::uint32_t GetTextureWidth() const { return myTextureWidth; }
        std::uint32_t GetTextureHeight() const { return myTextureHeight; }
        // Seconds accumulated towards the next frame.
        float GetTime() const { return myTime; }
        const VideoPlayer* GetPlayer() const { return myPlayer.get(); }

    private:
        void RunFrameLoop();
        // Converts the latest picture and uploads it into the texture not shown now, which
        // then becomes the one shown; false when there is nothing to upload to.
        bool UploadFrame();

        std::unique_ptr<Texture> myFrameTexture;
        std::unique_ptr<VideoPlayer> myPlayer;
        // Two textures take turns: a frame is uploaded into the one the GPU last read a frame
        // ago, so the upload does not wait for the draw that shows the current one.
        std::shared_ptr<Plat::Gpu::ShaderResourceView> myView;
        std::shared_ptr<Plat::Gpu::Texture2D> myTexture;
        std::shared_ptr<Plat::Gpu::ShaderResourceView> myBackView;
        std::shared_ptr<Plat::Gpu::Texture2D> myBackTexture;
        // The picture as RGBA rows, converted before each upload.
        std::vector<std::uint8_t> myPicture;
        std::uint32_t myWidth = 0;
        std::uint32_t myHeight = 0;
        float myTime = 0.0f;
        std::uint32_t myStatus = Stopped;
        bool myPlaying = false;
        bool myLoop = false;
        std::uint32_t myTextureWidth = 0;
        std::uint32_t myTextureHeight = 0;
    };
}
