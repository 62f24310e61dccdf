#pragma once
// The device: creates resources, views, states, shaders and input layouts.
// Every creation validates its description first; a broken rule fails the creation
// (null result) and prints "gpu: <call>: <rule>" to stderr, naming the rule.
#include "Platform/gpu/Adapter.h"
#include "Platform/gpu/DeviceChild.h"
#include "Platform/gpu/Resources.h"
#include "Platform/gpu/Shaders.h"
#include "Platform/gpu/States.h"
#include "Platform/gpu/Types.h"

#include <cstddef>
#include <memory>

namespace Plat::Gpu
{
    class Device
    {
    public:
        Device(CreationKey, std::shared_ptr<impl::DeviceState> aState, std::shared_ptr<DeviceContext> aContext);
        ~Device();
        Device(const Device&) = delete;
        Device& operator=(const Device&) = delete;

        // Buffers: constant buffers need a size that is a multiple of 16; dynamic ones
        // need CpuAccess::Write; immutable ones need initial data.
        std::shared_ptr<Buffer> CreateBuffer(const BufferDesc& aDesc, const SubresourceData* anInitialData = nullptr);

        // 2D textures, arrays (arraySize > 1) and cubes (ResourceMisc::TextureCube with
        // arraySize 6n). Initial data, when given, holds one entry per subresource in
        // D3D order (mip + slice * mipLevels), rows top first.
        std::shared_ptr<Texture2D> CreateTexture2D(const Texture2DDesc& aDesc, const SubresourceData* anInitialData = nullptr);

        // A null desc views the whole resource in its own format (not typeless).
        std::shared_ptr<ShaderResourceView> CreateShaderResourceView(Resource* aResource, const ShaderResourceViewDesc* aDesc = nullptr);
        std::shared_ptr<RenderTargetView> CreateRenderTargetView(Resource* aResource, const RenderTargetViewDesc* aDesc = nullptr);
        std::shared_ptr<DepthStencilView> CreateDepthStencilView(Resource* aResource, const DepthStencilViewDesc* aDesc = nullptr);

        std::shared_ptr<BlendState> CreateBlendState(const BlendDesc& aDesc);
        std::shared_ptr<DepthStencilState> CreateDepthStencilState(const DepthStencilDesc& aDesc);
        std::shared_ptr<RasterizerState> CreateRasterizerState(const RasterizerDesc& aDesc);
        std::shared_ptr<SamplerState> CreateSamplerState(const SamplerDesc& aDesc);

        // GLSL 4.50 source as bytecode (see Shaders.h). A compile or link error fails the
        // creation and prints the GL log with the shader's first line.
        std::shared_ptr<VertexShader> CreateVertexShader(const void* aBytecode, size_t aLength);
        std::shared_ptr<PixelShader> CreatePixelShader(const void* aBytecode, size_t aLength);

        // Matches each element to the vertex shader input named <SEMANTIC><index>.
        // Elements without an input are skipped (D3D ignores unused elements); a vertex
        // shader input without an element fails the creation.
        std::shared_ptr<InputLayout> CreateInputLayout(const InputElementDesc* someElements, uint32_t aCount,
                                                       const void* aVertexShaderBytecode, size_t aLength);

        // Whether textures of this format can be created (block formats need the GL
        // S3TC / RGTC / BPTC extensions, which Mesa's llvmpipe provides).
        bool IsFormatSupported(Format aFormat) const;

        const std::shared_ptr<DeviceContext>& GetImmediateContext() const { return myContext; }
        const AdapterDesc& GetAdapterDesc() const;

        // Lets another thread create textures and their views while this one draws (see
        // LoadingScope): makes, once, a second GL context that shares this one's objects,
        // on a hidden window of its own. Call it on the thread the device was made on.
        // False when the driver gives no such context; creation then stays on this thread.
        bool PrepareLoading();

    private:
        friend class LoadingScope;
        std::shared_ptr<impl::DeviceState> myState;
        std::shared_ptr<DeviceContext> myContext;
    };

    // On a thread other than the device's own: while the scope lives, the device's
    // creation calls and the release of what they made work on the loading context (one
    // thread at a time; others wait). Its end waits for the driver to finish, so what was
    // made is complete when the device's thread first uses it. False when the device has
    // no loading context (PrepareLoading not called or failed).
    class LoadingScope
    {
    public:
        explicit LoadingScope(Device& aDevice);
        ~LoadingScope();
        LoadingScope(const LoadingScope&) = delete;
        LoadingScope& operator=(const LoadingScope&) = delete;

        explicit operator bool() const { return myIsCurrent; }

    private:
        std::shared_ptr<impl::DeviceState> myState;
        bool myIsCurrent = false;
    };

    // Creates the GL context for aDesc.outputWindow (an SDL window created as WindowSetup.h
    // describes), the device, its immediate context and a swap chain whose back buffer is
    // an offscreen texture of aDesc's size (0: the window's drawable size) and format.
    // anAdapter is recorded (there is one GL device); null means the first adapter.
    // Returns false, with a message on stderr, when any part fails; outputs stay null.
    // One device exists at a time: its GL context is current on the calling thread.
    bool CreateDeviceAndSwapChain(const AdapterDesc* anAdapter, const SwapChainDesc& aDesc,
                                  std::shared_ptr<SwapChain>* aSwapChain, std::shared_ptr<Device>* aDevice,
                                  std::shared_ptr<DeviceContext>* aContext);
}
