#include "Platform/fbx/Mesh.h"

#include "Platform/fbx/Skin.h"

namespace Plat::Fbx
{
    Vector4 Mesh::GetControlPointAt(int anIndex) const
    {
        if (anIndex < 0 || anIndex >= GetControlPointsCount())
            return Vector4();
        return myControlPoints[static_cast<size_t>(anIndex)];
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
