#include "Platform/fbx/Mesh.h"

#include "Platform/fbx/BufferPool.h"
#include "Platform/fbx/Skin.h"

namespace Plat::Fbx
{
    void ThrowLayerIndexOutOfRange(int anIndex, int aCount)
    {
        throw std::out_of_range("layer element index " + std::to_string(anIndex) + " is outside 0.." + std::to_string(aCount));
    }

    namespace
    {
        template <class T>
        void GiveElements(BufferPool& aPool, std::vector<LayerElementTemplate<T>>& someElements)
        {
            for (LayerElementTemplate<T>& element : someElements)
            {
                aPool.Give(std::move(element.DirectArray().Values()));
                aPool.Give(std::move(element.IndexArray().Values()));
            }
        }
    }

    Mesh::~Mesh()
    {
        if (myPool == nullptr)
            return;
        for (std::vector<int>* ints : {&myPolygonVertices, &myPolygonStarts, &myCornerMap, &myPolygonMap})
            myPool->Give(std::move(*ints));
        myPool->Give(std::move(myControlPoints));
        GiveElements(*myPool, myNormals);
        GiveElements(*myPool, myTangents);
        GiveElements(*myPool, myBinormals);
        GiveElements(*myPool, myUVs);
        GiveElements(*myPool, myColors);
        GiveElements(*myPool, myMaterials);
    }

    Vector4 Mesh::GetControlPointAt(int anIndex) const
    {
        if (anIndex < 0 || anIndex >= GetControlPointsCount())
            return Vector4();
        const double* p = myControlPoints.data() + 3 * static_cast<size_t>(anIndex);
        return Vector4(p[0], p[1], p[2], 1.0);
    }

    int Mesh::GetPolygonSize(int aPolygon) const
    {
        if (aPolygon < 0 || aPolygon >= GetPolygonCount())
            return -1;
        const size_t p = static_cast<size_t>(aPolygon);
        return myPolygonStarts[p + 1] - myPolygonStarts[p];
    }

    int Mesh::GetPolygonVertexIndex(int aPolygon) const
    {
        if (aPolygon < 0 || aPolygon >= GetPolygonCount())
            return -1;
        return myPolygonStarts[static_cast<size_t>(aPolygon)];
    }

    int Mesh::GetPolygonVertex(int aPolygon, int aVertex) const
    {
        const int size = GetPolygonSize(aPolygon);
        if (size < 0 || aVertex < 0 || aVertex >= size)
            return -1;
        return myPolygonVertices[static_cast<size_t>(myPolygonStarts[static_cast<size_t>(aPolygon)] + aVertex)];
    }

    int Mesh::GetTextureUVIndex(int aPolygon, int aVertex, TextureType) const
    {
        const LayerElementUV* uv = GetElementUV(0);
        const int point = GetPolygonVertex(aPolygon, aVertex);
        if (uv == nullptr || point < 0)
            return -1;
        const int corner = myPolygonStarts[static_cast<size_t>(aPolygon)] + aVertex;
        switch (uv->GetMappingMode())
        {
        case MappingMode::ByControlPoint:
            return uv->GetReferenceMode() == ReferenceMode::Direct ? point : uv->GetIndexArray().GetAt(point);
        case MappingMode::ByPolygonVertex:
            return uv->GetReferenceMode() == ReferenceMode::Direct ? corner : uv->GetIndexArray().GetAt(corner);
        default: return -1;
        }
    }

    int Mesh::GetDeformerCount(DeformerType) const
    {
        return static_cast<int>(mySkins.size());
    }

    Skin* Mesh::GetDeformer(int anIndex, DeformerType) const
    {
        return anIndex >= 0 && anIndex < static_cast<int>(mySkins.size()) ? mySkins[static_cast<size_t>(anIndex)] : nullptr;
    }

    bool Mesh::IsTriangleMesh() const
    {
        for (int p = 0; p < GetPolygonCount(); ++p)
            if (GetPolygonSize(p) != 3)
                return false;
        return true;
    }
}
