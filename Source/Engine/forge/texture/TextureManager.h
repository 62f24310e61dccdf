#pragma once
// The one way to obtain a texture. Textures are cached under their path and sRGB mode;
// a missing or unreadable file gives a cached magenta-and-black checker, never null;
// with the file watcher on, a changed file is reloaded into the same object.
#include "forge/texture/TextureResource.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace Plat::Gpu
{
    class ShaderResourceView;
}

namespace Kiln
{
    struct TargaImage;
    class FileWatcher;

    class TextureManager
    {
    public:
        // Files are registered with aFileWatcher (the engine's) for reloading; null: no reloads.
        explicit TextureManager(FileWatcher* aFileWatcher = nullptr);
        ~TextureManager();
        TextureManager(const TextureManager&) = delete;
        TextureManager& operator=(const TextureManager&) = delete;

        // The built-in textures: the error checker, "WhiteSquare" and the flat texture.
        void Init();

        TextureResource* GetTexture(const char* aPath, TextureSrgbMode aMode = TextureSrgbMode::AsStored, bool aReload = false);
        TextureResource* TryLoadTexture(const char* aPath, TextureSrgbMode aMode, bool aReload);
        void OnTextureFileChanged(const std::string& aKey);

        // The view's texture size in pixels, or divided by the render height when normalised.
        static Vector2<float> GetTextureSize(const Plat::Gpu::ShaderResourceView* aView, bool aNormalised);
        static std::shared_ptr<Plat::Gpu::ShaderResourceView> CreateTextureFromImage(const TargaImage* anImage);

        static std::string MakeKey(const char* aPath, TextureSrgbMode aMode);

        TextureResource* GetWhiteSquare() const { return myWhiteSquare.get(); }
        Plat::Gpu::ShaderResourceView* GetErrorView() const { return myErrorView.get(); }
        Plat::Gpu::ShaderResourceView* GetFlatView() const { return myFlatView.get(); }
        size_t GetCacheSize() const { return myCache.size(); }

    private:
        FileWatcher* myFileWatcher = nullptr;
        std::unordered_map<std::string, std::unique_ptr<TextureResource>> myCache;
        std::shared_ptr<Plat::Gpu::ShaderResourceView> myErrorView;
        std::shared_ptr<Plat::Gpu::ShaderResourceView> myFlatView;
        std::unique_ptr<TextureResource> myWhiteSquare;
    };
}
