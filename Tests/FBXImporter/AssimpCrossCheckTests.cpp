// Our import of FBX files written by other tools (Blender's and assimp's exporters, see
// Tests/data/fbx/corpus/make_blender_corpus.py) beside assimp's reading of the same files.
//
// Assimp reads without converting units or axes; its results are brought into ours with
// K = (unit scale to cm) x C, where C maps the file's coord, up and front axes onto +X, +Y
// and -Z (left-handed, Y up). Animation import keeps the file's units, so its matrices are
// compared with C alone.
//
// Where the two readers legitimately differ, our rules hold and the comparison allows for it:
// - vertices are merged on the whole vertex, so only distinct positions are compared;
// - the skeleton holds skeleton nodes only: a joint's parent is its nearest joint ancestor,
//   while assimp keeps the null nodes (the armature) in between;
// - meshes below a LOD group's children go to the LOD levels, the rest stay plain meshes;
//   triangles and positions are compared over both;
// - a joint without a skin cluster keeps an identity bind matrix; assimp has no bone for it;
// - animation matrices are in the file's units, model data in centimetres.
#include "ImporterTestSupport.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <set>

using namespace KILNFBXImporter;
using namespace KilnTest;

namespace
{
    // Tolerances: positions and translations in centimetres (or file units for animation,
    // scaled by the file's size), rotation/scale parts absolute.
    constexpr double PositionTolerance = 1e-3;
    constexpr double LinearTolerance = 1e-4;

    struct Mat4
    {
        // Column-vector form: p' = M p, translation in column 3.
        std::array<std::array<double, 4>, 4> m{};

        static Mat4 Identity()
        {
            Mat4 r;
            for (int i = 0; i < 4; ++i)
                r.m[i][i] = 1.0;
            return r;
        }
        Mat4 operator*(const Mat4& b) const
        {
            Mat4 r;
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    for (int k = 0; k < 4; ++k)
                        r.m[i][j] += m[i][k] * b.m[k][j];
            return r;
        }
        Mat4 Transposed() const
        {
            Mat4 r;
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    r.m[i][j] = m[j][i];
            return r;
        }
        std::array<double, 3> Apply(const std::array<double, 3>& p) const
        {
            std::array<double, 3> r{};
            for (int i = 0; i < 3; ++i)
                r[i] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + m[i][3];
            return r;
        }
    };

    Mat4 FromFbx(const FBXMatrix& a)
    {
        Mat4 r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                r.m[i][j] = a.m[i][j];
        return r;
    }

    Mat4 FromAssimp(const aiMatrix4x4& a)
    {
        Mat4 r;
        const ai_real* p = &a.a1;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                r.m[i][j] = p[4 * i + j];
        return r;
    }

    // Compares two affine matrices: the 3x3 part absolutely, the translation relative to aSize.
    ::testing::AssertionResult SameMatrix(const Mat4& a, const Mat4& b, double aSize)
    {
        for (int i = 0; i < 3; ++i)
        {
            for (int j = 0; j < 3; ++j)
                if (std::fabs(a.m[i][j] - b.m[i][j]) > LinearTolerance * std::max(1.0, std::fabs(b.m[i][j])))
                    return ::testing::AssertionFailure() << "element (" << i << "," << j << "): " << a.m[i][j] << " vs " << b.m[i][j];
            if (std::fabs(a.m[i][3] - b.m[i][3]) > PositionTolerance * std::max(1.0, aSize))
                return ::testing::AssertionFailure() << "translation " << i << ": " << a.m[i][3] << " vs " << b.m[i][3];
        }
        return ::testing::AssertionSuccess();
    }

    int MetaInt(const aiScene* aScene, const char* aKey, int aFallback)
    {
        int32_t v = aFallback;
        if (aScene->mMetaData != nullptr && aScene->mMetaData->Get(aKey, v))
            return v;
        return aFallback;
    }

