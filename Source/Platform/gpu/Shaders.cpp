// Lifetime of shader programs and input layouts.
#include "Platform/gpu/Shaders.h"
#include "Platform/gpu/GlBackend.h"

namespace Plat::Gpu
{
    VertexShader::VertexShader(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, uint32_t aGlProgram,
                               std::vector<impl::TextureUse> someTextures, std::vector<impl::VertexInput> someInputs)
        : DeviceChild(std::move(aDevice))
        , myGlProgram(aGlProgram)
        , myTextures(std::move(someTextures))
        , myInputs(std::move(someInputs))
    {
    }

    VertexShader::~VertexShader()
    {
        if (myGlProgram != 0 && MakeDeviceCurrent())
        {
            glDeleteProgram(myGlProgram);
        }
    }

    PixelShader::PixelShader(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, uint32_t aGlProgram,
                             std::vector<impl::TextureUse> someTextures)
        : DeviceChild(std::move(aDevice))
        , myGlProgram(aGlProgram)
        , myTextures(std::move(someTextures))
    {
    }

    PixelShader::~PixelShader()
    {
        if (myGlProgram != 0 && MakeDeviceCurrent())
        {
            glDeleteProgram(myGlProgram);
        }
    }

    InputLayout::InputLayout(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, uint32_t aGlVertexArray, uint32_t aUsedSlotMask,
                             std::vector<InputElementDesc> someElements)
        : DeviceChild(std::move(aDevice))
        , myGlVertexArray(aGlVertexArray)
        , myUsedSlotMask(aUsedSlotMask)
        , myElements(std::move(someElements))
    {
        // Keep the semantic names alive with the layout.
        mySemanticNames.reserve(myElements.size());
        for (InputElementDesc& element : myElements)
        {
            mySemanticNames.emplace_back(element.semanticName ? element.semanticName : "");
        }
        for (size_t i = 0; i < myElements.size(); ++i)
        {
            myElements[i].semanticName = mySemanticNames[i].c_str();
        }
    }

    InputLayout::~InputLayout()
    {
        if (myGlVertexArray != 0 && MakeDeviceCurrent())
        {
            glDeleteVertexArrays(1, &myGlVertexArray);
        }
    }
}
