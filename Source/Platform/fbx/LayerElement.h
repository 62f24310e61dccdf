#pragma once
// Per-mesh data channels (normals, UVs, colours, materials, ...): how the values map
// onto the mesh and whether they are read directly or through an index array.
#include "Platform/fbx/Matrix.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace Plat::Fbx
{
    enum class MappingMode : int
    {
        None = 0,
        ByControlPoint = 1,
        ByPolygonVertex = 2,
        ByPolygon = 3,
        ByEdge = 4,
        AllSame = 5,
    };

    enum class ReferenceMode : int
    {
        Direct = 0,
        Index = 1,
        IndexToDirect = 2,
    };

    struct Vector2
    {
        double mData[2] = {0.0, 0.0};
        double operator[](int anIndex) const { return mData[anIndex]; }
        double& operator[](int anIndex) { return mData[anIndex]; }
        bool operator==(const Vector2&) const = default;
    };

    struct Color
    {
        double mRed = 0.0, mGreen = 0.0, mBlue = 0.0, mAlpha = 1.0;
        bool operator==(const Color&) const = default;
    };

    // A value array whose reads are checked: a bad index throws instead of reading
    // outside the data.
    template <class T>
    class LayerArray
    {
    public:
        int GetCount() const { return static_cast<int>(myItems.size()); }
        const T& GetAt(int anIndex) const
        {
            if (anIndex < 0 || anIndex >= GetCount())
                throw std::out_of_range("layer element index " + std::to_string(anIndex) + " is outside 0.." +
                                        std::to_string(GetCount()));
            return myItems[static_cast<size_t>(anIndex)];
        }
        std::vector<T>& Items() { return myItems; }
        const std::vector<T>& Items() const { return myItems; }

    private:
        std::vector<T> myItems;
    };

    template <class T>
    class LayerElementTemplate
    {
    public:
        const std::string& GetName() const { return myName; }
        MappingMode GetMappingMode() const { return myMapping; }
        ReferenceMode GetReferenceMode() const { return myReference; }
        const LayerArray<T>& GetDirectArray() const { return myDirect; }
        const LayerArray<int>& GetIndexArray() const { return myIndex; }

        LayerArray<T>& DirectArray() { return myDirect; }
        LayerArray<int>& IndexArray() { return myIndex; }
        void SetName(std::string aName) { myName = std::move(aName); }
        void SetMappingMode(MappingMode aMode) { myMapping = aMode; }
        void SetReferenceMode(ReferenceMode aMode) { myReference = aMode; }

        // The direct-array index of the value for a polygon corner, or -1 when the
        // mapping does not place a value there (by edge, none).
        int DirectIndexFor(int aControlPoint, int aPolygonVertex, int aPolygon) const
        {
            int index = -1;
            switch (myMapping)
            {
            case MappingMode::ByControlPoint: index = aControlPoint; break;
            case MappingMode::ByPolygonVertex: index = aPolygonVertex; break;
            case MappingMode::ByPolygon: index = aPolygon; break;
            case MappingMode::AllSame: index = 0; break;
            default: return -1;
            }
            if (myReference == ReferenceMode::Direct)
                return index;
            return myIndex.GetAt(index);
        }

    private:
        std::string myName;
        MappingMode myMapping = MappingMode::ByControlPoint;
        ReferenceMode myReference = ReferenceMode::Direct;
        LayerArray<T> myDirect;
        LayerArray<int> myIndex;
    };

    using LayerElementNormal = LayerElementTemplate<Vector4>;
    using LayerElementTangent = LayerElementTemplate<Vector4>;
    using LayerElementBinormal = LayerElementTemplate<Vector4>;
    using LayerElementUV = LayerElementTemplate<Vector2>;
    using LayerElementVertexColor = LayerElementTemplate<Color>;
    // Materials use the index array only: entry = the node's material slot.
    using LayerElementMaterial = LayerElementTemplate<int>;
}