    double MetaDouble(const aiScene* aScene, const char* aKey, double aFallback)
    {
        if (aScene->mMetaData == nullptr)
            return aFallback;
        double d = 0.0;
        if (aScene->mMetaData->Get(aKey, d))
            return d;
        float f = 0.0f;
        if (aScene->mMetaData->Get(aKey, f))
            return f;
        return aFallback;
    }

    // The file's axes (from its global settings) onto +X (coord), +Y (up), -Z (front).
    Mat4 AxisConversion(const aiScene* aScene)
    {
        Mat4 c;
        c.m[3][3] = 1.0;
        const int coord = MetaInt(aScene, "CoordAxis", 0), coordSign = MetaInt(aScene, "CoordAxisSign", 1);
        const int up = MetaInt(aScene, "UpAxis", 1), upSign = MetaInt(aScene, "UpAxisSign", 1);
        const int front = MetaInt(aScene, "FrontAxis", 2), frontSign = MetaInt(aScene, "FrontAxisSign", 1);
        c.m[0][coord] = coordSign;
        c.m[1][up] = upSign;
        c.m[2][front] = -frontSign;
        return c;
    }

    Mat4 Scaling(double s)
    {
        Mat4 r = Mat4::Identity();
        for (int i = 0; i < 3; ++i)
            r.m[i][i] = s;
        return r;
    }

    Mat4 Inverse(const Mat4& a)
    {
        // General 4x4 inverse by Gauss-Jordan; the matrices here are affine and well conditioned.
        Mat4 r = Mat4::Identity(), w = a;
        for (int c = 0; c < 4; ++c)
        {
            int pivot = c;
            for (int i = c + 1; i < 4; ++i)
                if (std::fabs(w.m[i][c]) > std::fabs(w.m[pivot][c]))
                    pivot = i;
            std::swap(w.m[c], w.m[pivot]);
            std::swap(r.m[c], r.m[pivot]);
            const double d = w.m[c][c];
            for (int j = 0; j < 4; ++j)
            {
                w.m[c][j] /= d;
                r.m[c][j] /= d;
            }
            for (int i = 0; i < 4; ++i)
                if (i != c)
                {
                    const double f = w.m[i][c];
                    for (int j = 0; j < 4; ++j)
                    {
                        w.m[i][j] -= f * w.m[c][j];
                        r.m[i][j] -= f * r.m[c][j];
                    }
                }
        }
        return r;
    }

    std::string Short(const std::string& aName)
    {
        const size_t colon = aName.rfind(':');
        return colon == std::string::npos ? aName : aName.substr(colon + 1);
    }

    class AssimpFile
    {
    public:
        explicit AssimpFile(const std::string& aPath)
        {
            myImporter.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
            myScene = myImporter.ReadFile(aPath, aiProcess_Triangulate);
        }

        const aiScene* Scene() const { return myScene; }
        std::string Error() const { return myImporter.GetErrorString(); }

        const aiNode* Find(const std::string& aName) const
        {
            return myScene->mRootNode->FindNode(aName.c_str());
        }

        static Mat4 Global(const aiNode* aNode, const std::function<Mat4(const aiNode*)>& aLocal)
        {
            Mat4 g = Mat4::Identity();
            for (const aiNode* n = aNode; n != nullptr; n = n->mParent)
                g = aLocal(n) * g;
            return g;
        }

        static Mat4 Global(const aiNode* aNode)
        {
            return Global(aNode, [](const aiNode* n) { return FromAssimp(n->mTransformation); });
        }

        // Every (node, mesh) pair of the scene.
        void ForEachMeshNode(const std::function<void(const aiNode*, const aiMesh*)>& aVisit) const
        {
            std::function<void(const aiNode*)> walk = [&](const aiNode* n) {
                for (unsigned i = 0; i < n->mNumMeshes; ++i)
                    aVisit(n, myScene->mMeshes[n->mMeshes[i]]);
                for (unsigned i = 0; i < n->mNumChildren; ++i)
                    walk(n->mChildren[i]);
            };
            walk(myScene->mRootNode);
        }

