#pragma once
// The game's record of one converted scene object: name, object-definition name, the
// merged and converted properties by key, the placement and the world matrix built from
// it. Level factories, menu pages and the animation library read these.
//
// Readers use Get<T>(key): a key that is missing, or that holds another type than T, ends
// the load with a ContentError naming the object's file, the object, its definition's file
// and the key. Find<T> is for keys that may be absent.
#include "ContentError.h"
#include "CustomProperty.h"

#include "forge/math/Matrix4x4.h"
#include "forge/math/Vector.h"
#include "forge/stringRegistry/StringId.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

class CustomSceneObject
{
public:
    std::string myName;
    Kiln::StringId myObjectDefinition;
    std::map<std::string, CustomProperty, std::less<>> myProperties;
    Kiln::Vector3<float> myPosition{0.0f, 0.0f, 0.0f};
    Kiln::Vector3<float> myScale{1.0f, 1.0f, 1.0f};
    Kiln::Vector3<float> myRotation{0.0f, 0.0f, 0.0f}; // Euler degrees
    Kiln::Matrix4x4<float> myTransform;
    // Where the object came from, for messages: the scene path, the object's own file in
    // the scene folder and its definition's file (each empty when not known).
    std::string myScenePath;
    std::string myFile;
    std::string myDefinitionFile;
    // Keys the object holds whose value could not be had (a model file that is missing or
    // unreadable), with the reason: Get names that reason rather than a missing key.
    std::map<std::string, std::string, std::less<>> myLeftOut;
    // Set when the object names a definition that no ".kob" file provides.
    bool myDefinitionNotFound = false;

    bool Has(std::string_view aKey) const { return myProperties.find(aKey) != myProperties.end(); }

    // The value under aKey when it holds a T; null when the key is absent or holds another type.
    template <typename T>
    const T* Find(std::string_view aKey) const
    {
        const auto found = myProperties.find(aKey);
        return found != myProperties.end() ? std::get_if<T>(&found->second) : nullptr;
    }
    template <typename T>
    T* Find(std::string_view aKey)
    {
        const auto found = myProperties.find(aKey);
        return found != myProperties.end() ? std::get_if<T>(&found->second) : nullptr;
    }

    // The value under aKey; throws ContentError when it is missing or holds another type.
    template <typename T>
    const T& Get(std::string_view aKey) const
    {
        if (const T* value = Find<T>(aKey))
            return *value;
        ThrowKeyError(aKey, CustomPropertyIndexOf<T>());
    }
    template <typename T>
    T& Get(std::string_view aKey)
    {
        if (T* value = Find<T>(aKey))
            return *value;
        ThrowKeyError(aKey, CustomPropertyIndexOf<T>());
    }

    // "Scene object file \"<file>\": object \"<name>\" (<definition>, defined in \"<its file>\"):
    // <problem>" as one line; "Scene folder \"...\"" stands for the file when it is not known.
    std::string Describe(std::string_view aProblem) const;

    // The world matrix of a placement: rotation from Euler degrees (about x, then y, then
    // z), rows 0 to 2 scaled by the scale, the translation in row 3.
    static Kiln::Matrix4x4<float> ComputeTransform(const Kiln::Vector3<float>& aRotation, const Kiln::Vector3<float>& aScale,
                                                   const Kiln::Vector3<float>& aTranslation);

private:
    [[noreturn]] void ThrowKeyError(std::string_view aKey, std::size_t anExpectedIndex) const;
};
