#pragma once
// One cache of compiled shaders per stage, keyed by shader name. An entry keeps the
// shader object and the bytes it was made from (input layouts are built from a vertex
// shader's bytes).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Kiln
{
    // FNV-1a over the name's bytes.
    struct Fnv1aHash
    {
        size_t operator()(std::string_view aText) const
        {
            uint64_t hash = 14695981039346656037ull;
            for (const char c : aText)
            {
                hash ^= static_cast<uint8_t>(c);
                hash *= 1099511628211ull;
            }
            return static_cast<size_t>(hash);
        }
    };

    template <typename ShaderType>
    struct ShaderCacheEntry
    {
        std::shared_ptr<ShaderType> myShader;
        std::vector<uint8_t> myByteCode;
    };

    template <typename ShaderType>
    using ShaderCache = std::unordered_map<std::string, ShaderCacheEntry<ShaderType>, Fnv1aHash>;
}
