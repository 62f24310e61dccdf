#pragma once
// A loaded scene: its objects keyed by the dense index of their GUID, and how many objects
// each grouping path holds. Filled by LoadScene (SceneSerialize.h).
#include "forge/scene/SceneObject.h"
#include "forge/stringRegistry/StringId.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

namespace Kiln
{
    // Orders ids by their text, byte-wise; the null id is the empty text.
    struct StringIdTextLess
    {
        bool operator()(StringId aLeft, StringId aRight) const
        {
            return std::strcmp(aLeft.GetString(), aRight.GetString()) < 0;
        }
    };

    class Scene
    {
    public:
        Scene();
        ~Scene();

        // count[aNewPath] += 1, then count[anOldPath] -= 1, dropping an entry that reaches 0.
        // An old path the index does not hold is left alone (there is nothing to take from).
        void UpdatePathIndex(StringId anOldPath, StringId aNewPath);

        // The scene path exactly as passed to the loader.
        std::string myName;
        // The stem of the scene path ("Level1" for "levels\Level1.ksc").
        std::string myFileName = "untitled";
        std::unordered_map<std::uint32_t, std::shared_ptr<SceneObject>> myObjects;
        // Invariant: every entry's count is above 0.
        std::map<StringId, std::uint32_t, StringIdTextLess> myPathCounts;
    };
}
