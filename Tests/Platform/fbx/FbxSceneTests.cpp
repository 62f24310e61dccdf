#include "Platform/fbx/AsciiReader.h"
#include "Platform/fbx/FormatError.h"
#include "Platform/fbx/GeometryConverter.h"
#include "Platform/fbx/Importer.h"
#include "Platform/fbx/Scene.h"
#include "Platform/fbx/SceneBuilder.h"

#include "Support/fbx/FbxTestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <cmath>
#include <random>

using namespace Plat::Fbx;

namespace
{
    std::string SceneText(const std::string& someObjects, const std::string& someConnections, const std::string& someGlobals = "",
                         const std::string& someExtra = "")
    {
        return "; FBX 7.4.0 project file\nFBXHeaderExtension: {\n FBXVersion: 7400\n}\nGlobalSettings: {\n Properties70: {\n" +
               someGlobals + " }\n}\nObjects: {\n" + someObjects + "}\nConnections: {\n" + someConnections + "}\n" + someExtra;
    }

    std::string ModelText(int anId, const std::string& aName, const std::string& aClass, const std::string& someProps = "")
    {
        return " Model: " + std::to_string(anId) + ", \"Model::" + aName + "\", \"" + aClass + "\" {\n  Properties70: {\n" +
               someProps + "  }\n }\n";
    }

    std::string Prop(const std::string& aName, double x, double y, double z)
    {
        return "   P: \"" + aName + "\", \"Vector3D\", \"Vector\", \"A\"," + std::to_string(x) + "," + std::to_string(y) + "," +
               std::to_string(z) + "\n";
    }

    std::string IntProp(const std::string& aName, int aValue)
    {
        return "   P: \"" + aName + "\", \"enum\", \"\", \"\"," + std::to_string(aValue) + "\n";
    }

    std::string Link(int aChild, int aParent)
    {
        return " C: \"OO\"," + std::to_string(aChild) + "," + std::to_string(aParent) + "\n";
    }

    class FbxScene : public ::testing::Test
    {
    protected:
        void SetUp() override { myManager = Manager::Create(); }
        void TearDown() override { myManager->Destroy(); }

        Scene* Build(const std::string& someText)
        {
            Scene* scene = Scene::Create(myManager, "The Scene");
            BuildScene(ReadAsciiDocument(someText), *scene);
            return scene;
        }

        void ExpectBuildError(const std::string& someText, const std::string& aPart)
        {
            try
            {
                Build(someText);
                ADD_FAILURE() << "expected an error containing " << aPart;
            }
            catch (const FormatError& error)
            {
                EXPECT_NE(std::string(error.what()).find(aPart), std::string::npos) << error.what();
            }
        }

        Manager* myManager = nullptr;
    };

    void ExpectPoint(const Vector4& anActual, double x, double y, double z, double aTolerance = 1e-9)
    {
        EXPECT_NEAR(anActual[0], x, aTolerance);
        EXPECT_NEAR(anActual[1], y, aTolerance);
        EXPECT_NEAR(anActual[2], z, aTolerance);
    }

    const std::string TriangleGeometry =
        " Geometry: 50, \"Geometry::Tri\", \"Mesh\" {\n  Vertices: *9 { a: 0,0,0,1,0,0,0,1,0 }\n"
        "  PolygonVertexIndex: *3 { a: 0,1,-3 }\n }\n";
}

TEST_F(FbxScene, HierarchyFollowsConnectionsAndSkipsCycles)
{
    const std::string objects =
        ModelText(1, "A", "Null") + ModelText(2, "B", "LimbNode") + ModelText(3, "C", "Mesh") + ModelText(4, "D", "LodGroup") +
        ModelText(5, "E", "Null") + ModelText(6, "F", "Null") + ModelText(7, "G", "Root") + TriangleGeometry +
        " NodeAttribute: 60, \"NodeAttribute::\", \"Null\" {\n }\n"
        " NodeAttribute: 61, \"NodeAttribute::\", \"LodGroup\" {\n  Properties70: {\n"
        "   P: \"Thresholds|Level0\", \"Distance\", \"\", \"\",10,\"cm\"\n   P: \"Thresholds|Level1\", \"Distance\", \"\", \"\",20,\"cm\"\n  }\n }\n";
    const std::string links = Link(1, 0) + Link(3, 0) + Link(2, 1) + Link(4, 1) + Link(7, 0) + Link(7, 1) + Link(5, 6) +
                              Link(6, 5) + " C: \"OO\",50,3\n C: \"OO\",60,1\n C: \"OO\",61,4\n";
    Scene* scene = Build(SceneText(objects, links));
    Node* root = scene->GetRootNode();
    ASSERT_EQ(root->GetChildCount(), 3);
    EXPECT_EQ(root->GetChild(0)->GetName(), "A");
    EXPECT_EQ(root->GetChild(1)->GetName(), "C");
    EXPECT_EQ(root->GetChild(2)->GetName(), "G"); // its second parent connection is ignored
    Node* a = root->GetChild(0);
    ASSERT_EQ(a->GetChildCount(), 2);
    EXPECT_EQ(a->GetChild(0)->GetParent(), a);

    using T = NodeAttribute::EType;
    EXPECT_EQ(a->GetNodeAttribute()->GetAttributeType(), T::Null);
    EXPECT_EQ(static_cast<int>(a->GetChild(0)->GetNodeAttribute()->GetAttributeType()), 3);
    EXPECT_EQ(static_cast<int>(root->GetChild(1)->GetNodeAttribute()->GetAttributeType()), 4);
    EXPECT_EQ(static_cast<int>(root->GetChild(2)->GetNodeAttribute()->GetAttributeType()), 3); // "Root" is a skeleton
    LodGroup* group = a->GetChild(1)->GetLodGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(static_cast<int>(group->GetAttributeType()), 18);
    Distance d;
    ASSERT_TRUE(group->GetThreshold(1, d));
    EXPECT_EQ(d.value(), 20.0f);
    Distance untouched;
    EXPECT_FALSE(group->GetThreshold(2, untouched));
    EXPECT_EQ(untouched.value(), 0.0f);

    // E and F only hang from each other: outside the tree, still found by name.
    Node* e = scene->FindNodeByName("E");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetParent(), nullptr);
    EXPECT_EQ(e->GetChildCount(), 0);
    EXPECT_EQ(scene->GetNodeCount(), 7);
    EXPECT_EQ(scene->FindNodeByName("Nope"), nullptr);
    EXPECT_EQ(root->GetChild(1)->GetMesh()->GetPolygonCount(), 1);
    EXPECT_EQ(root->GetChild(1)->GetUniqueID(), 3u);
}

