#include "ImportHelpers.h"

#include "Platform/fbx/Importer.h"
#include "Platform/fbx/Scene.h"

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
}
