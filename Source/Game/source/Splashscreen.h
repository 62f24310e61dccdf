#pragma once
// The start-up screen: the studio logo for 3.5 s, then the team video until 9.5 s have
// passed, each with its jingle. It cannot be skipped.
#include "State.h"

#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"

#include <memory>

namespace Kiln
{
    class Video;
}

class Splashscreen
{
public:
    Splashscreen() = default;
    ~Splashscreen();
    Splashscreen(const Splashscreen&) = delete;
    Splashscreen& operator=(const Splashscreen&) = delete;

    static constexpr const char* LOGO_PATH = "sprites/Splashscreen/S_UI_KILNlogo.dds";

    // Loads the logo and opens the video, laid out for the engine's render size.
    void Init();
    // The first call only starts the logo jingle; the clocks run from the second call.
    // Writes State::MainMenu once the total time has run out.
    void Update(float aDeltaTime, State& aState);
    void Render();

    float GetLogoTime() const { return myLogoTime; }
    float GetTotalTime() const { return myTotalTime; }
    bool HasVideoStarted() const { return myVideoStarted; }
    const Kiln::Video* GetVideo() const { return myVideo.get(); }

private:
    Kiln::SpriteSharedData myLogoSharedData;
    Kiln::Sprite2DInstanceData myLogoInstance;
    std::shared_ptr<Kiln::Video> myVideo;
    Kiln::Sprite2DInstanceData myFrameInstance;
    Kiln::SpriteSharedData myFrameSharedData;
    bool myStarted = false;
    bool myVideoStarted = false;
    float myLogoTime = 3.5f;
    float myTotalTime = 9.5f;
};
