#pragma once
// A 4x4 float matrix, row-major: element (r, c) is m[r][c]. Identity by default.
namespace KILNFBXImporter
{
    struct FBXMatrix
    {
        float m[4][4] = {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}};

        float& operator()(int aRow, int aColumn) { return m[aRow][aColumn]; }
        float operator()(int aRow, int aColumn) const { return m[aRow][aColumn]; }
        bool operator==(const FBXMatrix&) const = default;
    };
}
