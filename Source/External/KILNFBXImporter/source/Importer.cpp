#include "Importer.h"

#include "Platform/fbx/GeometryConverter.h"
#include "Platform/fbx/IOSettings.h"
#include "Platform/fbx/Object.h"

namespace KILNFBXImporter
{
    std::string LastError;

    namespace
    {
        void Release(ImporterState& aState)
        {
            if (aState.manager == nullptr)
                return;
            aState.manager->Destroy(); // frees the IO settings with it
            delete aState.geometryConverter;
            aState.manager = nullptr;
            aState.ioSettings = nullptr;
            aState.geometryConverter = nullptr;
        }
    }

    ImporterState::~ImporterState()
    {
        Release(*this);
    }

    ImporterState& GetImporterState()
    {
        static ImporterState state;
        return state;
    }

    void InitImporter()
    {
        ImporterState& state = GetImporterState();
        if (state.manager != nullptr)
            return;
        state.manager = Plat::Fbx::Manager::Create();
        state.ioSettings = Plat::Fbx::IOSettings::Create(state.manager, "KILN");
        state.ioSettings->SetBoolProp(Plat::Fbx::IMP_FBX_TEXTURE, false);
        state.ioSettings->SetBoolProp(Plat::Fbx::IMP_FBX_EXTRACT_EMBEDDED_DATA, false);
        state.geometryConverter = new Plat::Fbx::GeometryConverter(state.manager);
        state.axisSystem = Plat::Fbx::AxisSystem(Plat::Fbx::AxisSystem::EPreDefinedAxisSystem::DirectX);
    }

    void UninitImporter()
    {
        Release(GetImporterState());
    }

    FBXMatrix ConvertMatrix(const Plat::Fbx::AMatrix& aMatrix)
    {
        FBXMatrix out;
        for (int r = 0; r < 4; ++r)
        {
            const Plat::Fbx::Vector4 row = aMatrix.GetRow(r);
            for (int c = 0; c < 4; ++c)
                out.m[r][c] = static_cast<float>(row[c]);
        }
        return out;
    }
}
