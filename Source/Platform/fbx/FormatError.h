#pragma once
// Thrown by the readers and the scene builder for malformed input; the importer turns
// it into a status text that names the file.
#include <stdexcept>
#include <string>

namespace Plat::Fbx
{
    class FormatError : public std::runtime_error
    {
    public:
        explicit FormatError(const std::string& aMessage) : std::runtime_error(aMessage) {}
    };
}