TEST_F(FbxScene, DeepestAcceptedHierarchyEvaluatesWithoutRecursion)
{
    std::string objects, links;
    for (int i = 1; i <= MaxNodeDepth; ++i)
    {
        objects += ModelText(i, "N" + std::to_string(i), "Null", Prop("Lcl Translation", 1, 0, 0));
        links += Link(i, i - 1);
    }
    Scene* scene = Build(SceneText(objects, links));
    const Node* last = scene->FindNodeByName("N" + std::to_string(MaxNodeDepth));
    ExpectPoint(last->EvaluateGlobalTransform().GetT(), MaxNodeDepth, 0, 0);
    ExpectPoint(last->EvaluateLocalTransform().GetT(), 1, 0, 0);
}

TEST_F(FbxScene, TooDeepAHierarchyIsRejected)
{
    std::string objects, links;
    for (int i = 1; i <= MaxNodeDepth + 2; ++i)
    {
        objects += ModelText(i, "N" + std::to_string(i), "Null");
        links += Link(i, i - 1);
    }
    ExpectBuildError(SceneText(objects, links), "deeper than");
}

TEST_F(FbxScene, InconsistentObjectsAreRejected)
{
    const std::string mesh = ModelText(3, "C", "Mesh");
    auto geometry = [](const std::string& aBody) { return " Geometry: 50, \"Geometry::Tri\", \"Mesh\" {\n" + aBody + " }\n"; };
    const std::string points = "  Vertices: *9 { a: 0,0,0,1,0,0,0,1,0 }\n";
    ExpectBuildError(SceneText(geometry(points + "  PolygonVertexIndex: *3 { a: 0,1,-4 }\n"), ""), "control point 3 of 3");
    ExpectBuildError(SceneText(geometry(points + "  PolygonVertexIndex: *3 { a: 0,1,2 }\n"), ""), "not closed");
    ExpectBuildError(SceneText(geometry("  Vertices: *4 { a: 0,0,0,1 }\n"), ""), "multiple of 3");
    const std::string corners = "  PolygonVertexIndex: *3 { a: 0,1,-3 }\n";
    ExpectBuildError(SceneText(geometry(points + corners +
                                       "  LayerElementNormal: 0 { MappingInformationType: \"ByPolygonVertex\" "
                                       "ReferenceInformationType: \"Direct\" Normals: *6 { a: 0,0,1,0,0,1 } }\n"),
                              ""),
                     "holds 2 values, 3 needed");
    ExpectBuildError(SceneText(geometry(points + corners +
                                       "  LayerElementUV: 0 { MappingInformationType: \"ByPolygonVertex\" "
                                       "ReferenceInformationType: \"IndexToDirect\" UV: *2 { a: 0,0 } UVIndex: *3 { a: 0,0,1 } }\n"),
                              ""),
                     "index 1 is out of range");
    ExpectBuildError(SceneText(geometry(points + corners +
                                       "  LayerElementMaterial: 0 { MappingInformationType: \"ByPolygon\" "
                                       "ReferenceInformationType: \"IndexToDirect\" Materials: *0 { a: } }\n"),
                              ""),
                     "holds 0 entries, 1 needed");
    const std::string skin = " Deformer: 70, \"Deformer::Skin\", \"Skin\" {\n }\n";
    ExpectBuildError(SceneText(mesh + geometry(points + corners) + skin +
                                  " Deformer: 71, \"SubDeformer::C\", \"Cluster\" {\n  Indexes: *1 { a: 3 }\n  Weights: *1 { a: 1 }\n }\n",
                              Link(3, 0) + Link(50, 3) + Link(70, 50) + Link(71, 70)),
                     "refers to control point 3");
    ExpectBuildError(SceneText(" Deformer: 71, \"SubDeformer::C\", \"Cluster\" {\n  Indexes: *2 { a: 0,1 }\n  Weights: *1 { a: 1 }\n }\n", ""),
                     "2 indexes but 1 weights");
    ExpectBuildError(SceneText(" Deformer: 71, \"SubDeformer::C\", \"Cluster\" {\n  Transform: *3 { a: 1,0,0 }\n }\n", ""),
                     "not 16");
    ExpectBuildError(SceneText(" AnimationCurve: 80, \"AnimCurve::\", \"\" {\n  KeyTime: *2 { a: 0,1 }\n  KeyValueFloat: *1 { a: 0 }\n }\n", ""),
                     "2 key times but 1 key values");
    ExpectBuildError(SceneText(" AnimationCurve: 80, \"AnimCurve::\", \"\" {\n  KeyTime: *2 { a: 5,1 }\n  KeyValueFloat: *2 { a: 0,1 }\n }\n", ""),
                     "not in order");
    ExpectBuildError(SceneText(mesh + mesh, ""), "share the id 3");
    ExpectBuildError("FBXHeaderExtension: {\n FBXVersion: 7400\n}\nObjects: {\n}\n", "no Connections");
    ExpectBuildError(SceneText("", "", "   P: \"UnitScaleFactor\", \"double\", \"Number\", \"\",-1\n"), "UnitScaleFactor");
    ExpectBuildError(SceneText("", "", IntProp("UpAxis", 0)), "three different axes");
}

