// The editor rows, driven through a real Dear ImGui context: each test draws rows into a
// two-column table, moves the mouse, clicks, drags, types and drops payloads, and checks
// what the rows report and what they stored.
#include "Support/ImGuiHarness.h"

#include "forge/properties/Property.h"
#include "forge/properties/PropertyEditorHooks.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <string>

using Kiln::Property;
using Kiln::PropertyType;
using KilnTest::ImGuiHarness;

namespace
{
    using ModelValue = Kiln::CopyOnWriteWrapper<Kiln::SceneModel>;
    using SpriteValue = Kiln::CopyOnWriteWrapper<Kiln::SceneSprite>;
    using SceneValue = Kiln::CopyOnWriteWrapper<Kiln::SceneReference>;
    using ClipValue = Kiln::CopyOnWriteWrapper<Kiln::AnimationClipReference>;

    template <typename T>
    const Kiln::PropertyTypeBase* TypeOf()
    {
        return &PropertyType<T>::GetInstance();
    }

    Kiln::StringId Id(const char* aText)
    {
        return Kiln::StringRegistry::RegisterOrGetString(aText);
    }

    // One property drawn as one labelled row; every report of a change is remembered.
    struct EditedProperty
    {
        Property myProperty;
        const char* myLabel;
        const char* myDescription = "";
        bool myChanged = false;
        int myChangeCount = 0;

        ImGuiHarness::Rows Rows()
        {
            return [this] {
                if (myProperty.GetType()->DrawEditor(myProperty.GetData(), myLabel, myDescription))
                {
                    myChanged = true;
                    ++myChangeCount;
                }
            };
        }
    };

    // Resets the editor hooks whatever a test does.
    class PropertyEditor : public ::testing::Test
    {
    protected:
        void TearDown() override
        {
            Kiln::gAssetBrowserHook = nullptr;
            Kiln::gEditorModelLookup = nullptr;
        }

        ImGuiHarness myImGui;
    };

    Kiln::StringId theBrowserSelection;
    void SelectInBrowser(Kiln::StringId& aPath)
    {
        aPath = theBrowserSelection;
    }

    bool LookUpTestModels(Kiln::StringId aPath, Kiln::EditorModelView& aView)
    {
        if (aPath == Id("models/one.fbx"))
        {
            aView.myMeshCount = 1;
            aView.myMeshNames[0] = "Only";
            return true;
        }
        if (aPath == Id("models/six.fbx"))
        {
            aView.myMeshCount = 6;
            static const char* names[] = {"Head", "Body", "Legs", "Arms"};
            for (int i = 0; i < 4; ++i)
                aView.myMeshNames[i] = names[i];
            return true;
        }
        return false;
    }
}

TEST_F(PropertyEditor, ACheckboxClickTogglesABoolAndReportsIt)
{
    EditedProperty edited{Property(TypeOf<bool>()), "Visible"};
    const auto rows = edited.Rows();
    const auto box = myImGui.FindItem(rows, {"Visible", "##"});
    ASSERT_TRUE(box.has_value());
    EXPECT_FALSE(edited.myChanged);

    myImGui.Click(rows, *box);
    EXPECT_TRUE(edited.myChanged);
    EXPECT_TRUE(edited.myProperty.GetValue<bool>());
}

TEST_F(PropertyEditor, DraggingIntAndFloatRowsMovesOneUnitPerPixel)
{
    EditedProperty count{Property(TypeOf<std::int32_t>()), "Count"};
    count.myProperty.GetValue<std::int32_t>() = 3;
    EditedProperty speed{Property(TypeOf<float>()), "Speed"};
    speed.myProperty.GetValue<float>() = 1.5f;
    const auto rows = [&] {
        count.Rows()();
        speed.Rows()();
    };

    const auto countDrag = myImGui.FindItem(rows, {"Count", "##"});
    const auto speedDrag = myImGui.FindItem(rows, {"Speed", "##"});
    ASSERT_TRUE(countDrag.has_value());
    ASSERT_TRUE(speedDrag.has_value());
    EXPECT_GT(speedDrag->y, countDrag->y);

    myImGui.Drag(rows, *countDrag, ImVec2(10.0f, 0.0f));
    EXPECT_TRUE(count.myChanged);
    EXPECT_EQ(count.myProperty.GetValue<std::int32_t>(), 13);
    EXPECT_FALSE(speed.myChanged);

    myImGui.Drag(rows, *speedDrag, ImVec2(-4.0f, 0.0f));
    EXPECT_TRUE(speed.myChanged);
    EXPECT_FLOAT_EQ(speed.myProperty.GetValue<float>(), -2.5f);
}

