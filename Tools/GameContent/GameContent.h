#pragma once
// Shared by the parts of the game-content generator: where files go, and the palette that
// keeps every picture in one mood (a dark forest at night: deep blues and violets, pale
// moth fluff, warm ember accents).
#include "ContentKit/Canvas.h"
#include "ContentKit/SceneFiles.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace GameContent
{
    using namespace ContentKit;

    // Collects the written files and the errors; optional PNG previews. Safe to use from
    // several painting threads at once.
    class Output
    {
    public:
        Output(std::filesystem::path aGameRoot, std::filesystem::path aPreviewFolder);

        // aPath as the game names it (either separator); colour art is sRGB.
        void Texture(const std::string& aPath, const Canvas& aCanvas, bool anIsColor = true);
        void Scene(const SceneFolder& aScene);
        void Definition(const ObjectDefinitionDesc& aDefinition);
        void Fail(const std::string& aMessage);

        const std::filesystem::path& Root() const { return myRoot; }
        bool Ok() const { return myErrors.empty(); }
        const std::vector<std::string>& Errors() const { return myErrors; }
        size_t Written() const { return myWritten; }

    private:
        std::filesystem::path myRoot;
        std::filesystem::path myPreviews;
        std::vector<std::string> myErrors;
        size_t myWritten = 0;
        mutable std::mutex myMutex;
    };

    // The file under the game root that a game path names.
    std::filesystem::path FileOf(const std::filesystem::path& aRoot, const std::string& aGamePath);

    namespace Palette
    {
        inline const Color Ink = Hex(0x120f24);          // outlines
        inline const Color NightDeep = Hex(0x0b0a1a);
        inline const Color Night = Hex(0x17163a);
        inline const Color NightMid = Hex(0x24265a);
        inline const Color Mist = Hex(0x4a4f8c);
        inline const Color MistLight = Hex(0x7c82c2);
        inline const Color BodyDark = Hex(0x312b62);
        inline const Color Body = Hex(0x4d4690);
        inline const Color BodyLight = Hex(0x7670c4);
        inline const Color FluffDark = Hex(0x9a8fc4);
        inline const Color Fluff = Hex(0xd6cdef);
        inline const Color FluffLight = Hex(0xf7f2ff);
        inline const Color WingDark = Hex(0x4b3a72);
        inline const Color Wing = Hex(0x725e9f);
        inline const Color WingLight = Hex(0xa08ccb);
        inline const Color Ember = Hex(0xff9a3c);
        inline const Color EmberLight = Hex(0xffd27a);
        inline const Color EmberDeep = Hex(0xd2521f);
        inline const Color Glow = Hex(0xfff1c9);
        inline const Color Shadow = Hex(0x1b1233);
        inline const Color ShadowMid = Hex(0x2e2050);
        inline const Color ShadowLight = Hex(0x4a3675);
    }

    // The parts of the generator, one per kind of content.
    void WriteDefinitions(Output& anOutput);
    void WriteControllers(Output& anOutput);
    void WritePlayerArt(Output& anOutput);
    void WriteEnemyArt(Output& anOutput);
    void WriteNpcArt(Output& anOutput);
    void WriteGrassArt(Output& anOutput);
    void WriteParticleArt(Output& anOutput);
    void WriteScreenArt(Output& anOutput);
}
