#include "ImportHelpers.h"
#include "Importer.h"

#include "Platform/fbx/Importer.h"
#include "Platform/fbx/IOSettings.h"
#include "Platform/fbx/Scene.h"

#include <filesystem>

namespace KILNFBXImporter
{
    void ThrowImportError(const std::string& aMessage)
    {
        std::throw_with_nested(std::runtime_error(aMessage));
    }

    std::string ShortName(const std::string& aName)
    {
        const size_t colon = aName.rfind(':');
        return colon == std::string::npos ? aName : aName.substr(colon + 1);
    }

    ImportScope::~ImportScope()
    {
        if (myScene != nullptr)
            myScene->Destroy();
        if (myImporter != nullptr)
            myImporter->Destroy();
    }

    Plat::Fbx::Importer* OpenImporter(const std::string& aPath, const std::string& aNoImporterError, ImportScope& aScope)
    {
        // A failing check (not a missing file) is the library's error for "exists".
        std::error_code error;
        const bool exists = std::filesystem::exists(aPath, error);
        if (error)
            throw std::filesystem::filesystem_error("exists", aPath, error);
        if (!exists)
        {
            LastError = "FBX File not found! (" + aPath + ")";
            return nullptr;
        }
        ImporterState& state = GetImporterState();
        Plat::Fbx::Importer* importer = Plat::Fbx::Importer::Create(state.manager, "");
        if (importer == nullptr)
        {
            LastError = aNoImporterError;
            return nullptr;
        }
        aScope.SetImporter(importer);
        if (!importer->Initialize(aPath, -1, state.ioSettings) || !importer->IsFBX())
        {
            LastError = "Failed to initialize the FBX Importer! Error was: " + importer->GetStatus().GetErrorString() + ".";
            return nullptr;
        }
        return importer;
    }
}
