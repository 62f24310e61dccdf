// The model editor row's texture tree as the running program shows it: the model factory
// installs the lookup the row asks, so the tree comes from the model the factory loads.
#include "ModelTestSupport.h"

#include "Support/ImGuiHarness.h"

#include "forge/properties/Property.h"
#include "forge/properties/PropertyEditorHooks.h"
#include "forge/properties/PropertyType.h"
#include "forge/properties/SceneModel.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using namespace ModelTest;

namespace
{
    using ModelValue = Kiln::CopyOnWriteWrapper<Kiln::SceneModel>;

    class ModelEditorRow : public ModelFactoryTest
    {
    protected:
        // One labelled model row whose path is aPath; counts the changes it reports.
        KilnTest::ImGuiHarness::Rows RowFor(const std::string& aPath)
        {
            myProperty.GetValue<ModelValue>().GetMutable().myPath = Kiln::StringRegistry::RegisterOrGetString(aPath.c_str());
            return [this] {
                if (myProperty.GetType()->DrawEditor(myProperty.GetData(), "Hero", ""))
                    ++myChangeCount;
            };
        }

        KilnTest::ImGuiHarness myImGui;
        Kiln::Property myProperty{&Kiln::PropertyType<ModelValue>::GetInstance()};
        int myChangeCount = 0;
    };
}

TEST_F(ModelEditorRow, AOneMeshModelLoadedByTheFactoryShowsItsSlotsAndEditsTheValue)
{
    FbxModelSpec spec;
    spec.myMeshes = {Quad("Only", 0, 0, 1, 1)};
    const auto rows = RowFor(WriteFbx(TempPath("one.fbx"), spec).string());

    const auto tree = myImGui.FindItem(rows, {"Hero", "Textures"});
    ASSERT_TRUE(tree.has_value()) << "the factory's lookup is installed when the factory is made";
    EXPECT_EQ(myFactory->GetModelCacheSize(), 3u);   // the cube, the plane and this model
    myImGui.Click(rows, *tree);
    ASSERT_TRUE(myImGui.DropPayload(rows, ".dds", "textures/normal.dds"));
    EXPECT_EQ(myChangeCount, 1);
    // The first slot (colour) takes the drop; the overrides are the value's, not the model's.
    EXPECT_EQ(myProperty.GetValue<ModelValue>()->myTextures[0][0], Kiln::StringRegistry::RegisterOrGetString("textures/normal.dds"));
    EXPECT_TRUE(myImGui.FindItem(rows, {"Hero", "Textures", 0, 3, "Clear"}).has_value());
}

TEST_F(ModelEditorRow, EachMeshOfTheLoadedModelGetsANodeNamedAfterIt)
{
    FbxModelSpec spec;
    for (int i = 0; i < 4; ++i)
        spec.myMeshes.push_back(Quad("Part" + std::to_string(i), float(i) * 2, 0, 1, 1));
    const auto rows = RowFor(WriteFbx(TempPath("four.fbx"), spec).string());

    const auto tree = myImGui.FindItem(rows, {"Hero", "Textures"});
    ASSERT_TRUE(tree.has_value());
    myImGui.Click(rows, *tree);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(myImGui.FindItem(rows, {"Hero", "Textures", i, ("Part" + std::to_string(i)).c_str()}).has_value()) << i;
}

TEST_F(ModelEditorRow, NoTreeForAModelThatDoesNotLoadOrOnceTheFactoryIsGone)
{
    std::ofstream(TempPath("broken.fbx")) << "not a model";
    EXPECT_FALSE(myImGui.FindItem(RowFor(TempPath("broken.fbx")), {"Hero", "Textures"}).has_value());

    FbxModelSpec spec;
    spec.myMeshes = {Quad("Only", 0, 0, 1, 1)};
    const auto rows = RowFor(WriteFbx(TempPath("one.fbx"), spec).string());
    ASSERT_TRUE(myImGui.FindItem(rows, {"Hero", "Textures"}).has_value());
    Kiln::ModelFactory::DestroyInstance();
    EXPECT_EQ(Kiln::gEditorModelLookup, nullptr);
    EXPECT_FALSE(myImGui.FindItem(rows, {"Hero", "Textures"}).has_value());
    EXPECT_EQ(Kiln::ModelFactory::GetInstancePointer(), nullptr);
}