TEST_F(FbxScene, PivotsOffsetsAndScalingComposeLikeTheSdk)
{
    const std::string props = Prop("Lcl Translation", 1, 2, 3) + Prop("Lcl Rotation", 0, 0, 90) + Prop("Lcl Scaling", 2, 2, 2) +
                              Prop("RotationPivot", 1, 0, 0) + Prop("ScalingPivot", 0, 1, 0) + Prop("RotationOffset", 0, 0, 1) +
                              Prop("ScalingOffset", 1, 0, 0) + Prop("GeometricTranslation", 7, 8, 9);
    Scene* scene = Build(SceneText(ModelText(1, "N", "Null", props), Link(1, 0)));
    const Node* node = scene->FindNodeByName("N");
    // Worked by hand: scale about the pivot, offset, rotate about the pivot, offset, translate.
    ExpectPoint(node->EvaluateGlobalTransform().MultT(Vector4(1, 1, 1)), 1, 4, 6);
    ExpectPoint(node->EvaluateLocalTransform().MultT(Vector4(1, 1, 1)), 1, 4, 6);
    // The geometric transform is only reported, never part of the node's transform.
    ExpectPoint(node->GetGeometricTranslation(PivotSet::SourcePivot), 7, 8, 9);
}

TEST_F(FbxScene, RotationOrderAndPrePostRotation)
{
    const std::string objects =
        ModelText(1, "XYZ", "Null", Prop("Lcl Rotation", 90, 90, 0)) +
        ModelText(2, "ZYX", "Null", Prop("Lcl Rotation", 90, 90, 0) + IntProp("RotationOrder", 5)) +
        ModelText(3, "Pre", "Null", Prop("PreRotation", 0, 0, 90) + Prop("PostRotation", 0, 0, 45));
    Scene* scene = Build(SceneText(objects, Link(1, 0) + Link(2, 0) + Link(3, 0)));
    ExpectPoint(scene->FindNodeByName("XYZ")->EvaluateGlobalTransform().MultT(Vector4(0, 1, 0)), 1, 0, 0, 1e-12);
    ExpectPoint(scene->FindNodeByName("ZYX")->EvaluateGlobalTransform().MultT(Vector4(0, 1, 0)), 0, 0, 1, 1e-12);
    const double h = std::sqrt(0.5);
    ExpectPoint(scene->FindNodeByName("Pre")->EvaluateGlobalTransform().MultT(Vector4(1, 0, 0)), h, h, 0, 1e-12);
}

TEST_F(FbxScene, InheritTypesDecideHowParentScalingReachesTheChild)
{
    std::string objects;
    std::string links;
    for (int type = 0; type < 3; ++type)
    {
        const int parent = 10 + type, child = 20 + type;
        objects += ModelText(parent, "P" + std::to_string(type), "Null", Prop("Lcl Scaling", 2, 1, 1));
        objects += ModelText(child, "C" + std::to_string(type), "Null",
                             Prop("Lcl Rotation", 0, 0, 90) + Prop("Lcl Translation", 1, 0, 0) + IntProp("InheritType", type));
        links += Link(parent, 0) + Link(child, parent);
    }
    objects += ModelText(30, "Uniform", "Null", Prop("Lcl Scaling", 2, 2, 2));
    objects += ModelText(31, "Compensated", "Null", Prop("Lcl Rotation", 0, 0, 90) + IntProp("InheritType", 2));
    links += Link(30, 0) + Link(31, 30);
    Scene* scene = Build(SceneText(objects, links));
    // RrSs: the parent's scaling applies before the child's rotation.
    ExpectPoint(scene->FindNodeByName("C0")->EvaluateGlobalTransform().MultT(Vector4(1, 0, 0)), 2, 2, 0, 1e-12);
    // RSrs: the plain product parent x child.
    ExpectPoint(scene->FindNodeByName("C1")->EvaluateGlobalTransform().MultT(Vector4(1, 0, 0)), 2, 1, 0, 1e-12);
    // Rrs: the parent's own scaling is left out of the child's rotation and scaling.
    ExpectPoint(scene->FindNodeByName("Compensated")->EvaluateGlobalTransform().MultT(Vector4(1, 0, 0)), 0, 1, 0, 1e-12);
    // The local transform is the parent's global inverse times the global.
    const Node* c1 = scene->FindNodeByName("C1");
    ExpectPoint(c1->EvaluateLocalTransform().MultT(Vector4(1, 0, 0)), 1, 1, 0, 1e-12);
}