    private:
        Assimp::Importer myImporter;
        const aiScene* myScene = nullptr;
    };

    // Interpolated local transform of a node from an assimp channel at a tick time.
    Mat4 ChannelLocal(const aiNodeAnim& aChannel, double aTime)
    {
        auto lerpVector = [&](const aiVectorKey* keys, unsigned count, aiVector3D fallback) {
            if (count == 0)
                return fallback;
            if (aTime <= keys[0].mTime)
                return keys[0].mValue;
            for (unsigned k = 0; k + 1 < count; ++k)
                if (aTime <= keys[k + 1].mTime)
                {
                    const double t = (aTime - keys[k].mTime) / (keys[k + 1].mTime - keys[k].mTime);
                    return keys[k].mValue + (keys[k + 1].mValue - keys[k].mValue) * static_cast<ai_real>(t);
                }
            return keys[count - 1].mValue;
        };
        aiQuaternion rotation;
        if (aChannel.mNumRotationKeys > 0)
        {
            rotation = aChannel.mRotationKeys[aChannel.mNumRotationKeys - 1].mValue;
            if (aTime <= aChannel.mRotationKeys[0].mTime)
                rotation = aChannel.mRotationKeys[0].mValue;
            else
                for (unsigned k = 0; k + 1 < aChannel.mNumRotationKeys; ++k)
                    if (aTime <= aChannel.mRotationKeys[k + 1].mTime)
                    {
                        const auto& a = aChannel.mRotationKeys[k];
                        const auto& b = aChannel.mRotationKeys[k + 1];
                        aiQuaternion::Interpolate(rotation, a.mValue, b.mValue,
                                                  static_cast<ai_real>((aTime - a.mTime) / (b.mTime - a.mTime)));
                        break;
                    }
        }
        const aiVector3D t = lerpVector(aChannel.mPositionKeys, aChannel.mNumPositionKeys, aiVector3D(0, 0, 0));
        const aiVector3D s = lerpVector(aChannel.mScalingKeys, aChannel.mNumScalingKeys, aiVector3D(1, 1, 1));
        return FromAssimp(aiMatrix4x4(s, rotation.Normalize(), t));
    }

    struct CorpusFile
    {
        const char* name;
        bool skinned;
        size_t lodGroups;
        // Assimp 5.2 cannot read the binary files its own exporter writes ("block offset is out
        // of range"); those are compared with assimp's reading of the ASCII export of the same scene.
        const char* assimpReads = nullptr;
        // Assimp's exporter gives every stack LocalStart = LocalStop = 0. We sample the stack's
        // span, so one frame; assimp takes its length from the keys. Only frame 0 compares there.
        bool emptyStackSpan = false;
    };

    const CorpusFile Corpus[] = {
        {"blender_static_yup_cm.fbx", false, 0},
        {"blender_static_zup_m.fbx", false, 0},
        {"blender_two_materials.fbx", false, 0},
        {"blender_skinned.fbx", true, 0},
        {"blender_namespaced.fbx", true, 0},
        {"blender_stacks.fbx", true, 0},
        {"blender_lod.fbx", false, 1},
        {"assimp_arm.fbx", true, 0, "assimp_arm_ascii.fbx", true},
        {"assimp_arm_ascii.fbx", true, 0, nullptr, true},
        {"assimp_crate.fbx", false, 0, "assimp_crate_ascii.fbx"},
        {"assimp_crate_ascii.fbx", false, 0},
    };

    void PrintTo(const CorpusFile& aFile, std::ostream* anOut)
    {
        *anOut << aFile.name;
    }

    std::string CorpusPath(const std::string& aName)
    {
        return FbxFixture("corpus/" + aName).string();
    }

    using Point = std::array<double, 3>;

