#pragma once
// Base classes of the object model. Manager-level objects (scenes, importers, IO
// settings) belong to a Manager and are freed by Destroy or with the manager; the
// contents of a scene (nodes, meshes, materials, ...) belong to their scene.
#include "Platform/fbx/BufferPool.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Plat::Fbx
{
    class Manager;

    class Object
    {
    public:
        virtual ~Object() = default;
        Object(const Object&) = delete;
        Object& operator=(const Object&) = delete;

        const std::string& GetName() const { return myName; }
        Manager* GetManager() const { return myManager; }
        // Frees the object through its manager.
        void Destroy();

    protected:
        Object(Manager* aManager, std::string aName) : myManager(aManager), myName(std::move(aName)) {}

    private:
        Manager* myManager;
        std::string myName;
    };

    class Manager
    {
    public:
        static Manager* Create();
        // Frees every object created on the manager, then the manager.
        void Destroy();

        // Takes ownership of a new object and returns it.
        template <class T>
        T* Adopt(std::unique_ptr<T> anObject)
        {
            T* raw = anObject.get();
            myObjects.push_back(std::move(anObject));
            return raw;
        }
        void Release(const Object* anObject);
        size_t GetObjectCount() const { return myObjects.size(); }
        // Arrays the manager's imports leave behind for the next import.
        BufferPool& GetBufferPool() { return myPool; }

    private:
        Manager() = default;
        ~Manager() = default;

        BufferPool myPool; // outlives the objects, which give their arrays back to it
        std::vector<std::unique_ptr<Object>> myObjects;
    };

    // Anything a scene holds: named, with the unique id it had in the file.
    class SceneObject
    {
    public:
        virtual ~SceneObject() = default;
        SceneObject() = default;
        SceneObject(const SceneObject&) = delete;
        SceneObject& operator=(const SceneObject&) = delete;

        const std::string& GetName() const { return myName; }
        uint64_t GetUniqueID() const { return myId; }

        void SetName(std::string aName) { myName = std::move(aName); }
        void SetUniqueID(uint64_t anId) { myId = anId; }

    private:
        std::string myName;
        uint64_t myId = 0;
    };
}
