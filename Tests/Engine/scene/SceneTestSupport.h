#pragma once
// Shared by the scene and object-definition suites: a unique temp folder that the loaders
// take as the game assets path for the length of a test.
#include "Support/UniqueTempFolder.h"

#include "forge/math/Matrix4x4.h"
#include "forge/scene/GameAssetsRoot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace KilnTest
{
    class GameAssetsFolder : public ::testing::Test
    {
    protected:
        GameAssetsFolder() : myAssets("scene")
        {
            theRoot = myAssets.GetPath();
            Kiln::impl::gGameAssetsPathSource = [] { return theRoot; };
        }

        ~GameAssetsFolder() override
        {
            Kiln::impl::gGameAssetsPathSource = nullptr;
        }

        const std::filesystem::path& Root() const { return myAssets.GetPath(); }
        std::filesystem::path Write(const std::filesystem::path& aRelativePath, const std::string& aText) const
        {
            return myAssets.WriteFile(aRelativePath, aText);
        }

        UniqueTempFolder myAssets;
        static inline std::filesystem::path theRoot;
    };

    // The object matrix the game builds from Euler degrees (x, then y, then z), scale and
    // translation: the inverse of the loader's decomposition.
    inline Kiln::Matrix4x4<float> ComposeObjectMatrix(float aX, float aY, float aZ, float aScale = 1.0f,
                                                      float aTx = 0.0f, float aTy = 0.0f, float aTz = 0.0f)
    {
        const float toRadians = 0.017453292f;
        const float a = aX * toRadians / 2, b = aY * toRadians / 2, c = aZ * toRadians / 2;
        const float cx = std::cos(a), sx = std::sin(a), cy = std::cos(b), sy = std::sin(b), cz = std::cos(c), sz = std::sin(c);
        const float w = cx * cy * cz + sx * sy * sz;
        const float x = sx * cy * cz - cx * sy * sz;
        const float y = cx * sy * cz + sx * cy * sz;
        const float z = cx * cy * sz - sx * sy * cz;
        Kiln::Matrix4x4<float> m;
        const float rows[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)},
                                  {2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)},
                                  {2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)}};
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t col = 0; col < 3; ++col)
                m(r, col) = rows[r][col] * aScale;
        m.SetPosition({aTx, aTy, aTz});
        return m;
    }

    inline std::string MatrixJson(const Kiln::Matrix4x4<float>& aMatrix)
    {
        std::string text = "[";
        for (std::size_t i = 0; i < 16; ++i)
            text += (i ? ", " : "") + std::to_string(aMatrix[i]);
        return text + "]";
    }
}
