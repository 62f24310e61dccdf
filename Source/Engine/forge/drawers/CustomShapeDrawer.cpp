#include "forge/drawers/CustomShapeDrawer.h"

namespace Kiln
{
    namespace
    {
        using Plat::Gpu::Format;
        using Plat::Gpu::InputClassification;
        constexpr uint32_t APPEND = Plat::Gpu::AppendAlignedElement;

        const Plat::Gpu::InputElementDesc SHAPE_LAYOUT[] = {
            {"POSITION", 0, Format::R32G32B32_FLOAT, 0, 0, InputClassification::PerVertexData, 0},
            {"TEXCOORD", 0, Format::R32G32B32A32_FLOAT, 0, APPEND, InputClassification::PerVertexData, 0},
            {"TEXCOORD", 1, Format::R32G32_FLOAT, 0, APPEND, InputClassification::PerVertexData, 0},
        };

        std::shared_ptr<Plat::Gpu::Buffer> CreateDynamicBuffer(uint32_t aSize, uint32_t aBindFlags)
        {
            if (DX11::Device == nullptr)
                return nullptr;
            Plat::Gpu::BufferDesc desc;
            desc.byteWidth = aSize;
            desc.usage = Plat::Gpu::Usage::Dynamic;
            desc.bindFlags = aBindFlags;
            desc.cpuAccessFlags = Plat::Gpu::CpuAccess::Write;
            return DX11::Device->CreateBuffer(desc);
        }
    }

    CustomShapeDrawer::CustomShapeDrawer() = default;

    CustomShapeDrawer::~CustomShapeDrawer() = default;

    bool CustomShapeDrawer::Init()
    {
        myConstantBuffer = CreateDynamicBuffer(CONSTANT_BUFFER_SIZE, Plat::Gpu::Bind::ConstantBuffer);
        if (myConstantBuffer == nullptr)
            return false;
        CreateShaders("shaders/custom_shape_VS", "shaders/custom_shape_PS");
        myVertexBuffer = CreateDynamicBuffer(myVertexCapacity * VERTEX_SIZE, Plat::Gpu::Bind::VertexBuffer);
        return true;
    }

    bool CustomShapeDrawer::CreateInputLayout(const ByteCode& aVertexShaderByteCode)
    {
        return BuildInputLayout(SHAPE_LAYOUT, static_cast<uint32_t>(std::size(SHAPE_LAYOUT)), aVertexShaderByteCode);
    }
}
