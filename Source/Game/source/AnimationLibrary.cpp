#include "AnimationLibrary.h"

#include "ContentError.h"
#include "SceneLoader.h"

#include "forge/engine/Engine.h"
#include "forge/properties/SceneSprite.h"
#include "forge/texture/TextureManager.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace
{
    bool IsDefinition(const CustomSceneObject& aRecord, const char* aName)
    {
        return std::strcmp(aRecord.myObjectDefinition.GetString(), aName) == 0;
    }

    Kiln::TextureResource* GetSheetTexture(const char* aPath)
    {
        Kiln::Engine* engine = Kiln::Engine::GetInstance();
        if (engine == nullptr || engine->GetTextureManager() == nullptr)
            return nullptr;
        return engine->GetTextureManager()->GetTexture(aPath, Kiln::TextureSrgbMode::ForceSrgb, false);
    }
}

AnimationLibrary& AnimationLibrary::Library()
{
    static AnimationLibrary library;
    return library;
}

AnimationLibrary* AnimationLibrary::GetInstance()
{
    AnimationLibrary& library = Library();
    library.LoadAll();
    return &library;
}

bool AnimationLibrary::LoadNextController()
{
    AnimationLibrary& library = Library();
    if (library.myLoadedCount >= std::size(CONTROLLER_PATHS))
        return false;
    library.LoadController(CONTROLLER_PATHS[library.myLoadedCount]);
    // Counted once it loaded: a controller that threw is read again on the next call.
    ++library.myLoadedCount;
    return true;
}

void AnimationLibrary::LoadAll()
{
    while (LoadNextController())
    {
    }
}

void AnimationLibrary::LoadController(const std::string& aPath)
{
    std::vector<CustomSceneObject> records;
    {
        SceneLoader loader(aPath.c_str());
        records = loader.LoadAll();
    }

    std::vector<const CustomSceneObject*> blocks;
    std::vector<const CustomSceneObject*> paths;
    std::vector<const CustomSceneObject*> sheets;
    for (const CustomSceneObject& record : records)
    {
        if (IsDefinition(record, "KOB_AnimationBlock"))
            blocks.push_back(&record);
        else if (IsDefinition(record, "KOB_AnimationPath"))
            paths.push_back(&record);
        else if (IsDefinition(record, "KOB_AnimationSheet"))
            sheets.push_back(&record);
    }

    AnimationControllerData& data = GetData(aPath);

    // Block id -> its state; the first block with an id keeps it.
    std::map<int32_t, AnimationController::Animation*> statesById;
    for (const CustomSceneObject* block : blocks)
    {
        AnimationController::Animation& state = data.myAnimations[block->myName];
        state.myName = block->myName;
        state.myId = block->Get<int32_t>("1. ID");
        state.myFramesPerSecond = block->Get<float>("2. FPS");
        state.myStartFrame = block->Get<int32_t>("3. Start");
        state.myEndFrame = block->Get<int32_t>("4. End");
        state.myLoop = block->Get<bool>("5. Loop");
        state.myWaitTransition = block->Get<bool>("6. Transition");
        state.mySheetId = block->Get<int32_t>("7. Sheet ID");
        // Refused here, where the block's file is known, rather than at the state's first frame.
        if (state.myLoop && state.myWaitTransition)
        {
            throw ContentError(
                block->Describe("keys \"5. Loop\" and \"6. Transition\" are both true; a state either loops or waits for its end frame"));
        }
        statesById.try_emplace(state.myId, &state);
    }

    for (const CustomSceneObject* path : paths)
    {
        const int32_t from = path->Get<int32_t>("From");
        const int32_t to = path->Get<int32_t>("To");
        const auto source = statesById.find(from);
        const auto target = statesById.find(to);
        // A path must join two blocks of this controller.
        if (source == statesById.end())
            throw ContentError(path->Describe("key \"From\" names no block id (" + std::to_string(from) + ")"));
        if (target == statesById.end())
            throw ContentError(path->Describe("key \"To\" names no block id (" + std::to_string(to) + ")"));
        source->second->myTransitions.push_back(target->second->myName);
    }

    for (const CustomSceneObject* sheet : sheets)
    {
        const Kiln::SceneSprite& sprite = sheet->Get<Kiln::SceneSprite>("1. SpriteSheet");
        const int32_t columns = sheet->Get<int32_t>("2. Columns");
        const int32_t rows = sheet->Get<int32_t>("3. Rows");
        const int32_t id = sheet->Get<int32_t>("4. ID");
        // Every controller copy builds a table of all cells: an empty or enormous grid is
        // refused here, not later at a level's start (or never, while the table is built).
        if (columns < 1 || rows < 1 || static_cast<int64_t>(columns) * rows > MAX_SHEET_CELLS)
        {
            throw ContentError(sheet->Describe("keys \"2. Columns\" and \"3. Rows\" give " + std::to_string(columns) + " x " +
                                               std::to_string(rows) + " cells; a sheet has 1 to " + std::to_string(MAX_SHEET_CELLS)));
        }
        Kiln::SpriteSharedData shared;
        shared.myTextures[0] = GetSheetTexture(sprite.myTextures[0].GetString());
        data.mySheets.try_emplace(id, shared);
        data.myGrids.try_emplace(id, columns, rows);
    }

    // Controllers build their cells for sheet ids 0 to N - 1 and play the sheet each state names.
    const int32_t sheetCount = static_cast<int32_t>(data.mySheets.size());
    for (const CustomSceneObject* sheet : sheets)
    {
        const int32_t id = sheet->Get<int32_t>("4. ID");
        if (id < 0 || id >= sheetCount)
        {
            throw ContentError(sheet->Describe("key \"4. ID\" is " + std::to_string(id) + "; sheet ids must run from 0 to " +
                                               std::to_string(sheetCount - 1) + " (one per sheet)"));
        }
    }
    for (const CustomSceneObject* block : blocks)
    {
        const int32_t id = block->Get<int32_t>("7. Sheet ID");
        if (data.mySheets.find(id) == data.mySheets.end())
            throw ContentError(block->Describe("key \"7. Sheet ID\" names no sheet (" + std::to_string(id) + ")"));
    }
}

AnimationControllerData& AnimationLibrary::GetData(std::string_view aPath)
{
    const auto found = myControllers.find(aPath);
    if (found != myControllers.end())
        return found->second;
    return myControllers.emplace(std::string(aPath), AnimationControllerData()).first->second;
}

const AnimationControllerData* AnimationLibrary::FindData(std::string_view aPath) const
{
    const auto found = myControllers.find(aPath);
    return found != myControllers.end() ? &found->second : nullptr;
}

void AnimationLibrary::Unload(std::string_view aPath)
{
    const auto found = myControllers.find(aPath);
    if (found != myControllers.end())
        myControllers.erase(found);
}
