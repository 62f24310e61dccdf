#include "ImporterTestSupport.h"

#include "SkeletonImport.h"

#include "Platform/fbx/Importer.h"
#include "Platform/fbx/Scene.h"

using namespace KILNFBXImporter;
using namespace KilnTest;

namespace
{
    // A scene of nodes given as ASCII objects and parent links (0 is the root).
    struct Hierarchy
    {
        std::string objects;
        std::string connections;

        void Add(int anId, const std::string& aName, const std::string& aClass, int aParent, const std::string& someProps = "")
        {
            objects += " Model: " + std::to_string(anId) + ", \"Model::" + aName + "\", \"" + aClass + "\" {\n" +
                       "  Properties70: {\n" + someProps + "  }\n }\n";
            connections += " C: \"OO\"," + std::to_string(anId) + "," + std::to_string(aParent) + "\n";
        }

        std::string Text() const
        {
            return "; FBX 7.4.0 project file\nFBXHeaderExtension: {\n FBXVersion: 7400\n}\nObjects: {\n" + objects +
                   "}\nConnections: {\n" + connections + "}\n";
        }
    };

    struct Gathered
    {
        FBXSkeleton skeleton;
        std::vector<FBXJoint> events;
        std::vector<FBXSocket> sockets;
        bool found = false;
    };

    Gathered Gather(const TempFolder& aFolder, const Hierarchy& aHierarchy)
    {
        const auto path = WriteTextFile(aFolder, "hierarchy.fbx", aHierarchy.Text());
        Plat::Fbx::Manager* manager = Plat::Fbx::Manager::Create();
        Plat::Fbx::Importer* importer = Plat::Fbx::Importer::Create(manager, "");
        Plat::Fbx::Scene* scene = Plat::Fbx::Scene::Create(manager, "The Scene");
        Gathered out;
        EXPECT_TRUE(importer->Initialize(path.string()) && importer->Import(scene)) << importer->GetStatus().GetErrorString();
        try
        {
            out.found = GatherSkeleton(scene->GetRootNode(), out.skeleton, out.events, out.sockets, -1);
        }
        catch (...)
        {
            manager->Destroy();
            throw;
        }
        manager->Destroy();
        return out;
    }
}

TEST_F(ImporterTest, EventsAndSocketsTakeTheNearestJointAsParent)
{
    Hierarchy h;
    h.Add(1, "a", "LimbNode", 0);
    h.Add(2, "b", "LimbNode", 1);
    h.Add(3, "hit_evt", "Null", 2);
    h.Add(4, "grip_socket", "Null", 3, "   P: \"Lcl Translation\", \"Lcl Translation\", \"\", \"A\", 1, 2, 3\n");
    h.Add(5, "_evt", "Null", 0);       // exactly the suffix: an event with no joint above
    h.Add(6, "LOUD_EVT", "Null", 2);   // capitals: not an event
    h.Add(7, "body_skt", "Mesh", 2);   // not a null node: not a socket
    h.Add(8, "c", "LimbNode", 7);      // a joint below a mesh below joint b
    const Gathered g = Gather(myFolder, h);
    ASSERT_TRUE(g.found);
    ASSERT_EQ(g.skeleton.Joints.size(), 3u);
    EXPECT_EQ(g.skeleton.Joints[2].name, "c");
    EXPECT_EQ(g.skeleton.Joints[2].parent, 1);
    EXPECT_EQ(g.skeleton.Joints[1].children, std::vector<int32_t>{2});

    ASSERT_EQ(g.events.size(), 2u);
    EXPECT_EQ(g.events[0].name, "hit_evt");
    EXPECT_EQ(g.events[0].parent, 1);
    EXPECT_EQ(g.events[1].name, "_evt");
    EXPECT_EQ(g.events[1].parent, -1);
    EXPECT_TRUE(g.events[0].shortName.empty());

    ASSERT_EQ(g.sockets.size(), 1u);
    EXPECT_EQ(g.sockets[0].name, "grip_socket");
    EXPECT_EQ(g.sockets[0].parent, 1); // null nodes do not change the parent
    EXPECT_FLOAT_EQ(g.sockets[0].matrix(3, 0), 1.0f);
    EXPECT_FLOAT_EQ(g.sockets[0].matrix(3, 1), 2.0f);
    EXPECT_FLOAT_EQ(g.sockets[0].matrix(3, 2), 3.0f);
}

TEST_F(ImporterTest, TwoJointsWithOneShortNameThrowWithTheSecondFullName)
{
    Hierarchy h;
    h.Add(1, "left:Arm", "LimbNode", 0);
    h.Add(2, "right:Arm", "LimbNode", 1);
    try
    {
        Gather(myFolder, h);
        FAIL() << "expected a throw";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what()), "Found more than one bone with the same name [right:Arm]!");
    }
}

TEST_F(ImporterTest, SceneWithoutJointsGathersNothing)
{
    Hierarchy h;
    h.Add(1, "Locator", "Null", 0);
    const Gathered g = Gather(myFolder, h);
    EXPECT_FALSE(g.found);
    EXPECT_TRUE(g.skeleton.Joints.empty());
}

TEST_F(ImporterTest, SkeletonWithoutNamespaceIsNamedAfterTheFile)
{
    Hierarchy h;
    h.Add(1, "Pelvis", "LimbNode", 0);
    h.Add(2, "Thing", "Mesh", 0);
    std::string text = h.Text();
    // A mesh needs geometry with UVs to load.
    text = Replaced(text, "}\nConnections: {\n",
                    " Geometry: 3, \"Geometry::G\", \"Mesh\" {\n  Vertices: *9 { a: 0,0,0,1,0,0,0,1,0 }\n"
                    "  PolygonVertexIndex: *3 { a: 0,1,-3 }\n"
                    "  LayerElementNormal: 0 { MappingInformationType: \"ByVertice\" ReferenceInformationType: \"Direct\" Normals: *9 { a: 0,0,1,0,0,1,0,0,1 } }\n"
                    "  LayerElementUV: 0 { MappingInformationType: \"ByVertice\" ReferenceInformationType: \"Direct\" UV: *6 { a: 0,0,1,0,0,1 } }\n"
                    " }\n}\nConnections: {\n C: \"OO\",3,2\n");
    const auto path = WriteTextFile(myFolder, "Crate.fbx", text);
    FBXModel model;
    ASSERT_TRUE(LoadModel(path.string(), model, false, true)) << LastError;
    EXPECT_EQ(model.skeleton.name, "Crate");
}
