#include "Platform/fbx/Material.h"

#include <algorithm>
#include <cctype>

namespace Plat::Fbx
{
    namespace
    {
        bool SameName(std::string_view a, std::string_view b, bool aCaseSensitive)
        {
            if (aCaseSensitive)
                return a == b;
            return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                       return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
                   });
        }

        constexpr const char* StandardProperties[] = {
            SurfaceMaterial::sEmissive,   SurfaceMaterial::sAmbient,          SurfaceMaterial::sDiffuse,
            SurfaceMaterial::sSpecular,   SurfaceMaterial::sShininess,        SurfaceMaterial::sBump,
            SurfaceMaterial::sNormalMap,  SurfaceMaterial::sTransparentColor, SurfaceMaterial::sReflection,
            SurfaceMaterial::sDisplacementColor, SurfaceMaterial::sVectorDisplacementColor,
        };
    }

    Property SurfaceMaterial::FindProperty(std::string_view aName, bool aCaseSensitive) const
    {
        std::string found;
        for (const char* standard : StandardProperties)
            if (SameName(standard, aName, aCaseSensitive))
                found = standard;
        for (const std::string& name : myPropertyNames)
            if (found.empty() && SameName(name, aName, aCaseSensitive))
                found = name;
        for (const auto& [name, source] : myConnections)
            if (found.empty() && SameName(name, aName, aCaseSensitive))
                found = name;
        if (found.empty())
            return {};

        std::vector<SceneObject*> sources;
        for (const auto& [name, source] : myConnections)
            if (name == found)
                sources.push_back(source);
        return Property(found, std::move(sources));
    }
}
