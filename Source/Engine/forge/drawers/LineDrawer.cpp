#include "forge/drawers/LineDrawer.h"

namespace Kiln
{
    namespace
    {
        using Plat::Gpu::Format;
        using Plat::Gpu::InputClassification;
        constexpr uint32_t APPEND = Plat::Gpu::AppendAlignedElement;

        const Plat::Gpu::InputElementDesc LINE_LAYOUT[] = {
            {"POSITION", 0, Format::R32G32B32_FLOAT, 0, 0, InputClassification::PerVertexData, 0},
            {"TEXCOORD", 0, Format::R32G32B32A32_FLOAT, 0, APPEND, InputClassification::PerVertexData, 0},
        };
    }

    LineDrawer::LineDrawer() = default;

    LineDrawer::~LineDrawer() = default;

    bool LineDrawer::Init()
    {
        CreateShaders("shaders/lineshader_VS", "shaders/lineshader_PS");
        myLineVertices = {};
        myLineVertices[0].myPosition[0] = -0.5f;
        myLineVertices[0].myPosition[1] = 0.5f;
        myLineVertices[1].myPosition[0] = -0.5f;
        myLineVertices[1].myPosition[1] = -0.5f;

        if (DX11::Device != nullptr)
        {
            Plat::Gpu::BufferDesc desc;
            desc.byteWidth = VERTEX_BUFFER_SIZE;
            desc.usage = Plat::Gpu::Usage::Dynamic;
            desc.bindFlags = Plat::Gpu::Bind::VertexBuffer;
            desc.cpuAccessFlags = Plat::Gpu::CpuAccess::Write;
            myVertexBuffer = DX11::Device->CreateBuffer(desc);
        }
        return true;
    }

    bool LineDrawer::CreateInputLayout(const ByteCode& aVertexShaderByteCode)
    {
        return BuildInputLayout(LINE_LAYOUT, static_cast<uint32_t>(std::size(LINE_LAYOUT)), aVertexShaderByteCode);
    }
}
