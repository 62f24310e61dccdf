#include "forge/text/TextService.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/graphics/Texture.h"
#include "forge/settings/Settings.h"
#include "forge/text/FontAtlasBuilder.h"
#include "forge/text/InternalTextAndFontData.h"
#include "forge/text/Text.h"
#include "forge/text/TextLayout.h"

#include "Platform/gpu/Device.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <chrono>
#include <system_error>
#include <vector>

namespace Kiln
{
    namespace
    {
        // Small sizes stay crisp with point sampling.
        constexpr uint32_t POINT_FILTER_BELOW_SIZE = 18;
        constexpr uint32_t FILTER_POINT = 0;
        constexpr uint32_t FILTER_LINEAR_MIP_POINT = 1;
        constexpr uint32_t ADDRESS_CLAMP = 0;

        // Each level below the atlas averages 2 x 2 texels of the one above, per channel.
        std::vector<std::vector<uint32_t>> MakeMipChain(const std::vector<uint32_t>& aTop, uint32_t aSize)
        {
            std::vector<std::vector<uint32_t>> levels;
            const std::vector<uint32_t>* above = &aTop;
            for (uint32_t size = aSize / 2; size >= 1; size /= 2)
            {
                const uint32_t aboveSize = size * 2;
                std::vector<uint32_t> level(static_cast<size_t>(size) * size);
                for (uint32_t y = 0; y < size; ++y)
                {
                    for (uint32_t x = 0; x < size; ++x)
                    {
                        const size_t topLeft = static_cast<size_t>(y) * 2 * aboveSize + x * 2;
                        const uint32_t texels[4] = {(*above)[topLeft], (*above)[topLeft + 1], (*above)[topLeft + aboveSize],
                                                    (*above)[topLeft + aboveSize + 1]};
                        uint32_t result = 0;
                        for (uint32_t shift = 0; shift < 32; shift += 8)
                        {
                            uint32_t sum = 2;
                            for (const uint32_t texel : texels)
                                sum += (texel >> shift) & 0xFFu;
                            result |= (sum / 4) << shift;
                        }
                        level[static_cast<size_t>(y) * size + x] = result;
                    }
                }
                levels.push_back(std::move(level));
                above = &levels.back();
            }
            return levels;
        }
    }

    TextService::TextService() = default;

    TextService::~TextService()
    {
        myPrefetched.clear();
        myFontCache.clear();
        if (myLibrary != nullptr)
            FT_Done_FreeType(myLibrary);
        myLibrary = nullptr;
    }

    bool TextService::Init()
    {
        if (myLibrary != nullptr)
            return true;
        return FT_Init_FreeType(&myLibrary) == 0;
    }

    std::string TextService::MakeFontKey(const std::string& aResolvedPath, uint32_t aSize, uint8_t anOutline)
    {
        std::string key = aResolvedPath;
        key += '-';
        key += std::to_string(aSize);
        key += '-';
        key += static_cast<char>(anOutline);
        return key;
    }

    std::shared_ptr<InternalTextAndFontData> TextService::GetOrLoadFont(const std::string& aPath, uint32_t aSize,
                                                                        uint8_t anOutline)
    {
        const std::string resolved = Settings::ResolveAssetPath(aPath);
        const std::string key = MakeFontKey(resolved, aSize, anOutline);

        std::weak_ptr<InternalTextAndFontData>& cached = myFontCache[key];
        if (std::shared_ptr<InternalTextAndFontData> font = cached.lock())
            return font;

        const auto prefetched = myPrefetched.find(key);
        if (prefetched != myPrefetched.end())
        {
            std::shared_ptr<InternalTextAndFontData> font = prefetched->second.get();
            myPrefetched.erase(prefetched);
            if (font == nullptr || (font->myAtlasTexture == nullptr && !CreateAtlasTexture(*font)))
                return nullptr;
            cached = font;
            return font;
        }

        auto font = std::make_shared<InternalTextAndFontData>();
        cached = font;
        font->myKey = key;
        if (!FontAtlasBuilder::Build(myLibrary, resolved, aSize, anOutline, *font))
            return nullptr;
        if (!CreateAtlasTexture(*font))
            return nullptr;
        return font;
    }

