#pragma once
// Writes a parsed FBX document as a binary FBX file, so tests can check the binary
// reader against the ASCII fixtures. Values read from ASCII get the binary types a
// real exporter uses (32-bit where they fit, float key values and attributes).
#include "Platform/fbx/Document.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace KilnTest
{
    struct BinaryFbxOptions
    {
        uint32_t version = 7400;     // 7500 and later write 64-bit record offsets
        bool compressArrays = false; // zlib-compress every non-empty array
        bool keepValueTypes = false; // write values as held (a document read from a binary file)
    };

    std::string WriteBinaryFbx(const Plat::Fbx::Document& aDocument, const BinaryFbxOptions& someOptions);

    // Reads an ASCII (or binary) FBX file and writes it back as binary.
    void ConvertToBinaryFbx(const std::filesystem::path& aSource, const std::filesystem::path& aTarget,
                            const BinaryFbxOptions& someOptions);

    std::string ReadWholeFile(const std::filesystem::path& aPath);
    void WriteWholeFile(const std::filesystem::path& aPath, const std::string& someBytes);
}
