// The mixing callback must not allocate: global operator new is counted here (for this
// test program) while the test mixes. Every unaligned form is replaced, so whatever
// allocates through one form and frees through another stays consistent.
#include "Platform/soundlib/SoundLib.h"
#include "Support/SoundFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

namespace
{
    std::atomic<bool> gCounting{false};
    std::atomic<int> gAllocations{0};
}

// The replacements pair malloc with free; GCC cannot see that new and delete here match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t aSize)
{
    if (gCounting)
        ++gAllocations;
    if (void* p = std::malloc(aSize ? aSize : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t aSize) { return ::operator new(aSize); }
void* operator new(std::size_t aSize, const std::nothrow_t&) noexcept
{
    if (gCounting)
        ++gAllocations;
    return std::malloc(aSize ? aSize : 1);
}
void* operator new[](std::size_t aSize, const std::nothrow_t& aTag) noexcept { return ::operator new(aSize, aTag); }
void operator delete(void* aPointer, const std::nothrow_t&) noexcept { std::free(aPointer); }
void operator delete[](void* aPointer, const std::nothrow_t&) noexcept { std::free(aPointer); }
void operator delete(void* aPointer) noexcept { std::free(aPointer); }
void operator delete[](void* aPointer) noexcept { std::free(aPointer); }
void operator delete(void* aPointer, std::size_t) noexcept { std::free(aPointer); }
void operator delete[](void* aPointer, std::size_t) noexcept { std::free(aPointer); }
#pragma GCC diagnostic pop

TEST(SoundLibMixing, MixingAllocatesNothing)
{
    namespace S = Plat::Sound;
    const auto folder = TestSupport::MakeScratchFolder("soundlib_alloc");
    ASSERT_TRUE(S::Init(S::DEVICE_NONE, 44100, 0, nullptr, nullptr));
    for (int i = 0; i < 4; ++i)
    {
        const auto path = folder / ("clip" + std::to_string(i) + ".mp3");
        ASSERT_TRUE(TestSupport::WriteClip(path, TestSupport::MakeTone(300 + 100 * i, 0.2, 5000)));
        const S::HSAMPLE sample = S::SampleLoad(0, path.c_str(), 0, 0, 3, i % 2 ? S::SAMPLE_LOOP : 0);
        ASSERT_NE(sample, 0u);
        for (int c = 0; c < 3; ++c)
            S::ChannelPlay(S::SampleGetChannel(sample, 0), 0);
    }
    std::vector<int16_t> out(44100 * 2);

    // The counter sees allocations at all.
    gCounting = true;
    ::operator delete(::operator new(16));
    gCounting = false;
    ASSERT_EQ(gAllocations.load(), 1);

    gAllocations = 0;
    gCounting = true;
    // Long enough for the one-shot channels to end and the loops to wrap several times.
    const bool mixed = S::MixInto(out.data(), 44100);
    gCounting = false;
    EXPECT_TRUE(mixed);
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_GT(TestSupport::PeakOf(out, 44100), 0) << "the loops still play at the end";

    S::Free();
    std::filesystem::remove_all(folder);
}
