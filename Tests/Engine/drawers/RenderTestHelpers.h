#pragma once
// Helpers for tests that draw through the engine and read the back buffer back.
#include "forge/graphics/DX11.h"
#include "forge/graphics/Texture.h"

#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/gpu/Trace.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace SpriteTest
{
    struct Rgba
    {
        int r = 0, g = 0, b = 0, a = 0;
    };

    // The back buffer, top row first, as 8-bit RGBA.
    struct Image
    {
        uint32_t width = 0;
        uint32_t height = 0;
        std::vector<uint8_t> bgra;

        Rgba At(uint32_t aColumn, uint32_t aRow) const
        {
            const size_t i = (static_cast<size_t>(aRow) * width + aColumn) * 4;
            return {bgra[i + 2], bgra[i + 1], bgra[i + 0], bgra[i + 3]};
        }
        // Sprite space has y up from the bottom row.
        Rgba AtSpritePoint(float x, float y) const
        {
            return At(static_cast<uint32_t>(x), static_cast<uint32_t>(static_cast<float>(height) - y));
        }
        bool IsLit(uint32_t aColumn, uint32_t aRow, int aThreshold = 128) const
        {
            const Rgba p = At(aColumn, aRow);
            return p.r + p.g + p.b >= aThreshold;
        }
    };

    inline Image ReadBackBuffer()
    {
        Image image;
        const std::shared_ptr<Plat::Gpu::Texture2D> buffer = Kiln::DX11::SwapChain->GetBuffer(0);
        image.width = buffer->GetDesc().width;
        image.height = buffer->GetDesc().height;
        // Mesa can hand back texels from before rendering that went through another view
        // of the same texture unless the GPU has finished.
        glFinish();
        EXPECT_TRUE(Kiln::DX11::Context->ReadSubresource(buffer.get(), 0, image.bgra));
        EXPECT_EQ(image.bgra.size(), static_cast<size_t>(image.width) * image.height * 4);
        return image;
    }

    // Calls of one name from the context's trace, in order.
    inline std::vector<Plat::Gpu::TraceCall> CallsNamed(const std::string& aName)
    {
        std::vector<Plat::Gpu::TraceCall> calls;
        for (const Plat::Gpu::TraceCall& call : Kiln::DX11::Context->GetTrace())
            if (call.name == aName)
                calls.push_back(call);
        return calls;
    }

    // Tracing on from construction to destruction, starting empty.
    class ScopedTrace
    {
    public:
        ScopedTrace()
        {
            Kiln::DX11::Context->ClearTrace();
            Kiln::DX11::Context->SetTraceEnabled(true);
        }
        ~ScopedTrace()
        {
            if (Kiln::DX11::Context != nullptr)
            {
                Kiln::DX11::Context->SetTraceEnabled(false);
                Kiln::DX11::Context->ClearTrace();
            }
        }
    };

    // A folder of its own for one test, removed afterwards.
    class TempFolder
    {
    public:
        TempFolder()
        {
            std::random_device random;
            myPath = std::filesystem::temp_directory_path() /
                     ("kiln_sprites_" + std::to_string(::getpid()) + "_" + std::to_string(random()));
            std::filesystem::create_directories(myPath);
        }
        ~TempFolder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(myPath, ignored);
        }
        const std::filesystem::path& Path() const { return myPath; }

        // Writes aText to aName inside the folder; returns the full path.
        std::filesystem::path Write(const std::string& aName, const std::string& aText) const
        {
            const std::filesystem::path file = myPath / aName;
            std::filesystem::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary) << aText;
            return file;
        }

    private:
        std::filesystem::path myPath;
    };

    // An RGBA8 texture from texels given top row first (red in the lowest byte).
    inline std::unique_ptr<Kiln::Texture> MakeTexture(uint32_t aWidth, uint32_t aHeight, const std::vector<uint32_t>& someTexels)
    {
        Plat::Gpu::Texture2DDesc desc;
        desc.width = aWidth;
        desc.height = aHeight;
        desc.format = Plat::Gpu::Format::R8G8B8A8_UNORM;
        desc.bindFlags = Plat::Gpu::Bind::ShaderResource;
        Plat::Gpu::SubresourceData data;
        data.sysMem = someTexels.data();
        data.sysMemPitch = aWidth * 4;
        const auto texture = Kiln::DX11::Device->CreateTexture2D(desc, &data);
        if (texture == nullptr)
            return nullptr;
        return std::make_unique<Kiln::Texture>(Kiln::DX11::Device->CreateShaderResourceView(texture.get()));
    }
}