TEST(FbxCurve, ConstantLinearCubicAndWeightedKeys)
{
    const int64_t second = Time::TicksPerSecond;
    AnimCurve curve;
    curve.myDefault = 7.0;
    EXPECT_EQ(curve.Evaluate(Time(5)), 7.0); // no keys: the default

    auto key = [](int64_t t, float v, AnimKey::Interpolation i) {
        AnimKey k;
        k.time = t;
        k.value = v;
        k.interpolation = i;
        return k;
    };
    curve.myKeys = {key(0, 1.0f, AnimKey::Interpolation::Constant), key(second, 3.0f, AnimKey::Interpolation::Linear),
                    key(2 * second, 5.0f, AnimKey::Interpolation::Cubic), key(3 * second, 5.0f, AnimKey::Interpolation::Cubic)};
    curve.myKeys[2].rightSlope = 3.0f;
    curve.myKeys[2].nextLeftSlope = -3.0f;
    EXPECT_EQ(curve.Evaluate(Time(-second)), 1.0);      // held before the first key
    EXPECT_EQ(curve.Evaluate(Time(second / 2)), 1.0);   // constant
    curve.myKeys[0].constantNext = true;
    EXPECT_EQ(curve.Evaluate(Time(second / 2)), 3.0);   // constant, next value
    EXPECT_DOUBLE_EQ(curve.Evaluate(Time(second + second / 4)), 3.5); // linear
    // Cubic from 5 to 5 with slopes 3 and -3 per second: control values 6, 6; mid value 5.75.
    EXPECT_NEAR(curve.Evaluate(Time(2 * second + second / 2)), 5.75, 1e-6);
    EXPECT_EQ(curve.Evaluate(Time(10 * second)), 5.0);  // held after the last key

    AnimCurve plain, weighted;
    plain.myKeys = {key(0, 0.0f, AnimKey::Interpolation::Cubic), key(second, 1.0f, AnimKey::Interpolation::Cubic)};
    weighted.myKeys = plain.myKeys;
    weighted.myKeys[0].weighted = true;
    weighted.myKeys[0].rightWeight = 0.5f;
    weighted.myKeys[0].nextLeftWeight = 0.5f;
    const double plainQuarter = plain.Evaluate(Time(second / 4));
    EXPECT_NEAR(plainQuarter, 0.15625, 1e-6); // 3 (3/4) (1/4)^2 + (1/4)^3
    const double quarter = weighted.Evaluate(Time(second / 4));
    EXPECT_LT(quarter, plainQuarter); // longer flat tangents ease in more slowly
    EXPECT_NEAR(quarter + weighted.Evaluate(Time(3 * second / 4)), 1.0, 1e-6); // symmetric
    EXPECT_NEAR(weighted.Evaluate(Time(second / 2)), 0.5, 1e-6);
}

TEST(FbxTime, FramesAndRates)
{
    const TimeMode thirty{ETimeMode::Frames30, 0.0};
    Time t;
    t.SetFrame(31, thirty);
    EXPECT_EQ(t.Get(), 31 * Time::TicksPerSecond / 30);
    EXPECT_EQ(t.GetFrameCount(thirty), 31);
    EXPECT_DOUBLE_EQ(Time(Time::TicksPerSecond).GetSecondDouble(), 1.0);
    for (ETimeMode mode : {ETimeMode::Frames24, ETimeMode::Frames60, ETimeMode::NTSCFullFrame, ETimeMode::Frames72,
                           ETimeMode::FilmFullFrame})
        for (int64_t frame : {0, 1, 59, 1000})
        {
            Time x;
            x.SetFrame(frame, TimeMode{mode, 0.0});
            EXPECT_EQ(x.GetFrameCount(TimeMode{mode, 0.0}), frame) << static_cast<int>(mode);
        }
    EXPECT_EQ(Time::GetFrameRate(TimeMode{ETimeMode::Custom, 12.5}), 12.5);
    EXPECT_EQ(Time::GetFrameRate(TimeMode{ETimeMode::Custom, -1.0}), 30.0);
    EXPECT_EQ(Time::GetFrameRate(TimeMode{ETimeMode::PAL, 0.0}), 25.0);
}

TEST_F(FbxScene, AnimationBindsTheFirstStackAndTakesFallBackToTheStack)
{
    const int64_t second = Time::TicksPerSecond;
    const std::string objects =
        ModelText(1, "N", "Null") +
        " AnimationStack: 100, \"AnimStack::Walk\", \"\" {\n  Properties70: {\n   P: \"LocalStart\", \"KTime\", \"Time\", \"\",0\n"
        "   P: \"LocalStop\", \"KTime\", \"Time\", \"\"," + std::to_string(2 * second) + "\n  }\n }\n"
        " AnimationStack: 101, \"AnimStack::Run\", \"\" {\n }\n"
        " AnimationLayer: 110, \"AnimLayer::Base\", \"\" {\n }\n"
        " AnimationLayer: 111, \"AnimLayer::Base\", \"\" {\n }\n"
        " AnimationCurveNode: 120, \"AnimCurveNode::T\", \"\" {\n }\n"
        " AnimationCurveNode: 121, \"AnimCurveNode::T\", \"\" {\n }\n"
        " AnimationCurve: 130, \"AnimCurve::\", \"\" {\n  KeyTime: *2 { a: 0," + std::to_string(second) + " }\n"
        "  KeyValueFloat: *2 { a: 0,10 }\n  KeyAttrFlags: *1 { a: 260 }\n  KeyAttrDataFloat: *4 { a: 0,0,0,0 }\n  KeyAttrRefCount: *1 { a: 2 }\n }\n"
        " AnimationCurve: 131, \"AnimCurve::\", \"\" {\n  KeyTime: *2 { a: " + std::to_string(second) + "," + std::to_string(3 * second) + " }\n"
        "  KeyValueFloat: *2 { a: 4,4 }\n }\n";
    const std::string links = Link(1, 0) + Link(110, 100) + Link(111, 101) + Link(120, 110) + Link(121, 111) +
                              " C: \"OP\",120,1, \"Lcl Translation\"\n C: \"OP\",121,1, \"Lcl Translation\"\n"
                              " C: \"OP\",130,120, \"d|Y\"\n C: \"OP\",131,121, \"d|Y\"\n";
    Scene* scene = Build(SceneText(objects, links));
    ASSERT_EQ(scene->GetAnimStackCount(), 2);
    EXPECT_EQ(scene->GetCurrentAnimationStack()->GetName(), "Walk");
    const Node* node = scene->FindNodeByName("N");
    ExpectPoint(node->EvaluateGlobalTransform(Time(second / 2)).GetT(), 0, 5, 0);
    scene->SetCurrentAnimationStack(scene->GetAnimStack(1));
    ExpectPoint(node->EvaluateGlobalTransform(Time(second / 2)).GetT(), 0, 4, 0);

    // No Takes section: the first stack's own span, the second's from its keys.
    const TakeInfo* walk = scene->GetTakeInfo("Walk");
    ASSERT_NE(walk, nullptr);
    EXPECT_EQ(walk->mLocalTimeSpan.GetStop().Get(), 2 * second);
    const TakeInfo* run = scene->GetTakeInfo("Run");
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->mLocalTimeSpan.GetStart().Get(), second);
    EXPECT_EQ(run->mLocalTimeSpan.GetStop().Get(), 3 * second);
    EXPECT_EQ(scene->GetTakeInfo("Swim"), nullptr);
}

