#pragma once
// A full-screen video with its soundtrack, shown for a fixed time before the first level
// (intro) or after the last (outro). Pause skips it.
#include "InputEvent.h"
#include "State.h"

#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"

#include <memory>

namespace Kiln
{
    class Video;
}

class Cutscene
{
public:
    Cutscene() = default;
    ~Cutscene();
    Cutscene(const Cutscene&) = delete;
    Cutscene& operator=(const Cutscene&) = delete;

    // Open the video, start it and its soundtrack, and set the countdown (38 s / 85 s).
    void InitIntro();
    void InitOutro();

    // Advance the video and the countdown; once the countdown is below 0 the intro writes
    // State::Playing, the outro State::MainMenu (and starts the main theme).
    void UpdateIntro(float aDeltaTime, State& aState);
    void UpdateOutro(float aDeltaTime, State& aState);

    // Pause (pressed or released) ends the countdown and silences the soundtrack at once.
    void OnInputIntro(const InputEvent& anEvent);
    void OnInputOutro(const InputEvent& anEvent);

    void Render();

    float GetCountdown() const { return myCountdown; }
    const Kiln::Video* GetVideo() const { return myVideo.get(); }
    const Kiln::Sprite2DInstanceData& GetFrameInstance() const { return myFrameInstance; }

private:
    struct Layout;
    void Init(const char* aVideoPath, const Layout& aLayout);
    void Update(float aDeltaTime);
    bool Skip(const InputEvent& anEvent);

    float myCountdown = 0.0f;
    std::shared_ptr<Kiln::Video> myVideo;
    Kiln::Sprite2DInstanceData myFrameInstance;
    Kiln::SpriteSharedData myFrameSharedData;
};
