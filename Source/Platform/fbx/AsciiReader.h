#pragma once
// ASCII FBX 7.x: "Name: value, value { ... }" records, "*N { a: ... }" arrays and
// ';' comments. Numbers without a fraction or exponent are read as 64-bit integers.
#include "Platform/fbx/Document.h"

#include <string_view>

namespace Plat::Fbx
{
    // Throws FormatError naming the line of the first problem found.
    Document ReadAsciiDocument(std::string_view someText);
}
