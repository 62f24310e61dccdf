#include "forge/properties/JsonReading.h"

#include "forge/stringRegistry/StringRegistry.h"

#include <cmath>
#include <limits>

namespace Kiln::impl
{
    namespace
    {
        const nlohmann::json theNull;

        // Out-of-range doubles become infinities, as the hardware would give, without the
        // undefined conversion.
        float NarrowToFloat(double aValue)
        {
            constexpr double largest = std::numeric_limits<float>::max();
            if (aValue > largest)
            {
                return std::numeric_limits<float>::infinity();
            }
            if (aValue < -largest)
            {
                return -std::numeric_limits<float>::infinity();
            }
            return static_cast<float>(aValue);
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
        return StringRegistry::RegisterOrGetString(aJson.get_ref<const std::string&>());
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
