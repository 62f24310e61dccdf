#include "Cutscene.h"

#include "Message.h"
#include "PostMaster.h"
#include "Sound.h"
#include "SpriteRecord.h"

#include "forge/engine/Engine.h"
#include "forge/settings/Settings.h"
#include "forge/video/Video.h"

struct Cutscene::Layout
{
    float countdown;
    Kiln::Vector2f position;   // in units of the render size
    Kiln::Vector2f pivot;
    float heightOfWidth;       // drawn height of the video as a share of W; 0: the full height H
};

namespace
{
    // The intro is drawn W x W/2 across the middle of the screen, the outro W x H.
    constexpr float IntroSeconds = 38.0f;
    constexpr float OutroSeconds = 85.0f;
}

Cutscene::~Cutscene() = default;

void Cutscene::InitIntro()
{
    Init("video/VID_Intro.mp4", Layout{IntroSeconds, {0.0f, 0.5f}, {0.0f, 0.5f}, 0.5f});
    Sound::GetInstance().PlayIntroVideoSound();
}

void Cutscene::InitOutro()
{
    Init("video/VID_Outro.mp4", Layout{OutroSeconds, {0.0f, 1.0f}, {0.0f, 0.0f}, 0.0f});
    Sound::GetInstance().PlayOutroVideoSound();
}

void Cutscene::Init(const char* aVideoPath, const Layout& aLayout)
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    const Kiln::Vector2<uint32_t> renderSize = engine ? engine->GetRenderSize() : Kiln::Vector2<uint32_t>{0, 0};
    const float w = static_cast<float>(renderSize.x);
    const float h = static_cast<float>(renderSize.y);

    myVideo = std::make_shared<Kiln::Video>();
    const std::string path = Kiln::Settings::ResolveAssetPath(aVideoPath);
    myFrameInstance = Kiln::Sprite2DInstanceData{};
    myFrameInstance.myPosition = {aLayout.position.x * w, aLayout.position.y * h};
    myFrameInstance.myPivot = aLayout.pivot;
    if (myVideo->Init(path.c_str(), false))
    {
        const float vw = static_cast<float>(myVideo->GetWidth());
        const float vh = static_cast<float>(myVideo->GetHeight());
        const float drawnHeight = aLayout.heightOfWidth > 0.0f ? w * aLayout.heightOfWidth : h;
        myFrameInstance.mySize = {w / vw * static_cast<float>(myVideo->GetTextureWidth()),
                                  drawnHeight / vh * static_cast<float>(myVideo->GetTextureHeight())};
        myFrameSharedData.myTextures[0] = myVideo->GetTexture();
    }
    else
    {
        // Nothing to show: the countdown still runs and ends the cutscene as usual.
        myFrameInstance.myIsHidden = true;
    }
    myVideo->Play(false);
    myCountdown = aLayout.countdown;
}

void Cutscene::Update(float aDeltaTime)
{
    if (myVideo)
        myVideo->Update(aDeltaTime);
    myCountdown -= aDeltaTime;
}

void Cutscene::UpdateIntro(float aDeltaTime, State& aState)
{
    Update(aDeltaTime);
    if (myCountdown < 0.0f)
    {
        aState = State::Playing;
        if (myVideo)
            myVideo->Stop();
    }
}

void Cutscene::UpdateOutro(float aDeltaTime, State& aState)
{
    Update(aDeltaTime);
    if (myCountdown < 0.0f)
    {
        aState = State::MainMenu;
        if (myVideo)
            myVideo->Stop();
        Message message;
        message.type = MessageType::MainTheme;
        PostMaster::GetInstance().SendMessage(message);
    }
}

bool Cutscene::Skip(const InputEvent& anEvent)
{
    if (anEvent.action != Action::Pause)
        return false;
    myCountdown = 0.0f;
    if (myVideo)
        myVideo->Stop();
    return true;
}

void Cutscene::OnInputIntro(const InputEvent& anEvent)
{
    if (Skip(anEvent))
        Sound::GetInstance().StopIntroVideoSound();
}

void Cutscene::OnInputOutro(const InputEvent& anEvent)
{
    if (Skip(anEvent))
        Sound::GetInstance().StopOutroVideoSound();
}

void Cutscene::Render()
{
    if (!myFrameInstance.myIsHidden)
        DrawSpriteRecord(myFrameSharedData, myFrameInstance);
}
