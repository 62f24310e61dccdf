#pragma once
// Surface materials, their properties and the textures connected to them.
#include "Platform/fbx/Object.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Plat::Fbx
{
    class Texture : public SceneObject
    {
    };

    class FileTexture : public Texture
    {
    public:
        const std::string& GetFileName() const { return myFileName; }
        const std::string& GetRelativeFileName() const { return myRelativeFileName; }

        std::string myFileName;
        std::string myRelativeFileName;
    };

    class LayeredTexture : public Texture
    {
    public:
        std::vector<Texture*> myLayers;
    };

    // A property of a material, found by name; its sources are the objects connected
    // to it, in connection order.
    class Property
    {
    public:
        Property() = default;
        Property(std::string aName, std::vector<SceneObject*> someSources)
            : myName(std::move(aName)), mySources(std::move(someSources)), myValid(true)
        {
        }

        bool IsValid() const { return myValid; }
        const std::string& GetName() const { return myName; }

        template <class T>
        int GetSrcObjectCount() const
        {
            int count = 0;
            for (SceneObject* source : mySources)
                count += dynamic_cast<T*>(source) != nullptr;
            return count;
        }

        template <class T>
        T* GetSrcObject(int anIndex = 0) const
        {
            for (SceneObject* source : mySources)
                if (T* typed = dynamic_cast<T*>(source))
                    if (anIndex-- == 0)
                        return typed;
            return nullptr;
        }

    private:
        std::string myName;
        std::vector<SceneObject*> mySources;
        bool myValid = false;
    };

    class SurfaceMaterial : public SceneObject
    {
    public:
        static constexpr const char* sEmissive = "EmissiveColor";
        static constexpr const char* sAmbient = "AmbientColor";
        static constexpr const char* sDiffuse = "DiffuseColor";
        static constexpr const char* sSpecular = "SpecularColor";
        static constexpr const char* sShininess = "ShininessExponent";
        static constexpr const char* sBump = "Bump";
        static constexpr const char* sNormalMap = "NormalMap";
        static constexpr const char* sTransparentColor = "TransparentColor";
        static constexpr const char* sReflection = "ReflectionColor";
        static constexpr const char* sDisplacementColor = "DisplacementColor";
        static constexpr const char* sVectorDisplacementColor = "VectorDisplacementColor";

        // A property the material defines (the standard surface properties always
        // exist; others when the file names them or connects something to them).
        Property FindProperty(std::string_view aName, bool aCaseSensitive = true) const;

        std::vector<std::string> myPropertyNames;                       // from the file
        std::vector<std::pair<std::string, SceneObject*>> myConnections; // property -> source
    };
}
