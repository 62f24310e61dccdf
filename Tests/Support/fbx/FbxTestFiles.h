#pragma once
// Fixture paths, per-test temporary folders and the binary forms of the ASCII fixtures.
#include "Support/fbx/BinaryFbxWriter.h"

#include <filesystem>
#include <string>
#include <vector>

namespace KilnTest
{
    // Tests/data/fbx/<aName>
    std::filesystem::path FbxFixture(const std::string& aName);

    // A fresh folder unique to this process and object, removed on destruction.
    class TempFolder
    {
    public:
        TempFolder();
        ~TempFolder();
        TempFolder(const TempFolder&) = delete;
        TempFolder& operator=(const TempFolder&) = delete;

        const std::filesystem::path& Path() const { return myPath; }
        std::filesystem::path operator/(const std::string& aName) const { return myPath / aName; }

    private:
        std::filesystem::path myPath;
    };

    enum class FbxForm
    {
        Ascii,
        Binary7400,
        Binary7400Zlib,
        Binary7500,
        Binary7500Zlib,
    };

    inline const std::vector<FbxForm> AllFbxForms = {FbxForm::Ascii, FbxForm::Binary7400, FbxForm::Binary7400Zlib,
                                                     FbxForm::Binary7500, FbxForm::Binary7500Zlib};

    std::string FormName(FbxForm aForm);

    // The fixture in the asked form: the ASCII file itself, or a binary copy written
    // into aFolder (named after the fixture, so file-name rules still apply).
    std::filesystem::path FixtureInForm(const std::string& aName, FbxForm aForm, const TempFolder& aFolder);

    // Writes someText to aFolder/aName and returns the path.
    std::filesystem::path WriteTextFile(const TempFolder& aFolder, const std::string& aName, const std::string& someText);
}
