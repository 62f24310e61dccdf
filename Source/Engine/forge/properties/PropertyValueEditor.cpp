#include "forge/properties/PropertyEditorHooks.h"
#include "forge/properties/PropertyValueEncoding.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <imgui.h>

#include <algorithm>
#include <cstring>
#include <string_view>

// The editor rows: each value is one row (or a few inner rows) of a two-column table that
// the caller has begun, label on the left, widget on the right. Widgets edit a copy; the
// value is written only when it really changed, so a pooled value is cloned (GetMutable)
// only for a real edit.
namespace Kiln
{
    AssetBrowserHook gAssetBrowserHook = nullptr;
    EditorModelLookup gEditorModelLookup = nullptr;
}

namespace Kiln::impl
{
    namespace
    {
        // Shared by every StringId row, which makes the rows non-reentrant.
        char theStringIdBuffer[256];

        constexpr const char* HELP_ICON = "\xEE\x82\x82";
        constexpr float HELP_WRAP_IN_FONT_SIZES = 35.0f;

        const char* PathText(StringId aPath)
        {
            return aPath.IsNull() ? "None" : aPath.GetString();
        }

        void BeginRow(bool anInner)
        {
            ImGui::TableNextRow();
            ImGui::TableSetColumnIndex(0);
            if (!anInner)
            {
                ImGui::Separator();
            }
            ImGui::AlignTextToFramePadding();
        }

        // Moves to the value column, where the next widget fills the cell; EndCell balances it.
        void EndRow(bool anInner)
        {
            ImGui::TableSetColumnIndex(1);
            if (!anInner)
            {
                ImGui::Separator();
            }
            ImGui::PushItemWidth(-1.0f);
        }

        void EndCell()
        {
            ImGui::PopItemWidth();
        }

        void HelpMarker(const char* aDescription)
        {
            ImGui::SameLine();
            ImGui::TextDisabled("%s", HELP_ICON);
            if (ImGui::IsItemHovered())
            {
                ImGui::BeginTooltip();
                ImGui::PushTextWrapPos(ImGui::GetFontSize() * HELP_WRAP_IN_FONT_SIZES);
                ImGui::TextUnformatted(aDescription);
                ImGui::PopTextWrapPos();
                ImGui::EndTooltip();
            }
        }

        // The labelled row every editor starts with: the label (with its help marker) on
        // the left, the value cell ready on the right, and the label pushed as an id.
        // Without a label nothing is drawn and the widget stands alone.
        class LabelRow
        {
        public:
            LabelRow(const char* aLabel, const char* aDescription) : myHasLabel(aLabel != nullptr)
            {
                if (!myHasLabel)
                {
                    return;
                }
                BeginRow(false);
                ImGui::TextUnformatted(aLabel);
                if (aDescription != nullptr && aDescription[0] != '\0')
                {
                    HelpMarker(aDescription);
                }
                EndRow(false);
                ImGui::PushID(aLabel);
            }

            ~LabelRow()
            {
                if (myHasLabel)
                {
                    ImGui::PopID();
                    EndCell();
                }
            }

            LabelRow(const LabelRow&) = delete;
            LabelRow& operator=(const LabelRow&) = delete;

        private:
            bool myHasLabel;
        };

        // A scalar row: the widget edits a copy, and the row reports a change only when the
        // widget reports an edit and the value differs from the one before the row.
        template <typename T, typename Widget>
        bool ScalarRow(T& aValue, const char* aLabel, const char* aDescription, Widget&& aWidget)
        {
            LabelRow row(aLabel, aDescription);
            T edited = aValue;
            if (!aWidget(edited) || edited == aValue)
            {
                return false;
            }
            aValue = edited;
            return true;
        }

        StringId InternPayload(const ImGuiPayload& aPayload)
        {
            if (aPayload.Data == nullptr || aPayload.DataSize <= 0)
            {
                return StringId();
            }
            const char* text = static_cast<const char*>(aPayload.Data);
            // The payload need not be terminated: never read past its size.
            return StringRegistry::RegisterOrGetString(std::string_view(text, strnlen(text, static_cast<std::size_t>(aPayload.DataSize))));
        }

