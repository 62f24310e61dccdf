#pragma once
// Named import switches. The reader never extracts or decodes embedded media, so the
// two texture switches only record what the caller asked for.
#include "Platform/fbx/Object.h"

#include <map>
#include <string>

namespace Plat::Fbx
{
    inline constexpr const char* IMP_FBX_TEXTURE = "Import|AdvOptGrp|FileFormat|Fbx|Texture";
    inline constexpr const char* IMP_FBX_EXTRACT_EMBEDDED_DATA = "Import|AdvOptGrp|FileFormat|Fbx|ExtractEmbeddedData";

    class IOSettings : public Object
    {
    public:
        static IOSettings* Create(Manager* aManager, const std::string& aName);

        void SetBoolProp(const std::string& aName, bool aValue) { myBools[aName] = aValue; }
        bool GetBoolProp(const std::string& aName, bool aDefault) const
        {
            const auto it = myBools.find(aName);
            return it == myBools.end() ? aDefault : it->second;
        }

    private:
        using Object::Object;
        std::map<std::string, bool> myBools;
    };
}
