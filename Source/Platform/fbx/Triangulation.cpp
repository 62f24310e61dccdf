// Polygon triangulation of a mesh, with its layer elements carried along.
#include "Platform/fbx/BufferPool.h"
#include "Platform/fbx/Mesh.h"

#include <array>
#include <cmath>

namespace Plat::Fbx
{
    namespace
    {
        using Triangle = std::array<int, 3>; // corners of one polygon, 0-based

        void Fan(int aSize, std::vector<Triangle>& someTriangles)
        {
            for (int i = 1; i + 1 < aSize; ++i)
                someTriangles.push_back({0, i, i + 1});
        }

        double Cross2(const double* o, const double* a, const double* b)
        {
            return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
        }

        bool InTriangle(const double* p, const double* a, const double* b, const double* c)
        {
            const double d1 = Cross2(a, b, p), d2 = Cross2(b, c, p), d3 = Cross2(c, a, p);
            return d1 >= 0.0 && d2 >= 0.0 && d3 >= 0.0;
        }

        // Ear clipping costs the cube of the corner count; larger polygons are fanned.
        constexpr int MaxEarClippingCorners = 256;

        // Ear clipping in the plane of the polygon's Newell normal; a polygon it cannot
        // clip (self-intersecting, degenerate) is fanned instead.
        void EarClip(const Mesh& aMesh, int aStart, int aSize, std::vector<Triangle>& someTriangles)
        {
            if (aSize == 3 || aSize > MaxEarClippingCorners)
            {
                Fan(aSize, someTriangles);
                return;
            }
            std::vector<Vector4> points;
            for (int i = 0; i < aSize; ++i)
                points.push_back(aMesh.GetControlPointAt(aMesh.myPolygonVertices[static_cast<size_t>(aStart + i)]));
            double normal[3] = {0.0, 0.0, 0.0};
            for (int i = 0; i < aSize; ++i)
            {
                const Vector4& a = points[static_cast<size_t>(i)];
                const Vector4& b = points[static_cast<size_t>((i + 1) % aSize)];
                normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
                normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
                normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
            }
            int drop = 0;
            for (int k = 1; k < 3; ++k)
                if (std::fabs(normal[k]) > std::fabs(normal[drop]))
                    drop = k;
            if (normal[drop] == 0.0)
            {
                Fan(aSize, someTriangles);
                return;
            }
            // Project so the polygon winds counter-clockwise in 2D.
            const int u = (drop + 1) % 3, v = (drop + 2) % 3;
            const double flip = normal[drop] > 0.0 ? 1.0 : -1.0;
            std::vector<std::array<double, 2>> flat;
            for (const Vector4& p : points)
                flat.push_back({p[u], p[v] * flip});

            std::vector<int> remaining;
            for (int i = 0; i < aSize; ++i)
                remaining.push_back(i);
            std::vector<Triangle> found;
            int guard = 0;
            while (remaining.size() > 3 && guard < aSize * aSize)
            {
                ++guard;
                bool clipped = false;
                const int n = static_cast<int>(remaining.size());
                for (int i = 0; i < n && !clipped; ++i)
                {
                    const int a = remaining[static_cast<size_t>((i + n - 1) % n)];
                    const int b = remaining[static_cast<size_t>(i)];
                    const int c = remaining[static_cast<size_t>((i + 1) % n)];
                    const double* pa = flat[static_cast<size_t>(a)].data();
                    const double* pb = flat[static_cast<size_t>(b)].data();
                    const double* pc = flat[static_cast<size_t>(c)].data();
                    if (Cross2(pa, pb, pc) <= 0.0)
                        continue; // reflex corner
                    bool empty = true;
                    for (int other : remaining)
                        if (other != a && other != b && other != c &&
                            InTriangle(flat[static_cast<size_t>(other)].data(), pa, pb, pc))
                            empty = false;
                    if (!empty)
                        continue;
                    found.push_back({a, b, c});
                    remaining.erase(remaining.begin() + i);
                    clipped = true;
                }
                if (!clipped)
                    break;
            }
            if (remaining.size() != 3)
            {
                Fan(aSize, someTriangles);
                return;
            }
            found.push_back({remaining[0], remaining[1], remaining[2]});
            someTriangles.insert(someTriangles.end(), found.begin(), found.end());
        }

