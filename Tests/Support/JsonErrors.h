#pragma once
// An error chain as the tests judge it: our own levels (the file, the key, the property and
// our own reasons) as they read, joined with ": ", and an error of the JSON library only by
// its kind, such as "[type_error]". The library's wording and positions belong to its
// version, not to us.
#include <nlohmann/json.hpp>

#include <exception>
#include <string>

namespace KilnTest
{
    inline std::string JsonErrorKind(const std::exception& anError)
    {
        using Json = nlohmann::json;
        if (dynamic_cast<const Json::parse_error*>(&anError))
            return "[parse_error]";
        if (dynamic_cast<const Json::type_error*>(&anError))
            return "[type_error]";
        if (dynamic_cast<const Json::out_of_range*>(&anError))
            return "[out_of_range]";
        return dynamic_cast<const Json::exception*>(&anError) ? "[other json error]" : "";
    }

    inline std::string OurWords(const std::exception& anError)
    {
        const std::string kind = JsonErrorKind(anError);
        std::string text = kind.empty() ? anError.what() : kind;
        try
        {
            std::rethrow_if_nested(anError);
        }
        catch (const std::exception& inner)
        {
            text += ": " + OurWords(inner);
        }
        catch (...)
        {
            text += ": unknown exception";
        }
        return text;
    }
}
