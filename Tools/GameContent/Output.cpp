#include "GameContent.h"

#include "ContentKit/ImageFiles.h"

#include <algorithm>

namespace GameContent
{
    namespace fs = std::filesystem;

    Output::Output(fs::path aGameRoot, fs::path aPreviewFolder)
        : myRoot(std::move(aGameRoot))
        , myPreviews(std::move(aPreviewFolder))
    {
    }

    fs::path FileOf(const fs::path& aRoot, const std::string& aGamePath)
    {
        std::string portable = aGamePath;
        std::replace(portable.begin(), portable.end(), '\\', '/');
        return aRoot / portable;
    }

    void Output::Texture(const std::string& aPath, const Canvas& aCanvas, bool anIsColor)
    {
        DdsOptions options;
        options.srgb = anIsColor;
        const fs::path file = FileOf(myRoot, aPath);
        if (!WriteDds(file, aCanvas, options))
        {
            Fail("cannot write " + file.string());
            return;
        }
        {
            const std::lock_guard lock(myMutex);
            ++myWritten;
        }
        if (!myPreviews.empty())
        {
            std::string name = aPath;
            std::replace(name.begin(), name.end(), '\\', '/');
            std::replace(name.begin(), name.end(), '/', '_');
            std::replace(name.begin(), name.end(), ' ', '_');
            // Previews sit on a night-blue ground, as the art is seen in the game.
            Canvas preview(aCanvas.Width(), aCanvas.Height(), Hex(0x2a2a40));
            preview.Blit(aCanvas, 0, 0);
            WritePng(myPreviews / (fs::path(name).replace_extension(".png")), preview);
        }
    }

    void Output::Scene(const SceneFolder& aScene)
    {
        std::string error;
        if (!aScene.Write(myRoot, &error))
        {
            Fail(error);
            return;
        }
        const std::lock_guard lock(myMutex);
        myWritten += aScene.Objects().size();
    }

    void Output::Definition(const ObjectDefinitionDesc& aDefinition)
    {
        std::string error;
        if (!WriteObjectDefinition(myRoot / "objectdefinitions", aDefinition, &error))
        {
            Fail(error);
            return;
        }
        const std::lock_guard lock(myMutex);
        ++myWritten;
    }

    void Output::Fail(const std::string& aMessage)
    {
        const std::lock_guard lock(myMutex);
        myErrors.push_back(aMessage);
    }
}
