#pragma once
// The Adler-32 checksum zlib streams end with, computed sixteen bytes at a time.
#include <cstddef>
#include <cstdint>

namespace Plat::Fbx
{
    // Continues anAdler (1 for a fresh checksum) over aCount bytes; equals zlib's adler32().
    uint32_t Adler32(uint32_t anAdler, const uint8_t* someBytes, size_t aCount);
}
