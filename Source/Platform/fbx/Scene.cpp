#include "Platform/fbx/Scene.h"

#include <algorithm>

namespace Plat::Fbx
{
    Scene* Scene::Create(Manager* aManager, const std::string& aName)
    {
        if (aManager == nullptr)
            return nullptr;
        return aManager->Adopt(std::unique_ptr<Scene>(new Scene(aManager, aName)));
    }

    void Scene::IndexNodeNames()
    {
        myNodesByName.clear();
        // Depth first from the root, so the first match is the one a walk finds first;
        // nodes outside the tree come after, in file order.
        std::vector<Node*> stack;
        if (myRoot != nullptr)
            stack.push_back(myRoot);
        while (!stack.empty())
        {
            Node* node = stack.back();
            stack.pop_back();
            myNodesByName.try_emplace(node->GetName(), node);
            for (auto it = node->myChildren.rbegin(); it != node->myChildren.rend(); ++it)
                stack.push_back(*it);
        }
        for (Node* node : myNodes)
            myNodesByName.try_emplace(node->GetName(), node);
    }

    Node* Scene::FindNodeByName(std::string_view aName) const
    {
        const auto it = myNodesByName.find(std::string(aName));
        return it == myNodesByName.end() ? nullptr : it->second;
    }

    void Scene::SetCurrentAnimationStack(const AnimStack* aStack)
    {
        const auto it = std::find(myStacks.begin(), myStacks.end(), aStack);
        if (it != myStacks.end())
            myCurrentStack = static_cast<int>(it - myStacks.begin());
    }

    const TakeInfo* Scene::GetTakeInfo(std::string_view aStackName) const
    {
        for (const TakeInfo& take : myTakes)
            if (take.mName == aStackName)
                return &take;
        return nullptr;
    }

    bool Scene::ConnectMaterials()
    {
        bool connected = false;
        for (const auto& [mesh, material] : myMeshMaterials)
            for (Node* node : myNodes)
            {
                if (node->GetNodeAttribute() != mesh)
                    continue;
                auto& list = node->myMaterials;
                if (std::find(list.begin(), list.end(), material) == list.end())
                {
                    list.push_back(material);
                    connected = true;
                }
            }
        myMeshMaterials.clear();
        return connected;
    }
}
