#include "SceneLoader.h"

#include "EngineAccess.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/model/ModelFactory.h"
#include "forge/properties/CopyOnWriteWrapper.h"
#include "forge/properties/PropertyType.h"
#include "forge/properties/SceneModel.h"
#include "forge/scene/GameAssetsRoot.h"
#include "forge/scene/ObjectDefinitionManager.h"
#include "forge/scene/SceneSerialize.h"
#include "forge/settings/Settings.h"
#include "forge/texture/TextureManager.h"

#include "Platform/runtime/Paths.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace
{
    constexpr const char* LOADING_BACKGROUND = SceneLoader::LOADING_SCREEN_TEXTURES[0];
    constexpr const char* LOADING_MOTH = SceneLoader::LOADING_SCREEN_TEXTURES[1];
    constexpr int32_t LOAD_ALL_BUDGET = 10000;

    template <typename T>
    bool Holds(const Kiln::PropertyDefinition& aProperty)
    {
        return aProperty.myType == &Kiln::PropertyType<T>::GetInstance();
    }

    // The four overrides come from the first (colour) path of mesh entries 0 to 3, one per
    // texture slot: albedo, normal, material, effects.
    void OverrideTextures(const Kiln::SceneModel& aModel, Kiln::TextureSet& aSet)
    {
        for (std::size_t slot = 0; slot < aSet.size(); ++slot)
        {
            const Kiln::StringId path = aModel.myTextures[slot][0];
            if (!path.IsNull())
                aSet[slot] = GetColourTexture(path.GetString());
        }
    }
}

SceneLoader::SceneLoader(const char* aScenePath)
    : myDefinitions(std::make_unique<Kiln::ObjectDefinitionManager>()), myScenePath(aScenePath != nullptr ? aScenePath : "")
{
}

SceneLoader::~SceneLoader() = default;

std::vector<CustomSceneObject> SceneLoader::LoadSome(int32_t aBudget)
{
    std::vector<CustomSceneObject> result;
    int32_t used = 0;
    if (myState == STATE_IDLE)
    {
        myState = STATE_REQUESTED;
        return result;
    }
    if (myState == STATE_REQUESTED)
    {
        BeginLoad();
        used = BEGIN_LOAD_COST;
    }
    if (myState != STATE_LOADING || used >= aBudget)
        return result;

    while (true)
    {
        if (myQueue.empty())
        {
            myState = STATE_DONE;
            return result;
        }
        const std::shared_ptr<Kiln::SceneObject> object = std::move(myQueue.front());
        myQueue.pop_front();
        result.push_back(Convert(*object));
        if (++used >= aBudget)
            return result;
    }
}

std::vector<CustomSceneObject> SceneLoader::LoadAll()
{
    BeginLoad();
    std::vector<CustomSceneObject> records = LoadSome(LOAD_ALL_BUDGET);
    ReportLeftOut();
    return records;
}

void SceneLoader::ReportLeftOut()
{
    for (const std::string& line : myLeftOutLines)
        std::fprintf(stderr, "%s\n", line.c_str());
    myLeftOutLines.clear();
}

void SceneLoader::BeginLoad()
{
    float width = 0.0f;
    float height = 0.0f;
    if (const Kiln::Engine* engine = Kiln::Engine::GetInstance())
    {
        width = static_cast<float>(engine->GetRenderSize().x);
        height = static_cast<float>(engine->GetRenderSize().y);
    }

    myBackgroundSharedData.myTextures[0] = GetColourTexture(LOADING_BACKGROUND);
    myBackgroundInstance.mySize = {width, height};
    myBackgroundInstance.myPivot = {0.0f, 1.0f};
    myBackgroundInstance.myPosition = {0.0f, 0.0f};

    myMoth.SetTexture(GetColourTexture(LOADING_MOTH));
    myMoth.SetPivot({1.0f, 1.0f});
    myMoth.SetScale({0.00075f * height, 0.00075f * height});
    myMoth.SetPosition({width - 0.1f * height, 0.1f * height});
    myMoth.SetRowsAndColumns(8, 8);
    myMoth.SetFrames(14);
    myMoth.SetFrameRate(30.0f);

    // A folder that is missing, or that is there but cannot be listed, loads empty;
    // FindFolderProblem says which.
    if (Plat::Runtime::FolderProblem(SceneFolder()).empty())
        Kiln::LoadScene(myScenePath.c_str(), myScene);
    else
        myScene.myObjects.clear();
    myDefinitions->LoadDefinitions(Kiln::impl::GetGameAssetsPath().string().c_str());

    myQueue.clear();
    for (const auto& [index, object] : myScene.myObjects)
        myQueue.push_back(object);
    myState = STATE_LOADING;
}

std::filesystem::path SceneLoader::SceneFolder() const
{
    // Where the scene reader looks: "<game assets>/<scene path>.leveldata".
    std::filesystem::path folder = Kiln::impl::GetGameAssetsPath() / Plat::Runtime::ToPortableSeparators(myScenePath);
    folder += ".leveldata";
    return Plat::Runtime::ResolveCase(folder);
}

std::string SceneLoader::FindFolderProblem() const
{
    const std::filesystem::path folder = SceneFolder();
    const std::string problem = Plat::Runtime::FolderProblem(folder);
    if (problem.empty())
        return {};
    return "\"" + folder.string() + "\" " + problem;
}

void SceneLoader::UpdateLoadingScreen(float aDeltaTime)
{
    myMoth.Update(aDeltaTime);
}

