#pragma once
// Opens an FBX file (binary or ASCII 7.x) and imports it into a scene. The whole
// file is read and checked by Initialize; Import builds the object graph.
#include "Platform/fbx/Document.h"
#include "Platform/fbx/Object.h"
#include "Platform/fbx/Status.h"

#include <optional>
#include <string>

namespace Plat::Fbx
{
    class IOSettings;
    class Scene;

    class Importer : public Object
    {
    public:
        // Null without a manager.
        static Importer* Create(Manager* aManager, const std::string& aName);
        ~Importer() override;

        // aFileFormat -1 detects the format. False (status set, naming the file) when
        // the file cannot be read or is not a well-formed FBX 7.x file.
        bool Initialize(const std::string& aPath, int aFileFormat = -1, IOSettings* someSettings = nullptr);
        bool IsFBX() const { return myDocument.has_value(); }
        // False (status set) when the file's objects are inconsistent: an index out of
        // range, arrays of mismatched lengths, a broken hierarchy.
        bool Import(Scene* aScene, bool aNonBlocking = false);

        const Status& GetStatus() const { return myStatus; }
        const std::string& GetFileName() const { return myPath; }
        // The version of the file (7400, 7500, ...) once initialised.
        uint32_t GetFileVersion() const { return myDocument ? myDocument->version : 0; }
        bool IsBinary() const { return myDocument && myDocument->binary; }

    private:
        using Object::Object;

        // Reads and parses the file at myPath into myDocument; false with the status set.
        bool ReadFile();
        // Gives the document's arrays to the manager's pool and drops the document.
        void ReleaseDocument();

        Status myStatus;
        std::string myPath;
        IOSettings* mySettings = nullptr;
        std::optional<Document> myDocument;
        // An import moves the large arrays out of the document into the scene; a second
        // import reads the file again.
        bool myArraysTaken = false;
    };
}
