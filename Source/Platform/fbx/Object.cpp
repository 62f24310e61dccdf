#include "Platform/fbx/Object.h"

#include <algorithm>

namespace Plat::Fbx
{
    void Object::Destroy()
    {
        if (myManager != nullptr)
            myManager->Release(this);
        else
            delete this;
    }

    Manager* Manager::Create()
    {
        return new Manager();
    }

    void Manager::Destroy()
    {
        // Later objects may refer to earlier ones (an importer to its settings).
        while (!myObjects.empty())
            myObjects.pop_back();
        delete this;
    }

    void Manager::Release(const Object* anObject)
    {
        const auto it = std::find_if(myObjects.begin(), myObjects.end(),
                                     [anObject](const std::unique_ptr<Object>& o) { return o.get() == anObject; });
        if (it != myObjects.end())
            myObjects.erase(it);
    }
}