TEST_F(FbxScene, TriangulationClipsEarsOfConcavePolygonsAndCarriesElements)
{
    // An L-shaped hexagon starting at a corner whose fan would leave the outline, then a triangle.
    const std::string geometry =
        " Geometry: 50, \"Geometry::L\", \"Mesh\" {\n  Vertices: *21 { a: 2,1,0, 1,1,0, 1,2,0, 0,2,0, 0,0,0, 2,0,0, 5,5,0 }\n"
        "  PolygonVertexIndex: *9 { a: 0,1,2,3,4,-6, 4,5,-7 }\n"
        "  LayerElementUV: 0 { MappingInformationType: \"ByPolygonVertex\" ReferenceInformationType: \"Direct\"\n"
        "   UV: *18 { a: 0,0, 1,0, 2,0, 3,0, 4,0, 5,0, 4,0, 5,0, 6,0 } }\n"
        "  LayerElementMaterial: 0 { MappingInformationType: \"ByPolygon\" ReferenceInformationType: \"IndexToDirect\" Materials: *2 { a: 0,1 } }\n }\n";
    for (bool legacy : {false, true})
    {
        Scene* scene = Build(SceneText(geometry, ""));
        GeometryConverter converter(myManager);
        ASSERT_TRUE(converter.Triangulate(scene, true, legacy));
        EXPECT_FALSE(converter.Triangulate(scene, false, legacy));
        const Mesh* mesh = scene->GetGeometry(0);
        ASSERT_EQ(mesh->GetPolygonCount(), 5);
        double area = 0.0;
        bool allInside = true;
        for (int p = 0; p < 5; ++p)
        {
            ASSERT_EQ(mesh->GetPolygonSize(p), 3);
            Vector4 c[3];
            for (int v = 0; v < 3; ++v)
            {
                const int cp = mesh->GetPolygonVertex(p, v);
                c[v] = mesh->GetControlPointAt(cp);
                // UV u was the control point's number in the file.
                EXPECT_EQ(mesh->GetElementUV(0)->GetDirectArray().GetAt(mesh->GetPolygonVertexIndex(p) + v)[0], cp);
            }
            EXPECT_EQ(mesh->GetElementMaterial(0)->GetIndexArray().GetAt(p), p < 4 ? 0 : 1);
            if (p < 4)
            {
                area += std::fabs((c[1][0] - c[0][0]) * (c[2][1] - c[0][1]) - (c[2][0] - c[0][0]) * (c[1][1] - c[0][1])) / 2.0;
                const double cx = (c[0][0] + c[1][0] + c[2][0]) / 3.0, cy = (c[0][1] + c[1][1] + c[2][1]) / 3.0;
                allInside = allInside && (cy < 1.0 || cx < 1.0);
            }
        }
        if (legacy)
            EXPECT_FALSE(allInside); // the fan crosses the notch
        else
        {
            EXPECT_TRUE(allInside);
            EXPECT_NEAR(area, 3.0, 1e-12);
        }
    }
}

TEST_F(FbxScene, TangentsFollowTheUVDirectionsAndHandedness)
{
    auto quad = [](const std::string& someUVs) {
        return " Geometry: 50, \"Geometry::Q\", \"Mesh\" {\n  Vertices: *12 { a: 0,0,0, 1,0,0, 1,1,0, 0,1,0 }\n"
               "  PolygonVertexIndex: *4 { a: 0,1,2,-4 }\n"
               "  LayerElementNormal: 0 { MappingInformationType: \"ByVertice\" ReferenceInformationType: \"Direct\" Normals: *12 { a: 0,0,1,0,0,1,0,0,1,0,0,1 } }\n"
               "  LayerElementUV: 0 { MappingInformationType: \"ByVertice\" ReferenceInformationType: \"Direct\" UV: *8 { a: " +
               someUVs + " } }\n }\n";
    };
    for (const auto& [uvs, tangentX] : {std::pair<std::string, double>{"0,0,1,0,1,1,0,1", 1.0}, {"1,0,0,0,0,1,1,1", -1.0}})
    {
        Scene* scene = Build(SceneText(quad(uvs), ""));
        Mesh* mesh = scene->GetGeometry(0);
        ASSERT_TRUE(mesh->GenerateTangentsData(0));
        ASSERT_EQ(mesh->GetElementTangentCount(), 1);
        const auto* tangents = mesh->GetElementTangent(0);
        const auto* binormals = mesh->GetElementBinormal(0);
        ASSERT_EQ(tangents->GetDirectArray().GetCount(), 4);
        for (int i = 0; i < 4; ++i)
        {
            ExpectPoint(tangents->GetDirectArray().GetAt(i), tangentX, 0, 0, 1e-12);
            ExpectPoint(binormals->GetDirectArray().GetAt(i), 0, 1, 0, 1e-12);
        }
        Status status;
        EXPECT_FALSE(mesh->GenerateTangentsData(3, true, &status));
        EXPECT_EQ(status.GetErrorString(), "the mesh has no UV set 3");
    }
}

