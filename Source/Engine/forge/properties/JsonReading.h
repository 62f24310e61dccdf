#pragma once
// Readers shared by the settings, property values, scenes and object definitions. Wrong
// shapes raise the JSON library's own exceptions with its own messages; integers out of
// range saturate, and a float that would not be finite is refused.
#include "forge/stringRegistry/StringId.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Kiln::impl
{
    // Deeper than any content the game writes, and shallow enough that no recursive walk over
    // a document can exhaust the stack, even in a sanitizer build.
    constexpr std::size_t MAX_JSON_DEPTH = 64;

    // Reads the rest of aStream as one JSON document without comments (the one way the engine
    // parses JSON). Arrays and objects nested deeper than MAX_JSON_DEPTH raise
    // std::runtime_error before anything is built; other faults raise the library's
    // parse_error. A stream that is not open reads as empty input.
    nlohmann::json ParseJson(std::istream& aStream);

    // Runs aRead; whatever it throws is nested (std::throw_with_nested) in a
    // std::runtime_error whose text is aContext, such as "key \"name\"".
    template <typename Read>
    decltype(auto) WithContext(std::string_view aContext, Read&& aRead)
    {
        try
        {
            return aRead();
        }
        catch (...)
        {
            std::throw_with_nested(std::runtime_error(std::string(aContext)));
        }
    }

    // "key \"<aKey>\"", the context of one key's value.
    std::string KeyContext(std::string_view aKey);
    // "property <anIndex>", followed by " (\"<name>\")" when the element has a text "name".
    std::string PropertyContext(const nlohmann::json& anElement, std::size_t anIndex);

    // A required key of an object. A value that is not an object raises type_error 306
    // ("cannot use value() with ..."); a missing key reads as null, so reading it raises
    // "type must be ..., but is null".
    const nlohmann::json& RequiredMember(const nlohmann::json& anObject, const char* aKey);

    // A number (integer, unsigned or floating) or a boolean (true = 1); anything else raises
    // type_error 302 "type must be number, but is ...". A number beyond the float range
    // raises std::range_error: an infinite position or speed would spread through play.
    float ReadJsonFloat(const nlohmann::json& aJson);
    // As ReadJsonFloat; floating numbers are truncated toward zero.
    std::int32_t ReadJsonInt(const nlohmann::json& aJson);
    // A boolean; anything else raises type_error 302 "type must be boolean, but is ...".
    bool ReadJsonBool(const nlohmann::json& aJson);
    // A string, interned (the empty string is the null id); anything else raises
    // type_error 302 "type must be string, but is ...", and a string too long to intern
    // std::length_error as InternJsonText.
    StringId ReadJsonStringId(const nlohmann::json& aJson);
    // aText interned (the empty text is the null id). Text longer than the string registry
    // keeps (1023 characters) raises std::length_error saying how long it is.
    StringId InternJsonText(std::string_view aText);

    // Elements 0 to aCount - 1 of an array as floats; elements past them are ignored.
    // A non-array raises type_error 305 ("cannot use operator[] with a numeric argument
    // with ..."), a shorter array out_of_range 401 for the first missing index.
    void ReadJsonFloats(const nlohmann::json& aJson, float* someValues, std::size_t aCount);
}
