#pragma once
// Small helpers shared by model, skeleton and animation import.
#include <exception>
#include <stdexcept>
#include <string>

namespace Plat::Fbx
{
    class Importer;
    class Scene;
}

namespace KILNFBXImporter
{
    // Errors found in imported data: a runtime error, raised through the nested-exception
    // mechanism.
    [[noreturn]] void ThrowImportError(const std::string& aMessage);

    // Thrown when a layer element uses a reference mode other than direct or index-to-direct.
    class InvalidReferenceMode : public std::exception
    {
    public:
        const char* what() const noexcept override { return "Invalid Reference Mode!"; }
    };

    // The text after the last ':' of a node name, or the whole name.
    std::string ShortName(const std::string& aName);

    // Destroys a load's scene and importer however the load ends.
    class ImportScope
    {
    public:
        ImportScope(Plat::Fbx::Importer* anImporter, Plat::Fbx::Scene* aScene) : myImporter(anImporter), myScene(aScene) {}
        ~ImportScope();
        ImportScope(const ImportScope&) = delete;
        ImportScope& operator=(const ImportScope&) = delete;

        void SetScene(Plat::Fbx::Scene* aScene) { myScene = aScene; }

    private:
        Plat::Fbx::Importer* myImporter;
        Plat::Fbx::Scene* myScene;
    };
}