        // Elements mapped by corner or by polygon read through the mesh's new maps; one that
        // already read through the old maps copies its values out first.
        template <class T>
        void RemapElement(LayerElementTemplate<T>& anElement, const std::vector<int>& aCornerMap,
                          const std::vector<int>& aPolygonMap)
        {
            const std::vector<int>* map = nullptr;
            if (anElement.GetMappingMode() == MappingMode::ByPolygonVertex)
                map = &aCornerMap;
            else if (anElement.GetMappingMode() == MappingMode::ByPolygon)
                map = &aPolygonMap;
            else if (anElement.GetMappingMode() == MappingMode::ByEdge)
            {
                // Edges change with the triangles; such data no longer applies.
                anElement.SetMappingMode(MappingMode::None);
                return;
            }
            if (map == nullptr)
                return;
            if constexpr (!std::is_same_v<T, int>)
                if (anElement.GetReferenceMode() == ReferenceMode::Direct && anElement.GetDirectArray().GetCount() > 0)
                {
                    anElement.DirectArray().Materialize();
                    anElement.DirectArray().SetRemap(map);
                    return;
                }
            anElement.IndexArray().Materialize();
            anElement.IndexArray().SetRemap(map);
        }

    }

    void Mesh::Triangulate(bool anEarClipping)
    {
        // Corner c of the old mesh becomes corners of triangles; the sizes are known up front.
        size_t corners = 0, triangleCount = 0;
        for (int p = 0; p < GetPolygonCount(); ++p)
        {
            const int size = GetPolygonSize(p);
            if (size >= 3)
            {
                triangleCount += static_cast<size_t>(size - 2);
                corners += 3 * static_cast<size_t>(size - 2);
            }
        }
        std::vector<int> vertices = TakeFrom<int>(myPool, corners);
        std::vector<int> starts = TakeFrom<int>(myPool, triangleCount + 1);
        std::vector<int> cornerMap = TakeFrom<int>(myPool, corners);
        std::vector<int> polygonMap = TakeFrom<int>(myPool, triangleCount);
        starts.push_back(0);
        std::vector<Triangle> triangles;
        for (int p = 0; p < GetPolygonCount(); ++p)
        {
            const int start = myPolygonStarts[static_cast<size_t>(p)];
            const int size = GetPolygonSize(p);
            if (size < 3)
                continue;
            triangles.clear();
            if (anEarClipping)
                EarClip(*this, start, size, triangles);
            else
                Fan(size, triangles);
            for (const Triangle& t : triangles)
            {
                for (int corner : t)
                {
                    vertices.push_back(myPolygonVertices[static_cast<size_t>(start + corner)]);
                    cornerMap.push_back(start + corner);
                }
                starts.push_back(static_cast<int>(vertices.size()));
                polygonMap.push_back(p);
            }
        }
        // Elements read through the members, which take the new maps below; the old maps
        // are still in place while elements that read through them copy their values out.
        for (auto* e : {&myNormals, &myTangents, &myBinormals})
            for (auto& element : *e)
                RemapElement(element, myCornerMap, myPolygonMap);
        for (auto& e : myUVs)
            RemapElement(e, myCornerMap, myPolygonMap);
        for (auto& e : myColors)
            RemapElement(e, myCornerMap, myPolygonMap);
        for (auto& e : myMaterials)
            RemapElement(e, myCornerMap, myPolygonMap);
        GiveTo(myPool, myPolygonVertices);
        GiveTo(myPool, myPolygonStarts);
        GiveTo(myPool, myCornerMap);
        GiveTo(myPool, myPolygonMap);
        myPolygonVertices = std::move(vertices);
        myPolygonStarts = std::move(starts);
        myCornerMap = std::move(cornerMap);
        myPolygonMap = std::move(polygonMap);
    }
}
