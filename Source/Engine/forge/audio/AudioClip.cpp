#include "forge/audio/AudioClip.h"

#include "forge/audio/AudioOut.h"
#include "forge/settings/Settings.h"

namespace Kiln
{
    void AudioClip::Init(const char* aPath, bool aLoop)
    {
        AudioOut& out = AudioOut::GetOrCreateInstance();
        const std::string resolved = Settings::ResolveAssetPath(aPath ? aPath : "");
        mySample = out.Load(resolved, aLoop);
    }

    bool AudioClip::Play()
    {
        if (mySample == -1)
            return false;
        return AudioOut::GetOrCreateInstance().Play(mySample, &myChannel, myVolume);
    }

    void AudioClip::SetVolume(float aVolume)
    {
        myVolume = aVolume;
        if (mySample != -1)
            AudioOut::GetOrCreateInstance().SetVolume(&myChannel, aVolume);
    }

    void AudioClip::Stop(bool anImmediately)
    {
        if (mySample != -1)
            AudioOut::GetOrCreateInstance().Stop(mySample, anImmediately);
    }
}
