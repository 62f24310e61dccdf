#pragma once
// What the level's model-based props (walls, pots, checkpoints, doors, buttons) take from
// their models: the x/y half extents of the first mesh of an instance's model, the
// lengths of its transform's axis rows (the placement's scale along each axis), and the
// engine's model drawer to draw them with.
#include "forge/math/Matrix4x4.h"
#include "forge/math/Vector.h"

#include <cstddef>

namespace Kiln
{
    class ModelDrawer;
    class ModelInstance;
}

// (0, 0) for an instance without a model or a model without meshes.
Kiln::Vector2<float> GetModelHalfExtents(const Kiln::ModelInstance& anInstance);

// |row aRow| of aTransform over x, y and z.
float GetRowLength(const Kiln::Matrix4x4<float>& aTransform, std::size_t aRow);

// Null while no engine runs.
Kiln::ModelDrawer* GetModelDrawer();
