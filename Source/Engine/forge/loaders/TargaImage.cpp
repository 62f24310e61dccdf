#include "forge/loaders/TargaImage.h"

#include "Platform/runtime/Assert.h"
#include "Platform/runtime/Paths.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace Kiln
{
    namespace
    {
        constexpr size_t theHeaderSize = 18;

        struct FileCloser
        {
            void operator()(FILE* f) const { std::fclose(f); }
        };
    }

    std::unique_ptr<TargaImage> LoadTargaImage(const wchar_t* aPath)
    {
        const std::string path = Plat::Runtime::ToNarrow(aPath ? aPath : L"");
        FILE* fp = std::fopen(path.c_str(), "rb");
        KILN_ASSERT(fp != NULL);
        if (!fp)
            return nullptr;
        std::unique_ptr<FILE, FileCloser> file(fp);

        uint8_t header[theHeaderSize];
        if (std::fread(header, 1, theHeaderSize, fp) != theHeaderSize)
            return nullptr;

        auto image = std::make_unique<TargaImage>();
        image->myWidth = uint16_t(header[12] | (header[13] << 8));
        image->myHeight = uint16_t(header[14] | (header[15] << 8));
        image->myBitsPerPixel = header[16];
        if (image->myBitsPerPixel != 32 || image->myWidth == 0 || image->myHeight == 0)
            return nullptr;

        // A file holding fewer pixels than its header promises is refused rather than
        // read past its end (and before any memory is set aside for them).
        const size_t rowBytes = size_t(image->myWidth) * 4;
        const size_t total = rowBytes * image->myHeight;
        if (std::fseek(fp, 0, SEEK_END) != 0)
            return nullptr;
        const long fileSize = std::ftell(fp);
        if (fileSize < 0 || size_t(fileSize) < theHeaderSize + total || std::fseek(fp, long(theHeaderSize), SEEK_SET) != 0)
            return nullptr;
        image->myPixels.resize(total);
        if (std::fread(image->myPixels.data(), 1, total, fp) != total)
            return nullptr;
        file.reset();

        // Bottom row first on disk; top row first in memory.
        uint8_t* pixels = image->myPixels.data();
        for (size_t top = 0, bottom = image->myHeight - 1u; top < bottom; ++top, --bottom)
            std::swap_ranges(pixels + top * rowBytes, pixels + (top + 1) * rowBytes, pixels + bottom * rowBytes);

        // B, G, R, A becomes R, G, B, A.
        for (size_t i = 0; i < total; i += 4)
            std::swap(pixels[i], pixels[i + 2]);
        return image;
    }
}
