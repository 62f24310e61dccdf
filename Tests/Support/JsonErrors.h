#pragma once
// An error chain as the tests judge it: our own levels (the file, the key, the property and
// our own reasons) joined with ": ", and an error of the JSON library only by its kind, such
// as "[type_error]". The library's wording and positions belong to its version, not to us.
#include <nlohmann/json.hpp>

#include <exception>
#include <string>

namespace KilnTest
{
    inline std::string OurWords(const std::exception& anError)
    {
        using Json = nlohmann::json;
        std::string text = dynamic_cast<const Json::parse_error*>(&anError)    ? "[parse_error]"
                           : dynamic_cast<const Json::type_error*>(&anError)   ? "[type_error]"
                           : dynamic_cast<const Json::out_of_range*>(&anError) ? "[out_of_range]"
                           : dynamic_cast<const Json::exception*>(&anError)    ? "[other JSON error]"
                                                                               : anError.what();
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
