#include "forge/texture/TextureManager.h"

#include "forge/engine/Engine.h"
#include "forge/filewatcher/FileWatcher.h"
#include "forge/graphics/DX11.h"
#include "forge/loaders/DDSTextureLoader.h"
#include "forge/loaders/ImageTexture.h"
#include "forge/loaders/TargaImage.h"
#include "forge/loaders/WICTextureLoader.h"
#include "forge/settings/Settings.h"
#include "forge/texture/TexturePrefetch.h"
#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/runtime/Paths.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace Kiln
{
    namespace
    {
        using namespace Plat::Gpu;

        constexpr const char* theSrgbSuffix = "#SRGB";
        constexpr const char* theNoSrgbSuffix = "#NO_SRGB";
        constexpr float thePlaceholderSize = 0.3f;
        constexpr uint32_t thePlaceholderPixels = 512;
        constexpr uint32_t theWicMaxSize = 16384;

        Device* GetDevice() { return DX11::Device; }
        DeviceContext* GetContext() { return DX11::Context; }

        uint32_t LoaderFlags(TextureSrgbMode aMode)
        {
            switch (aMode)
            {
            case TextureSrgbMode::ForceSrgb: return TextureLoaderForceSrgb;
            case TextureSrgbMode::IgnoreSrgb: return TextureLoaderIgnoreSrgb;
            default: return TextureLoaderDefault;
            }
        }

        bool EndsWith(const std::string& aText, const std::string& anEnd)
        {
            return aText.size() >= anEnd.size() && aText.compare(aText.size() - anEnd.size(), anEnd.size(), anEnd) == 0;
        }

        bool MakeView(const Plat::Image::ImageData& anImage, std::shared_ptr<ShaderResourceView>& aView)
        {
            Device* device = GetDevice();
            return device && impl::CreateTextureFromImageData(*device, anImage, impl::ImageTextureRequest{}, nullptr, &aView);
        }

        // A default-usage RGBA8 texture of one colour pattern, returned as its view.
        std::shared_ptr<ShaderResourceView> MakeRgbaTexture(uint32_t aWidth, uint32_t aHeight, const std::vector<uint8_t>& somePixels)
        {
            Device* device = GetDevice();
            if (!device)
                return nullptr;
            Texture2DDesc desc;
            desc.width = aWidth;
            desc.height = aHeight;
            desc.mipLevels = 1;
            desc.arraySize = 1;
            desc.format = Format::R8G8B8A8_UNORM;
            desc.usage = Usage::Default;
            desc.bindFlags = Bind::ShaderResource;
            SubresourceData data{somePixels.data(), aWidth * 4, aWidth * aHeight * 4};
            const auto texture = device->CreateTexture2D(desc, &data);
            if (!texture)
                return nullptr;
            return device->CreateShaderResourceView(texture.get(), nullptr);
        }
    }

    TextureManager::TextureManager(FileWatcher* aFileWatcher)
        : myFileWatcher(aFileWatcher), myPrefetch(std::make_unique<impl::TexturePrefetch>())
    {
    }
    TextureManager::~TextureManager() = default;

    std::string TextureManager::MakeKey(const char* aPath, TextureSrgbMode aMode)
    {
        std::string key = aPath ? aPath : "";
        if (aMode == TextureSrgbMode::ForceSrgb)
            key += theSrgbSuffix;
        else if (aMode == TextureSrgbMode::IgnoreSrgb)
            key += theNoSrgbSuffix;
        return key;
    }

    void TextureManager::Init()
    {
        // 16 x 16 checker, alternating every texel: even rows start black, odd rows magenta.
        std::vector<uint8_t> checker(16 * 16 * 4);
        for (uint32_t y = 0; y < 16; ++y)
        {
            for (uint32_t x = 0; x < 16; ++x)
            {
                uint8_t* texel = &checker[(y * 16 + x) * 4];
                const bool magenta = ((x + y) & 1) != 0;
                texel[0] = magenta ? 255 : 0;
                texel[1] = 0;
                texel[2] = magenta ? 255 : 0;
                texel[3] = 255;
            }
        }
        myErrorView = MakeRgbaTexture(16, 16, checker);
        // Textures asked for during start-up, before the checker existed, got placeholders
        // without a view; they show the checker too.
        for (auto& [key, resource] : myCache)
            if (resource->myIsPlaceholder && !resource->GetShaderResourceView())
                resource->SetShaderResourceView(myErrorView);

        myWhiteSquare = std::make_unique<TextureResource>();
        myWhiteSquare->myName = "WhiteSquare";
        myWhiteSquare->SetShaderResourceView(MakeRgbaTexture(4, 4, std::vector<uint8_t>(4 * 4 * 4, 0xFF)));
        myWhiteSquare->mySize = {thePlaceholderSize, thePlaceholderSize};
        myWhiteSquare->myWidth = thePlaceholderPixels;
        myWhiteSquare->myHeight = thePlaceholderPixels;

        std::vector<uint8_t> flat(4 * 4 * 4);
        for (size_t i = 0; i < flat.size(); i += 4)
        {
            flat[i + 0] = 128;
            flat[i + 1] = 128;
            flat[i + 2] = 255;
            flat[i + 3] = 255;
        }
        myFlatView = MakeRgbaTexture(4, 4, flat);
    }

    TextureResource* TextureManager::TryLoadTexture(const char* aPath, TextureSrgbMode aMode, bool aReload)
    {
        const std::string path = aPath ? aPath : "";
        const std::string key = MakeKey(aPath, aMode);
        const auto cached = myCache.find(key);
        if (cached != myCache.end() && !aReload)
            return cached->second.get();

        const std::string resolved = Settings::ResolveAssetPath(path);
        if (resolved.empty())
            return nullptr;

        // Watched before the load is tried, so a file that fails to load now (also one asked
        // for off the render thread) is picked up again once it changes.
        if (cached == myCache.end() && myFileWatcher)
            myFileWatcher->WatchFileChange(resolved, [this, key] { OnTextureFileChanged(key); });

        // GPU objects can be made only on the thread that owns the device's GL context, so
        // every loader (not only the imaging decoder) fails elsewhere.
        if (!DX11::IsOnMainThread())
            return nullptr;

        const std::wstring widePath = Plat::Runtime::ToWide(resolved);
        const uint32_t flags = LoaderFlags(aMode);
        std::shared_ptr<ShaderResourceView> view;
        // A file read ahead is used unless it is being reloaded (then it may be stale).
        std::optional<impl::TexturePrefetch::Fetched> fetched = myPrefetch->Take(key);
        bool loaded = false;
        if (fetched && !aReload)
        {
            view = fetched->view;
            loaded = view != nullptr || MakeView(fetched->image, view);
        }
        if (!loaded)
            loaded = CreateDDSTextureFromFileEx(GetDevice(), widePath.c_str(), 0, Usage::Default, Bind::ShaderResource,
                                                 0, 0, flags, nullptr, &view);
        if (!loaded)
        {
            loaded = CreateWICTextureFromFileEx(GetDevice(), GetContext(), widePath.c_str(), theWicMaxSize, Usage::Default,
                                                Bind::ShaderResource, 0, 0, flags, nullptr, &view);
            if (!loaded)
            {
                const size_t dot = resolved.find_last_of('.');
                if (dot != std::string::npos && resolved.compare(dot + 1, std::string::npos, "tga") == 0)
                {
                    const std::unique_ptr<TargaImage> image = LoadTargaImage(widePath.c_str());
                    view = CreateTextureFromImage(image.get());
                    loaded = view != nullptr;
                }
            }
        }
        if (!loaded)
            return nullptr;
        return Store(key, path, resolved, aMode, view);
    }

    TextureResource* TextureManager::Store(const std::string& aKey, const std::string& aPath, const std::string& aResolved,
                                           TextureSrgbMode aMode, const std::shared_ptr<ShaderResourceView>& aView)
    {
        TextureResource* resource = nullptr;
        const auto cached = myCache.find(aKey);
        if (cached != myCache.end())
        {
            resource = cached->second.get();
        }
        else
        {
            auto created = std::make_unique<TextureResource>();
            resource = created.get();
            myCache.emplace(aKey, std::move(created));
        }
        resource->myName = aResolved;
        resource->myPath = aPath;
        resource->SetShaderResourceView(aView);
        resource->myMode = aMode;
        resource->mySize = GetTextureSize(aView.get(), true);
        const Vector2<float> pixels = GetTextureSize(aView.get(), false);
        resource->myWidth = static_cast<uint32_t>(pixels.x);
        resource->myHeight = static_cast<uint32_t>(pixels.y);
        // A placeholder whose file became readable is a real texture from now on.
        resource->myIsPlaceholder = false;
        return resource;
    }

    bool TextureManager::MakePrefetchedOnWorkers()
    {
        Device* device = GetDevice();
        if (myPrefetchMakes || device == nullptr || !DX11::IsOnMainThread() || !device->PrepareLoading())
            return myPrefetchMakes;
        myPrefetchMakes = true;
        myPrefetch->SetMaker([device](const Plat::Image::ImageData& anImage) {
            std::shared_ptr<ShaderResourceView> view;
            LoadingScope scope(*device);
            if (scope)
                impl::CreateTextureFromImageData(*device, anImage, impl::ImageTextureRequest{}, nullptr, &view);
            return view;
        });
        return true;
    }

    void TextureManager::PrefetchTextures(const std::vector<std::string>& somePaths, TextureSrgbMode aMode)
    {
        for (const std::string& path : somePaths)
            if (!path.empty())
                myPrefetch->Add(MakeKey(path.c_str(), aMode), path, LoaderFlags(aMode));
    }

    size_t TextureManager::UploadPrefetched(size_t aMaxBytes)
    {
        if (!DX11::IsOnMainThread())
            return myPrefetch->Outstanding();
        for (impl::TexturePrefetch::Fetched& fetched : myPrefetch->TakeReady(aMaxBytes))
        {
            const auto cached = myCache.find(fetched.key);
            if (cached != myCache.end() && !cached->second->myIsPlaceholder)
                continue;
            std::shared_ptr<ShaderResourceView> view = fetched.view;
            if (!view && !MakeView(fetched.image, view))
                continue;
            // Watched as a texture loaded on request is, and from the moment it is cached.
            if (cached == myCache.end() && myFileWatcher)
            {
                const std::string key = fetched.key;
                myFileWatcher->WatchFileChange(fetched.resolved, [this, key] { OnTextureFileChanged(key); });
            }
            const TextureSrgbMode mode = EndsWith(fetched.key, theSrgbSuffix)     ? TextureSrgbMode::ForceSrgb
                                         : EndsWith(fetched.key, theNoSrgbSuffix) ? TextureSrgbMode::IgnoreSrgb
                                                                                  : TextureSrgbMode::AsStored;
            Store(fetched.key, fetched.path, fetched.resolved, mode, view);
        }
        return myPrefetch->Outstanding();
    }

    TextureResource* TextureManager::GetTexture(const char* aPath, TextureSrgbMode aMode, bool aReload)
    {
        if (TextureResource* loaded = TryLoadTexture(aPath, aMode, aReload))
            return loaded;

        const std::string key = MakeKey(aPath, aMode);
        const auto cached = myCache.find(key);
        if (cached != myCache.end())
            return cached->second.get();

        // Off the render thread nothing can load; elsewhere the file itself is at fault. An
        // empty path asks for no texture at all, so nothing is missing.
        if (DX11::IsOnMainThread() && aPath != nullptr && *aPath != '\0')
            std::fprintf(stderr, "Texture \"%s\" is not found or cannot be read; a checker stands in for it\n", aPath);
        auto placeholder = std::make_unique<TextureResource>();
        placeholder->myName = aPath ? aPath : "";
        placeholder->SetShaderResourceView(myErrorView);
        placeholder->myIsPlaceholder = true;
        placeholder->mySize = {thePlaceholderSize, thePlaceholderSize};
        placeholder->myWidth = thePlaceholderPixels;
        placeholder->myHeight = thePlaceholderPixels;
        placeholder->myMode = TextureSrgbMode::AsStored;
        TextureResource* result = placeholder.get();
        myCache.emplace(key, std::move(placeholder));
        return result;
    }

    void TextureManager::OnTextureFileChanged(const std::string& aKey)
    {
        const auto found = myCache.find(aKey);
        if (found == myCache.end())
            return;
        const TextureResource& resource = *found->second;
        if (!resource.myIsPlaceholder)
        {
            const std::string path = resource.myPath;
            GetTexture(path.c_str(), resource.myMode, true);
            return;
        }
        // A placeholder keeps no path or mode of its own; both come back from its request
        // path (its name) and the key's suffix, so it loads under its own key once readable.
        TextureSrgbMode mode = TextureSrgbMode::AsStored;
        if (EndsWith(aKey, theSrgbSuffix))
            mode = TextureSrgbMode::ForceSrgb;
        else if (EndsWith(aKey, theNoSrgbSuffix))
            mode = TextureSrgbMode::IgnoreSrgb;
        const std::string path = resource.myName;
        if (MakeKey(path.c_str(), mode) == aKey)
            GetTexture(path.c_str(), mode, true);
    }

    Vector2<float> TextureManager::GetTextureSize(const ShaderResourceView* aView, bool aNormalised)
    {
        if (!aView || !aView->GetResource() || aView->GetResource()->GetType() != ResourceDimension::Texture2D)
            return {0.0f, 0.0f};
        const auto* texture = static_cast<const Texture2D*>(aView->GetResource().get());
        Vector2<float> size{static_cast<float>(texture->GetDesc().width), static_cast<float>(texture->GetDesc().height)};
        if (aNormalised)
        {
            const Engine* engine = Engine::GetInstance();
            const float renderHeight = engine ? static_cast<float>(engine->GetRenderSize().y) : 0.0f;
            if (renderHeight > 0.0f)
                size /= renderHeight;
        }
        return size;
    }

    std::shared_ptr<ShaderResourceView> TextureManager::CreateTextureFromImage(const TargaImage* anImage)
    {
        Device* device = GetDevice();
        if (!anImage || !device)
            return nullptr;
        Texture2DDesc desc;
        desc.width = anImage->myWidth;
        desc.height = anImage->myHeight;
        desc.mipLevels = 1;
        desc.arraySize = 1;
        desc.format = Format::R8G8B8A8_UNORM_SRGB;
        desc.usage = Usage::Dynamic;
        desc.bindFlags = Bind::ShaderResource;
        desc.cpuAccessFlags = CpuAccess::Write;
        SubresourceData data{anImage->myPixels.data(), uint32_t(anImage->myWidth) * 4u, 0};
        const auto texture = device->CreateTexture2D(desc, &data);
        if (!texture)
            return nullptr;
        return device->CreateShaderResourceView(texture.get(), nullptr);
    }
}
