#pragma once
// One generated model and its FBX form: a single mesh node with one material, and for
// animated models a joint chain that skins it plus one looping animation stack.
//
// The file is laid out as exporters write it: y up, right-handed (z towards the viewer),
// centimetres, 30 frames per second; control points shared between polygons, normals,
// UVs and colours per polygon corner. The importer turns it back into the engine's
// left-handed space, so everything here is given in engine space and mirrored in z on
// the way out.
#include "MeshBuilder.h"

#include "Platform/fbx/Document.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace GameModels
{
    struct ModelJoint
    {
        std::string name;
        int parent = -1;
        Vec3 translation;   // local bind translation (engine space)
    };

    // Euler rotations (degrees, x then y then z, engine space) of one joint per frame.
    struct JointTrack
    {
        int joint = 0;
        std::vector<Vec3> rotations;
    };

    struct ModelAnimation
    {
        std::string name = "Take 001";
        int framesPerSecond = 30;
        int frameCount = 0;   // frames 0 .. frameCount - 1
        std::vector<JointTrack> tracks;
    };

    struct GameModel
    {
        std::string name;                      // mesh node name
        std::string materialName = "M_ColorAtlas01";
        MeshBuilder mesh;
        std::vector<ModelJoint> joints;        // parents before children
        std::function<SkinWeights(const Vec3&)> skin;  // by control point position
        ModelAnimation animation;              // none when frameCount is 0
    };

    // The material's colour texture, found by the engine beside the model as
    // "<material>_C.dds".
    std::string MaterialTextureName(const GameModel& aModel);

    Plat::Fbx::Document BuildFbxDocument(const GameModel& aModel);

    // Writes the model as a binary FBX 7.4 file (arrays zlib-compressed); false on failure.
    bool WriteFbxModel(const GameModel& aModel, const std::filesystem::path& aPath);
}
