#include "Platform/fbx/Adler32.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Plat::Fbx
{
    namespace
    {
        constexpr uint32_t Base = 65521;
        // The most bytes after which the 32-bit sums still cannot overflow (zlib's NMAX),
        // a multiple of 16.
        constexpr size_t MaxRun = 5552;
    }

    uint32_t Adler32(uint32_t anAdler, const uint8_t* someBytes, size_t aCount)
    {
        uint64_t s1 = anAdler & 0xffffu;
        uint64_t s2 = anAdler >> 16;
#if defined(__SSE2__)
        // Over a run of n bytes b0..b(n-1): s1 gains the sum of the bytes, and s2 gains
        // n * s1 plus, per 16-byte chunk, 16 times the bytes before the chunk and the
        // chunk's bytes weighted 16, 15, ..., 1.
        const __m128i zero = _mm_setzero_si128();
        const __m128i weightsLow = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
        const __m128i weightsHigh = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
        while (aCount >= 16)
        {
            const size_t run = (aCount < MaxRun ? aCount : MaxRun) & ~size_t(15);
            aCount -= run;
            s2 += s1 * run;
            __m128i sums = zero, before = zero, weighted = zero;
            for (size_t i = 0; i < run; i += 16)
            {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(someBytes + i));
                before = _mm_add_epi32(before, sums);
                sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
                weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), weightsLow));
                weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), weightsHigh));
            }
            someBytes += run;
            alignas(16) uint32_t lanes[3][4];
            _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), sums);
            _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), before);
            _mm_store_si128(reinterpret_cast<__m128i*>(lanes[2]), weighted);
            for (int i = 0; i < 4; ++i)
            {
                s1 += lanes[0][i];
                s2 += 16 * uint64_t(lanes[1][i]) + lanes[2][i];
            }
            s1 %= Base;
            s2 %= Base;
        }
#endif
        while (aCount > 0)
        {
            const size_t run = aCount < MaxRun ? aCount : MaxRun;
            aCount -= run;
            for (size_t i = 0; i < run; ++i)
            {
                s1 += someBytes[i];
                s2 += s1;
            }
            someBytes += run;
            s1 %= Base;
            s2 %= Base;
        }
        return static_cast<uint32_t>((s2 << 16) | s1);
    }
}
