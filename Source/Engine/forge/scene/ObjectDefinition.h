#pragma once
// An object definition: a reusable template of typed properties with default values, read
// from a ".kob" JSON file under the game assets path and named by the file's stem. Scene
// objects name their definition in "object-definition".
#include "forge/properties/Property.h"
#include "forge/stringRegistry/StringId.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kiln
{
    inline constexpr std::uint8_t PROPERTY_FLAG_DYNAMIC = 0x1;
    // A scene object may supply its own value for the property.
    inline constexpr std::uint8_t PROPERTY_FLAG_PER_INSTANCE = 0x2;

    struct PropertyDefinition
    {
        StringId myName;
        // Null when no registered type has the file's type name; the value is then empty.
        const PropertyTypeBase* myType = nullptr;
        Property myValue;
        std::uint8_t myFlags = 0;
        StringId myGroup;
        StringId myDescription;

        bool IsPerInstance() const { return (myFlags & PROPERTY_FLAG_PER_INSTANCE) != 0; }
        bool IsDynamic() const { return (myFlags & PROPERTY_FLAG_DYNAMIC) != 0; }
    };

    struct ObjectDefinition
    {
        // The file's path relative to the game assets path, as given to the reader.
        std::string myPath;
        // The file's stem, such as "KOB_Player".
        StringId myName;
        // Stored as read; nothing follows it.
        StringId myParentObjectDefinition;
        // In file order; duplicates kept.
        std::vector<PropertyDefinition> myProperties;
    };

    // Reads the definition file at aRelativePath under the game assets path into anOut.
    // A file that cannot be opened, malformed JSON, a missing required key or a wrong type
    // raise the JSON library's exceptions, nested in one that names the file.
    void LoadObjectDefinition(ObjectDefinition& anOut, const char* aRelativePath);

    // Reads a definition document into anOut (its path and name already set).
    void ReadObjectDefinition(const nlohmann::json& aDocument, ObjectDefinition& anOut);
}
