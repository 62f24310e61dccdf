#pragma once
// Whole-file audio decoding through FFmpeg into interleaved 16-bit stereo.
#include <cstdint>
#include <string>
#include <vector>

namespace Plat::Sound
{
    struct DecodeResult
    {
        int error = 0;                 // an Error code of SoundLib.h; 0 on success
        std::vector<int16_t> samples;  // interleaved left, right
        uint32_t FrameCount() const { return static_cast<uint32_t>(samples.size() / 2); }
    };

    // Decodes the first audio stream of a file at aRate frames per second. A file that
    // cannot be opened, holds no audio, decodes with errors (damaged or cut short) or
    // decodes to nothing is refused with its error code and no samples.
    DecodeResult DecodeFile(const std::string& aPath, uint32_t aRate);
}
