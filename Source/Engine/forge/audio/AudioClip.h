#pragma once
// One sound of the game: a sample of the sound output and the channel it last started.
#include <cstdint>

namespace Kiln
{
    class AudioClip
    {
    public:
        // Creates the sound output on first use, then loads the asset path's file.
        void Init(const char* aPath, bool aLoop);
        // Starts a new playback at the stored volume.
        bool Play();
        // Stores the volume (also before Init) and applies it to the last playback.
        void SetVolume(float aVolume);
        void Stop(bool anImmediately);

        // -1 not loaded, 0 a duplicate of an already loaded path, else the sample handle.
        int32_t GetSample() const { return mySample; }
        uint32_t GetChannel() const { return myChannel; }
        float GetVolume() const { return myVolume; }

    private:
        int32_t mySample = -1;
        uint32_t myChannel = 0;
        float myVolume = 1.0f;
    };
}
