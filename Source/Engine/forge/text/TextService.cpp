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

#include <ft2build.h>
#include FT_FREETYPE_H

namespace Kiln
{
    namespace
    {
        // Small sizes stay crisp with point sampling.
        constexpr uint32_t POINT_FILTER_BELOW_SIZE = 18;
        constexpr uint32_t FILTER_POINT = 0;
        constexpr uint32_t FILTER_LINEAR_MIP_POINT = 1;
        constexpr uint32_t ADDRESS_CLAMP = 0;
    }

    TextService::TextService() = default;

    TextService::~TextService()
    {
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

        auto font = std::make_shared<InternalTextAndFontData>();
        cached = font;
        font->myKey = key;
        if (!FontAtlasBuilder::Build(myLibrary, resolved, aSize, anOutline, *font))
            return nullptr;
        if (!CreateAtlasTexture(*font))
            return nullptr;
        return font;
    }

    bool TextService::CreateAtlasTexture(InternalTextAndFontData& someFont)
    {
        if (DX11::Device == nullptr || DX11::Context == nullptr)
            return false;

        Plat::Gpu::Texture2DDesc desc;
        desc.width = FontAtlasBuilder::ATLAS_SIZE;
        desc.height = FontAtlasBuilder::ATLAS_SIZE;
        desc.mipLevels = 0;
        desc.arraySize = 1;
        desc.format = Plat::Gpu::Format::R8G8B8A8_UNORM;
        desc.usage = Plat::Gpu::Usage::Default;
        desc.bindFlags = Plat::Gpu::Bind::ShaderResource | Plat::Gpu::Bind::RenderTarget;
        desc.miscFlags = Plat::Gpu::ResourceMisc::GenerateMips;
        const std::shared_ptr<Plat::Gpu::Texture2D> texture = DX11::Device->CreateTexture2D(desc);
        if (texture == nullptr)
            return false;

        DX11::Context->UpdateSubresource(texture.get(), 0, nullptr, someFont.myAtlasPixels.data(),
                                         FontAtlasBuilder::ATLAS_SIZE * 4, 0);
        std::shared_ptr<Plat::Gpu::ShaderResourceView> view = DX11::Device->CreateShaderResourceView(texture.get());
        if (view == nullptr)
            return false;
        DX11::Context->GenerateMips(view.get());
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