        // The path text (or "None") as a drop target for one payload type; a drop always
        // stores and reports a change.
        template <typename Get, typename Set>
        bool PathDropTarget(const char* aPayloadType, Get&& aGet, Set&& aSet)
        {
            ImGui::TextUnformatted(PathText(aGet()));
            bool changed = false;
            if (ImGui::BeginDragDropTarget())
            {
                if (const ImGuiPayload* payload = ImGui::AcceptDragDropPayload(aPayloadType))
                {
                    aSet(InternPayload(*payload));
                    changed = true;
                }
                ImGui::EndDragDropTarget();
            }
            return changed;
        }

        // "Set From AssetBrowser" (only while the hook is set; a change only when the
        // browser's path differs) and "Clear" (a change only when a path was set).
        template <typename Get, typename Set>
        bool AssetButtons(Get&& aGet, Set&& aSet)
        {
            bool changed = false;
            if (gAssetBrowserHook != nullptr)
            {
                if (ImGui::Button("Set From AssetBrowser"))
                {
                    StringId selected;
                    gAssetBrowserHook(selected);
                    if (selected != aGet())
                    {
                        aSet(selected);
                        changed = true;
                    }
                }
                ImGui::SameLine();
            }
            if (ImGui::Button("Clear") && !aGet().IsNull())
            {
                aSet(StringId());
                changed = true;
            }
            return changed;
        }

        // The path block of Scene, Animation Clip and Model rows: an inner "Path" row with
        // the drop target, and an inner row with the buttons.
        template <typename Get, typename Set>
        bool PathBlock(const char* aPayloadType, Get&& aGet, Set&& aSet)
        {
            BeginRow(true);
            ImGui::Indent();
            ImGui::TextUnformatted("Path");
            ImGui::Unindent();
            EndRow(true);
            bool changed = PathDropTarget(aPayloadType, aGet, aSet);
            EndCell();

            BeginRow(true);
            EndRow(true);
            changed |= AssetButtons(aGet, aSet);
            EndCell();
            return changed;
        }

        // One texture slot: an inner row with the slot label and the ".dds" drop target,
        // and an inner row with the buttons, under the slot index as id.
        template <typename Get, typename Set>
        bool TextureSlot(int anIndex, const char* aSlotLabel, Get&& aGet, Set&& aSet)
        {
            ImGui::PushID(anIndex);
            BeginRow(true);
            ImGui::TextUnformatted(aSlotLabel);
            EndRow(true);
            bool changed = PathDropTarget(".dds", aGet, aSet);
            EndCell();

            BeginRow(true);
            EndRow(true);
            changed |= AssetButtons(aGet, aSet);
            EndCell();
            ImGui::PopID();
            return changed;
        }

        template <typename T>
        bool ReferenceRow(CopyOnWriteWrapper<T>& aValue, StringId T::*aPathMember, const char* aPayloadType,
                          const char* aLabel, const char* aDescription)
        {
            if (aLabel == nullptr)
            {
                ImGui::TextUnformatted(PathText(aValue.Get().*aPathMember));
                return false;
            }
            LabelRow row(aLabel, aDescription);
            return PathBlock(
                aPayloadType, [&] { return aValue.Get().*aPathMember; },
                [&](StringId aPath) { aValue.GetMutable().*aPathMember = aPath; });
        }

        bool ModelMeshSlots(CopyOnWriteWrapper<SceneModel>& aValue, int aMesh)
        {
            static constexpr const char* slotLabels[SceneModel::TEXTURE_SLOT_COUNT] = {"[0] Color", "[1] Normal",
                                                                                     "[2] Material", "[3] Effects"};
            bool changed = false;
            for (int slot = 0; slot < SceneModel::TEXTURE_SLOT_COUNT; ++slot)
            {
                changed |= TextureSlot(
                    slot, slotLabels[slot], [&] { return aValue.Get().myTextures[aMesh][slot]; },
                    [&](StringId aPath) { aValue.GetMutable().myTextures[aMesh][slot] = aPath; });
            }
            return changed;
        }