TEST_F(FbxScene, MaterialPropertiesSourcesAndMaterialsOnGeometry)
{
    const std::string objects =
        ModelText(1, "N", "Mesh") + TriangleGeometry +
        " Material: 200, \"Material::M\", \"\" {\n  Properties70: {\n   P: \"Custom\", \"Color\", \"\", \"A\",1,1,1\n  }\n }\n"
        " Texture: 210, \"Texture::T\", \"\" {\n  FileName: \"C:\\a\\b.png\"\n  RelativeFilename: \"b.png\"\n }\n"
        " LayeredTexture: 211, \"LayeredTexture::L\", \"\" {\n }\n";
    const std::string links = Link(1, 0) + " C: \"OO\",50,1\n C: \"OO\",200,50\n C: \"OP\",210,200, \"DiffuseColor\"\n"
                                           " C: \"OP\",211,200, \"Bump\"\n C: \"OO\",210,211\n";
    Scene* scene = Build(SceneText(objects, links));
    Node* node = scene->FindNodeByName("N");
    EXPECT_EQ(node->GetMaterialCount(), 0);
    EXPECT_TRUE(scene->ConnectMaterials());
    ASSERT_EQ(node->GetMaterialCount(), 1);
    const SurfaceMaterial* material = node->GetMaterial(0);
    EXPECT_EQ(material->GetName(), "M");

    const Property diffuse = material->FindProperty(SurfaceMaterial::sDiffuse);
    ASSERT_TRUE(diffuse.IsValid());
    EXPECT_EQ(diffuse.GetSrcObjectCount<Texture>(), 1);
    EXPECT_EQ(diffuse.GetSrcObjectCount<LayeredTexture>(), 0);
    ASSERT_NE(diffuse.GetSrcObject<FileTexture>(0), nullptr);
    EXPECT_EQ(diffuse.GetSrcObject<FileTexture>(0)->GetFileName(), "C:\\a\\b.png");
    EXPECT_EQ(material->FindProperty(SurfaceMaterial::sBump).GetSrcObjectCount<LayeredTexture>(), 1);
    EXPECT_TRUE(material->FindProperty(SurfaceMaterial::sEmissive).IsValid()); // standard, though not in the file
    EXPECT_EQ(material->FindProperty(SurfaceMaterial::sEmissive).GetSrcObjectCount<Texture>(), 0);
    EXPECT_TRUE(material->FindProperty("Custom").IsValid());
    EXPECT_FALSE(material->FindProperty("custom").IsValid());
    EXPECT_TRUE(material->FindProperty("custom", false).IsValid());
    EXPECT_FALSE(material->FindProperty("Missing").IsValid());
}

TEST_F(FbxScene, UnitAndAxisConversionsMoveEveryPointConsistently)
{
    // A randomised chain of nodes with pivots, pre/post rotations, orders, inherit types and
    // animated channels, in metres with Z up. After both conversions, every node maps a
    // converted point to the converted image of the point, at every time.
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> coordinate(-3.0, 3.0), angle(-170.0, 170.0), scale(0.5, 2.0);
    auto vec = [&](const std::string& aName, auto& aDistribution) {
        return Prop(aName, aDistribution(random), aDistribution(random), aDistribution(random));
    };
    const int64_t second = Time::TicksPerSecond;
    std::string objects, links;
    for (int i = 1; i <= 6; ++i)
    {
        const std::string props = vec("Lcl Translation", coordinate) + vec("Lcl Rotation", angle) +
                                  Prop("Lcl Scaling", 1.5, 1.5, 1.5) + vec("PreRotation", angle) + vec("PostRotation", angle) +
                                  vec("RotationPivot", coordinate) + vec("RotationOffset", coordinate) +
                                  vec("ScalingPivot", coordinate) + vec("ScalingOffset", coordinate) +
                                  IntProp("RotationOrder", i % 6) + IntProp("InheritType", i % 2);
        objects += ModelText(i, "N" + std::to_string(i), "Null", props);
        links += Link(i, i - 1);
    }
    // Node 3's rotation and node 4's translation are animated.
    objects += " AnimationStack: 100, \"AnimStack::S\", \"\" {\n }\n AnimationLayer: 110, \"AnimLayer::B\", \"\" {\n }\n"
               " AnimationCurveNode: 120, \"AnimCurveNode::R\", \"\" {\n }\n AnimationCurveNode: 121, \"AnimCurveNode::T\", \"\" {\n }\n";
    for (int c = 0; c < 6; ++c)
    {
        objects += " AnimationCurve: " + std::to_string(130 + c) + ", \"AnimCurve::\", \"\" {\n  KeyTime: *2 { a: 0," +
                   std::to_string(second) + " }\n  KeyValueFloat: *2 { a: " + std::to_string(angle(random)) + "," +
                   std::to_string(angle(random)) + " }\n }\n";
        links += " C: \"OP\"," + std::to_string(130 + c) + "," + (c < 3 ? "120" : "121") + ", \"d|" + "XYZ"[c % 3] + "\"\n";
    }
    links += Link(110, 100) + Link(120, 110) + Link(121, 110) + " C: \"OP\",120,3, \"Lcl Rotation\"\n C: \"OP\",121,4, \"Lcl Translation\"\n";
    objects += " Geometry: 50, \"Geometry::G\", \"Mesh\" {\n  Vertices: *3 { a: 1,2,3 }\n  PolygonVertexIndex: *0 { }\n }\n";
    const std::string globals = IntProp("UpAxis", 2) + IntProp("FrontAxis", 1) + IntProp("FrontAxisSign", -1) +
                                "   P: \"UnitScaleFactor\", \"double\", \"Number\", \"\",100\n";
    Scene* original = Build(SceneText(objects, links, globals));
    Scene* converted = Build(SceneText(objects, links, globals));
    // Transforms evaluated before the conversions must not be served after them.
    for (int i = 1; i <= 6; ++i)
        converted->FindNodeByName("N" + std::to_string(i))->EvaluateLocalTransform(Time(0));
    SystemUnit::cm.ConvertScene(converted);
    const AxisSystem directX(AxisSystem::EPreDefinedAxisSystem::DirectX);
    directX.DeepConvertScene(converted);
    EXPECT_EQ(converted->GetGlobalSettings().GetSystemUnit(), SystemUnit::cm);
    EXPECT_EQ(converted->GetGlobalSettings().GetAxisSystem(), directX);

    // Z up / front -Y into DirectX: (x, y, z) -> (x, z, y); metres -> centimetres.
    auto convert = [](const Vector4& p) { return Vector4(100 * p[0], 100 * p[2], 100 * p[1], 1.0); };
    ExpectPoint(converted->GetGeometry(0)->GetControlPointAt(0), 100, 300, 200);
    for (int i = 1; i <= 6; ++i)
        for (int64_t t : {int64_t(0), second / 3, second})
        {
            const Node* before = original->FindNodeByName("N" + std::to_string(i));
            const Node* after = converted->FindNodeByName("N" + std::to_string(i));
            const Vector4 p(0.3, -1.2, 2.0, 1.0);
            const Vector4 expected = convert(before->EvaluateGlobalTransform(Time(t)).MultT(p));
            const Vector4 actual = after->EvaluateGlobalTransform(Time(t)).MultT(convert(p));
            ExpectPoint(actual, expected[0], expected[1], expected[2], 1e-6);
        }
}

