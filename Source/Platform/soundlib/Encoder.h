#pragma once
// Writes PCM to a compressed sound file through FFmpeg, for tools and tests that
// need real files to decode (nothing of the game encodes at run time).
#include <cstdint>
#include <string>

namespace Plat::Sound
{
    // The codec EncodeFile uses: "libmp3lame" when this FFmpeg build has it, else the
    // built-in "mp2" (also an MPEG audio stream that MP3 readers accept), else "pcm_s16le"
    // in a WAV container.
    const char* PreferredEncoder();

    // Encodes aFrameCount frames of interleaved 16-bit PCM with aChannels channels
    // (1 or 2) at aRate into aPath. False when any step fails (the file may be partial).
    bool EncodeFile(const std::string& aPath, const int16_t* someSamples, uint32_t aFrameCount,
                    uint32_t aChannels, uint32_t aRate);
}