        // The texture overrides of the property value, per mesh of the model at its path.
        bool ModelTextureTree(CopyOnWriteWrapper<SceneModel>& aValue)
        {
            const StringId path = aValue.Get().myPath;
            EditorModelView model;
            if (path.IsNull() || gEditorModelLookup == nullptr || !gEditorModelLookup(path, model))
            {
                return false;
            }
            BeginRow(true);
            const bool open = ImGui::TreeNode("Textures");
            EndRow(true);
            EndCell();
            if (!open)
            {
                return false;
            }
            bool changed = false;
            const int meshCount = std::clamp(model.myMeshCount, 0, SceneModel::MESH_SLOT_COUNT);
            if (meshCount == 1)
            {
                ImGui::PushID(0);
                changed |= ModelMeshSlots(aValue, 0);
                ImGui::PopID();
            }
            else
            {
                for (int mesh = 0; mesh < meshCount; ++mesh)
                {
                    ImGui::PushID(mesh);
                    const char* name = model.myMeshNames[mesh] != nullptr ? model.myMeshNames[mesh] : "";
                    BeginRow(true);
                    const bool meshOpen = ImGui::TreeNode(name);
                    EndRow(true);
                    EndCell();
                    if (meshOpen)
                    {
                        changed |= ModelMeshSlots(aValue, mesh);
                        ImGui::TreePop();
                    }
                    ImGui::PopID();
                }
            }
            ImGui::TreePop();
            return changed;
        }

        // Vectors and colours are edited as their N consecutive floats.
        template <typename Vector, std::size_t N, typename Drag>
        bool FloatsRow(Vector& aValue, const char* aLabel, const char* aDescription, Drag&& aDrag)
        {
            static_assert(sizeof(Vector) == N * sizeof(float));
            return ScalarRow(aValue, aLabel, aDescription, [&](Vector& anEdited) {
                float values[N];
                std::memcpy(values, &anEdited, sizeof(values));
                const bool edited = aDrag(values);
                std::memcpy(&anEdited, values, sizeof(values));
                return edited;
            });
        }

        // A Vector2 drag in an inner row of its own ("Size", "Pivot" of a sprite).
        bool SpriteVectorRow(CopyOnWriteWrapper<SceneSprite>& aValue, const char* aRowLabel, const char* aWidgetId,
                             Vector2<float> SceneSprite::*aMember)
        {
            BeginRow(true);
            ImGui::TextUnformatted(aRowLabel);
            EndRow(true);
            const Vector2<float> before = aValue.Get().*aMember;
            float values[2] = {before.x, before.y};
            const bool edited = ImGui::DragFloat2(aWidgetId, values, 1.0f, 0.0f, 0.0f, "%.3f");
            EndCell();
            const Vector2<float> after(values[0], values[1]);
            if (!edited || after == before)
            {
                return false;
            }
            aValue.GetMutable().*aMember = after;
            return true;
        }
    }

    bool DrawValueEditor(CopyOnWriteWrapper<SceneModel>& aValue, const char* aLabel, const char* aDescription)
    {
        if (aLabel == nullptr)
        {
            ImGui::TextUnformatted(PathText(aValue.Get().myPath));
            return false;
        }
        LabelRow row(aLabel, aDescription);
        bool changed = PathBlock(
            ".fbx", [&] { return aValue.Get().myPath; }, [&](StringId aPath) { aValue.GetMutable().myPath = aPath; });
        changed |= ModelTextureTree(aValue);
        return changed;
    }

    bool DrawValueEditor(CopyOnWriteWrapper<SceneSprite>& aValue, const char* aLabel, const char* aDescription)
    {
        if (aLabel == nullptr)
        {
            ImGui::TextUnformatted(PathText(aValue.Get().myTextures[0]));
            return false;
        }
        static constexpr const char* slotLabels[SceneSprite::TEXTURE_SLOT_COUNT] = {
            "[0] Color Texture", "[1] Normal Texture", "[2] Material Texture", "[3] Effects Texture"};
        LabelRow row(aLabel, aDescription);
        bool changed = false;
        for (int slot = 0; slot < SceneSprite::TEXTURE_SLOT_COUNT; ++slot)
        {
            changed |= TextureSlot(
                slot, slotLabels[slot], [&] { return aValue.Get().myTextures[slot]; },
                [&](StringId aPath) { aValue.GetMutable().myTextures[slot] = aPath; });
        }
        changed |= SpriteVectorRow(aValue, "Size", "##size", &SceneSprite::mySize);
        changed |= SpriteVectorRow(aValue, "Pivot", "##pivot", &SceneSprite::myPivot);
        return changed;
    }

