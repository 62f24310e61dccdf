#pragma once
// A decoded texture on the CPU side: every subresource of a 2D texture, its array
// slices and mip levels, ready to hand to the gpu layer as initial data.
#include "Platform/image/DxgiFormat.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <string>
#include <vector>

namespace Plat::Image
{
    // Flags of the texture loaders: sRGB as stored, forced on, or stripped.
    enum LoadFlags : uint32_t
    {
        LoadDefault = 0,
        LoadForceSrgb = 0x1,
        LoadIgnoreSrgb = 0x2,
    };

    // Memory for large pixel buffers in huge pages where the system gives them: a page
    // fault is dear, and a large texture would take thousands of small ones.
    constexpr size_t LARGE_BUFFER_BYTES = size_t(4) << 20;
    void* AllocateLarge(size_t aByteCount);
    void FreeLarge(void* aPointer) noexcept;

    // Leaves new bytes uninitialised: a file's pixels are read straight into them, and
    // zeroing first would touch every page of a large texture once more.
    template <typename T>
    struct UninitialisedAllocator : std::allocator<T>
    {
        T* allocate(size_t aCount)
        {
            if (aCount >= LARGE_BUFFER_BYTES / sizeof(T))
                return static_cast<T*>(AllocateLarge(aCount * sizeof(T)));
            return std::allocator<T>::allocate(aCount);
        }
        void deallocate(T* aPointer, size_t aCount) noexcept
        {
            if (aCount >= LARGE_BUFFER_BYTES / sizeof(T))
                FreeLarge(aPointer);
            else
                std::allocator<T>::deallocate(aPointer, aCount);
        }
        template <typename U>
        struct rebind
        {
            using other = UninitialisedAllocator<U>;
        };
        UninitialisedAllocator() = default;
        template <typename U>
        UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept
        {
        }
        template <typename U>
        void construct(U* aPointer) noexcept(std::is_nothrow_default_constructible_v<U>)
        {
            ::new (static_cast<void*>(aPointer)) U;
        }
        template <typename U, typename... Args>
        void construct(U* aPointer, Args&&... someArgs)
        {
            ::new (static_cast<void*>(aPointer)) U(std::forward<Args>(someArgs)...);
        }
    };
    using ByteBuffer = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

    struct Subresource
    {
        size_t offset = 0;    // into ImageData::bytes
        uint32_t rowPitch = 0;
        uint32_t slicePitch = 0;
        uint32_t width = 0;
        uint32_t height = 0;
    };

    struct ImageData
    {
        DxgiFormat format = DxgiFormat::Unknown;
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t mipCount = 1;
        uint32_t arraySize = 1;   // 2D slices; a cube map counts its six faces
        bool isCube = false;
        ByteBuffer bytes;
        // Slice-major, then mip level: index = slice * mipCount + mip (D3D order).
        std::vector<Subresource> subresources;

        const uint8_t* Data(const Subresource& aSub) const { return bytes.data() + aSub.offset; }
    };

    // Largest texture side and array size the loaders accept, as the D3D 11 limits.
    inline constexpr uint32_t MaxTextureDimension = 16384;
    inline constexpr uint32_t MaxTextureArraySize = 2048;
    inline constexpr uint32_t MaxMipLevels = 15;

    // Applies the force/ignore sRGB flags to a format.
    DxgiFormat ApplySrgbFlags(DxgiFormat aFormat, uint32_t someFlags);
}
