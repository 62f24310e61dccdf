#pragma once
// A headless Dear ImGui context for testing editor rows: a built font atlas, a display
// size, and frames that draw a two-column table in a window covering the left of the
// display. Input is driven the 1.86 way: mouse position and buttons, key states,
// queued characters. A second window can act as a drag-and-drop source.
#include <imgui.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <variant>

namespace KilnTest
{
    class ImGuiHarness
    {
    public:
        using Rows = std::function<void()>;
        using IdPart = std::variant<const char*, int>;

        static constexpr float DISPLAY_WIDTH = 800.0f;
        static constexpr float DISPLAY_HEIGHT = 1000.0f;
        static constexpr float TABLE_WINDOW_WIDTH = 600.0f;

        ImGuiHarness();
        ~ImGuiHarness();
        ImGuiHarness(const ImGuiHarness&) = delete;
        ImGuiHarness& operator=(const ImGuiHarness&) = delete;

        // One frame with the current input; aRows runs inside the table.
        void Frame(const Rows& aRows);

        void SetMouse(ImVec2 aPosition, bool aLeftDown);
        void TypeText(const std::string& aText);

        // The centre of the item whose id is the chain aPath (pushed ids, then the item's
        // label) inside the table, or nothing when no such item is drawn. Uses two frames.
        std::optional<ImVec2> FindItem(const Rows& aRows, std::initializer_list<IdPart> aPath);

        // Presses and releases the left button over aPosition (three frames).
        void Click(const Rows& aRows, ImVec2 aPosition);
        // Presses at aPosition, moves by aDelta while held, releases (four frames). ImGui
        // floors mouse positions and ignores drags shorter than half its drag threshold (3 px).
        void Drag(const Rows& aRows, ImVec2 aPosition, ImVec2 aDelta);

        // Drags a payload of aType holding aText (terminator included) from the source window
        // and drops it on the first target in the table's value column that accepts aType,
        // scanning from the top. False when no target accepted it.
        bool DropPayload(const Rows& aRows, const char* aType, const std::string& aText);

        // Whether a tooltip window is showing after the last frame.
        bool IsTooltipVisible() const;

    private:
        ImGuiContext* myContext = nullptr;
        float myValueColumnX = 0.0f;
        const char* myPayloadType = nullptr;
        std::string myPayload;
        ImVec2 mySourceCentre = {0.0f, 0.0f};
    };
}
