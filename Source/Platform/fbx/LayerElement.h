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

    // How an item of each kind is stored: a run of scalars, as the file writes them.
    template <class T>
    struct LayerItem;
    template <>
    struct LayerItem<Vector4> // x y z; w is 0
    {
        using Scalar = double;
        static constexpr int Components = 3;
        static Vector4 Make(const double* v) { return Vector4(v[0], v[1], v[2], 0.0); }
    };
    template <>
    struct LayerItem<Vector2>
    {
        using Scalar = double;
        static constexpr int Components = 2;
        static Vector2 Make(const double* v) { return Vector2{{v[0], v[1]}}; }
    };
    template <>
    struct LayerItem<Color>
    {
        using Scalar = double;
        static constexpr int Components = 4;
        static Color Make(const double* v) { return Color{v[0], v[1], v[2], v[3]}; }
    };
    template <>
    struct LayerItem<int>
    {
        using Scalar = int;
        static constexpr int Components = 1;
        static int Make(const int* v) { return v[0]; }
    };

    [[noreturn]] void ThrowLayerIndexOutOfRange(int anIndex, int aCount);

    // A value array whose reads are checked: a bad index throws instead of reading
    // outside the data. Items are stored as runs of scalars. After triangulation an array
    // may read through a remap (item i is stored item remap[i]) instead of holding copies.
    template <class T>
    class LayerArray
    {
    public:
        using Item = LayerItem<T>;
        using Scalar = typename Item::Scalar;
        static constexpr int Components = Item::Components;

        int GetCount() const
        {
            return myRemap != nullptr ? static_cast<int>(myRemap->size())
                                      : static_cast<int>(myValues.size() / static_cast<size_t>(Components));
        }
        T GetAt(int anIndex) const
        {
            if (anIndex < 0 || anIndex >= GetCount())
                ThrowLayerIndexOutOfRange(anIndex, GetCount());
            return Item::Make(Stored(StoredIndex(anIndex)));
        }

        // The stored item that item anIndex reads (anIndex must be in range).
        int StoredIndex(int anIndex) const
        {
            return myRemap != nullptr ? (*myRemap)[static_cast<size_t>(anIndex)] : anIndex;
        }
        const Scalar* Stored(int aStoredIndex) const { return myValues.data() + static_cast<size_t>(aStoredIndex) * Components; }

        // Raw storage, Components scalars per stored item.
        std::vector<Scalar>& Values() { return myValues; }
        const std::vector<Scalar>& Values() const { return myValues; }
        const std::vector<int>* GetRemap() const { return myRemap; }
        // aRemap belongs to the mesh and outlives the array's use of it.
        void SetRemap(const std::vector<int>* aRemap) { myRemap = aRemap; }

        // Copies out the items a remap selects, so the array no longer needs it.
        void Materialize()
        {
            if (myRemap == nullptr)
                return;
            std::vector<Scalar> values;
            values.reserve(myRemap->size() * Components);
            for (int from : *myRemap)
                values.insert(values.end(), Stored(from), Stored(from) + Components);
            myValues = std::move(values);
            myRemap = nullptr;
        }

    private:
        std::vector<Scalar> myValues;
        const std::vector<int>* myRemap = nullptr;
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
