#pragma once
// Binary FBX 7.x: records with 32-bit offsets before version 7500 and 64-bit offsets
// from 7500 on; arrays raw or zlib-compressed. Every offset and size is checked
// against the file before it is used.
#include "Platform/fbx/Document.h"

#include <string_view>

namespace Plat::Fbx
{
    // "Kaydara FBX Binary  \0" followed by 0x1A 0x00.
    constexpr std::string_view BinaryMagic{"Kaydara FBX Binary  \0\x1a\0", 23};
    constexpr size_t BinaryHeaderSize = 27; // magic + 32-bit version

    bool HasBinaryMagic(std::string_view someBytes);

    class BufferPool;

    // Throws FormatError describing the first problem found. With a pool, arrays are
    // read into its recycled memory.
    Document ReadBinaryDocument(std::string_view someBytes, BufferPool* aPool = nullptr);
}