TEST_F(FbxScene, ElementsReadTheSameValuesThroughASecondTriangulation)
{
    // Triangulation leaves corner and polygon data in place and reads it through maps; a
    // second one (here over tangents made in between, which have no map yet) keeps every
    // corner's values.
    const std::string geometry =
        " Geometry: 50, \"Geometry::L\", \"Mesh\" {\n  Vertices: *21 { a: 2,1,0, 1,1,0, 1,2,0, 0,2,0, 0,0,0, 2,0,0, 5,5,0 }\n"
        "  PolygonVertexIndex: *9 { a: 0,1,2,3,4,-6, 4,5,-7 }\n"
        "  LayerElementNormal: 0 { MappingInformationType: \"ByPolygonVertex\" ReferenceInformationType: \"Direct\"\n"
        "   Normals: *27 { a: 0,0,1, 0,0,1, 0,0,1, 0,0,1, 0,0,1, 0,0,1, 0,0,1, 0,0,1, 0,0,1 } }\n"
        "  LayerElementUV: 0 { MappingInformationType: \"ByPolygonVertex\" ReferenceInformationType: \"IndexToDirect\"\n"
        "   UV: *14 { a: 0,0, 1,0, 1,1, 0,1, 2,0, 2,2, 0,2 } UVIndex: *9 { a: 0,1,2,3,4,5, 6,1,2 } }\n"
        "  LayerElementMaterial: 0 { MappingInformationType: \"ByPolygon\" ReferenceInformationType: \"IndexToDirect\" Materials: *2 { a: 1,0 } }\n }\n";
    Scene* scene = Build(SceneText(geometry, ""));
    Mesh* mesh = scene->GetGeometry(0);
    mesh->Triangulate(true);
    ASSERT_TRUE(mesh->GenerateTangentsData(0));
    ASSERT_EQ(mesh->GetPolygonCount(), 5);

    struct Corner
    {
        int point;
        Vector2 uv;
        Vector4 normal, tangent;
        int material;
        bool operator==(const Corner&) const = default;
    };
    auto corners = [mesh] {
        std::vector<Corner> out;
        for (int p = 0; p < mesh->GetPolygonCount(); ++p)
            for (int v = 0; v < 3; ++v)
            {
                const int c = mesh->GetPolygonVertexIndex(p) + v;
                const auto* uvs = mesh->GetElementUV(0);
                out.push_back({mesh->GetPolygonVertex(p, v), uvs->GetDirectArray().GetAt(uvs->GetIndexArray().GetAt(c)),
                               mesh->GetElementNormal(0)->GetDirectArray().GetAt(c),
                               mesh->GetElementTangent(0)->GetDirectArray().GetAt(c),
                               mesh->GetElementMaterial(0)->GetIndexArray().GetAt(p)});
            }
        return out;
    };
    const std::vector<Corner> before = corners();
    // Each corner holds what the file gave the corner it came from.
    const int filePoints[9] = {0, 1, 2, 3, 4, 5, 4, 5, 6};
    const int fileUVs[9] = {0, 1, 2, 3, 4, 5, 6, 1, 2};
    const Vector2 uvValues[7] = {{{0, 0}}, {{1, 0}}, {{1, 1}}, {{0, 1}}, {{2, 0}}, {{2, 2}}, {{0, 2}}};
    ASSERT_EQ(mesh->myCornerMap.size(), before.size());
    for (size_t c = 0; c < before.size(); ++c)
    {
        const int from = mesh->myCornerMap[c];
        EXPECT_EQ(before[c].point, filePoints[from]);
        EXPECT_EQ(before[c].uv, uvValues[fileUVs[from]]);
        EXPECT_EQ(before[c].material, from < 6 ? 1 : 0);
    }
    mesh->Triangulate(false);
    EXPECT_EQ(corners(), before);
    EXPECT_NE(mesh->GetElementTangent(0)->GetDirectArray().GetRemap(), nullptr);
}

