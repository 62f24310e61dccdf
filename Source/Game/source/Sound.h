#pragma once
// The game's sound bank: every music track, jingle, effect and cutscene soundtrack as a
// clip, played, stopped and re-levelled in answer to bus messages, with the music and
// effects volumes of the options screen, a mute switch and distance-driven enemy loops.
#include "Subscriber.h"

#include <cstddef>
#include <cstdint>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Kiln
{
    class AudioClip;
}

class Sound : public Subscriber
{
public:
    // The bank; the first call creates it and subscribes it to message types 2 to 28.
    static Sound& GetInstance();
    ~Sound() override;
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Sets both volumes to 0.5 and loads the 35 clips.
    void Init();
    // Init in two halves, for start-up: BeginInit sets the volumes, opens the sound output
    // and starts decoding every clip on worker threads; FinishInit (waiting for the decoding
    // if need be) loads the clips in their order with their messages. A clip asked to play
    // in between starts when it is loaded.
    void BeginInit();
    bool IsDecoded() const;
    void FinishInit();
    // The decoding threads are done when this returns; a run that ends before FinishInit
    // (bad content) waits here before the sound output goes away.
    void WaitForDecoding();

    float GetMusicVolume() const { return myMusicVolume; }
    float GetSfxVolume() const { return mySfxVolume; }

    void PlayIntroVideoSound();
    void PlayOutroVideoSound();
    void StopIntroVideoSound();
    void StopOutroVideoSound();

    // The boss loop rises from silent at x 5000 to twice the effects volume at 7500.
    void UpdateBossVolume(float aPlayerX);
    // Each enemy loop: full effects volume within 200 units, fading (in squared distance)
    // to silence at 1700; a distance equal to aNone means no such enemy.
    void UpdateEnemyVolumes(const float& aNone, const float& aBlobDistanceSquared, const float& aHandsDistanceSquared);

    void Receive(const Message& aMessage) override;

    static float InverseLerp(float aStart, float aEnd, float aValue);

private:
    Sound();

    void StopMusic();
    void PlayLevelMusic(const char* aLevelPath);
    void ApplyMusicVolume();
    void ApplySfxVolume();
    void UpdateEnemyVolume(size_t aClip, float aNone, float aDistanceSquared);

    // Clip access that tolerates messages arriving before Init.
    void PlayClip(size_t anIndex);
    void StopClip(size_t anIndex);
    void SetClipVolume(size_t anIndex, float aVolume);

    bool myMuted = false;
    int32_t myNpcVoiceIndex = 0;
    float myMusicVolume = 0.5f;
    float mySfxVolume = 0.5f;
    float myNearDistanceSquared = 40000.0f;
    float myFarDistanceSquared = 2890000.0f;
    std::vector<std::unique_ptr<Kiln::AudioClip>> myClips;
    bool myIsLoading = false;
    std::vector<size_t> myWaitingPlays;
    std::vector<std::string> myPrefetchPaths;
    std::atomic<bool> myIsDecoded{false};
    std::thread myPrefetch;
};