    // Every mesh of a model, LOD levels included.
    std::vector<const FBXMesh*> AllMeshes(const FBXModel& aModel)
    {
        std::vector<const FBXMesh*> out;
        for (const FBXMesh& m : aModel.meshes)
            out.push_back(&m);
        for (const auto& group : aModel.lodGroups)
            for (const FBXLodLevel& level : group)
                for (const FBXMesh& m : level.meshes)
                    out.push_back(&m);
        return out;
    }

    // Distinct points up to the tolerance (sorted, then neighbours within it merged).
    size_t DistinctCount(std::vector<Point> somePoints, double aTolerance)
    {
        std::sort(somePoints.begin(), somePoints.end());
        std::vector<Point> kept;
        for (const Point& p : somePoints)
        {
            bool same = false;
            for (auto it = kept.rbegin(); it != kept.rend() && p[0] - (*it)[0] <= aTolerance; ++it)
                if (std::fabs(p[1] - (*it)[1]) <= aTolerance && std::fabs(p[2] - (*it)[2]) <= aTolerance)
                {
                    same = true;
                    break;
                }
            if (!same)
                kept.push_back(p);
        }
        return kept.size();
    }

    class AssimpCrossCheck : public ImporterTest, public ::testing::WithParamInterface<CorpusFile>
    {
    };
}

TEST_P(AssimpCrossCheck, ModelAgreesWithAssimp)
{
    const CorpusFile file = GetParam();
    const std::string path = CorpusPath(file.name);
    FBXModel model;
    ASSERT_TRUE(LoadModel(path, model, false, true)) << LastError;
    AssimpFile assimp(file.assimpReads != nullptr ? CorpusPath(file.assimpReads) : path);
    ASSERT_NE(assimp.Scene(), nullptr) << assimp.Error();
    const aiScene* scene = assimp.Scene();

    const double unit = MetaDouble(scene, "UnitScaleFactor", 1.0);
    const Mat4 axes = AxisConversion(scene);
    const Mat4 k = axes * Scaling(unit);
    const Mat4 kInverse = Inverse(k);

    // Per mesh node: triangles, distinct positions and material names.
    struct Tally
    {
        size_t triangles = 0;
        std::vector<Point> points;
        std::set<std::string> materials;
    };
    std::map<std::string, Tally> ours, theirs;
    for (const FBXMesh* mesh : AllMeshes(model))
    {
        Tally& t = ours[mesh->name];
        t.triangles += mesh->indices.size() / 3;
        for (const FBXVertex& v : mesh->vertices)
            t.points.push_back({v.position[0], v.position[1], v.position[2]});
        ASSERT_LT(mesh->materialIndex, model.materials.size());
        t.materials.insert(model.materials[mesh->materialIndex].name);
    }
    assimp.ForEachMeshNode([&](const aiNode* aNode, const aiMesh* aMesh) {
        Tally& t = theirs[aNode->mName.C_Str()];
        t.triangles += aMesh->mNumFaces;
        for (unsigned i = 0; i < aMesh->mNumVertices; ++i)
        {
            const aiVector3D& p = aMesh->mVertices[i];
            t.points.push_back(k.Apply({p.x, p.y, p.z}));
        }
        aiString name;
        scene->mMaterials[aMesh->mMaterialIndex]->Get(AI_MATKEY_NAME, name);
        t.materials.insert(name.C_Str());
    });
    ASSERT_EQ(ours.size(), theirs.size());
    for (const auto& [name, t] : ours)
    {
        SCOPED_TRACE(name);
        ASSERT_EQ(theirs.count(name), 1u);
        const Tally& a = theirs[name];
        EXPECT_EQ(t.triangles, a.triangles);
        EXPECT_EQ(t.materials, a.materials);
        const double tolerance = PositionTolerance * std::max(1.0, unit);
        EXPECT_EQ(DistinctCount(t.points, tolerance), DistinctCount(a.points, tolerance));
        // Every position of ours is one of assimp's.
        std::vector<Point> sorted = a.points;
        std::sort(sorted.begin(), sorted.end());
        size_t missing = 0;
        for (const Point& p : t.points)
        {
            auto it = std::lower_bound(sorted.begin(), sorted.end(), Point{p[0] - tolerance, -1e300, -1e300});
            bool found = false;
            for (; it != sorted.end() && (*it)[0] <= p[0] + tolerance && !found; ++it)
                found = std::fabs((*it)[1] - p[1]) <= tolerance && std::fabs((*it)[2] - p[2]) <= tolerance;
            missing += found ? 0 : 1;
        }
        EXPECT_EQ(missing, 0u);
    }
    EXPECT_EQ(model.lodGroups.size(), file.lodGroups);

    // Joints: names and nearest joint ancestors.
    if (!file.skinned)
    {
        EXPECT_TRUE(model.skeleton.Joints.empty());
        return;
    }
    ASSERT_FALSE(model.skeleton.Joints.empty());
    std::set<std::string> jointNames;
    for (const FBXJoint& j : model.skeleton.Joints)
        jointNames.insert(j.name);
    for (const FBXJoint& j : model.skeleton.Joints)
    {
        SCOPED_TRACE(j.name);
        const aiNode* node = assimp.Find(j.name);
        ASSERT_NE(node, nullptr);
        const aiNode* parent = node->mParent;
        while (parent != nullptr && jointNames.count(parent->mName.C_Str()) == 0)
            parent = parent->mParent;
        if (j.parent < 0)
            EXPECT_EQ(parent, nullptr);
        else
        {
            ASSERT_NE(parent, nullptr);
            EXPECT_EQ(model.skeleton.Joints[static_cast<size_t>(j.parent)].name, parent->mName.C_Str());
        }
    }

    // Bind matrices: assimp's bone offset, brought into our axes and units.
    size_t bones = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m)
        for (unsigned b = 0; b < scene->mMeshes[m]->mNumBones; ++b)
        {
            const aiBone* bone = scene->mMeshes[m]->mBones[b];
            SCOPED_TRACE(bone->mName.C_Str());
            const auto joint = model.skeleton.jointIndex.find(Short(bone->mName.C_Str()));
            ASSERT_NE(joint, model.skeleton.jointIndex.end());
            const Mat4 expected = k * FromAssimp(bone->mOffsetMatrix) * kInverse;
            EXPECT_TRUE(SameMatrix(FromFbx(model.skeleton.Joints[joint->second].matrix), expected, 100.0));
            ++bones;
        }
    EXPECT_GT(bones, 0u);
}

