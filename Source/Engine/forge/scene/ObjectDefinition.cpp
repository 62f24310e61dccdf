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
            return impl::InternJsonText(anElement.value(aKey, std::string()));
        }

        // Reads one key of anElement, naming it in any error.
        template <typename Read>
        decltype(auto) ReadKey(const nlohmann::json& anElement, const char* aKey, Read&& aRead)
        {
            return impl::WithContext(impl::KeyContext(aKey), [&] { return aRead(anElement, aKey); });
        }

        StringId ReadRequiredText(const nlohmann::json& anElement, const char* aKey)
        {
            return impl::ReadJsonStringId(impl::RequiredMember(anElement, aKey));
        }

        bool ReadRequiredBool(const nlohmann::json& anElement, const char* aKey)
        {
            return impl::ReadJsonBool(impl::RequiredMember(anElement, aKey));
        }

        // The keys are read in this order, so the first missing or mistyped one decides the error.
        PropertyDefinition ReadPropertyDefinition(const nlohmann::json& anElement, const ObjectDefinition& aDefinition)
        {
            if (!anElement.is_object())
            {
                // The library's own type_error 306: the element is at fault, not one key.
                (void)anElement.value("name", 0);
            }
            PropertyDefinition property;
            property.myName = ReadKey(anElement, "name", ReadRequiredText);
            property.myGroup = ReadKey(anElement, "group", ReadOptionalText);
            property.myDescription = ReadKey(anElement, "description", ReadOptionalText);
            if (ReadKey(anElement, "is-dynamic", ReadRequiredBool))
            {
                property.myFlags |= PROPERTY_FLAG_DYNAMIC;
            }
            if (ReadKey(anElement, "is-per-instance", ReadRequiredBool))
            {
                property.myFlags |= PROPERTY_FLAG_PER_INSTANCE;
            }
            const StringId typeName = ReadKey(anElement, "type", ReadRequiredText);
            property.myType = PropertyTypeBase::GetPropertyType(typeName);
            if (property.myType == nullptr)
            {
                // Kept without a type (its value stays empty), so the definition's order holds.
                std::fprintf(stderr, "Object definition \"%s\": property \"%s\" has the unknown type \"%s\"\n",
                             aDefinition.myName.GetString(), property.myName.GetString(), typeName.GetString());
                return property;
            }
            const auto value = anElement.find("value");
            property.myValue = impl::WithContext(impl::KeyContext("value"), [&] {
                return Property::CreateFromJson(property.myType, value != anElement.end() ? *value : nlohmann::json());
            });
            return property;
        }
    }

    void ReadObjectDefinition(const nlohmann::json& aDocument, ObjectDefinition& anOut)
    {
        if (!aDocument.is_object())
        {
            // The library's own type_error 306: the whole document is at fault, not one key.
            (void)aDocument.value("parent-object-definition", 0);
        }
        anOut.myParentObjectDefinition = ReadKey(aDocument, "parent-object-definition", ReadRequiredText);
        const auto properties = aDocument.find("properties");
        if (properties == aDocument.end())
        {
            return;
        }
        impl::WithContext(impl::KeyContext("properties"), [&] {
            std::size_t index = 0;
            for (const nlohmann::json& element : *properties)
            {
                const std::string context = impl::PropertyContext(element, index++);
                anOut.myProperties.push_back(impl::WithContext(context, [&] { return ReadPropertyDefinition(element, anOut); }));
            }
        });
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
            const nlohmann::json document = impl::ParseJson(in);
            ReadObjectDefinition(document, anOut);
        }
        catch (...)
        {
            std::throw_with_nested(std::runtime_error("Could not read object definition file \"" + file.string() + "\""));
        }
    }
}
