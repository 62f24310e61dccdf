#include "Splashscreen.h"

#include "Message.h"
#include "PostMaster.h"
#include "SpriteRecord.h"

#include "forge/engine/Engine.h"
#include "forge/settings/Settings.h"
#include "forge/texture/TextureManager.h"
#include "forge/video/Video.h"

Splashscreen::~Splashscreen() = default;

void Splashscreen::Init()
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    const Kiln::Vector2<uint32_t> renderSize = engine ? engine->GetRenderSize() : Kiln::Vector2<uint32_t>{0, 0};
    const float w = static_cast<float>(renderSize.x);
    const float h = static_cast<float>(renderSize.y);

    // The logo is read and made on a worker (from the engine's start, as Go asks) while the
    // film opens here.
    Kiln::TextureManager* textures = engine ? engine->GetTextureManager() : nullptr;
    if (textures)
    {
        textures->MakePrefetchedOnWorkers();
        textures->PrefetchTextures({LOGO_PATH}, Kiln::TextureSrgbMode::ForceSrgb);
    }
    myLogoInstance.myPosition = {w / 2.0f, h / 2.0f};
    myLogoInstance.myPivot = {0.5f, 0.5f};
    myLogoInstance.mySize = {w, w};
    myLogoInstance.myColor = {1.0f, 1.0f, 1.0f, 1.0f};

    myVideo = std::make_shared<Kiln::Video>();
    const std::string path = Kiln::Settings::ResolveAssetPath("video/VID_VT58.mp4");
    myFrameInstance.myPosition = {0.0f, h / 2.0f};
    myFrameInstance.myPivot = {0.0f, 0.25f};
    if (myVideo->Init(path.c_str(), false))
    {
        const float vw = static_cast<float>(myVideo->GetWidth());
        const float vh = static_cast<float>(myVideo->GetHeight());
        myFrameInstance.mySize = {w / vw * static_cast<float>(myVideo->GetTextureWidth()),
                                  (w / 2.0f) / vh * static_cast<float>(myVideo->GetTextureHeight())};
        myFrameSharedData.myTextures[0] = myVideo->GetTexture();
    }
    else
    {
        // Nothing to show: the screen stays dark while the clocks run as usual.
        myFrameInstance.myIsHidden = true;
    }

    if (textures)
        myLogoSharedData.myTextures[0] = textures->GetTexture(LOGO_PATH, Kiln::TextureSrgbMode::ForceSrgb);

    myStarted = false;
    myVideoStarted = false;
    myLogoTime = 3.5f;
    myTotalTime = 9.5f;
}

void Splashscreen::Update(float aDeltaTime, State& aState)
{
    if (!myStarted)
    {
        myStarted = true;
        PostMaster::Send(MessageType::IntroLogoSound);
    }
    else
    {
        myLogoTime -= aDeltaTime;
        myTotalTime -= aDeltaTime;
    }

    if (!myVideoStarted && myLogoTime < 0.0f)
    {
        myVideoStarted = true;
        PostMaster::Send(MessageType::IntroTeamSound);
        if (myVideo)
            myVideo->Play(false);
    }
    if (myVideoStarted && myVideo)
        myVideo->Update(aDeltaTime);

    if (myTotalTime < 0.0f)
    {
        aState = State::MainMenu;
        if (myVideo)
            myVideo->Stop();
    }
}

void Splashscreen::Render()
{
    if (myLogoTime > 0.0f)
        DrawSpriteRecord(myLogoSharedData, myLogoInstance);
    else if (!myFrameInstance.myIsHidden)
        DrawSpriteRecord(myFrameSharedData, myFrameInstance);
}
