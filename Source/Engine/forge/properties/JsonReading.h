#pragma once
// Readers shared by the property values, scenes and object definitions. Wrong shapes raise
// the JSON library's own exceptions with its own messages; numbers out of a type's range
// saturate instead of overflowing the conversion.
#include "forge/stringRegistry/StringId.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>

namespace Kiln::impl
{
    // A required key of an object. A value that is not an object raises type_error 306
    // ("cannot use value() with ..."); a missing key reads as null, so reading it raises
    // "type must be ..., but is null".
    const nlohmann::json& RequiredMember(const nlohmann::json& anObject, const char* aKey);

    // A number (integer, unsigned or floating) or a boolean (true = 1); anything else raises
    // type_error 302 "type must be number, but is ...".
    float ReadJsonFloat(const nlohmann::json& aJson);
    // As ReadJsonFloat; floating numbers are truncated toward zero.
    std::int32_t ReadJsonInt(const nlohmann::json& aJson);
    // A boolean; anything else raises type_error 302 "type must be boolean, but is ...".
    bool ReadJsonBool(const nlohmann::json& aJson);
    // A string, interned (the empty string is the null id); anything else raises
    // type_error 302 "type must be string, but is ...".
    StringId ReadJsonStringId(const nlohmann::json& aJson);

    // Elements 0 to aCount - 1 of an array as floats; elements past them are ignored.
    // A non-array raises type_error 305 ("cannot use operator[] with a numeric argument
    // with ..."), a shorter array out_of_range 401 for the first missing index.
    void ReadJsonFloats(const nlohmann::json& aJson, float* someValues, std::size_t aCount);
}