TEST_P(AssimpCrossCheck, AnimationAgreesWithAssimp)
{
    const CorpusFile file = GetParam();
    if (!file.skinned)
        GTEST_SKIP() << "no skeleton";
    const std::string path = CorpusPath(file.name);
    FBXAnimation clip;
    ASSERT_TRUE(LoadAnimation(path, clip)) << LastError;
    AssimpFile assimp(file.assimpReads != nullptr ? CorpusPath(file.assimpReads) : path);
    ASSERT_NE(assimp.Scene(), nullptr) << assimp.Error();
    const aiScene* scene = assimp.Scene();
    ASSERT_GT(scene->mNumAnimations, 0u);
    const aiAnimation& animation = *scene->mAnimations[0];
    ASSERT_EQ(clip.jointNames.size(), clip.frames.at(0).globalTransforms.size());

    // The stack covers whole frames from its start; assimp's ticks count from the same start.
    const double ticksPerFrame = animation.mTicksPerSecond / clip.framesPerSecond;
    if (file.emptyStackSpan)
        EXPECT_EQ(clip.frameCount, 1u);
    else
    {
        ASSERT_GE(clip.frameCount, 2u);
        EXPECT_NEAR(animation.mDuration, (clip.frameCount - 1) * ticksPerFrame, ticksPerFrame * 1e-3);
    }

    const Mat4 axes = AxisConversion(scene);
    const Mat4 axesInverse = axes.Transposed();
    std::map<std::string, const aiNodeAnim*> channels;
    for (unsigned c = 0; c < animation.mNumChannels; ++c)
        channels[animation.mChannels[c]->mNodeName.C_Str()] = animation.mChannels[c];

    for (uint32_t frame : {0u, clip.frameCount / 2, clip.frameCount - 1})
    {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const double time = frame * ticksPerFrame;
        auto local = [&](const aiNode* n) {
            const auto it = channels.find(n->mName.C_Str());
            return it == channels.end() ? FromAssimp(n->mTransformation) : ChannelLocal(*it->second, time);
        };
        for (const std::string& name : clip.jointNames)
        {
            SCOPED_TRACE(name);
            const aiNode* node = assimp.Find(name);
            ASSERT_NE(node, nullptr);
            const Mat4 expected = axes * AssimpFile::Global(node, local) * axesInverse;
            const auto ours = clip.frames[frame].globalTransforms.find(Short(name));
            ASSERT_NE(ours, clip.frames[frame].globalTransforms.end());
            EXPECT_TRUE(SameMatrix(FromFbx(ours->second).Transposed(), expected, 100.0));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, AssimpCrossCheck, ::testing::ValuesIn(Corpus),
                         [](const ::testing::TestParamInfo<CorpusFile>& anInfo) {
                             std::string name = anInfo.param.name;
                             name = name.substr(0, name.size() - 4);
                             return name;
                         });

// Skinning the rest frame with the bind matrices must give the mesh as the file places it.
TEST_F(ImporterTest, BlenderArmSkinnedAtFrameZeroStaysWhereTheFilePutsIt)
{
    const std::string path = CorpusPath("blender_skinned.fbx");
    FBXModel model;
    ASSERT_TRUE(LoadModel(path, model, false, true)) << LastError;
    FBXAnimation clip;
    ASSERT_TRUE(LoadAnimation(path, clip)) << LastError;
    AssimpFile assimp(path);
    ASSERT_NE(assimp.Scene(), nullptr) << assimp.Error();
    // A centimetre file: model and animation share their units.
    ASSERT_EQ(MetaDouble(assimp.Scene(), "UnitScaleFactor", 0.0), 1.0);
    const Mat4 k = AxisConversion(assimp.Scene());

    ASSERT_EQ(model.meshes.size(), 1u);
    const FBXMesh& mesh = model.meshes[0];
    const aiNode* meshNode = assimp.Find(mesh.name);
    ASSERT_NE(meshNode, nullptr);
    const Mat4 placed = k * AssimpFile::Global(meshNode) * k.Transposed();

    double lowest = 1e300, highest = -1e300;
    for (const FBXVertex& v : mesh.vertices)
    {
        const Point p{v.position[0], v.position[1], v.position[2]};
        Point skinned{0, 0, 0};
        float total = 0.0f;
        for (int i = 0; i < 4; ++i)
        {
            const float w = v.boneWeights[i];
            if (w == 0.0f)
                continue;
            const FBXJoint& joint = model.skeleton.Joints[v.boneIndices[i]];
            const Mat4 pose = FromFbx(clip.frames[0].globalTransforms.at(joint.shortName)).Transposed();
            const Point q = (pose * FromFbx(joint.matrix)).Apply(p);
            for (int a = 0; a < 3; ++a)
                skinned[a] += w * q[a];
            total += w;
        }
        ASSERT_GT(total, 0.0f);
        for (int a = 0; a < 3; ++a)
            skinned[a] /= total;
        const Point expected = placed.Apply(p);
        for (int a = 0; a < 3; ++a)
            ASSERT_NEAR(skinned[a], expected[a], 1e-2) << "axis " << a;
        lowest = std::min(lowest, skinned[1]);
        highest = std::max(highest, skinned[1]);
    }
    // The arm is three metres tall in Blender.
    EXPECT_NEAR(highest - lowest, 300.0, 0.5);
}
