#pragma once
// The one way to obtain a texture. Textures are cached under their path and sRGB mode;
// a missing or unreadable file gives a cached magenta-and-black checker, never null;
// with the file watcher on, a changed file is reloaded into the same object.
#include "forge/texture/TextureResource.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Plat::Gpu
{
    class ShaderResourceView;
}

namespace Kiln
{
    struct TargaImage;
    class FileWatcher;
    namespace impl
    {
        class TexturePrefetch;
    }

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

        // Reads and decodes these files on worker threads from now on (any thread may ask);
        // GetTexture then finds them read. A file that fails is reported by its request.
        void PrefetchTextures(const std::vector<std::string>& somePaths, TextureSrgbMode aMode);
        // Main thread: the workers make the textures of what they read from now on, where the
        // device allows it (Plat::Gpu::Device::PrepareLoading); false when it does not.
        bool MakePrefetchedOnWorkers();
        // Main thread: caches the textures of files read ahead, making those the workers did
        // not, up to aMaxBytes of their pixels a call (at least one file when any is ready),
        // and says how many are still to come.
        size_t UploadPrefetched(size_t aMaxBytes);
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
        TextureResource* Store(const std::string& aKey, const std::string& aPath, const std::string& aResolved,
                               TextureSrgbMode aMode, const std::shared_ptr<Plat::Gpu::ShaderResourceView>& aView);

        FileWatcher* myFileWatcher = nullptr;
        std::unordered_map<std::string, std::unique_ptr<TextureResource>> myCache;
        std::shared_ptr<Plat::Gpu::ShaderResourceView> myErrorView;
        std::shared_ptr<Plat::Gpu::ShaderResourceView> myFlatView;
        std::unique_ptr<TextureResource> myWhiteSquare;
        std::unique_ptr<impl::TexturePrefetch> myPrefetch;
        bool myPrefetchMakes = false;   // the prefetch workers make the textures too
    };
}
