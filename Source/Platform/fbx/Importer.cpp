#include "Platform/fbx/Importer.h"

#include "Platform/fbx/BufferPool.h"
#include "Platform/fbx/FormatError.h"
#include "Platform/fbx/IOSettings.h"
#include "Platform/fbx/Scene.h"
#include "Platform/fbx/SceneBuilder.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>

namespace Plat::Fbx
{
    Importer* Importer::Create(Manager* aManager, const std::string& aName)
    {
        if (aManager == nullptr)
            return nullptr;
        return aManager->Adopt(std::unique_ptr<Importer>(new Importer(aManager, aName)));
    }

    Importer::~Importer()
    {
        ReleaseDocument();
    }

    void Importer::ReleaseDocument()
    {
        if (myDocument && GetManager() != nullptr)
            RecycleArrays(*myDocument, GetManager()->GetBufferPool());
        myDocument.reset();
        myArraysTaken = false;
    }

    bool Importer::Initialize(const std::string& aPath, int aFileFormat, IOSettings* someSettings)
    {
        myStatus.Clear();
        ReleaseDocument();
        myPath = aPath;
        mySettings = someSettings;
        if (aFileFormat != -1 && aFileFormat != 0)
        {
            myStatus.SetCode(Status::Code::InvalidParameter, "unknown file format " + std::to_string(aFileFormat));
            return false;
        }
        return ReadFile();
    }

    bool Importer::ReadFile()
    {
        BufferPool* pool = GetManager() != nullptr ? &GetManager()->GetBufferPool() : nullptr;
        std::FILE* file = std::fopen(myPath.c_str(), "rb");
        if (file == nullptr)
        {
            myStatus.SetCode(Status::Code::FileNotFound, "cannot open '" + myPath + "'");
            return false;
        }
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);
        // A folder opens, but its "size" is no size to allocate.
        std::error_code error;
        if (std::filesystem::is_directory(myPath, error))
        {
            myStatus.SetCode(Status::Code::FileCorrupted, "cannot read '" + myPath + "'");
            return false;
        }
        // One read of the whole file when its size is known, straight into the array (no
        // stream buffer); streams without a size are copied as they come.
        std::setvbuf(file, nullptr, _IONBF, 0);
        std::vector<char> bytes;
        long size = -1;
        if (std::fseek(file, 0, SEEK_END) == 0)
        {
            size = std::ftell(file);
            std::fseek(file, 0, SEEK_SET);
        }
        if (size > 0)
        {
            bytes = TakeToOverwriteFrom<char>(pool, static_cast<size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        }
        else
        {
            char chunk[16384];
            for (size_t got; (got = std::fread(chunk, 1, sizeof(chunk), file)) > 0;)
                bytes.insert(bytes.end(), chunk, chunk + got);
        }
        struct GiveBack
        {
            BufferPool* pool;
            std::vector<char>& bytes;
            ~GiveBack() { GiveTo(pool, bytes); }
        } giveBack{pool, bytes};
        if (std::ferror(file) != 0)
        {
            myStatus.SetCode(Status::Code::FileCorrupted, "cannot read '" + myPath + "'");
            return false;
        }
        if (bytes.empty())
        {
            myStatus.SetCode(Status::Code::FileCorrupted, "'" + myPath + "' is empty");
            return false;
        }
        try
        {
            myDocument = ReadDocument(std::string_view(bytes.data(), bytes.size()), pool);
        }
        catch (const FormatError& error)
        {
            myStatus.SetCode(Status::Code::FileCorrupted, "'" + myPath + "' is not a valid FBX file: " + error.what());
            return false;
        }
        catch (const std::bad_alloc&)
        {
            myStatus.SetCode(Status::Code::FileCorrupted, "'" + myPath + "' is too large to read");
            return false;
        }
        return true;
    }

    bool Importer::Import(Scene* aScene, bool)
    {
        if (!myDocument)
        {
            myStatus.SetCode(Status::Code::InvalidParameter, "the importer was not initialised with a readable file");
            return false;
        }
        if (aScene == nullptr)
        {
            myStatus.SetCode(Status::Code::InvalidParameter, "no scene to import into");
            return false;
        }
        if (myArraysTaken)
        {
            ReleaseDocument();
            if (!ReadFile())
                return false;
        }
        try
        {
            myArraysTaken = true;
            BuildSceneTakingArrays(*myDocument, *aScene);
        }
        catch (const FormatError& error)
        {
            myStatus.SetCode(Status::Code::FileCorrupted, "'" + myPath + "' holds inconsistent data: " + error.what());
            return false;
        }
        catch (const std::bad_alloc&)
        {
            myStatus.SetCode(Status::Code::FileCorrupted, "'" + myPath + "' is too large to import");
            return false;
        }
        return true;
    }
}