TEST_F(PropertyEditor, AFloat3DragThatLeavesTheNumbersReportsNoChange)
{
    EditedProperty offset{Property(TypeOf<Kiln::Vector3<float>>()), "Offset"};
    offset.myProperty.GetValue<Kiln::Vector3<float>>() = {1.0f, 2.0f, 3.0f};
    const auto rows = offset.Rows();
    const auto x = myImGui.FindItem(rows, {"Offset", "##", 0, ""});
    const auto z = myImGui.FindItem(rows, {"Offset", "##", 2, ""});
    ASSERT_TRUE(x.has_value());
    ASSERT_TRUE(z.has_value());
    EXPECT_GT(z->x, x->x);

    // Pressing and releasing without moving edits nothing.
    myImGui.Drag(rows, *x, ImVec2(0.0f, 0.0f));
    EXPECT_FALSE(offset.myChanged);
    EXPECT_EQ(offset.myProperty.GetValue<Kiln::Vector3<float>>(), Kiln::Vector3<float>(1.0f, 2.0f, 3.0f));

    myImGui.Drag(rows, *z, ImVec2(3.0f, 0.0f));
    EXPECT_TRUE(offset.myChanged);
    EXPECT_EQ(offset.myProperty.GetValue<Kiln::Vector3<float>>(), Kiln::Vector3<float>(1.0f, 2.0f, 6.0f));
}

TEST_F(PropertyEditor, Float2AndFloat4RowsEditTheirComponents)
{
    EditedProperty size{Property(TypeOf<Kiln::Vector2<float>>()), "Size"};
    EditedProperty bounds{Property(TypeOf<Kiln::Vector4<float>>()), "Bounds"};
    const auto rows = [&] {
        size.Rows()();
        bounds.Rows()();
    };
    const auto sizeY = myImGui.FindItem(rows, {"Size", "##", 1, ""});
    const auto boundsW = myImGui.FindItem(rows, {"Bounds", "##", 3, ""});
    ASSERT_TRUE(sizeY.has_value());
    ASSERT_TRUE(boundsW.has_value());

    myImGui.Drag(rows, *sizeY, ImVec2(7.0f, 0.0f));
    myImGui.Drag(rows, *boundsW, ImVec2(-5.0f, 0.0f));
    EXPECT_EQ(size.myProperty.GetValue<Kiln::Vector2<float>>(), Kiln::Vector2<float>(0.0f, 7.0f));
    EXPECT_EQ(bounds.myProperty.GetValue<Kiln::Vector4<float>>(), Kiln::Vector4<float>(0.0f, 0.0f, 0.0f, -5.0f));
    EXPECT_EQ(size.myChangeCount, 1);
    EXPECT_EQ(bounds.myChangeCount, 1);
}

TEST_F(PropertyEditor, AColorRowEditsFloatChannels)
{
    EditedProperty tint{Property(TypeOf<Kiln::Color>()), "Tint"};
    tint.myProperty.GetValue<Kiln::Color>() = {0.5f, 0.5f, 0.5f, 1.0f};
    const auto rows = tint.Rows();
    const auto red = myImGui.FindItem(rows, {"Tint", "##", "##X"});
    ASSERT_TRUE(red.has_value());

    // Floating-point channels move 1/255 per pixel.
    myImGui.Drag(rows, *red, ImVec2(51.0f, 0.0f));
    EXPECT_TRUE(tint.myChanged);
    const Kiln::Color color = tint.myProperty.GetValue<Kiln::Color>();
    EXPECT_NEAR(color.r, 0.7f, 1e-3f);
    EXPECT_EQ(color.g, 0.5f);
    EXPECT_EQ(color.a, 1.0f);
}

TEST_F(PropertyEditor, TypingIntoAStringIdRowInternsTheText)
{
    EditedProperty name{Property(TypeOf<Kiln::StringId>()), "Name"};
    name.myProperty.GetValue<Kiln::StringId>() = Id("Editor/ab");
    const auto rows = name.Rows();
    const auto input = myImGui.FindItem(rows, {"Name", "##"});
    ASSERT_TRUE(input.has_value());

    myImGui.Click(rows, *input);
    EXPECT_FALSE(name.myChanged);
    myImGui.TypeText("c");
    myImGui.Frame(rows);
    EXPECT_TRUE(name.myChanged);
    EXPECT_EQ(name.myProperty.GetValue<Kiln::StringId>(), Id("Editor/abc"));
}

