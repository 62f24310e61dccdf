#pragma once
// Writes small ASCII FBX model and animation files for the model tests: flat meshes in the
// x-y plane (facing -z), materials, a joint hierarchy of translations with skin weights,
// and constant or linearly changing rotations about z.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace ModelTest
{
    struct FbxMeshSpec
    {
        std::string myName = "Mesh";
        std::vector<std::array<float, 3>> myPositions;
        std::vector<uint32_t> myTriangles;              // three indices per triangle
        std::vector<std::array<float, 4>> myColors;     // per vertex, optional
        int myMaterial = -1;                            // index into the materials, -1 none
        // Per vertex: (joint, weight) pairs; empty for an unskinned mesh.
        std::vector<std::vector<std::pair<int, float>>> mySkin;
    };

    struct FbxJointSpec
    {
        std::string myName;
        int myParent = -1;
        std::array<float, 3> myTranslation = {0.0f, 0.0f, 0.0f};   // local
    };

    struct FbxRotationSpec
    {
        int myJoint = 0;
        float myStartDegrees = 0.0f;   // about z at the first frame
        float myEndDegrees = 0.0f;     // about z at the last frame
    };

    struct FbxModelSpec
    {
        std::vector<FbxMeshSpec> myMeshes;
        std::vector<std::string> myMaterials;
        std::vector<FbxJointSpec> myJoints;
        // Written as an animation stack when not empty (30 frames per second).
        std::vector<FbxRotationSpec> myRotations;
        float myDurationSeconds = 1.0f;
    };

    std::string BuildAsciiFbx(const FbxModelSpec& aSpec);
    std::filesystem::path WriteFbx(const std::filesystem::path& aPath, const FbxModelSpec& aSpec);

    // A quad of width aWidth and height aHeight with its bottom-left corner at (x, y).
    FbxMeshSpec Quad(const std::string& aName, float x, float y, float aWidth, float aHeight);

    // A bar 2 wide from y = 0 to y = 20 as four quads stacked at y = 0, 5, 10, 15 (vertex
    // rows at y = 0, 5, 10, 15, 20), skinned to the two joints "Root" (origin) and "Bend"
    // (y = 10): rows below 10 to Root, rows at 10 and above to Bend, weight 1.
    FbxModelSpec BentBar(float aBendDegrees);
}
