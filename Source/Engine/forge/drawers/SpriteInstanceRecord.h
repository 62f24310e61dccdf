#pragma once
// The 112-byte GPU record of one sprite instance (vertex buffer slot 1, TEXCOORD1..7),
// and the conversions from the callers' records into it.
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/Sprite3DInstanceData.h"
#include "forge/math/Matrix4x4.h"

#include <cstddef>

namespace Kiln
{
    struct SpriteInstanceRecord
    {
        float myMatrix[16];     // instance matrix rows 0-3, row vectors (TEXCOORD1-4)
        float myColor[4];       // linear rgb, alpha unchanged (TEXCOORD5)
        float myTextureRect[4]; // as given (TEXCOORD6)
        float myCustomData[4];  // the caller's (x, w, z, y) (TEXCOORD7)
    };
    static_assert(sizeof(SpriteInstanceRecord) == 112);
    static_assert(offsetof(SpriteInstanceRecord, myColor) == 64);
    static_assert(offsetof(SpriteInstanceRecord, myTextureRect) == 80);
    static_assert(offsetof(SpriteInstanceRecord, myCustomData) == 96);

    // The world transform is read once per array, so writers get whether it is identity.
    void WriteSpriteInstance(SpriteInstanceRecord& aRecord, const Sprite2DInstanceData& anInstance,
                             const Matrix4x4f& aWorld, bool aWorldIsIdentity);
    void WriteSpriteInstance(SpriteInstanceRecord& aRecord, const Sprite3DInstanceData& anInstance,
                             const Matrix4x4f& aWorld, bool aWorldIsIdentity);

    // The local matrix of a 2D sprite: scale by size x multiplier, rotate, and place the
    // pivot at the position.
    Matrix4x4f GetSpriteLocalMatrix(const Sprite2DInstanceData& anInstance);
}