void SceneLoader::RenderLoadingScreen()
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine == nullptr || engine->GetGraphicsEngine() == nullptr || engine->GetGraphicsEngine()->GetSpriteDrawer() == nullptr)
        return;
    Kiln::SpriteDrawer& drawer = *engine->GetGraphicsEngine()->GetSpriteDrawer();
    {
        Kiln::SpriteBatchScope batch = drawer.BeginBatch(myBackgroundSharedData);
        batch.Draw(myBackgroundInstance);
    }
    myMoth.Render(drawer);
}

CustomSceneObject SceneLoader::Convert(const Kiln::SceneObject& anObject)
{
    myMergedProperties.clear();
    Kiln::MergeObjectDefinitionProperties(anObject, *myDefinitions, myMergedProperties);

    CustomSceneObject record;
    record.myName = anObject.myName;
    record.myObjectDefinition = anObject.myObjectDefinition;
    record.myPosition = anObject.myTransform.myTranslation;
    record.myScale = anObject.myTransform.myScale;
    record.myRotation = anObject.myTransform.myRotation;
    record.myTransform = CustomSceneObject::ComputeTransform(record.myRotation, record.myScale, record.myPosition);
    record.myScenePath = myScenePath;
    record.myFile = anObject.myFile;
    if (const Kiln::ObjectDefinition* definition = myDefinitions->GetObjectDefinition(anObject.myObjectDefinition))
        record.myDefinitionFile = (Kiln::impl::GetGameAssetsPath() / Plat::Runtime::ToPortableSeparators(definition->myPath)).string();
    else
        record.myDefinitionNotFound = !anObject.myObjectDefinition.IsNull();

    for (const Kiln::PropertyDefinition& property : myMergedProperties)
    {
        std::string key = property.myName.GetString();
        const Kiln::Property& value = property.myValue;
        CustomProperty converted;
        if (Holds<float>(property))
            converted = value.GetValue<float>();
        else if (Holds<int32_t>(property))
            converted = value.GetValue<int32_t>();
        else if (Holds<bool>(property))
            converted = value.GetValue<bool>();
        else if (Holds<Kiln::Vector2<float>>(property))
            converted = value.GetValue<Kiln::Vector2<float>>();
        else if (Holds<Kiln::Vector3<float>>(property))
            converted = value.GetValue<Kiln::Vector3<float>>();
        else if (Holds<Kiln::Vector4<float>>(property))
            converted = value.GetValue<Kiln::Vector4<float>>();
        else if (Holds<Kiln::Color>(property))
            converted = value.GetValue<Kiln::Color>();
        else if (Holds<Kiln::StringId>(property))
            converted = value.GetValue<Kiln::StringId>();
        else if (Holds<Kiln::CopyOnWriteWrapper<Kiln::SceneSprite>>(property))
            converted = value.GetValue<Kiln::CopyOnWriteWrapper<Kiln::SceneSprite>>().Get();
        else if (Holds<Kiln::CopyOnWriteWrapper<Kiln::SceneModel>>(property))
        {
            const Kiln::SceneModel& model = value.GetValue<Kiln::CopyOnWriteWrapper<Kiln::SceneModel>>().Get();
            if (model.myPath.IsNull())
                continue;
            const std::string path = model.myPath.GetString();
            Kiln::ModelFactory& factory = Kiln::ModelFactory::GetInstance();
            std::string lost;
            if (Kiln::Settings::ResolveAssetPath(path).empty())
                lost = "the model file \"" + path + "\" is not found";
            else if (!factory.GetModel(path, Kiln::ModelFactory::FailureLine::Hold))
                lost = "model \"" + path + "\": " + factory.GetLastFailure();
            if (!lost.empty())
            {
                // The key is left out. A reader that needs it refuses the object, which says
                // why; otherwise ReportLeftOut does, once per file.
                if (myReportedModels.insert(path).second)
                    myLeftOutLines.push_back(record.Describe("key \"" + key + "\": " + lost));
                record.myLeftOut.insert_or_assign(std::move(key), std::move(lost));
                continue;
            }

            if (key == "animodel")
            {
                AnimatedModelRecord animated;
                animated.GetInstance() = factory.GetAnimatedModelInstance(path);
                animated.GetInstance().SetTransform(record.myTransform);
                // Without joints the instance gets no model; without a clip the player has none.
                if (animated.GetInstance().GetModel())
                    animated.GetPlayer() = factory.GetAnimationPlayer(path, animated.GetInstance().GetModel());
                if (!animated.GetInstance().GetModel() || !animated.GetPlayer().GetAnimation())
                {
                    throw ContentError(record.Describe("key \"animodel\": the model \"" + path +
                                                       "\" has no skeleton or no animation to play"));
                }
                const std::size_t meshCount = animated.GetInstance().GetModel()->GetMeshes().size();
                Kiln::TextureSets& sets = animated.GetInstance().GetTextureSets();
                for (std::size_t mesh = 0; mesh < meshCount && mesh < sets.size(); ++mesh)
                    OverrideTextures(model, sets[mesh]);
                converted = std::move(animated);
            }
            else
            {
                Kiln::ModelInstance instance = factory.GetModelInstance(path);
                instance.SetTransform(record.myTransform);
                const std::size_t meshCount = instance.GetModel()->GetMeshes().size();
                Kiln::TextureSets& sets = instance.GetTextureSets();
                for (std::size_t mesh = 0; mesh < meshCount && mesh < sets.size(); ++mesh)
                    OverrideTextures(model, sets[mesh]);
                converted = std::move(instance);
            }
        }
        else
        {
            // "Scene", "Animation Clip", "Pose" and untyped properties are not for the game.
            continue;
        }
        record.myProperties.insert_or_assign(std::move(key), std::move(converted));
    }
    return record;
}
