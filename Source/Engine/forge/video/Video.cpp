#include "forge/video/Video.h"

#include "forge/graphics/DX11.h"
#include "forge/video/VideoPlayer.h"

#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"

#include <bit>
#include <cmath>
#include <vector>

namespace Kiln
{
    Video::Video() = default;

    Video::~Video()
    {
        myFrameTexture.reset();
        if (myPlayer)
        {
            myPlayer->Close();
            myPlayer.reset();
        }
        myTexture.reset();
        myView.reset();
        myBackTexture.reset();
        myBackView.reset();
    }

    bool Video::Init(const char* aPath, bool aWithAudio)
    {
        if (myPlayer)
        {
            return false;
        }
        myPlayer = std::make_unique<VideoPlayer>();
        const std::int32_t opened = myPlayer->Open(aPath, aWithAudio);
        if (opened == VideoPlayer::OpenFailure || opened == VideoPlayer::OpenFileMissing)
        {
            return false;
        }

        myPlayer->DecodeNextFrame();
        myWidth = myPlayer->GetFrameWidth();
        myHeight = myPlayer->GetFrameHeight();
        // A stream without a single decodable picture has nothing to show, and a texture
        // of no size cannot be made.
        if (myWidth == 0 || myHeight == 0)
        {
            return false;
        }
        myTextureWidth = std::bit_ceil(myWidth);
        myTextureHeight = std::bit_ceil(myHeight);

        if (!myView)
        {
            if (DX11::Device == nullptr)
            {
                return false;
            }
            Plat::Gpu::Texture2DDesc desc;
            desc.width = myTextureWidth;
            desc.height = myTextureHeight;
            desc.mipLevels = 1;
            desc.arraySize = 1;
            desc.format = Plat::Gpu::Format::R8G8B8A8_UNORM_SRGB;
            desc.sampleDesc.count = 1;
            desc.usage = Plat::Gpu::Usage::Default;
            desc.bindFlags = Plat::Gpu::Bind::ShaderResource;
            // Cleared once: only the picture's corner is written afterwards, so the margin
            // stays black and clear, and nothing stale shows before the first frame.
            const std::vector<std::uint8_t> clear(static_cast<std::size_t>(myTextureWidth) * myTextureHeight * 4u, 0);
            Plat::Gpu::SubresourceData initial;
            initial.sysMem = clear.data();
            initial.sysMemPitch = myTextureWidth * 4u;
            myTexture = DX11::Device->CreateTexture2D(desc, &initial);
            myBackTexture = DX11::Device->CreateTexture2D(desc, &initial);
            if (!myTexture || !myBackTexture)
            {
                myTexture.reset();
                myBackTexture.reset();
                return false;
            }
            myView = DX11::Device->CreateShaderResourceView(myTexture.get());
            myBackView = DX11::Device->CreateShaderResourceView(myBackTexture.get());
            if (!myView || !myBackView)
            {
                myView.reset();
                myBackView.reset();
                myTexture.reset();
                myBackTexture.reset();
                return false;
            }
            myFrameTexture = std::make_unique<Texture>(myView);
            myPicture.assign(static_cast<std::size_t>(myWidth) * myHeight * 4u, 0);
        }

        myStatus = Ready;

        // Uploads a frame only for a frame period of at most 0.0001 s.
        const bool wasPlaying = myPlaying;
        myPlaying = true;
        myTime = 0.0001f;
        RunFrameLoop();
        myTime = 0.0f;
        myPlaying = wasPlaying;
        return true;
    }

    void Video::Play(bool aLoop)
    {
        myPlaying = true;
        myLoop = aLoop;
    }

    void Video::Stop()
    {
        myStatus = Stopped;
        myPlaying = false;
        if (myPlayer)
        {
            myPlayer->SeekToStart();
        }
    }

    void Video::Update(float aSeconds)
    {
        if (!myPlaying || !myPlayer)
        {
            return;
        }
        myTime += aSeconds;
        RunFrameLoop();
    }

    bool Video::UploadFrame()
    {
        if (DX11::Context == nullptr || !myBackTexture)
        {
            return false;
        }
        // The picture area only: the conversion writes no margin and the upload moves only
        // the picture's texels.
        if (myPlayer->ConvertFrame(myPicture.data(), myWidth, myHeight, myWidth * 4u))
        {
            Plat::Gpu::Box box;
            box.right = myWidth;
            box.bottom = myHeight;
            DX11::Context->UpdateSubresource(myBackTexture.get(), 0, &box, myPicture.data(), myWidth * 4u, 0);
            std::swap(myTexture, myBackTexture);
            std::swap(myView, myBackView);
            myFrameTexture->SetShaderResourceView(myView);
        }
        return true;
    }

    void Video::RunFrameLoop()
    {
        double fps = myPlayer->GetFrameRate();
        // Without a rate the period would be 0 and the loop would never end.
        if (!std::isfinite(fps) || fps <= 0.0)
        {
            fps = FallbackFrameRate;
        }
        const double period = 1.0 / fps;
        while (static_cast<double>(myTime) >= period)
        {
            if (myTexture && myView)
            {
                if (myPlayer->DecodeNextFrame() < 0)
                {
                    myStatus = Ended;
                    if (myLoop)
                    {
                        myPlaying = true;
                        myPlayer->Rewind();
                    }
                }
                if (!UploadFrame())
                {
                    break;
                }
            }
            myTime = static_cast<float>(static_cast<double>(myTime) - period);
        }
    }
}
