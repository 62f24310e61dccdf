#pragma once
// Process-wide string interning. New text is copied once into zero-filled 1 MiB pages that
// are never freed or moved, so every StringId stays valid until the program ends.
// Main thread only.
#include "forge/stringRegistry/StringId.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Kiln
{
    // Bytes an interned copy may take, terminator included (so 1023 characters at most).
    inline constexpr std::size_t STRING_REGISTRY_SIZE_LIMIT = 1024;
    inline constexpr std::uint32_t STRING_REGISTRY_PAGE_SIZE = 1024 * 1024;

    class StringRegistry
    {
    public:
        // Interns the text up to its first NUL. Empty text and text of 1024 or more
        // characters give the null id (the latter with an assertion).
        static StringId RegisterOrGetString(std::string_view aString);

        // Interns a NUL-terminated string with static lifetime without copying it: when the
        // text is new, the caller's pointer becomes the id. aSize only tells empty from not.
        static StringId RegisterOrGetStringLiteral(const char* aString, std::size_t aSize);

        // Diagnostics: pages allocated so far and bytes still free in the newest one.
        static std::size_t GetPageCount();
        static std::uint32_t GetBytesLeftInPage();
    };
}
