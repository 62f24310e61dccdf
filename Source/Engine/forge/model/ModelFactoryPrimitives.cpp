// The factory's built-in models: "Cube" and "Plane", 100 units across, centred on the origin.
#include "forge/model/ModelFactory.h"

#include <array>

namespace Kiln
{
    namespace
    {
        using Float3 = std::array<float, 3>;
        using Float4 = std::array<float, 4>;

        ModelVertex MakeVertex(const Float3& aPosition, const std::array<float, 2>& aUv, const Float3& aNormal,
                               const Float3& aTangent, const Float3& aBinormal, const Float4& aColor)
        {
            ModelVertex vertex;
            vertex.position[0] = aPosition[0];
            vertex.position[1] = aPosition[1];
            vertex.position[2] = aPosition[2];
            vertex.position[3] = 1.0f;
            for (size_t i = 0; i < 4; ++i)
                vertex.colors[0][i] = aColor[i];
            vertex.uvs[0][0] = aUv[0];
            vertex.uvs[0][1] = aUv[1];
            for (size_t i = 0; i < 3; ++i)
            {
                vertex.normal[i] = aNormal[i];
                vertex.tangent[i] = aTangent[i];
                vertex.binormal[i] = aBinormal[i];
            }
            return vertex;
        }

        struct CubeFace
        {
            std::array<Float3, 4> myCorners;
            Float3 myNormal;
            Float3 myTangent;
            Float3 myBinormal;
            Float4 myColor;
        };

        const std::array<CubeFace, 6> CUBE_FACES = {{
            {{{{50, -50, 50}, {50, 50, 50}, {-50, 50, 50}, {-50, -50, 50}}}, {0, 0, 1}, {1, 0, 0}, {0, -1, 0}, {1, 1, 1, 1}},
            {{{{-50, -50, 50}, {-50, 50, 50}, {-50, 50, -50}, {-50, -50, -50}}}, {-1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {1, 0, 0, 1}},
            {{{{-50, -50, -50}, {-50, 50, -50}, {50, 50, -50}, {50, -50, -50}}}, {0, 0, -1}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0, 1}},
            {{{{50, -50, -50}, {50, 50, -50}, {50, 50, 50}, {50, -50, 50}}}, {1, 0, 0}, {0, 0, -1}, {0, -1, 0}, {0, 0, 1, 1}},
            {{{{50, 50, 50}, {50, 50, -50}, {-50, 50, -50}, {-50, 50, 50}}}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}, {1, 1, 0, 1}},
            {{{{-50, -50, 50}, {-50, -50, -50}, {50, -50, -50}, {50, -50, 50}}}, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1, 1}},
        }};
    }

    bool ModelFactory::AddPrimitive(const std::string& aName, std::vector<ModelVertex> someVertices,
                                    std::vector<uint32_t> someIndices)
    {
        MeshData mesh;
        mesh.myVertices = std::move(someVertices);
        mesh.myIndices = std::move(someIndices);
        if (!mesh.CreateBuffers())
            return false;
        mesh.myBounds = ComputeBounds(mesh.myVertices);

        auto model = std::make_shared<Model>();
        model->AddMesh(std::move(mesh), aName);
        myModelCache[aName] = model;
        LoadMeshTextures(std::string(), *model);
        return true;
    }

    bool ModelFactory::CreateCube()
    {
        constexpr std::array<std::array<float, 2>, 4> uvs = {{{0, 1}, {0, 0}, {1, 0}, {1, 1}}};
        std::vector<ModelVertex> vertices;
        std::vector<uint32_t> indices;
        vertices.reserve(24);
        indices.reserve(36);
        for (uint32_t face = 0; face < CUBE_FACES.size(); ++face)
        {
            const CubeFace& f = CUBE_FACES[face];
            for (size_t corner = 0; corner < 4; ++corner)
                vertices.push_back(MakeVertex(f.myCorners[corner], uvs[corner], f.myNormal, f.myTangent, f.myBinormal, f.myColor));
            const uint32_t first = face * 4;
            indices.insert(indices.end(), {first, first + 1, first + 2, first, first + 2, first + 3});
        }
        return AddPrimitive("Cube", std::move(vertices), std::move(indices));
    }

    bool ModelFactory::CreatePlane()
    {
        constexpr std::array<Float3, 4> corners = {{{-50, 0, 50}, {50, 0, 50}, {50, 0, -50}, {-50, 0, -50}}};
        constexpr std::array<std::array<float, 2>, 4> uvs = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
        std::vector<ModelVertex> vertices;
        for (size_t i = 0; i < 4; ++i)
            vertices.push_back(MakeVertex(corners[i], uvs[i], {0, 1, 0}, {1, 0, 0}, {0, 0, 1}, {1, 1, 1, 1}));
        return AddPrimitive("Plane", std::move(vertices), {0, 1, 2, 0, 2, 3});
    }
}