TEST_F(FbxScene, TangentsOfAControlPointSharedByManyUVs)
{
    // A fan of 40 triangles around one control point, which has a UV of its own in every
    // triangle (more than the per-point chains hold) or one shared UV. The UVs follow x and y
    // everywhere, so every corner's tangent is +X and its binormal +Y either way.
    const int fan = 40;
    std::string points = "0,0,0", corners, uvs = "", uvIndex;
    for (int i = 0; i < fan; ++i)
    {
        const double a = 2.0 * 3.14159265358979 * i / fan;
        points += "," + std::to_string(std::cos(a)) + "," + std::to_string(std::sin(a)) + ",0";
    }
    for (bool shared : {false, true})
    {
        uvs.clear();
        uvIndex.clear();
        corners.clear();
        int uvCount = 0;
        auto addUV = [&](double u, double v) {
            uvs += (uvs.empty() ? "" : ",") + std::to_string(u) + "," + std::to_string(v);
            return uvCount++;
        };
        const int centre = shared ? addUV(0.0, 0.0) : -1;
        for (int i = 0; i < fan; ++i)
        {
            const int a = 1 + i, b = 1 + (i + 1) % fan;
            const double ax = std::cos(2.0 * 3.14159265358979 * i / fan), ay = std::sin(2.0 * 3.14159265358979 * i / fan);
            const double bx = std::cos(2.0 * 3.14159265358979 * (i + 1) / fan),
                         by = std::sin(2.0 * 3.14159265358979 * (i + 1) / fan);
            corners += (corners.empty() ? "" : ",") + std::string("0,") + std::to_string(a) + "," + std::to_string(-(b + 1));
            const int c = shared ? centre : addUV(0.0, 0.0);
            uvIndex += (uvIndex.empty() ? "" : ",") + std::to_string(c) + "," + std::to_string(addUV(ax, ay)) + "," +
                       std::to_string(addUV(bx, by));
        }
        const std::string normals = [&] {
            std::string n;
            for (int i = 0; i <= fan; ++i)
                n += (i ? "," : "") + std::string("0,0,1");
            return n;
        }();
        const std::string geometry = " Geometry: 50, \"Geometry::Fan\", \"Mesh\" {\n  Vertices: *" + std::to_string(3 * (fan + 1)) +
                                     " { a: " + points + " }\n  PolygonVertexIndex: *" + std::to_string(3 * fan) + " { a: " + corners +
                                     " }\n  LayerElementNormal: 0 { MappingInformationType: \"ByVertice\" ReferenceInformationType: "
                                     "\"Direct\" Normals: *" +
                                     std::to_string(3 * (fan + 1)) + " { a: " + normals +
                                     " } }\n  LayerElementUV: 0 { MappingInformationType: \"ByPolygonVertex\" "
                                     "ReferenceInformationType: \"IndexToDirect\" UV: *" +
                                     std::to_string(2 * uvCount) + " { a: " + uvs + " } UVIndex: *" + std::to_string(3 * fan) +
                                     " { a: " + uvIndex + " } }\n }\n";
        Scene* scene = Build(SceneText(geometry, ""));
        Mesh* mesh = scene->GetGeometry(0);
        ASSERT_TRUE(mesh->GenerateTangentsData(0));
        const auto& tangents = mesh->GetElementTangent(0)->GetDirectArray();
        const auto& binormals = mesh->GetElementBinormal(0)->GetDirectArray();
        ASSERT_EQ(tangents.GetCount(), 3 * fan);
        for (int c = 0; c < 3 * fan; ++c)
        {
            SCOPED_TRACE(std::to_string(c) + (shared ? " shared" : " own"));
            ExpectPoint(tangents.GetAt(c), 1, 0, 0, 1e-5);
            ExpectPoint(binormals.GetAt(c), 0, 1, 0, 1e-5);
        }
    }
}

TEST_F(FbxScene, AnImporterImportsTwiceAndAFolderIsNoFile)
{
    // Import moves the large arrays of the read file into the scene; a second import reads
    // the file again and yields the same scene.
    KilnTest::TempFolder folder;
    const std::filesystem::path path = folder / "terrain.fbx";
    KilnTest::ConvertToBinaryFbx(KilnTest::FbxFixture("corpus/blender_terrain.fbx"), path, KilnTest::BinaryFbxOptions{7500, true});
    Importer* importer = Importer::Create(myManager, "");
    ASSERT_TRUE(importer->Initialize(path.string()));
    Scene* first = Scene::Create(myManager, "First");
    Scene* second = Scene::Create(myManager, "Second");
    ASSERT_TRUE(importer->Import(first)) << importer->GetStatus().GetErrorString();
    ASSERT_TRUE(importer->Import(second)) << importer->GetStatus().GetErrorString();
    ASSERT_EQ(first->GetGeometryCount(), 1);
    const Mesh* a = first->GetGeometry(0);
    const Mesh* b = second->GetGeometry(0);
    EXPECT_GT(a->GetPolygonVertexCount(), 1000);
    EXPECT_EQ(a->myControlPoints, b->myControlPoints);
    EXPECT_EQ(a->myPolygonVertices, b->myPolygonVertices);
    EXPECT_EQ(a->GetElementNormal(0)->GetDirectArray().Values(), b->GetElementNormal(0)->GetDirectArray().Values());
    EXPECT_EQ(a->GetElementUV(0)->GetIndexArray().Values(), b->GetElementUV(0)->GetIndexArray().Values());
    importer->Destroy();
    first->Destroy();
    second->Destroy();
    // Scenes and the importer gave their arrays back for the next import.
    EXPECT_GT(myManager->GetBufferPool().GetHeldBytes(), 0u);

    Importer* folderImporter = Importer::Create(myManager, "");
    EXPECT_FALSE(folderImporter->Initialize(folder.Path().string()));
    EXPECT_EQ(folderImporter->GetStatus().GetErrorString(), "cannot read '" + folder.Path().string() + "'");
    EXPECT_FALSE(folderImporter->IsFBX());
    folderImporter->Destroy();
}
