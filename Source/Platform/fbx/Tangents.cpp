// Tangent and binormal generation from positions, normals and one UV set.
#include "Platform/fbx/Mesh.h"

#include <cmath>
#include <unordered_map>

namespace Plat::Fbx
{
    namespace
    {
        struct Vec3
        {
            double x = 0.0, y = 0.0, z = 0.0;
        };

        Vec3 Sub(const Vector4& a, const Vector4& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
        Vec3 Scale(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
        Vec3 Add(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
        double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
        Vec3 Cross(const Vec3& a, const Vec3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
        Vec3 Normalised(const Vec3& a)
        {
            const double length = std::sqrt(Dot(a, a));
            return length > 1e-20 ? Scale(a, 1.0 / length) : Vec3{};
        }

        // Any unit vector perpendicular to aNormal.
        Vec3 Perpendicular(const Vec3& aNormal)
        {
            const Vec3 axis = std::fabs(aNormal.x) < 0.9 ? Vec3{1.0, 0.0, 0.0} : Vec3{0.0, 1.0, 0.0};
            return Normalised(Cross(axis, aNormal));
        }

        struct Accumulated
        {
            Vec3 tangent;
            Vec3 binormal;
        };
    }

    bool Mesh::GenerateTangentsData(int aUVSet, bool anOverwrite, Status* aStatus)
    {
        auto fail = [&](const std::string& aReason) {
            if (aStatus != nullptr)
                aStatus->SetCode(Status::Code::Failure, aReason);
            return false;
        };
        if (!anOverwrite && !myTangents.empty() && !myBinormals.empty())
            return true;
        const LayerElementNormal* normals = GetElementNormal(0);
        const LayerElementUV* uvs = GetElementUV(aUVSet);
        if (normals == nullptr)
            return fail("the mesh has no normals");
        if (uvs == nullptr)
            return fail("the mesh has no UV set " + std::to_string(aUVSet));

        const int corners = GetPolygonVertexCount();
        std::vector<int> uvIndex(static_cast<size_t>(corners), -1);
        for (int p = 0; p < GetPolygonCount(); ++p)
        {
            const int start = myPolygonStarts[static_cast<size_t>(p)];
            for (int c = start; c < myPolygonStarts[static_cast<size_t>(p) + 1]; ++c)
                uvIndex[static_cast<size_t>(c)] = uvs->DirectIndexFor(myPolygonVertices[static_cast<size_t>(c)], c, p);
        }

        // Corners that share a control point and a UV share their tangent frame: number the
        // frames once, then sum into a plain array.
        std::vector<int> frame(static_cast<size_t>(corners));
        std::vector<Accumulated> sums;
        {
            std::unordered_map<uint64_t, int> frames;
            frames.reserve(static_cast<size_t>(corners));
            for (int c = 0; c < corners; ++c)
            {
                const uint64_t key =
                    (static_cast<uint64_t>(static_cast<uint32_t>(myPolygonVertices[static_cast<size_t>(c)])) << 32) |
                    static_cast<uint32_t>(uvIndex[static_cast<size_t>(c)]);
                frame[static_cast<size_t>(c)] = frames.try_emplace(key, static_cast<int>(frames.size())).first->second;
            }
            sums.resize(frames.size());
        }
        for (int p = 0; p < GetPolygonCount(); ++p)
        {
            const int start = myPolygonStarts[static_cast<size_t>(p)];
            const int size = GetPolygonSize(p);
            for (int i = 1; i + 1 < size; ++i)
            {
                const int c[3] = {start, start + i, start + i + 1};
                const Vector4* pos[3];
                const Vector2* uv[3];
                bool usable = true;
                for (int k = 0; k < 3; ++k)
                {
                    pos[k] = &myControlPoints[static_cast<size_t>(myPolygonVertices[static_cast<size_t>(c[k])])];
                    const int u = uvIndex[static_cast<size_t>(c[k])];
                    usable = usable && u >= 0 && u < uvs->GetDirectArray().GetCount();
                    uv[k] = usable ? &uvs->GetDirectArray().GetAt(u) : nullptr;
                }
                if (!usable)
                    continue;
                const Vec3 e1 = Sub(*pos[1], *pos[0]);
                const Vec3 e2 = Sub(*pos[2], *pos[0]);
                const double du1 = (*uv[1])[0] - (*uv[0])[0], dv1 = (*uv[1])[1] - (*uv[0])[1];
                const double du2 = (*uv[2])[0] - (*uv[0])[0], dv2 = (*uv[2])[1] - (*uv[0])[1];
                const double det = du1 * dv2 - du2 * dv1;
                if (std::fabs(det) < 1e-20)
                    continue;
                const Vec3 t = Scale(Add(Scale(e1, dv2), Scale(e2, -dv1)), 1.0 / det);
                const Vec3 b = Scale(Add(Scale(e2, du1), Scale(e1, -du2)), 1.0 / det);
                for (int k : c)
                {
                    Accumulated& sum = sums[static_cast<size_t>(frame[static_cast<size_t>(k)])];
                    sum.tangent = Add(sum.tangent, t);
                    sum.binormal = Add(sum.binormal, b);
                }
            }
        }

        LayerElementTangent tangents;
        LayerElementBinormal binormals;
        for (auto* e : {&tangents, &binormals})
        {
            e->SetMappingMode(MappingMode::ByPolygonVertex);
            e->SetReferenceMode(ReferenceMode::Direct);
            e->DirectArray().Items().reserve(static_cast<size_t>(corners));
        }
        for (int p = 0; p < GetPolygonCount(); ++p)
            for (int c = myPolygonStarts[static_cast<size_t>(p)]; c < myPolygonStarts[static_cast<size_t>(p) + 1]; ++c)
            {
                const int n = normals->DirectIndexFor(myPolygonVertices[static_cast<size_t>(c)], c, p);
                Vec3 normal;
                if (n >= 0 && n < normals->GetDirectArray().GetCount())
                {
                    const Vector4& v = normals->GetDirectArray().GetAt(n);
                    normal = Normalised({v[0], v[1], v[2]});
                }
                const Accumulated& sum = sums[static_cast<size_t>(frame[static_cast<size_t>(c)])];
                Vec3 tangent = Normalised(Add(sum.tangent, Scale(normal, -Dot(normal, sum.tangent))));
                if (Dot(tangent, tangent) == 0.0)
                    tangent = Perpendicular(normal);
                Vec3 binormal = Cross(normal, tangent);
                if (Dot(binormal, sum.binormal) < 0.0)
                    binormal = Scale(binormal, -1.0);
                tangents.DirectArray().Items().emplace_back(tangent.x, tangent.y, tangent.z, 0.0);
                binormals.DirectArray().Items().emplace_back(binormal.x, binormal.y, binormal.z, 0.0);
            }

        if (anOverwrite || myTangents.empty())
        {
            if (myTangents.empty())
                myTangents.push_back(std::move(tangents));
            else
                myTangents[0] = std::move(tangents);
        }
        if (anOverwrite || myBinormals.empty())
        {
            if (myBinormals.empty())
                myBinormals.push_back(std::move(binormals));
            else
                myBinormals[0] = std::move(binormals);
        }
        return true;
    }
}
