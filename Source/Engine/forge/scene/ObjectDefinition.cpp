#include "forge/scene/ObjectDefinition.h"

#include "forge/properties/JsonReading.h"
#include "forge/scene/GameAssetsRoot.h"
#include "forge/stringRegistry/StringRegistry.h"

#include "Platform/runtime/Paths.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace Kiln
{
    namespace
    {
        StringId ReadOptionalText(const nlohmann::json& anElement, const char* aKey)
        {
            return StringRegistry::RegisterOrGetString(anElement.value(aKey, std::string()));
        }

        // The keys are read in this order, so the first missing or mistyped one decides the error.
        PropertyDefinition ReadPropertyDefinition(const nlohmann::json& anElement, const ObjectDefinition& aDefinition)
        {
            PropertyDefinition property;
            property.myName = impl::ReadJsonStringId(impl::RequiredMember(anElement, "name"));
            property.myGroup = ReadOptionalText(anElement, "group");
            property.myDescription = ReadOptionalText(anElement, "description");
            if (impl::ReadJsonBool(impl::RequiredMember(anElement, "is-dynamic")))
            {
                property.myFlags |= PROPERTY_FLAG_DYNAMIC;
            }
            if (impl::ReadJsonBool(impl::RequiredMember(anElement, "is-per-instance")))
            {
                property.myFlags |= PROPERTY_FLAG_PER_INSTANCE;
            }
            const StringId typeName = impl::ReadJsonStringId(impl::RequiredMember(anElement, "type"));
            property.myType = PropertyTypeBase::GetPropertyType(typeName);
            if (property.myType == nullptr)
            {
                // Kept without a type (its value stays empty), so the definition's order holds.
                std::fprintf(stderr, "Object definition \"%s\": property \"%s\" has the unknown type \"%s\"\n",
                             aDefinition.myName.GetString(), property.myName.GetString(), typeName.GetString());
                return property;
            }
            const auto value = anElement.find("value");
            property.myValue = Property::CreateFromJson(property.myType, value != anElement.end() ? *value : nlohmann::json());
            return property;
        }
    }

    void ReadObjectDefinition(const nlohmann::json& aDocument, ObjectDefinition& anOut)
    {
        anOut.myParentObjectDefinition = impl::ReadJsonStringId(impl::RequiredMember(aDocument, "parent-object-definition"));
        const auto properties = aDocument.find("properties");
        if (properties == aDocument.end())
        {
            return;
        }
        for (const nlohmann::json& element : *properties)
        {
            anOut.myProperties.push_back(ReadPropertyDefinition(element, anOut));
        }
    }

    void LoadObjectDefinition(ObjectDefinition& anOut, const char* aRelativePath)
    {
        const std::string relative = Plat::Runtime::ToPortableSeparators(aRelativePath);
        anOut.myPath = aRelativePath;
        anOut.myName = StringRegistry::RegisterOrGetString(std::filesystem::path(relative).stem().string());

        const std::filesystem::path file = Plat::Runtime::ResolveCase(impl::GetGameAssetsPath() / relative);
        try
        {
            std::ifstream in(file, std::ios::binary);
            // A stream that did not open reads as empty input: the parser reports it.
            const nlohmann::json document = nlohmann::json::parse(in);
            ReadObjectDefinition(document, anOut);
        }
        catch (...)
        {
            std::throw_with_nested(std::runtime_error("Could not read object definition file \"" + file.string() + "\""));
        }
    }
}
