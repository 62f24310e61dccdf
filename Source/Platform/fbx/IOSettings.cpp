#include "Platform/fbx/IOSettings.h"

namespace Plat::Fbx
{
    IOSettings* IOSettings::Create(Manager* aManager, const std::string& aName)
    {
        if (aManager == nullptr)
            return nullptr;
        return aManager->Adopt(std::unique_ptr<IOSettings>(new IOSettings(aManager, aName)));
    }
}
