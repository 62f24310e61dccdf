#pragma once
// Node attributes and the polygon mesh: control points, polygons given as lists of
// control-point indices, and layer elements numbered from 0 (element i is layer i).
#include "Platform/fbx/LayerElement.h"
#include "Platform/fbx/Object.h"
#include "Platform/fbx/Status.h"

#include <string>
#include <vector>

namespace Plat::Fbx
{
    class BufferPool;
    class Skin;

    class NodeAttribute : public SceneObject
    {
    public:
        enum class EType : int
        {
            Unknown = 0,
            Null = 1,
            Marker = 2,
            Skeleton = 3,
            Mesh = 4,
            Camera = 7,
            Light = 10,
            LODGroup = 18,
        };

        explicit NodeAttribute(EType aType) : myType(aType) {}
        EType GetAttributeType() const { return myType; }

    private:
        EType myType;
    };

    enum class DeformerType
    {
        Skin,
    };

    enum class TextureType
    {
        Diffuse,
    };

    class Mesh : public NodeAttribute
    {
    public:
        Mesh() : NodeAttribute(EType::Mesh) {}
        ~Mesh() override;

        int GetControlPointsCount() const { return static_cast<int>(myControlPoints.size() / 3); }
        Vector4 GetControlPointAt(int anIndex) const;

        int GetPolygonCount() const { return static_cast<int>(myPolygonStarts.size()) - 1; }
        int GetPolygonSize(int aPolygon) const;
        // The control point of corner aVertex of aPolygon, or -1 when out of range.
        int GetPolygonVertex(int aPolygon, int aVertex) const;
        int GetPolygonVertexCount() const { return static_cast<int>(myPolygonVertices.size()); }
        // The polygon-vertex index of the polygon's first corner.
        int GetPolygonVertexIndex(int aPolygon) const;

        int GetElementNormalCount() const { return static_cast<int>(myNormals.size()); }
        int GetElementTangentCount() const { return static_cast<int>(myTangents.size()); }
        int GetElementBinormalCount() const { return static_cast<int>(myBinormals.size()); }
        int GetElementUVCount() const { return static_cast<int>(myUVs.size()); }
        int GetElementVertexColorCount() const { return static_cast<int>(myColors.size()); }
        int GetElementMaterialCount() const { return static_cast<int>(myMaterials.size()); }
        int GetUVLayerCount() const { return GetElementUVCount(); }

        // Element i, or null when there is none.
        const LayerElementNormal* GetElementNormal(int anIndex = 0) const { return Pick(myNormals, anIndex); }
        const LayerElementTangent* GetElementTangent(int anIndex = 0) const { return Pick(myTangents, anIndex); }
        const LayerElementBinormal* GetElementBinormal(int anIndex = 0) const { return Pick(myBinormals, anIndex); }
        const LayerElementUV* GetElementUV(int anIndex = 0) const { return Pick(myUVs, anIndex); }
        const LayerElementVertexColor* GetElementVertexColor(int anIndex = 0) const { return Pick(myColors, anIndex); }
        const LayerElementMaterial* GetElementMaterial(int anIndex = 0) const { return Pick(myMaterials, anIndex); }

        // The direct-array index into the diffuse channel's UV set (set 0) of a polygon
        // corner, or -1 when the mesh has no UVs.
        int GetTextureUVIndex(int aPolygon, int aVertex, TextureType aChannel = TextureType::Diffuse) const;

        // Tangents and binormals for UV set aUVSet, per polygon vertex. Without
        // anOverwrite, existing elements are kept. False (with a reason in aStatus)
        // when the mesh lacks normals or that UV set.
        bool GenerateTangentsData(int aUVSet, bool anOverwrite = false, Status* aStatus = nullptr);

        int GetDeformerCount(DeformerType aType) const;
        Skin* GetDeformer(int anIndex, DeformerType aType) const;

        // Every polygon becomes triangles (fan, or ear clipping for concave ones);
        // layer elements follow. Polygons of fewer than three corners are dropped.
        void Triangulate(bool anEarClipping);
        bool IsTriangleMesh() const;

        // Raw storage, filled by the scene builder and the converters.
        std::vector<double> myControlPoints; // x y z per control point (w is 1)
        std::vector<int> myPolygonVertices; // control-point indices, corner by corner
        std::vector<int> myPolygonStarts{0}; // polygon p spans [starts[p], starts[p+1])
        // After triangulation: the corner and the polygon each new one came from. Layer
        // arrays mapped by corner or by polygon read through these instead of copying.
        std::vector<int> myCornerMap;
        std::vector<int> myPolygonMap;
        std::vector<LayerElementNormal> myNormals;
        std::vector<LayerElementTangent> myTangents;
        std::vector<LayerElementBinormal> myBinormals;
        std::vector<LayerElementUV> myUVs;
        std::vector<LayerElementVertexColor> myColors;
        std::vector<LayerElementMaterial> myMaterials;
        std::vector<Skin*> mySkins;
        // Where the mesh's large arrays come from and go back to (none: plain allocation).
        BufferPool* myPool = nullptr;

    private:
        template <class T>
        static const T* Pick(const std::vector<T>& someElements, int anIndex)
        {
            if (anIndex < 0 || anIndex >= static_cast<int>(someElements.size()))
                return nullptr;
            return &someElements[static_cast<size_t>(anIndex)];
        }
    };
}
