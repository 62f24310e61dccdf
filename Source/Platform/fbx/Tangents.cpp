// Tangent and binormal generation from positions, normals and one UV set.
#include "Platform/fbx/BufferPool.h"
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

        Vec3 Sub(const double* a, const double* b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
        Vec3 Load(const double* v) { return {v[0], v[1], v[2]}; }

        // Normalised on each of aCount runs of x y z in place.
        void NormaliseAll(double* someValues, size_t aCount)
        {
            for (size_t i = 0; i < aCount; ++i)
            {
                double* v = someValues + 3 * i;
                const double x = v[0], y = v[1], z = v[2];
                const double length = std::sqrt(x * x + y * y + z * z);
                const double scale = length > 1e-20 ? 1.0 / length : 0.0;
                v[0] = length > 1e-20 ? x * scale : 0.0;
                v[1] = length > 1e-20 ? y * scale : 0.0;
                v[2] = length > 1e-20 ? z * scale : 0.0;
            }
        }
        void Store(const Vec3& a, double* v)
        {
            v[0] = a.x;
            v[1] = a.y;
            v[2] = a.z;
        }

        // Numbers (control point, UV) pairs in the order they are first seen. Each control
        // point chains its pairs, so lookups stay near the mesh's own order in memory; a
        // control point with very many UVs continues in a hash map.
        class FrameNumbering
        {
        public:
            FrameNumbering(BufferPool* aPool, int aControlPoints, size_t aCorners) : myPool(aPool)
            {
                myHeads = TakeFrom<int>(aPool, static_cast<size_t>(aControlPoints));
                myHeads.assign(static_cast<size_t>(aControlPoints), -1);
                myUVs = TakeFrom<int>(aPool, aCorners);
                myNext = TakeFrom<int>(aPool, aCorners);
            }
            ~FrameNumbering()
            {
                GiveTo(myPool, myHeads);
                GiveTo(myPool, myUVs);
                GiveTo(myPool, myNext);
            }
            FrameNumbering(const FrameNumbering&) = delete;
            FrameNumbering& operator=(const FrameNumbering&) = delete;

            int Number(int aControlPoint, int aUV)
            {
                const bool chained = aControlPoint >= 0 && static_cast<size_t>(aControlPoint) < myHeads.size();
                int length = 0;
                if (chained)
                    for (int e = myHeads[static_cast<size_t>(aControlPoint)]; e >= 0; e = myNext[static_cast<size_t>(e)], ++length)
                        if (myUVs[static_cast<size_t>(e)] == aUV)
                            return e;
                const int number = static_cast<int>(myUVs.size());
                int next = -1;
                if (chained && length < MaxChain)
                {
                    next = myHeads[static_cast<size_t>(aControlPoint)];
                    myHeads[static_cast<size_t>(aControlPoint)] = number;
                }
                else
                {
                    const uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(aControlPoint)) << 32) | static_cast<uint32_t>(aUV);
                    const auto [it, added] = myOverflow.try_emplace(key, number);
                    if (!added)
                        return it->second;
                }
                myUVs.push_back(aUV);
                myNext.push_back(next);
                return number;
            }
            int GetCount() const { return static_cast<int>(myUVs.size()); }

        private:
            static constexpr int MaxChain = 32;

            BufferPool* myPool;
            std::vector<int> myHeads; // first pair of each control point, or -1
            std::vector<int> myUVs;   // per pair
            std::vector<int> myNext;  // per pair: the control point's next pair, or -1
            std::unordered_map<uint64_t, int> myOverflow;
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
        const int polygons = GetPolygonCount();
        std::vector<int> uvIndex = TakeFrom<int>(myPool, static_cast<size_t>(corners));
        uvIndex.resize(static_cast<size_t>(corners), -1);
        for (int p = 0; p < polygons; ++p)
        {
            const int start = myPolygonStarts[static_cast<size_t>(p)];
            for (int c = start; c < myPolygonStarts[static_cast<size_t>(p) + 1]; ++c)
                uvIndex[static_cast<size_t>(c)] = uvs->DirectIndexFor(myPolygonVertices[static_cast<size_t>(c)], c, p);
        }

        // Corners that share a control point and a UV share their tangent frame: number the
        // frames once, then sum into a plain array.
        std::vector<int> frame = TakeFrom<int>(myPool, static_cast<size_t>(corners));
        // Per frame: the summed tangent, then the summed binormal.
        std::vector<double> sums;
        {
            FrameNumbering frames(myPool, GetControlPointsCount(), static_cast<size_t>(corners));
            for (int c = 0; c < corners; ++c)
                frame.push_back(frames.Number(myPolygonVertices[static_cast<size_t>(c)], uvIndex[static_cast<size_t>(c)]));
            sums = TakeFrom<double>(myPool, 6 * static_cast<size_t>(frames.GetCount()));
            sums.resize(6 * static_cast<size_t>(frames.GetCount()), 0.0);
        }
        const LayerArray<Vector2>& uvValues = uvs->GetDirectArray();
        const int uvCount = uvValues.GetCount();
        for (int p = 0; p < polygons; ++p)
        {
            const int start = myPolygonStarts[static_cast<size_t>(p)];
            const int size = GetPolygonSize(p);
            for (int i = 1; i + 1 < size; ++i)
            {
                const int c[3] = {start, start + i, start + i + 1};
                const double* pos[3];
                const double* uv[3];
                bool usable = true;
                for (int k = 0; k < 3; ++k)
                {
                    pos[k] = myControlPoints.data() + 3 * static_cast<size_t>(myPolygonVertices[static_cast<size_t>(c[k])]);
                    const int u = uvIndex[static_cast<size_t>(c[k])];
                    usable = usable && u >= 0 && u < uvCount;
                    uv[k] = usable ? uvValues.Stored(uvValues.StoredIndex(u)) : nullptr;
                }
                if (!usable)
                    continue;
                const Vec3 e1 = Sub(pos[1], pos[0]);
                const Vec3 e2 = Sub(pos[2], pos[0]);
                const double du1 = uv[1][0] - uv[0][0], dv1 = uv[1][1] - uv[0][1];
                const double du2 = uv[2][0] - uv[0][0], dv2 = uv[2][1] - uv[0][1];
                const double det = du1 * dv2 - du2 * dv1;
                if (std::fabs(det) < 1e-20)
                    continue;
                const Vec3 t = Scale(Add(Scale(e1, dv2), Scale(e2, -dv1)), 1.0 / det);
                const Vec3 b = Scale(Add(Scale(e2, du1), Scale(e1, -du2)), 1.0 / det);
                for (int k : c)
                {
                    double* sum = sums.data() + 6 * static_cast<size_t>(frame[static_cast<size_t>(k)]);
                    Store(Add(Load(sum), t), sum);
                    Store(Add(Load(sum + 3), b), sum + 3);
                }
            }
        }

        LayerElementTangent tangents;
        LayerElementBinormal binormals;
        for (auto* e : {&tangents, &binormals})
        {
            e->SetMappingMode(MappingMode::ByPolygonVertex);
            e->SetReferenceMode(ReferenceMode::Direct);
            // Every value is written below.
            e->DirectArray().Values() = TakeToOverwriteFrom<double>(myPool, 3 * static_cast<size_t>(corners));
        }
        std::vector<double>& tangentValues = tangents.DirectArray().Values();
        std::vector<double>& binormalValues = binormals.DirectArray().Values();
        // In passes, so the square roots and divisions of neighbouring corners overlap: the
        // unit normals first (held in the binormal array), then the tangents made
        // perpendicular to them, their unit lengths, and last the binormals.
        const LayerArray<Vector4>& normalValues = normals->GetDirectArray();
        const int normalCount = normalValues.GetCount();
        double* unitNormals = binormalValues.data();
        for (int p = 0; p < polygons; ++p)
            for (int c = myPolygonStarts[static_cast<size_t>(p)]; c < myPolygonStarts[static_cast<size_t>(p) + 1]; ++c)
            {
                const int n = normals->DirectIndexFor(myPolygonVertices[static_cast<size_t>(c)], c, p);
                Store(n >= 0 && n < normalCount ? Load(normalValues.Stored(normalValues.StoredIndex(n))) : Vec3{},
                      unitNormals + 3 * static_cast<size_t>(c));
            }
        NormaliseAll(unitNormals, static_cast<size_t>(corners));
        for (size_t c = 0; c < static_cast<size_t>(corners); ++c)
        {
            const Vec3 normal = Load(unitNormals + 3 * c);
            const Vec3 summed = Load(sums.data() + 6 * static_cast<size_t>(frame[c]));
            Store(Add(summed, Scale(normal, -Dot(normal, summed))), tangentValues.data() + 3 * c);
        }
        NormaliseAll(tangentValues.data(), static_cast<size_t>(corners));
        for (size_t c = 0; c < static_cast<size_t>(corners); ++c)
        {
            const Vec3 normal = Load(unitNormals + 3 * c);
            Vec3 tangent = Load(tangentValues.data() + 3 * c);
            if (Dot(tangent, tangent) == 0.0)
            {
                tangent = Perpendicular(normal);
                Store(tangent, tangentValues.data() + 3 * c);
            }
            Vec3 binormal = Cross(normal, tangent);
            if (Dot(binormal, Load(sums.data() + 6 * static_cast<size_t>(frame[c]) + 3)) < 0.0)
                binormal = Scale(binormal, -1.0);
            Store(binormal, binormalValues.data() + 3 * c);
        }
        GiveTo(myPool, uvIndex);
        GiveTo(myPool, frame);
        GiveTo(myPool, sums);

        if (anOverwrite || myTangents.empty())
        {
            if (myTangents.empty())
                myTangents.push_back(std::move(tangents));
            else
            {
                GiveTo(myPool, myTangents[0].DirectArray().Values());
                GiveTo(myPool, myTangents[0].IndexArray().Values());
                myTangents[0] = std::move(tangents);
            }
        }
        if (anOverwrite || myBinormals.empty())
        {
            if (myBinormals.empty())
                myBinormals.push_back(std::move(binormals));
            else
            {
                GiveTo(myPool, myBinormals[0].DirectArray().Values());
                GiveTo(myPool, myBinormals[0].IndexArray().Values());
                myBinormals[0] = std::move(binormals);
            }
        }
        return true;
    }
}