TEST_F(PropertyEditor, AStringIdLongerThanTheSharedBufferIsOnlyShownCut)
{
    const std::string longText(300, 'q');
    EditedProperty name{Property(TypeOf<Kiln::StringId>()), "Long"};
    name.myProperty.GetValue<Kiln::StringId>() = Id(longText.c_str());
    const auto rows = name.Rows();
    for (int i = 0; i < 3; ++i)
        myImGui.Frame(rows);
    EXPECT_FALSE(name.myChanged);
    EXPECT_EQ(name.myProperty.GetValue<Kiln::StringId>(), Id(longText.c_str()));
}

TEST_F(PropertyEditor, AHelpMarkerShowsTheDescriptionWhenHovered)
{
    EditedProperty jump{Property(TypeOf<float>()), "Jump", "How high the player jumps, in units."};
    const auto rows = jump.Rows();
    const auto drag = myImGui.FindItem(rows, {"Jump", "##"});
    ASSERT_TRUE(drag.has_value());
    EXPECT_FALSE(myImGui.IsTooltipVisible());

    // The marker sits beside the label in the left column, on the row of the drag.
    const auto tooltipAnywhereLeft = [&](const ImGuiHarness::Rows& someRows, ImVec2 aWidget) {
        for (float y = aWidget.y - 12.0f; y < aWidget.y + 16.0f; y += 3.0f)
        {
            for (float x = 1.0f; x < 290.0f; x += 3.0f)
            {
                myImGui.SetMouse(ImVec2(x, y), false);
                myImGui.Frame(someRows);
                if (myImGui.IsTooltipVisible())
                    return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(tooltipAnywhereLeft(rows, *drag));

    EditedProperty plain{Property(TypeOf<float>()), "Plain"};
    const auto plainRows = plain.Rows();
    const auto plainDrag = myImGui.FindItem(plainRows, {"Plain", "##"});
    ASSERT_TRUE(plainDrag.has_value());
    EXPECT_FALSE(tooltipAnywhereLeft(plainRows, *plainDrag));
}

TEST_F(PropertyEditor, PoseRowsNeverReportAChange)
{
    Property pose(TypeOf<Kiln::PoseAndMotion>());
    bool changed = false;
    const auto rows = [&] {
        changed |= pose.GetType()->DrawEditor(pose.GetData(), "Pose", "");
        ImGui::TableNextRow();
        ImGui::TableSetColumnIndex(1);
        changed |= pose.GetType()->DrawEditor(pose.GetData(), nullptr, nullptr);
    };
    myImGui.SetMouse(ImVec2(300.0f, 10.0f), true);
    myImGui.Frame(rows);
    myImGui.SetMouse(ImVec2(300.0f, 10.0f), false);
    myImGui.Frame(rows);
    EXPECT_FALSE(changed);
}

TEST_F(PropertyEditor, SetFromAssetBrowserClonesASharedSceneReference)
{
    Kiln::gAssetBrowserHook = &SelectInBrowser;
    theBrowserSelection = Id("scenes/next.ksc");

    EditedProperty next{Property(TypeOf<SceneValue>()), "Next Level"};
    next.myProperty.GetValue<SceneValue>().GetMutable().myScenePath = Id("scenes/first.ksc");
    const Property shared = next.myProperty;
    ASSERT_EQ(shared.GetValue<SceneValue>().GetReferenceCount(), 2u);

    const auto rows = next.Rows();
    const auto set = myImGui.FindItem(rows, {"Next Level", "Set From AssetBrowser"});
    const auto clear = myImGui.FindItem(rows, {"Next Level", "Clear"});
    ASSERT_TRUE(set.has_value());
    ASSERT_TRUE(clear.has_value());
    EXPECT_GT(clear->x, set->x);
    EXPECT_EQ(clear->y, set->y);

    myImGui.Click(rows, *set);
    EXPECT_EQ(next.myChangeCount, 1);
    EXPECT_EQ(next.myProperty.GetValue<SceneValue>()->myScenePath, Id("scenes/next.ksc"));
    EXPECT_EQ(shared.GetValue<SceneValue>()->myScenePath, Id("scenes/first.ksc"));
    EXPECT_EQ(shared.GetValue<SceneValue>().GetReferenceCount(), 1u);
    EXPECT_EQ(next.myProperty.GetValue<SceneValue>().GetReferenceCount(), 1u);

    // The same selection again changes nothing.
    myImGui.Click(rows, *set);
    EXPECT_EQ(next.myChangeCount, 1);

    myImGui.Click(rows, *clear);
    EXPECT_EQ(next.myChangeCount, 2);
    EXPECT_TRUE(next.myProperty.GetValue<SceneValue>()->myScenePath.IsNull());
    myImGui.Click(rows, *clear);
    EXPECT_EQ(next.myChangeCount, 2);
}

TEST_F(PropertyEditor, WithoutTheHookThereIsNoAssetBrowserButton)
{
    EditedProperty clip{Property(TypeOf<ClipValue>()), "Clip"};
    const auto rows = clip.Rows();
    EXPECT_FALSE(myImGui.FindItem(rows, {"Clip", "Set From AssetBrowser"}).has_value());
    const auto clear = myImGui.FindItem(rows, {"Clip", "Clear"});
    ASSERT_TRUE(clear.has_value());

    // Clearing the shared default changes nothing and leaves the default shared.
    myImGui.Click(rows, *clear);
    EXPECT_FALSE(clip.myChanged);
    EXPECT_EQ(clip.myProperty.GetValue<ClipValue>().GetReferenceCount(), Kiln::impl::POOL_DEFAULT_OBJECT_COUNT);
}

TEST_F(PropertyEditor, APathDropAcceptsOnlyItsPayloadType)
{
    EditedProperty clip{Property(TypeOf<ClipValue>()), "Clip"};
    const auto rows = clip.Rows();

    EXPECT_FALSE(myImGui.DropPayload(rows, ".ksc", "scenes/wrong.ksc"));
    EXPECT_FALSE(clip.myChanged);
    EXPECT_TRUE(clip.myProperty.GetValue<ClipValue>()->myClipPath.IsNull());

    ASSERT_TRUE(myImGui.DropPayload(rows, ".kacl", "clips/run.kacl"));
    EXPECT_EQ(clip.myChangeCount, 1);
    EXPECT_EQ(clip.myProperty.GetValue<ClipValue>()->myClipPath, Id("clips/run.kacl"));
    // The default object was cloned, not written.
    EXPECT_EQ(clip.myProperty.GetValue<ClipValue>().GetReferenceCount(), 1u);
    EXPECT_TRUE(ClipValue()->myClipPath.IsNull());
}

TEST_F(PropertyEditor, SpriteRowsEditSlotsSizeAndPivotOnAClone)
{
    EditedProperty sprite{Property(TypeOf<SpriteValue>()), "Sprite"};
    sprite.myProperty.GetValue<SpriteValue>().GetMutable().myTextures[2] = Id("textures/mat.dds");
    const Property shared = sprite.myProperty;
    const auto rows = sprite.Rows();

    // The first ".dds" target from the top is the colour slot.
    ASSERT_TRUE(myImGui.DropPayload(rows, ".dds", "textures/color.dds"));
    EXPECT_EQ(sprite.myChangeCount, 1);
    EXPECT_EQ(sprite.myProperty.GetValue<SpriteValue>()->myTextures[0], Id("textures/color.dds"));
    EXPECT_TRUE(shared.GetValue<SpriteValue>()->myTextures[0].IsNull());

    const auto clearMaterial = myImGui.FindItem(rows, {"Sprite", 2, "Clear"});
    ASSERT_TRUE(clearMaterial.has_value());
    myImGui.Click(rows, *clearMaterial);
    EXPECT_EQ(sprite.myChangeCount, 2);
    EXPECT_TRUE(sprite.myProperty.GetValue<SpriteValue>()->myTextures[2].IsNull());
    EXPECT_EQ(shared.GetValue<SpriteValue>()->myTextures[2], Id("textures/mat.dds"));

    const auto sizeX = myImGui.FindItem(rows, {"Sprite", "##size", 0, ""});
    const auto pivotY = myImGui.FindItem(rows, {"Sprite", "##pivot", 1, ""});
    ASSERT_TRUE(sizeX.has_value());
    ASSERT_TRUE(pivotY.has_value());
    EXPECT_GT(pivotY->y, sizeX->y);
    myImGui.Drag(rows, *sizeX, ImVec2(-20.0f, 0.0f));
    myImGui.Drag(rows, *pivotY, ImVec2(4.0f, 0.0f));
    EXPECT_EQ(sprite.myChangeCount, 4);
    EXPECT_EQ(sprite.myProperty.GetValue<SpriteValue>()->mySize, Kiln::Vector2<float>(80.0f, 100.0f));
    EXPECT_EQ(sprite.myProperty.GetValue<SpriteValue>()->myPivot, Kiln::Vector2<float>(0.5f, 4.5f));
    EXPECT_EQ(shared.GetValue<SpriteValue>()->mySize, Kiln::Vector2<float>(100.0f, 100.0f));
    EXPECT_EQ(shared.GetValue<SpriteValue>().GetReferenceCount(), 1u);
}

TEST_F(PropertyEditor, WithoutALabelPathRowsShowOnlyTheirPath)
{
    Property sprite(TypeOf<SpriteValue>());
    Property model(TypeOf<ModelValue>());
    model.GetValue<ModelValue>().GetMutable().myPath = Id("models/one.fbx");
    Kiln::gEditorModelLookup = &LookUpTestModels;
    bool changed = false;
    const auto rows = [&] {
        ImGui::TableNextRow();
        ImGui::TableSetColumnIndex(1);
        changed |= sprite.GetType()->DrawEditor(sprite.GetData(), nullptr, nullptr);
        changed |= model.GetType()->DrawEditor(model.GetData(), nullptr, nullptr);
    };
    EXPECT_FALSE(myImGui.FindItem(rows, {"Clear"}).has_value());
    EXPECT_FALSE(myImGui.FindItem(rows, {"Textures"}).has_value());
    EXPECT_FALSE(myImGui.DropPayload(rows, ".dds", "textures/x.dds"));
    EXPECT_FALSE(changed);
}

TEST_F(PropertyEditor, AModelWithOneMeshEditsItsTextureSlotsDirectly)
{
    Kiln::gAssetBrowserHook = &SelectInBrowser;
    theBrowserSelection = Id("textures/normal.dds");

    EditedProperty hero{Property(TypeOf<ModelValue>()), "Hero"};
    const auto rows = hero.Rows();
    // No path, no tree.
    EXPECT_FALSE(myImGui.FindItem(rows, {"Hero", "Textures"}).has_value());

    ASSERT_TRUE(myImGui.DropPayload(rows, ".fbx", "models/one.fbx"));
    EXPECT_EQ(hero.myProperty.GetValue<ModelValue>()->myPath, Id("models/one.fbx"));
    // Without the model factory's lookup there is nothing to show textures of.
    EXPECT_FALSE(myImGui.FindItem(rows, {"Hero", "Textures"}).has_value());

    Kiln::gEditorModelLookup = &LookUpTestModels;
    const auto tree = myImGui.FindItem(rows, {"Hero", "Textures"});
    ASSERT_TRUE(tree.has_value());
    EXPECT_FALSE(myImGui.FindItem(rows, {"Hero", "Textures", 0, 1, "Set From AssetBrowser"}).has_value());
    myImGui.Click(rows, *tree);

    const Property shared = hero.myProperty;
    const auto setNormal = myImGui.FindItem(rows, {"Hero", "Textures", 0, 1, "Set From AssetBrowser"});
    ASSERT_TRUE(setNormal.has_value());
    myImGui.Click(rows, *setNormal);
    EXPECT_EQ(hero.myChangeCount, 2);
    EXPECT_EQ(hero.myProperty.GetValue<ModelValue>()->myTextures[0][1], Id("textures/normal.dds"));
    EXPECT_TRUE(shared.GetValue<ModelValue>()->myTextures[0][1].IsNull());
    EXPECT_EQ(hero.myProperty.GetValue<ModelValue>()->myPath, Id("models/one.fbx"));
}

TEST_F(PropertyEditor, AModelWithManyMeshesShowsFourMeshNodes)
{
    Kiln::gEditorModelLookup = &LookUpTestModels;
    EditedProperty boss{Property(TypeOf<ModelValue>()), "Boss"};
    boss.myProperty.GetValue<ModelValue>().GetMutable().myPath = Id("models/six.fbx");
    boss.myProperty.GetValue<ModelValue>().GetMutable().myTextures[1][3] = Id("textures/fx.dds");
    const auto rows = boss.Rows();

    const auto tree = myImGui.FindItem(rows, {"Boss", "Textures"});
    ASSERT_TRUE(tree.has_value());
    myImGui.Click(rows, *tree);
    EXPECT_TRUE(myImGui.FindItem(rows, {"Boss", "Textures", 3, "Arms"}).has_value());
    EXPECT_FALSE(myImGui.FindItem(rows, {"Boss", "Textures", 4, ""}).has_value());

    const auto body = myImGui.FindItem(rows, {"Boss", "Textures", 1, "Body"});
    ASSERT_TRUE(body.has_value());
    myImGui.Click(rows, *body);
    const auto clearEffects = myImGui.FindItem(rows, {"Boss", "Textures", 1, "Body", 3, "Clear"});
    ASSERT_TRUE(clearEffects.has_value());
    myImGui.Click(rows, *clearEffects);
    EXPECT_EQ(boss.myChangeCount, 1);
    EXPECT_TRUE(boss.myProperty.GetValue<ModelValue>()->myTextures[1][3].IsNull());
}
