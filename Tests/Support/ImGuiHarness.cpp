#include "Support/ImGuiHarness.h"

#include <imgui_internal.h>

namespace KilnTest
{
    ImGuiHarness::ImGuiHarness()
    {
        myContext = ImGui::CreateContext();
        ImGui::SetCurrentContext(myContext);
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.LogFilename = nullptr;
        io.DisplaySize = ImVec2(DISPLAY_WIDTH, DISPLAY_HEIGHT);
        io.DeltaTime = 1.0f / 60.0f;
        io.KeyMap[ImGuiKey_Enter] = ImGuiKey_Enter;
        io.KeyMap[ImGuiKey_Backspace] = ImGuiKey_Backspace;
        unsigned char* pixels = nullptr;
        int width = 0;
        int height = 0;
        io.Fonts->GetTexDataAsAlpha8(&pixels, &width, &height);
        io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<std::intptr_t>(1)));
        // A first frame so that windows exist and hovering works from the next one.
        Frame([] {});
    }

    ImGuiHarness::~ImGuiHarness()
    {
        ImGui::DestroyContext(myContext);
    }

    void ImGuiHarness::Frame(const Rows& aRows)
    {
        ImGui::SetCurrentContext(myContext);
        ImGui::NewFrame();

        ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
        ImGui::SetNextWindowSize(ImVec2(TABLE_WINDOW_WIDTH, DISPLAY_HEIGHT));
        ImGui::Begin("Properties", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
        if (ImGui::BeginTable("PropertyTable", 2, ImGuiTableFlags_Resizable))
        {
            aRows();
            // A trailing row tells where the value column starts.
            ImGui::TableNextRow();
            ImGui::TableSetColumnIndex(1);
            myValueColumnX = ImGui::GetCursorScreenPos().x;
            ImGui::EndTable();
        }
        ImGui::End();

        if (myPayloadType != nullptr)
        {
            ImGui::SetNextWindowPos(ImVec2(TABLE_WINDOW_WIDTH + 20.0f, 20.0f));
            ImGui::SetNextWindowSize(ImVec2(150.0f, 100.0f));
            ImGui::Begin("Source", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
            ImGui::Button("drag me", ImVec2(100.0f, 40.0f));
            mySourceCentre = ImVec2((ImGui::GetItemRectMin().x + ImGui::GetItemRectMax().x) * 0.5f,
                                    (ImGui::GetItemRectMin().y + ImGui::GetItemRectMax().y) * 0.5f);
            if (ImGui::BeginDragDropSource(ImGuiDragDropFlags_SourceNoPreviewTooltip))
            {
                ImGui::SetDragDropPayload(myPayloadType, myPayload.c_str(), myPayload.size() + 1);
                ImGui::EndDragDropSource();
            }
            ImGui::End();
        }

        ImGui::Render();
    }

    void ImGuiHarness::SetMouse(ImVec2 aPosition, bool aLeftDown)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = aPosition;
        io.MouseDown[0] = aLeftDown;
    }

    void ImGuiHarness::TypeText(const std::string& aText)
    {
        for (const char character : aText)
            ImGui::GetIO().AddInputCharacter(static_cast<unsigned char>(character));
    }

    std::optional<ImVec2> ImGuiHarness::FindItem(const Rows& aRows, std::initializer_list<IdPart> aPath)
    {
        // Make the item the navigation target; when it is drawn next, ImGui records its
        // rectangle relative to the window.
        auto withProbe = [&] {
            aRows();
            ImGuiWindow* window = ImGui::GetCurrentWindow();
            int pushed = 0;
            ImGuiID id = 0;
            const IdPart* last = aPath.end() - 1;
            for (const IdPart* part = aPath.begin(); part != aPath.end(); ++part)
            {
                const bool isLast = part == last;
                if (const char* const* text = std::get_if<const char*>(part))
                {
                    if (isLast)
                    {
                        id = ImGui::GetID(*text);
                    }
                    else
                        ImGui::PushID(*text);
                }
                else
                {
                    const int number = std::get<int>(*part);
                    if (isLast)
                    {
                        id = window->GetID(number);
                    }
                    else
                        ImGui::PushID(number);
                }
                pushed += isLast ? 0 : 1;
            }
            for (int i = 0; i < pushed; ++i)
                ImGui::PopID();
            ImGui::SetFocusID(id, window);
        };
        Frame(withProbe);
        Frame(aRows);
        ImGuiContext& context = *myContext;
        if (context.NavWindow == nullptr || !context.NavIdIsAlive)
            return std::nullopt;
        const ImRect rect = context.NavWindow->NavRectRel[0];
        const ImVec2 origin = context.NavWindow->Pos;
        return ImVec2(origin.x + (rect.Min.x + rect.Max.x) * 0.5f, origin.y + (rect.Min.y + rect.Max.y) * 0.5f);
    }

    void ImGuiHarness::Click(const Rows& aRows, ImVec2 aPosition)
    {
        SetMouse(aPosition, false);
        Frame(aRows);
        SetMouse(aPosition, true);
        Frame(aRows);
        SetMouse(aPosition, false);
        Frame(aRows);
    }

    void ImGuiHarness::Drag(const Rows& aRows, ImVec2 aPosition, ImVec2 aDelta)
    {
        SetMouse(aPosition, false);
        Frame(aRows);
        SetMouse(aPosition, true);
        Frame(aRows);
        SetMouse(ImVec2(aPosition.x + aDelta.x, aPosition.y + aDelta.y), true);
        Frame(aRows);
        SetMouse(ImVec2(aPosition.x + aDelta.x, aPosition.y + aDelta.y), false);
        Frame(aRows);
    }

    bool ImGuiHarness::DropPayload(const Rows& aRows, const char* aType, const std::string& aText)
    {
        myPayloadType = aType;
        myPayload = aText;
        Frame(aRows);

        // Pick up the source and move past the drag threshold.
        SetMouse(mySourceCentre, false);
        Frame(aRows);
        SetMouse(mySourceCentre, true);
        Frame(aRows);
        SetMouse(ImVec2(mySourceCentre.x - 30.0f, mySourceCentre.y), true);
        Frame(aRows);

        bool dropped = false;
        for (float y = 2.0f; y < DISPLAY_HEIGHT && !dropped; y += 3.0f)
        {
            const ImVec2 position(myValueColumnX + 6.0f, y);
            SetMouse(position, true);
            Frame(aRows);
            if (myContext->DragDropAcceptIdCurr != 0)
            {
                SetMouse(position, false);
                Frame(aRows);
                dropped = true;
            }
        }
        if (!dropped)
        {
            SetMouse(ImVec2(1.0f, DISPLAY_HEIGHT - 1.0f), false);
            Frame(aRows);
        }
        myPayloadType = nullptr;
        Frame(aRows);
        return dropped;
    }

    bool ImGuiHarness::IsTooltipVisible() const
    {
        for (ImGuiWindow* window : myContext->Windows)
            if ((window->Flags & ImGuiWindowFlags_Tooltip) != 0 && window->Active)
                return true;
        return false;
    }
}
