#pragma once
// The importer's vertex, also the engine's GPU vertex: 180 bytes, fields back to back.
#include <cstddef>
#include <cstdint>

namespace KILNFBXImporter
{
    struct FBXVertex
    {
        float position[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // "POSITION"
        float colors[4][4] = {};                     // "COLOR" 0-3, r g b a
        float uvs[4][2] = {};                        // "TEXCOORD" 0-3
        float normal[3] = {0.0f, 0.0f, 0.0f};        // "NORMAL"
        float tangent[3] = {0.0f, 0.0f, 0.0f};       // "TANGENT"
        float binormal[3] = {0.0f, 0.0f, 0.0f};      // "BINORMAL"
        uint32_t boneIndices[4] = {0, 0, 0, 0};      // "BONES": joint indices
        float boneWeights[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // "WEIGHTS"
    };

    static_assert(sizeof(FBXVertex) == 180, "FBXVertex is the 180-byte GPU vertex");
    static_assert(offsetof(FBXVertex, colors) == 16);
    static_assert(offsetof(FBXVertex, uvs) == 80);
    static_assert(offsetof(FBXVertex, normal) == 112);
    static_assert(offsetof(FBXVertex, tangent) == 124);
    static_assert(offsetof(FBXVertex, binormal) == 136);
    static_assert(offsetof(FBXVertex, boneIndices) == 148);
    static_assert(offsetof(FBXVertex, boneWeights) == 164);
}
