#pragma once
// A material's name and the file names of its eleven texture slots.
#include <array>
#include <string>

namespace KILNFBXImporter
{
    struct FBXTexture
    {
        std::string fileName;     // the relative path after its last '\'
        std::string absolutePath;
        std::string relativePath;
        bool operator==(const FBXTexture&) const = default;
    };

    struct FBXMaterial
    {
        enum Slot
        {
            Emissive,
            Ambient,
            Diffuse,
            Specular,
            Shininess,
            Bump,
            NormalMap,
            TransparentColor,
            Reflection,
            DisplacementColor,
            VectorDisplacementColor,
            SlotCount
        };

        std::string name;
        std::array<FBXTexture, SlotCount> textures;
        bool operator==(const FBXMaterial&) const = default;
    };
}
