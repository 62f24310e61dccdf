#pragma once
// Writes an FBX document (as the reader parses it, or as a tool builds it) as a binary
// FBX file: the test fixtures' binary forms and the game's generated models. Values read
// from ASCII get the binary types a real exporter uses (32-bit where they fit, float key
// values and attributes).
#include "Platform/fbx/Document.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace KilnTools
{
    struct BinaryFbxOptions
    {
        uint32_t version = 7400;     // 7500 and later write 64-bit record offsets
        bool compressArrays = false; // zlib-compress every non-empty array
        // Off: values as the ASCII reader gives them (64-bit integers, double arrays) are
        // written with the types an exporter would use. On: every value keeps the type it
        // holds (a document read from a binary file, or built with its final types).
        bool keepValueTypes = false;
    };

    std::string WriteBinaryFbx(const Plat::Fbx::Document& aDocument, const BinaryFbxOptions& someOptions);

    // Reads an ASCII (or binary) FBX file and writes it back as binary.
    void ConvertToBinaryFbx(const std::filesystem::path& aSource, const std::filesystem::path& aTarget,
                            const BinaryFbxOptions& someOptions);

    std::string ReadWholeFile(const std::filesystem::path& aPath);
    void WriteWholeFile(const std::filesystem::path& aPath, const std::string& someBytes);
}
