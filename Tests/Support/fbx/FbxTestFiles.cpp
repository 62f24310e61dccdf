#include "Support/fbx/FbxTestFiles.h"

#include <atomic>
#include <unistd.h>

namespace KilnTest
{
    namespace fs = std::filesystem;

    fs::path FbxFixture(const std::string& aName)
    {
        return fs::path(KILN_TEST_DATA_DIR) / "fbx" / aName;
    }

    TempFolder::TempFolder()
    {
        static std::atomic<int> counter{0};
        myPath = fs::temp_directory_path() /
                 ("kiln_fbx_" + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1)));
        fs::remove_all(myPath);
        fs::create_directories(myPath);
    }

    TempFolder::~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(myPath, ignored);
    }

    std::string FormName(FbxForm aForm)
    {
        switch (aForm)
        {
        case FbxForm::Ascii: return "ascii";
        case FbxForm::Binary7400: return "binary7400";
        case FbxForm::Binary7400Zlib: return "binary7400zlib";
        case FbxForm::Binary7500: return "binary7500";
        case FbxForm::Binary7500Zlib: return "binary7500zlib";
        }
        return "?";
    }

    fs::path FixtureInForm(const std::string& aName, FbxForm aForm, const TempFolder& aFolder)
    {
        if (aForm == FbxForm::Ascii)
            return FbxFixture(aName);
        BinaryFbxOptions options;
        options.version = (aForm == FbxForm::Binary7500 || aForm == FbxForm::Binary7500Zlib) ? 7500 : 7400;
        options.compressArrays = aForm == FbxForm::Binary7400Zlib || aForm == FbxForm::Binary7500Zlib;
        const fs::path folder = aFolder.Path() / FormName(aForm);
        fs::create_directories(folder);
        const fs::path target = folder / aName;
        ConvertToBinaryFbx(FbxFixture(aName), target, options);
        return target;
    }

    fs::path WriteTextFile(const TempFolder& aFolder, const std::string& aName, const std::string& someText)
    {
        const fs::path path = aFolder / aName;
        WriteWholeFile(path, someText);
        return path;
    }
}
