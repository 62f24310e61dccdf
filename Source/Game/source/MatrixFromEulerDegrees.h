#pragma once
// The rotation matrix of Euler angles in degrees, applied about x, then y, then z (row
// vectors); no translation. Enemies and upgrade characters turn their sprites with it.
#include "forge/math/Matrix4x4.h"
#include "forge/math/Vector.h"

Kiln::Matrix4x4<float> MatrixFromEulerDegrees(const Kiln::Vector3<float>& someDegrees);
