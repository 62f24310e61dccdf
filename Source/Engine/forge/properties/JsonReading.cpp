#include "forge/properties/JsonReading.h"

#include "forge/stringRegistry/StringRegistry.h"

#include <cmath>
#include <istream>
#include <iterator>
#include <limits>

namespace Kiln::impl
{
    namespace
    {
        const nlohmann::json theNull;

        float NarrowToFloat(double aValue)
        {
            // Checked before the conversion, which would be undefined out of range.
            if (!(std::fabs(aValue) <= std::numeric_limits<float>::max()))
            {
                throw std::range_error("the number " + nlohmann::json(aValue).dump() + " is not a finite float");
            }
            return static_cast<float>(aValue);
        }

        // The deepest nesting of arrays and objects in aText; brackets inside strings do not count.
        void CheckDepth(const std::string& aText)
        {
            std::size_t depth = 0;
            bool inString = false;
            for (std::size_t i = 0; i < aText.size(); ++i)
            {
                const char c = aText[i];
                if (inString)
                {
                    if (c == '\\')
                    {
                        ++i;
                    }
                    else if (c == '"')
                    {
                        inString = false;
                    }
                }
                else if (c == '"')
                {
                    inString = true;
                }
                else if (c == '[' || c == '{')
                {
                    if (++depth > MAX_JSON_DEPTH)
                    {
                        throw std::runtime_error("arrays and objects are nested deeper than " + std::to_string(MAX_JSON_DEPTH) +
                                                 " levels (at byte " + std::to_string(i + 1) + ")");
                    }
                }
                else if ((c == ']' || c == '}') && depth > 0)
                {
                    --depth;
                }
            }
        }

        template <typename T>
        std::int32_t SaturateToInt(T aValue)
        {
            constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
            constexpr auto highest = std::numeric_limits<std::int32_t>::max();
            if (aValue <= static_cast<T>(lowest))
            {
                return lowest;
            }
            if (aValue >= static_cast<T>(highest))
            {
                return highest;
            }
            return static_cast<std::int32_t>(aValue);
        }
    }

    nlohmann::json ParseJson(std::istream& aStream)
    {
        std::string text;
        if (aStream)
        {
            text.assign(std::istreambuf_iterator<char>(aStream), std::istreambuf_iterator<char>());
        }
        CheckDepth(text);
        return nlohmann::json::parse(text);
    }

    std::string KeyContext(std::string_view aKey)
    {
        return "key \"" + std::string(aKey) + "\"";
    }

    std::string PropertyContext(const nlohmann::json& anElement, std::size_t anIndex)
    {
        std::string context = "property " + std::to_string(anIndex);
        if (anElement.is_object())
        {
            if (const auto name = anElement.find("name"); name != anElement.end() && name->is_string())
            {
                context += " (\"" + name->get_ref<const std::string&>() + "\")";
            }
        }
        return context;
    }

    const nlohmann::json& RequiredMember(const nlohmann::json& anObject, const char* aKey)
    {
        if (!anObject.is_object())
        {
            // Let the library raise its own error for a lookup in a non-object.
            (void)anObject.value(aKey, 0);
            return theNull;
        }
        const auto found = anObject.find(aKey);
        return found != anObject.end() ? *found : theNull;
    }

    float ReadJsonFloat(const nlohmann::json& aJson)
    {
        if (aJson.is_number_float())
        {
            return NarrowToFloat(aJson.get<double>());
        }
        return aJson.get<float>();
    }

    std::int32_t ReadJsonInt(const nlohmann::json& aJson)
    {
        if (aJson.is_number_float())
        {
            const double value = std::trunc(aJson.get<double>());
            return std::isnan(value) ? 0 : SaturateToInt(value);
        }
        if (aJson.is_number_unsigned())
        {
            const auto value = aJson.get<std::uint64_t>();
            return value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
                       ? std::numeric_limits<std::int32_t>::max()
                       : static_cast<std::int32_t>(value);
        }
        if (aJson.is_number_integer())
        {
            return SaturateToInt(aJson.get<std::int64_t>());
        }
        return aJson.get<std::int32_t>();
    }

    bool ReadJsonBool(const nlohmann::json& aJson)
    {
        return aJson.get<bool>();
    }

    StringId ReadJsonStringId(const nlohmann::json& aJson)
    {
        if (!aJson.is_string())
        {
            (void)aJson.get<std::string>();
        }
        return InternJsonText(aJson.get_ref<const std::string&>());
    }

    StringId InternJsonText(std::string_view aText)
    {
        // Refused here, in words that reach the player with the file and the key; the
        // registry would assert and hand back the null id.
        if (aText.size() >= STRING_REGISTRY_SIZE_LIMIT)
        {
            throw std::length_error("the text is " + std::to_string(aText.size()) + " characters long; at most " +
                                    std::to_string(STRING_REGISTRY_SIZE_LIMIT - 1) + " are allowed");
        }
        return StringRegistry::RegisterOrGetString(aText);
    }

    void ReadJsonFloats(const nlohmann::json& aJson, float* someValues, std::size_t aCount)
    {
        if (!aJson.is_array())
        {
            (void)aJson[0];
        }
        for (std::size_t i = 0; i < aCount; ++i)
        {
            someValues[i] = ReadJsonFloat(aJson.at(i));
        }
    }
}