    void TextService::PrefetchFont(const std::string& aPath, uint32_t aSize, uint8_t anOutline)
    {
        const std::string resolved = Settings::ResolveAssetPath(aPath);
        const std::string key = MakeFontKey(resolved, aSize, anOutline);
        const auto cached = myFontCache.find(key);
        if (myPrefetched.count(key) != 0 || (cached != myFontCache.end() && !cached->second.expired()))
            return;
        Plat::Gpu::Device* device = DX11::Device;
        const bool makesTexture = device != nullptr && DX11::IsOnMainThread() && device->PrepareLoading();
        const auto build = [resolved, key, aSize, anOutline, device, makesTexture]() -> std::shared_ptr<InternalTextAndFontData> {
            auto font = std::make_shared<InternalTextAndFontData>();
            font->myKey = key;
            // A FreeType library is not shared between threads: this one is the worker's own.
            FT_Library library = nullptr;
            if (FT_Init_FreeType(&library) != 0)
                return nullptr;
            const bool built = FontAtlasBuilder::Build(library, resolved, aSize, anOutline, *font);
            FT_Done_FreeType(library);
            if (!built)
                return nullptr;
            if (makesTexture)
            {
                Plat::Gpu::LoadingScope scope(*device);
                if (scope)
                    CreateAtlasTexture(*font);
            }
            return font;
        };
        try
        {
            myPrefetched.emplace(key, std::async(std::launch::async, build));
        }
        catch (const std::system_error&)
        {
            // No thread to be had: GetOrLoadFont builds it when asked.
        }
    }

    bool TextService::IsFontReady(const std::string& aPath, uint32_t aSize, uint8_t anOutline) const
    {
        const auto found = myPrefetched.find(MakeFontKey(Settings::ResolveAssetPath(aPath), aSize, anOutline));
        return found == myPrefetched.end() || found->second.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

    bool TextService::CreateAtlasTexture(InternalTextAndFontData& someFont)
    {
        Plat::Gpu::Device* device = DX11::Device;
        constexpr uint32_t size = FontAtlasBuilder::ATLAS_SIZE;
        if (device == nullptr || someFont.myAtlasPixels.size() != static_cast<size_t>(size) * size)
            return false;

        // The mips are made here, not by the GPU, so that any thread can make the atlas.
        const std::vector<std::vector<uint32_t>> mips = MakeMipChain(someFont.myAtlasPixels, size);
        std::vector<Plat::Gpu::SubresourceData> levels;
        levels.push_back({someFont.myAtlasPixels.data(), size * 4, size * size * 4});
        uint32_t levelSize = size;
        for (const std::vector<uint32_t>& mip : mips)
        {
            levelSize /= 2;
            levels.push_back({mip.data(), levelSize * 4, levelSize * levelSize * 4});
        }

        Plat::Gpu::Texture2DDesc desc;
        desc.width = size;
        desc.height = size;
        desc.mipLevels = static_cast<uint32_t>(levels.size());
        desc.arraySize = 1;
        desc.format = Plat::Gpu::Format::R8G8B8A8_UNORM;
        desc.usage = Plat::Gpu::Usage::Default;
        desc.bindFlags = Plat::Gpu::Bind::ShaderResource;
        const std::shared_ptr<Plat::Gpu::Texture2D> texture = device->CreateTexture2D(desc, levels.data());
        if (texture == nullptr)
            return false;
        std::shared_ptr<Plat::Gpu::ShaderResourceView> view = device->CreateShaderResourceView(texture.get());
        if (view == nullptr)
            return false;
        someFont.myAtlasTexture = std::make_unique<Texture>(std::move(view));
        return true;
    }

    bool TextService::Render(const Text& aText, SpriteShader* aCustomShader)
    {
        const std::shared_ptr<InternalTextAndFontData>& font = aText.GetFont();
        if (font == nullptr || font->myAtlasTexture == nullptr)
            return false;
        Engine* engine = Engine::GetInstance();
        GraphicsEngine* graphics = engine != nullptr ? engine->GetGraphicsEngine() : nullptr;
        GraphicsStateStack* stack = graphics != nullptr ? graphics->GetGraphicsStateStack() : nullptr;
        SpriteDrawer* drawer = graphics != nullptr ? graphics->GetSpriteDrawer() : nullptr;
        if (stack == nullptr || drawer == nullptr)
            return false;

        const std::string& text = aText.GetText();
        const float scale = aText.GetScale();
        const float rotation = aText.GetRotation();
        const Vector2f center = rotation != 0.0f ? GetTextBoxCenter(*font, text, scale) : Vector2f{};

        stack->Push();
        stack->SetSamplerState(font->myFontSize < POINT_FILTER_BELOW_SIZE ? FILTER_POINT : FILTER_LINEAR_MIP_POINT,
                               ADDRESS_CLAMP);
        {
            SpriteSharedData shared;
            shared.myTextures = {font->myAtlasTexture.get(), nullptr, nullptr, nullptr};
            shared.myCustomShader = aCustomShader;
            SpriteBatchScope batch = drawer->BeginBatch(shared);
            LayoutText(*font, text, scale, [&](const TextGlyphQuad& aQuad) {
                batch.Draw(MakeGlyphSprite(aQuad, aText.GetPosition(), aText.GetColor(), rotation, center));
            });
        }
        stack->Pop();
        return true;
    }
}