    bool DrawValueEditor(CopyOnWriteWrapper<SceneReference>& aValue, const char* aLabel, const char* aDescription)
    {
        return ReferenceRow(aValue, &SceneReference::myScenePath, ".ksc", aLabel, aDescription);
    }

    bool DrawValueEditor(CopyOnWriteWrapper<AnimationClipReference>& aValue, const char* aLabel, const char* aDescription)
    {
        return ReferenceRow(aValue, &AnimationClipReference::myClipPath, ".kacl", aLabel, aDescription);
    }

    bool DrawValueEditor(PoseAndMotion&, const char* aLabel, const char* aDescription)
    {
        if (aLabel == nullptr)
        {
            ImGui::TextUnformatted("Pose");
            return false;
        }
        LabelRow row(aLabel, aDescription);
        return false;
    }

    bool DrawValueEditor(bool& aValue, const char* aLabel, const char* aDescription)
    {
        return ScalarRow(aValue, aLabel, aDescription, [](bool& anEdited) { return ImGui::Checkbox("##", &anEdited); });
    }

    bool DrawValueEditor(std::int32_t& aValue, const char* aLabel, const char* aDescription)
    {
        return ScalarRow(aValue, aLabel, aDescription, [](std::int32_t& anEdited) {
            int value = anEdited;
            const bool edited = ImGui::DragInt("##", &value, 1.0f, 0, 0, "%d");
            anEdited = value;
            return edited;
        });
    }

    bool DrawValueEditor(float& aValue, const char* aLabel, const char* aDescription)
    {
        return ScalarRow(aValue, aLabel, aDescription,
                         [](float& anEdited) { return ImGui::DragFloat("##", &anEdited, 1.0f, 0.0f, 0.0f, "%.3f"); });
    }

    bool DrawValueEditor(Vector2<float>& aValue, const char* aLabel, const char* aDescription)
    {
        return FloatsRow<Vector2<float>, 2>(aValue, aLabel, aDescription, [](float* someValues) {
            return ImGui::DragFloat2("##", someValues, 1.0f, 0.0f, 0.0f, "%.3f");
        });
    }

    bool DrawValueEditor(Vector3<float>& aValue, const char* aLabel, const char* aDescription)
    {
        return FloatsRow<Vector3<float>, 3>(aValue, aLabel, aDescription, [](float* someValues) {
            return ImGui::DragFloat3("##", someValues, 1.0f, 0.0f, 0.0f, "%.3f");
        });
    }

    bool DrawValueEditor(Vector4<float>& aValue, const char* aLabel, const char* aDescription)
    {
        return FloatsRow<Vector4<float>, 4>(aValue, aLabel, aDescription, [](float* someValues) {
            return ImGui::DragFloat4("##", someValues, 1.0f, 0.0f, 0.0f, "%.3f");
        });
    }

    bool DrawValueEditor(Color& aValue, const char* aLabel, const char* aDescription)
    {
        return FloatsRow<Color, 4>(aValue, aLabel, aDescription, [](float* someValues) {
            return ImGui::ColorEdit4("##", someValues, ImGuiColorEditFlags_Float);
        });
    }

    bool DrawValueEditor(StringId& aValue, const char* aLabel, const char* aDescription)
    {
        LabelRow row(aLabel, aDescription);
        const std::string_view text = aValue.GetView();
        const std::size_t length = std::min(text.size(), sizeof(theStringIdBuffer) - 1);
        if (length > 0)
        {
            std::memcpy(theStringIdBuffer, text.data(), length);
        }
        theStringIdBuffer[length] = '\0';
        if (!ImGui::InputText("##", theStringIdBuffer, sizeof(theStringIdBuffer)))
        {
            return false;
        }
        const StringId edited = StringRegistry::RegisterOrGetString(theStringIdBuffer);
        if (edited == aValue)
        {
            return false;
        }
        aValue = edited;
        return true;
    }
}
