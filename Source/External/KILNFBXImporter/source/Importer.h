#pragma once
// KILNFBXImporter: turns an FBX file into plain records, a model or a sampled animation.
//
//   InitImporter();                 once, before any load
//   LoadModel(path, model, false, true);
//   LoadAnimation(path, animation);
//   UninitImporter();               when done
//
// Failures found before a file is imported return false and leave a text in LastError;
// failures found in the imported data throw std::runtime_error.
#include "FBXAnimation.h"
#include "FBXModel.h"

#include "Platform/fbx/AxisSystem.h"
#include "Platform/fbx/Matrix.h"

#include <string>

namespace Plat::Fbx
{
    class GeometryConverter;
    class IOSettings;
    class Manager;
}

namespace KILNFBXImporter
{
    // The shared importer state; every pointer is null until InitImporter.
    struct ImporterState
    {
        Plat::Fbx::Manager* manager = nullptr;
        Plat::Fbx::IOSettings* ioSettings = nullptr;
        Plat::Fbx::GeometryConverter* geometryConverter = nullptr; // owned
        Plat::Fbx::AxisSystem axisSystem;

        ~ImporterState();
    };

    ImporterState& GetImporterState();

    // The last failure found before an import (for debugging; nothing reads it).
    extern std::string LastError;

    void InitImporter();
    void UninitImporter();

    bool LoadModel(const std::string& aPath, FBXModel& anOutModel, bool aRegenerateTangents, bool aMergeDuplicateVertices);
    bool LoadAnimation(const std::string& aPath, FBXAnimation& anOutAnimation);

    // Element (r, c) = row r, component c of the library's matrix, narrowed to float.
    FBXMatrix ConvertMatrix(const Plat::Fbx::AMatrix& aMatrix);
}
