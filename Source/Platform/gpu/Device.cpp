// Device creation and every Create* call: validate the description (each failed check
// names its rule), then make the GL object.
#include "Platform/gpu/Device.h"
#include "Platform/gpu/Context.h"
#include "Platform/gpu/GlBackend.h"
#include "Platform/gpu/SwapChain.h"
#include "Platform/gpu/WindowSetup.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace Plat::Gpu
{
    using impl::Fail;
    using impl::FindGlFormat;
    using impl::FormatKind;
    using impl::GlFormat;

    namespace
    {
        constexpr uint32_t MaxTextureSize = 16384;
        constexpr uint32_t MaxArraySize = 2048;
        constexpr uint32_t MaxConstantBufferSize = 65536;

        std::string Name(Format aFormat)
        {
            return std::string(FormatName(aFormat)) + " (" + std::to_string(static_cast<uint32_t>(aFormat)) + ")";
        }

        bool FormatSupported(const impl::DeviceState& aState, const GlFormat& aFormat)
        {
            switch (aFormat.internalFormat)
            {
            case GL_COMPRESSED_RGBA_S3TC_DXT1_EXT:
            case GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT1_EXT:
            case GL_COMPRESSED_RGBA_S3TC_DXT3_EXT:
            case GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT3_EXT:
            case GL_COMPRESSED_RGBA_S3TC_DXT5_EXT:
            case GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT5_EXT: return aState.hasS3tc;
            case GL_COMPRESSED_RED_RGTC1:
            case GL_COMPRESSED_SIGNED_RED_RGTC1:
            case GL_COMPRESSED_RG_RGTC2:
            case GL_COMPRESSED_SIGNED_RG_RGTC2: return aState.hasRgtc;
            case GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT:
            case GL_COMPRESSED_RGB_BPTC_SIGNED_FLOAT:
            case GL_COMPRESSED_RGBA_BPTC_UNORM:
            case GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM: return aState.hasBptc;
            default: return true;
            }
        }

        bool CanBeDepthStencil(Format aFormat)
        {
            switch (aFormat)
            {
            case Format::R32G8X24_TYPELESS:
            case Format::D32_FLOAT_S8X24_UINT:
            case Format::R32_TYPELESS:
            case Format::D32_FLOAT:
            case Format::R24G8_TYPELESS:
            case Format::D24_UNORM_S8_UINT:
            case Format::R16_TYPELESS:
            case Format::D16_UNORM: return true;
            default: return false;
            }
        }

        bool IsDepthViewFormat(Format aFormat)
        {
            return aFormat == Format::D32_FLOAT_S8X24_UINT || aFormat == Format::D32_FLOAT || aFormat == Format::D24_UNORM_S8_UINT
                || aFormat == Format::D16_UNORM;
        }

        // A view may use the resource's own format or another member of its family; any other
        // is refused (reported).
        bool ViewFormatFits(const char* aCall, Format aTextureFormat, Format aViewFormat)
        {
            if (aTextureFormat == aViewFormat)
            {
                return true;
            }
            const GlFormat* texture = FindGlFormat(aTextureFormat);
            const GlFormat* view = FindGlFormat(aViewFormat);
            if (texture && view && texture->family != 0 && texture->family == view->family)
            {
                return true;
            }
            return Fail(aCall, "view format " + Name(aViewFormat) + " is not in the family of texture format " + Name(aTextureFormat));
        }

        // The desc a render-target or depth-stencil view is made with: the caller's, or the
        // whole texture's when none is given; an unknown format means the texture's own.
        template <typename ViewDesc, typename Dimension>
        ViewDesc AttachmentViewDesc(const ViewDesc* aDesc, const Texture2DDesc& aTexture, Dimension aSingle,
                                    Dimension anArray)
        {
            ViewDesc desc;
            if (aDesc != nullptr)
            {
                desc = *aDesc;
            }
            else
            {
                desc.format = aTexture.format;
                desc.viewDimension = aTexture.arraySize > 1 ? anArray : aSingle;
            }
            if (desc.format == Format::UNKNOWN)
            {
                desc.format = aTexture.format;
            }
            return desc;
        }

        // The 2D texture a view is made of; null (reported) when aResource is not one or was
        // not created with the view's bind flag.
        Texture2D* ViewedTexture(const char* aCall, Resource* aResource, uint32_t aBind, const char* aBindName)
        {
            auto* texture = dynamic_cast<Texture2D*>(aResource);
            if (texture == nullptr)
            {
                return Fail(aCall, "the resource must be a 2D texture"), nullptr;
            }
            if ((texture->GetDesc().bindFlags & aBind) == 0)
            {
                return Fail(aCall, std::string("the texture needs ") + aBindName), nullptr;
            }
            return texture;
        }

        // A GL texture view of aTexture's storage; 0 (reported) when the driver refuses it.
        GLuint MakeTextureView(const char* aCall, GLuint aTexture, Format aTextureFormat, Format aViewFormat, GLenum aTarget,
                               GLenum anInternalFormat, GLuint aFirstMip, GLuint aMipCount, GLuint aFirstLayer, GLuint aLayerCount)
        {
            GLuint view = 0;
            impl::ClearGlErrors();
            glGenTextures(1, &view);
            glTextureView(view, aTarget, aTexture, anInternalFormat, aFirstMip, aMipCount, aFirstLayer, aLayerCount);
            if (glGetError() != GL_NO_ERROR)
            {
                glDeleteTextures(1, &view);
                Fail(aCall, "the driver refused a view of " + Name(aTextureFormat) + " as " + Name(aViewFormat));
                return 0;
            }
            return view;
        }

        GLenum TextureTarget(const Texture2DDesc& aDesc)
        {
            if ((aDesc.miscFlags & ResourceMisc::TextureCube) != 0)
            {
                return aDesc.arraySize == 6 ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_CUBE_MAP_ARRAY;
            }
            return aDesc.arraySize > 1 ? GL_TEXTURE_2D_ARRAY : GL_TEXTURE_2D;
        }

        // Sampling without a sampler object behaves like D3D's default sampler.
        void SetDefaultSampling(GLuint aTexture, const GlFormat& aFormat)
        {
            glTextureParameteri(aTexture, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
            glTextureParameteri(aTexture, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTextureParameteri(aTexture, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTextureParameteri(aTexture, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTextureParameteri(aTexture, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
            if (impl::HasSwizzle(aFormat))
            {
                glTextureParameteriv(aTexture, GL_TEXTURE_SWIZZLE_RGBA, aFormat.swizzle);
            }
        }

        bool SemanticEquals(const std::string& aShaderName, const std::string& anElementName)
        {
            return aShaderName.size() == anElementName.size()
                && std::equal(aShaderName.begin(), aShaderName.end(), anElementName.begin(), [](char a, char b) {
                       return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
                   });
        }

        bool IsIntegerGlType(uint32_t aType)
        {
            switch (aType)
            {
            case GL_INT:
            case GL_INT_VEC2:
            case GL_INT_VEC3:
            case GL_INT_VEC4:
            case GL_UNSIGNED_INT:
            case GL_UNSIGNED_INT_VEC2:
            case GL_UNSIGNED_INT_VEC3:
            case GL_UNSIGNED_INT_VEC4: return true;
            default: return false;
            }
        }
    }

    Device::Device(CreationKey, std::shared_ptr<impl::DeviceState> aState, std::shared_ptr<DeviceContext> aContext)
        : myState(std::move(aState))
        , myContext(std::move(aContext))
    {
    }

    Device::~Device() = default;

    bool Device::PrepareLoading()
    {
        impl::DeviceState& state = *myState;
        std::lock_guard lock(state.loadingMutex);
        if (state.loadingContext != nullptr)
        {
            return true;
        }
        if (!state.MakeCurrent())
        {
            return false;
        }
        // The window only carries the context: a surface may be current on one thread only.
        PrepareWindowCreation();
        state.loadingWindow = SDL_CreateWindow("loading", 0, 0, 1, 1, WindowCreationFlags() | SDL_WINDOW_HIDDEN);
        if (state.loadingWindow == nullptr)
        {
            return false;
        }
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
        state.loadingContext = SDL_GL_CreateContext(state.loadingWindow);
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
        if (state.loadingContext != nullptr)
        {
            // Made current by its creation: the same tightly packed transfers as the device's.
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
        }
        else
        {
            SDL_DestroyWindow(state.loadingWindow);
            state.loadingWindow = nullptr;
        }
        SDL_GL_MakeCurrent(state.window, state.glContext);
        return state.loadingContext != nullptr;
    }

    LoadingScope::LoadingScope(Device& aDevice)
        : myState(aDevice.myState)
    {
        myState->loadingMutex.lock();
        myIsCurrent = myState->loadingContext != nullptr && SDL_GL_GetCurrentContext() == nullptr &&
                      SDL_GL_MakeCurrent(myState->loadingWindow, myState->loadingContext) == 0;
    }

    LoadingScope::~LoadingScope()
    {
        if (myIsCurrent)
        {
            glFinish();
            SDL_GL_MakeCurrent(nullptr, nullptr);
        }
        myState->loadingMutex.unlock();
    }

    const AdapterDesc& Device::GetAdapterDesc() const
    {
        return myState->adapter;
    }

    bool Device::IsFormatSupported(Format aFormat) const
    {
        const GlFormat* format = FindGlFormat(aFormat);
        return format != nullptr && FormatSupported(*myState, *format);
    }

    // ---- buffers ---------------------------------------------------------------------

    std::shared_ptr<Buffer> Device::CreateBuffer(const BufferDesc& aDesc, const SubresourceData* anInitialData)
    {
        const char* call = "CreateBuffer";
        if (aDesc.byteWidth == 0)
        {
            return Fail(call, "byteWidth must be greater than 0"), nullptr;
        }
        if ((aDesc.bindFlags & Bind::ConstantBuffer) != 0)
        {
            if (aDesc.bindFlags != Bind::ConstantBuffer)
            {
                return Fail(call, "a constant buffer cannot have other bind flags"), nullptr;
            }
            if (aDesc.byteWidth % 16 != 0)
            {
                return Fail(call, "a constant buffer's byteWidth must be a multiple of 16"), nullptr;
            }
            if (aDesc.byteWidth > MaxConstantBufferSize)
            {
                return Fail(call, "a constant buffer's byteWidth must be at most 65536"), nullptr;
            }
        }
        if ((aDesc.bindFlags & (Bind::RenderTarget | Bind::DepthStencil)) != 0)
        {
            return Fail(call, "buffers cannot be bound as render target or depth stencil"), nullptr;
        }
        if (aDesc.cpuAccessFlags & ~(CpuAccess::Write | CpuAccess::Read))
        {
            return Fail(call, "cpuAccessFlags may hold only CpuAccess::Write and CpuAccess::Read"), nullptr;
        }
        switch (aDesc.usage)
        {
        case Usage::Default:
            if (aDesc.cpuAccessFlags != 0)
            {
                return Fail(call, "a default-usage buffer has no CPU access"), nullptr;
            }
            break;
        case Usage::Immutable:
            if (anInitialData == nullptr || anInitialData->sysMem == nullptr)
            {
                return Fail(call, "an immutable buffer needs initial data"), nullptr;
            }
            if (aDesc.cpuAccessFlags != 0)
            {
                return Fail(call, "an immutable buffer has no CPU access"), nullptr;
            }
            break;
        case Usage::Dynamic:
            if (aDesc.cpuAccessFlags != CpuAccess::Write)
            {
                return Fail(call, "a dynamic buffer needs cpuAccessFlags CpuAccess::Write (and only it)"), nullptr;
            }
            break;
        case Usage::Staging:
            if (aDesc.bindFlags != 0)
            {
                return Fail(call, "a staging buffer has no bind flags"), nullptr;
            }
            if (aDesc.cpuAccessFlags == 0)
            {
                return Fail(call, "a staging buffer needs CPU access"), nullptr;
            }
            break;
        default: return Fail(call, "usage must be Default, Immutable, Dynamic or Staging"), nullptr;
        }
        if (anInitialData != nullptr && anInitialData->sysMem == nullptr)
        {
            return Fail(call, "initial data must point at memory"), nullptr;
        }
        if (!myState->MakeCurrent())
        {
            return Fail(call, "the device's GL context cannot be made current"), nullptr;
        }

        GLuint name = 0;
        glCreateBuffers(1, &name);
        GLbitfield flags = GL_DYNAMIC_STORAGE_BIT;
        if (aDesc.usage == Usage::Staging)
        {
            flags |= GL_MAP_READ_BIT | GL_MAP_WRITE_BIT;
        }
        glNamedBufferStorage(name, aDesc.byteWidth, anInitialData ? anInitialData->sysMem : nullptr, flags);
        auto buffer = std::make_shared<Buffer>(CreationKey{}, myState, aDesc, name);
        if (aDesc.usage == Usage::Dynamic || aDesc.usage == Usage::Staging)
        {
            // The CPU copy always equals the buffer, so a no-overwrite map keeps what it does not write.
            buffer->myMapMemory.assign(aDesc.byteWidth, 0);
            if (anInitialData != nullptr)
            {
                std::memcpy(buffer->myMapMemory.data(), anInitialData->sysMem, aDesc.byteWidth);
            }
        }
        return buffer;
    }

    // ---- textures --------------------------------------------------------------------

    std::shared_ptr<Texture2D> Device::CreateTexture2D(const Texture2DDesc& aDesc, const SubresourceData* anInitialData)
    {
        const char* call = "CreateTexture2D";
        Texture2DDesc desc = aDesc;
        const GlFormat* format = FindGlFormat(desc.format);
        if (format == nullptr)
        {
            return Fail(call, "format " + Name(desc.format) + " is not a known texture format"), nullptr;
        }
        if (!FormatSupported(*myState, *format))
        {
            return Fail(call, "format " + Name(desc.format) + " needs a GL extension this driver lacks"), nullptr;
        }
        if (desc.width == 0 || desc.height == 0 || desc.width > MaxTextureSize || desc.height > MaxTextureSize)
        {
            return Fail(call, "width and height must be 1..16384"), nullptr;
        }
        if (desc.arraySize == 0 || desc.arraySize > MaxArraySize)
        {
            return Fail(call, "arraySize must be 1..2048"), nullptr;
        }
        const uint32_t fullChain = impl::MipCount(desc.width, desc.height);
        if (desc.mipLevels == 0)
        {
            desc.mipLevels = fullChain;
        }
        if (desc.mipLevels > fullChain)
        {
            return Fail(call, "mipLevels must not exceed the full chain of the size (" + std::to_string(fullChain) + ")"), nullptr;
        }
        if (desc.sampleDesc.count != 1 || desc.sampleDesc.quality != 0)
        {
            return Fail(call, "only single-sampled textures are supported (sampleDesc 1, 0)"), nullptr;
        }
        if ((desc.miscFlags & ResourceMisc::TextureCube) != 0)
        {
            if (desc.arraySize % 6 != 0)
            {
                return Fail(call, "a cube texture needs arraySize 6 (or a multiple of 6)"), nullptr;
            }
            if (desc.width != desc.height)
            {
                return Fail(call, "a cube texture needs square faces"), nullptr;
            }
        }
        if (format->blockBytes != 0)
        {
            if (desc.width % 4 != 0 || desc.height % 4 != 0)
            {
                return Fail(call, "block-compressed textures need width and height that are multiples of 4"), nullptr;
            }
            if ((desc.bindFlags & (Bind::RenderTarget | Bind::DepthStencil)) != 0)
            {
                return Fail(call, "block-compressed textures cannot be render targets or depth stencils"), nullptr;
            }
        }
        if ((desc.bindFlags & (Bind::VertexBuffer | Bind::IndexBuffer | Bind::ConstantBuffer | Bind::StreamOutput)) != 0)
        {
            return Fail(call, "textures cannot be bound as vertex, index, constant or stream-output buffers"), nullptr;
        }
        if ((desc.bindFlags & Bind::DepthStencil) != 0)
        {
            if (!CanBeDepthStencil(desc.format))
            {
                return Fail(call, "a depth-stencil texture needs a depth format or its typeless family, not " + Name(desc.format)),
                       nullptr;
            }
            if ((desc.bindFlags & Bind::RenderTarget) != 0)
            {
                return Fail(call, "a texture cannot be both render target and depth stencil"), nullptr;
            }
        }
        else if (format->kind != FormatKind::Color)
        {
            return Fail(call, "depth format " + Name(desc.format) + " needs Bind::DepthStencil"), nullptr;
        }
        if ((desc.miscFlags & ResourceMisc::GenerateMips) != 0
            && (desc.bindFlags & (Bind::RenderTarget | Bind::ShaderResource)) != (Bind::RenderTarget | Bind::ShaderResource))
        {
            return Fail(call, "ResourceMisc::GenerateMips needs Bind::RenderTarget and Bind::ShaderResource"), nullptr;
        }
        if (desc.cpuAccessFlags & ~(CpuAccess::Write | CpuAccess::Read))
        {
            return Fail(call, "cpuAccessFlags may hold only CpuAccess::Write and CpuAccess::Read"), nullptr;
        }
        switch (desc.usage)
        {
        case Usage::Default:
            if (desc.cpuAccessFlags != 0)
            {
                return Fail(call, "a default-usage texture has no CPU access"), nullptr;
            }
            break;
        case Usage::Immutable:
            if (anInitialData == nullptr)
            {
                return Fail(call, "an immutable texture needs initial data"), nullptr;
            }
            if (desc.cpuAccessFlags != 0)
            {
                return Fail(call, "an immutable texture has no CPU access"), nullptr;
            }
            break;
        case Usage::Dynamic:
            if (desc.cpuAccessFlags != CpuAccess::Write)
            {
                return Fail(call, "a dynamic texture needs cpuAccessFlags CpuAccess::Write (and only it)"), nullptr;
            }
            if (desc.mipLevels != 1 || desc.arraySize != 1)
            {
                return Fail(call, "a dynamic texture has one mip level and one array slice"), nullptr;
            }
            if ((desc.bindFlags & (Bind::RenderTarget | Bind::DepthStencil)) != 0)
            {
                return Fail(call, "a dynamic texture cannot be a render target or depth stencil"), nullptr;
            }
            break;
        case Usage::Staging:
            if (desc.bindFlags != 0)
            {
                return Fail(call, "a staging texture has no bind flags"), nullptr;
            }
            if (desc.cpuAccessFlags == 0)
            {
                return Fail(call, "a staging texture needs CPU access"), nullptr;
            }
            break;
        default: return Fail(call, "usage must be Default, Immutable, Dynamic or Staging"), nullptr;
        }
        const GlFormat& transfer = impl::TransferFormat(*format, desc.bindFlags);
        if (anInitialData != nullptr)
        {
            for (uint32_t slice = 0; slice < desc.arraySize; ++slice)
            {
                for (uint32_t mip = 0; mip < desc.mipLevels; ++mip)
                {
                    const SubresourceData& data = anInitialData[CalcSubresource(mip, slice, desc.mipLevels)];
                    const uint32_t width = std::max(1u, desc.width >> mip);
                    if (data.sysMem == nullptr)
                    {
                        return Fail(call, "initial data needs memory for every subresource"), nullptr;
                    }
                    if (data.sysMemPitch < RowPitch(desc.format, width))
                    {
                        return Fail(call, "initial data sysMemPitch is smaller than one row of the subresource"), nullptr;
                    }
                }
            }
        }
        if (!myState->MakeCurrent())
        {
            return Fail(call, "the device's GL context cannot be made current"), nullptr;
        }

        const GLenum target = TextureTarget(desc);
        const GLenum storage = impl::StorageFormat(*format, desc.bindFlags);
        GLuint name = 0;
        impl::ClearGlErrors();
        glCreateTextures(target, 1, &name);
        const GLsizei levels = static_cast<GLsizei>(desc.mipLevels);
        const GLsizei width = static_cast<GLsizei>(desc.width);
        const GLsizei height = static_cast<GLsizei>(desc.height);
        if (target == GL_TEXTURE_2D || target == GL_TEXTURE_CUBE_MAP)
        {
            glTextureStorage2D(name, levels, storage, width, height);
        }
        else
        {
            glTextureStorage3D(name, levels, storage, width, height, static_cast<GLsizei>(desc.arraySize));
        }
        if (glGetError() != GL_NO_ERROR)
        {
            glDeleteTextures(1, &name);
            return Fail(call, "the driver refused storage for " + Name(desc.format)), nullptr;
        }
        SetDefaultSampling(name, *format);
        glTextureParameteri(name, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(desc.mipLevels - 1));

        if (anInitialData != nullptr)
        {
            for (uint32_t slice = 0; slice < desc.arraySize; ++slice)
            {
                for (uint32_t mip = 0; mip < desc.mipLevels; ++mip)
                {
                    const SubresourceData& data = anInitialData[CalcSubresource(mip, slice, desc.mipLevels)];
                    impl::UploadRegion(name, target, transfer, mip, slice, 0, 0, std::max(1u, desc.width >> mip),
                                       std::max(1u, desc.height >> mip), data.sysMem, data.sysMemPitch);
                }
            }
        }
        return std::make_shared<Texture2D>(CreationKey{}, myState, desc, name, target);
    }

    // ---- views -----------------------------------------------------------------------

    std::shared_ptr<ShaderResourceView> Device::CreateShaderResourceView(Resource* aResource, const ShaderResourceViewDesc* aDesc)
    {
        const char* call = "CreateShaderResourceView";
        Texture2D* texture = ViewedTexture(call, aResource, Bind::ShaderResource, "Bind::ShaderResource");
        if (texture == nullptr)
        {
            return nullptr;
        }
        const Texture2DDesc& tex = texture->GetDesc();
        const bool isCube = (tex.miscFlags & ResourceMisc::TextureCube) != 0;
        ShaderResourceViewDesc desc;
        if (aDesc != nullptr)
        {
            desc = *aDesc;
        }
        else
        {
            desc.format = tex.format;
            desc.viewDimension = isCube ? (tex.arraySize == 6 ? SrvDimension::TextureCube : SrvDimension::TextureCubeArray)
                                        : (tex.arraySize > 1 ? SrvDimension::Texture2DArray : SrvDimension::Texture2D);
            desc.arraySize = isCube ? tex.arraySize / 6 : tex.arraySize;
        }
        if (desc.format == Format::UNKNOWN)
        {
            desc.format = tex.format;
        }
        const GlFormat* viewFormat = FindGlFormat(desc.format);
        if (viewFormat == nullptr || viewFormat->typeless)
        {
            return Fail(call, "the view format must be a known, non-typeless format, not " + Name(desc.format)), nullptr;
        }
        if (!ViewFormatFits(call, tex.format, desc.format))
        {
            return nullptr;
        }
        if (IsDepthViewFormat(desc.format))
        {
            return Fail(call, "a depth format cannot be read by a shader: use the matching R.._TYPELESS/R32_FLOAT format"), nullptr;
        }
        if (desc.mostDetailedMip >= tex.mipLevels)
        {
            return Fail(call, "mostDetailedMip must be below the texture's mipLevels"), nullptr;
        }
        if (desc.mipLevels == AllMipLevels)
        {
            desc.mipLevels = tex.mipLevels - desc.mostDetailedMip;
        }
        if (desc.mipLevels == 0 || desc.mostDetailedMip + desc.mipLevels > tex.mipLevels)
        {
            return Fail(call, "mostDetailedMip + mipLevels must be within the texture's mips"), nullptr;
        }
        GLenum viewTarget = 0;
        uint32_t firstLayer = 0;
        uint32_t layerCount = 1;
        switch (desc.viewDimension)
        {
        case SrvDimension::Texture2D:
            viewTarget = GL_TEXTURE_2D;
            break;
        case SrvDimension::Texture2DArray:
            viewTarget = GL_TEXTURE_2D_ARRAY;
            firstLayer = desc.firstArraySlice;
            layerCount = desc.arraySize;
            break;
        case SrvDimension::TextureCube:
            viewTarget = GL_TEXTURE_CUBE_MAP;
            layerCount = 6;
            break;
        case SrvDimension::TextureCubeArray:
            viewTarget = GL_TEXTURE_CUBE_MAP_ARRAY;
            firstLayer = desc.firstArraySlice;
            layerCount = desc.arraySize * 6;
            break;
        default: return Fail(call, "viewDimension must be Texture2D, Texture2DArray, TextureCube or TextureCubeArray"), nullptr;
        }
        if ((viewTarget == GL_TEXTURE_CUBE_MAP || viewTarget == GL_TEXTURE_CUBE_MAP_ARRAY) && !isCube)
        {
            return Fail(call, "a cube view needs a texture created with ResourceMisc::TextureCube"), nullptr;
        }
        if (layerCount == 0 || firstLayer + layerCount > tex.arraySize)
        {
            return Fail(call, "the view's array slices must be within the texture's arraySize"), nullptr;
        }
        if (!myState->MakeCurrent())
        {
            return Fail(call, "the device's GL context cannot be made current"), nullptr;
        }

        const GlFormat& texFormat = *FindGlFormat(tex.format);
        const GLenum storage = impl::StorageFormat(texFormat, tex.bindFlags);
        const bool depthStorage = texFormat.kind != FormatKind::Color || storage != texFormat.internalFormat;
        const GLenum viewInternal = depthStorage ? storage : viewFormat->internalFormat;
        const bool stencilRead = desc.format == Format::X24_TYPELESS_G8_UINT || desc.format == Format::X32_TYPELESS_G8X24_UINT;
        const bool whole = viewTarget == texture->myGlTarget && viewInternal == storage && desc.mostDetailedMip == 0
            && desc.mipLevels == tex.mipLevels && firstLayer == 0 && layerCount == tex.arraySize && !stencilRead
            && std::equal(std::begin(viewFormat->swizzle), std::end(viewFormat->swizzle), std::begin(texFormat.swizzle));
        auto resource = std::static_pointer_cast<Resource>(texture->shared_from_this());
        if (whole)
        {
            return std::make_shared<ShaderResourceView>(CreationKey{}, myState, resource, desc, texture->myGlName, viewTarget, false);
        }
        const GLuint view = MakeTextureView(call, texture->myGlName, tex.format, desc.format, viewTarget, viewInternal,
                                            desc.mostDetailedMip, desc.mipLevels, firstLayer, layerCount);
        if (view == 0)
        {
            return nullptr;
        }
        SetDefaultSampling(view, *viewFormat);
        if (stencilRead)
        {
            glTextureParameteri(view, GL_DEPTH_STENCIL_TEXTURE_MODE, GL_STENCIL_INDEX);
        }
        return std::make_shared<ShaderResourceView>(CreationKey{}, myState, resource, desc, view, viewTarget, true);
    }

    std::shared_ptr<RenderTargetView> Device::CreateRenderTargetView(Resource* aResource, const RenderTargetViewDesc* aDesc)
    {
        const char* call = "CreateRenderTargetView";
        Texture2D* texture = ViewedTexture(call, aResource, Bind::RenderTarget, "Bind::RenderTarget");
        if (texture == nullptr)
        {
            return nullptr;
        }
        const Texture2DDesc& tex = texture->GetDesc();
        const RenderTargetViewDesc desc =
            AttachmentViewDesc(aDesc, tex, RtvDimension::Texture2D, RtvDimension::Texture2DArray);
        const GlFormat* viewFormat = FindGlFormat(desc.format);
        if (viewFormat == nullptr || viewFormat->typeless)
        {
            return Fail(call, "the view format must be a known, non-typeless format, not " + Name(desc.format)), nullptr;
        }
        if (!ViewFormatFits(call, tex.format, desc.format))
        {
            return nullptr;
        }
        if (desc.mipSlice >= tex.mipLevels)
        {
            return Fail(call, "mipSlice must be below the texture's mipLevels"), nullptr;
        }
        uint32_t layer = 0;
        if (desc.viewDimension == RtvDimension::Texture2DArray)
        {
            if (desc.arraySize != 1)
            {
                return Fail(call, "an array render-target view renders one slice: arraySize must be 1"), nullptr;
            }
            if (desc.firstArraySlice >= tex.arraySize)
            {
                return Fail(call, "firstArraySlice must be below the texture's arraySize"), nullptr;
            }
            layer = desc.firstArraySlice;
        }
        else if (desc.viewDimension != RtvDimension::Texture2D)
        {
            return Fail(call, "viewDimension must be Texture2D or Texture2DArray"), nullptr;
        }
        if (!myState->MakeCurrent())
        {
            return Fail(call, "the device's GL context cannot be made current"), nullptr;
        }
        auto resource = std::static_pointer_cast<Resource>(texture->shared_from_this());
        const GlFormat& texFormat = *FindGlFormat(tex.format);
        const bool layered = texture->myGlTarget != GL_TEXTURE_2D;
        if (viewFormat->internalFormat == texFormat.internalFormat)
        {
            return std::make_shared<RenderTargetView>(CreationKey{}, myState, resource, desc, texture->myGlName,
                                                      static_cast<int32_t>(desc.mipSlice), layered ? static_cast<int32_t>(layer) : -1,
                                                      false);
        }
        const GLuint view = MakeTextureView(call, texture->myGlName, tex.format, desc.format, GL_TEXTURE_2D,
                                            viewFormat->internalFormat, desc.mipSlice, 1, layer, 1);
        if (view == 0)
        {
            return nullptr;
        }
        return std::make_shared<RenderTargetView>(CreationKey{}, myState, resource, desc, view, 0, -1, true);
    }

    std::shared_ptr<DepthStencilView> Device::CreateDepthStencilView(Resource* aResource, const DepthStencilViewDesc* aDesc)
    {
        const char* call = "CreateDepthStencilView";
        Texture2D* texture = ViewedTexture(call, aResource, Bind::DepthStencil, "Bind::DepthStencil");
        if (texture == nullptr)
        {
            return nullptr;
        }
        const Texture2DDesc& tex = texture->GetDesc();
        const DepthStencilViewDesc desc =
            AttachmentViewDesc(aDesc, tex, DsvDimension::Texture2D, DsvDimension::Texture2DArray);
        if (!IsDepthViewFormat(desc.format))
        {
            return Fail(call, "the view format must be D16_UNORM, D24_UNORM_S8_UINT, D32_FLOAT or D32_FLOAT_S8X24_UINT, not "
                                  + Name(desc.format)),
                   nullptr;
        }
        if (!ViewFormatFits(call, tex.format, desc.format))
        {
            return nullptr;
        }
        if (desc.mipSlice >= tex.mipLevels)
        {
            return Fail(call, "mipSlice must be below the texture's mipLevels"), nullptr;
        }
        uint32_t layer = 0;
        if (desc.viewDimension == DsvDimension::Texture2DArray)
        {
            if (desc.arraySize != 1 || desc.firstArraySlice >= tex.arraySize)
            {
                return Fail(call, "an array depth-stencil view uses one slice within the texture's arraySize"), nullptr;
            }
            layer = desc.firstArraySlice;
        }
        else if (desc.viewDimension != DsvDimension::Texture2D)
        {
            return Fail(call, "viewDimension must be Texture2D or Texture2DArray"), nullptr;
        }
        auto resource = std::static_pointer_cast<Resource>(texture->shared_from_this());
        const bool layered = texture->myGlTarget != GL_TEXTURE_2D;
        const bool hasStencil = desc.format == Format::D24_UNORM_S8_UINT || desc.format == Format::D32_FLOAT_S8X24_UINT;
        return std::make_shared<DepthStencilView>(CreationKey{}, myState, resource, desc, texture->myGlName,
                                                  static_cast<int32_t>(desc.mipSlice), layered ? static_cast<int32_t>(layer) : -1,
                                                  hasStencil);
    }

    // ---- states ----------------------------------------------------------------------

    std::shared_ptr<BlendState> Device::CreateBlendState(const BlendDesc& aDesc)
    {
        const char* call = "CreateBlendState";
        const int targets = aDesc.independentBlendEnable ? 8 : 1;
        for (int i = 0; i < targets; ++i)
        {
            const RenderTargetBlendDesc& rt = aDesc.renderTarget[i];
            if (!impl::IsValid(rt.srcBlend) || !impl::IsValid(rt.destBlend) || !impl::IsValid(rt.srcBlendAlpha)
                || !impl::IsValid(rt.destBlendAlpha))
            {
                return Fail(call, "renderTarget[" + std::to_string(i) + "]: every blend factor must be a Blend value"), nullptr;
            }
            if (!impl::IsValid(rt.blendOp) || !impl::IsValid(rt.blendOpAlpha))
            {
                return Fail(call, "renderTarget[" + std::to_string(i) + "]: blendOp and blendOpAlpha must be BlendOp values"), nullptr;
            }
            if ((rt.renderTargetWriteMask & ~ColorWrite::All) != 0)
            {
                return Fail(call, "renderTarget[" + std::to_string(i) + "]: renderTargetWriteMask holds only ColorWrite bits"), nullptr;
            }
            const auto isColorFactor = [](Blend aBlend) {
                return aBlend == Blend::SrcColor || aBlend == Blend::InvSrcColor || aBlend == Blend::DestColor
                    || aBlend == Blend::InvDestColor;
            };
            if (isColorFactor(rt.srcBlendAlpha) || isColorFactor(rt.destBlendAlpha))
            {
                return Fail(call, "renderTarget[" + std::to_string(i) + "]: alpha blend factors cannot be colour factors"), nullptr;
            }
        }
        return std::make_shared<BlendState>(CreationKey{}, myState, aDesc);
    }

    std::shared_ptr<DepthStencilState> Device::CreateDepthStencilState(const DepthStencilDesc& aDesc)
    {
        const char* call = "CreateDepthStencilState";
        if (aDesc.depthWriteMask != DepthWriteMask::Zero && aDesc.depthWriteMask != DepthWriteMask::All)
        {
            return Fail(call, "depthWriteMask must be Zero or All"), nullptr;
        }
        if (!impl::IsValid(aDesc.depthFunc))
        {
            return Fail(call, "depthFunc must be a ComparisonFunc value"), nullptr;
        }
        for (const DepthStencilOpDesc* face : {&aDesc.frontFace, &aDesc.backFace})
        {
            if (!impl::IsValid(face->stencilFailOp) || !impl::IsValid(face->stencilDepthFailOp)
                || !impl::IsValid(face->stencilPassOp))
            {
                return Fail(call, "stencil operations must be StencilOp values"), nullptr;
            }
            if (!impl::IsValid(face->stencilFunc))
            {
                return Fail(call, "stencilFunc must be a ComparisonFunc value"), nullptr;
            }
        }
        return std::make_shared<DepthStencilState>(CreationKey{}, myState, aDesc);
    }

    std::shared_ptr<RasterizerState> Device::CreateRasterizerState(const RasterizerDesc& aDesc)
    {
        const char* call = "CreateRasterizerState";
        if (aDesc.fillMode != FillMode::Solid && aDesc.fillMode != FillMode::Wireframe)
        {
            return Fail(call, "fillMode must be Solid or Wireframe"), nullptr;
        }
        if (aDesc.cullMode != CullMode::None && aDesc.cullMode != CullMode::Front && aDesc.cullMode != CullMode::Back)
        {
            return Fail(call, "cullMode must be None, Front or Back"), nullptr;
        }
        return std::make_shared<RasterizerState>(CreationKey{}, myState, aDesc);
    }

    std::shared_ptr<SamplerState> Device::CreateSamplerState(const SamplerDesc& aDesc)
    {
        const char* call = "CreateSamplerState";
        const uint32_t code = static_cast<uint32_t>(aDesc.filter);
        if ((code & ~0x95u) != 0 && (code & ~0x80u) != 0x55u)
        {
            return Fail(call, "filter must be a Filter value"), nullptr;
        }
        if (!impl::IsValid(aDesc.addressU) || !impl::IsValid(aDesc.addressV) || !impl::IsValid(aDesc.addressW))
        {
            return Fail(call, "addressU, addressV and addressW must be TextureAddressMode values"), nullptr;
        }
        GLenum minFilter = 0;
        GLenum magFilter = 0;
        bool anisotropic = false;
        bool comparison = false;
        impl::FilterToGl(aDesc.filter, minFilter, magFilter, anisotropic, comparison);
        if (anisotropic && (aDesc.maxAnisotropy < 1 || aDesc.maxAnisotropy > 16))
        {
            return Fail(call, "maxAnisotropy must be 1..16 for an anisotropic filter"), nullptr;
        }
        if (comparison && !impl::IsValid(aDesc.comparisonFunc))
        {
            return Fail(call, "a comparison filter needs a ComparisonFunc"), nullptr;
        }
        if (aDesc.minLOD > aDesc.maxLOD)
        {
            return Fail(call, "minLOD must not exceed maxLOD"), nullptr;
        }
        if (!myState->MakeCurrent())
        {
            return Fail(call, "the device's GL context cannot be made current"), nullptr;
        }
        GLuint name = 0;
        glCreateSamplers(1, &name);
        glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
        glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
        glSamplerParameteri(name, GL_TEXTURE_WRAP_S, static_cast<GLint>(impl::ToGl(aDesc.addressU)));
        glSamplerParameteri(name, GL_TEXTURE_WRAP_T, static_cast<GLint>(impl::ToGl(aDesc.addressV)));
        glSamplerParameteri(name, GL_TEXTURE_WRAP_R, static_cast<GLint>(impl::ToGl(aDesc.addressW)));
        glSamplerParameterf(name, GL_TEXTURE_LOD_BIAS, aDesc.mipLODBias);
        // GL takes finite LOD limits; D3D's +-FLT_MAX mean "no limit".
        glSamplerParameterf(name, GL_TEXTURE_MIN_LOD, std::max(aDesc.minLOD, -1000.0f));
        glSamplerParameterf(name, GL_TEXTURE_MAX_LOD, std::min(aDesc.maxLOD, 1000.0f));
        glSamplerParameterfv(name, GL_TEXTURE_BORDER_COLOR, aDesc.borderColor);
        if (comparison)
        {
            glSamplerParameteri(name, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
            glSamplerParameteri(name, GL_TEXTURE_COMPARE_FUNC, static_cast<GLint>(impl::ToGl(aDesc.comparisonFunc)));
        }
        if (anisotropic && myState->hasAnisotropic)
        {
            glSamplerParameterf(name, GL_TEXTURE_MAX_ANISOTROPY_EXT, static_cast<float>(aDesc.maxAnisotropy));
        }
        return std::make_shared<SamplerState>(CreationKey{}, myState, aDesc, name);
    }

    // ---- shaders ---------------------------------------------------------------------

    std::shared_ptr<VertexShader> Device::CreateVertexShader(const void* aBytecode, size_t aLength)
    {
        if (!myState->MakeCurrent())
        {
            return Fail("CreateVertexShader", "the device's GL context cannot be made current"), nullptr;
        }
        std::vector<impl::TextureUse> textures;
        std::vector<impl::VertexInput> inputs;
        const GLuint program = impl::CreateStageProgram("CreateVertexShader", GL_VERTEX_SHADER, aBytecode, aLength, textures, &inputs);
        if (program == 0)
        {
            return nullptr;
        }
        myState->vertexInputs[std::string(static_cast<const char*>(aBytecode), aLength)] = inputs;
        return std::make_shared<VertexShader>(CreationKey{}, myState, program, std::move(textures), std::move(inputs));
    }

    std::shared_ptr<PixelShader> Device::CreatePixelShader(const void* aBytecode, size_t aLength)
    {
        if (!myState->MakeCurrent())
        {
            return Fail("CreatePixelShader", "the device's GL context cannot be made current"), nullptr;
        }
        std::vector<impl::TextureUse> textures;
        const GLuint program = impl::CreateStageProgram("CreatePixelShader", GL_FRAGMENT_SHADER, aBytecode, aLength, textures, nullptr);
        if (program == 0)
        {
            return nullptr;
        }
        return std::make_shared<PixelShader>(CreationKey{}, myState, program, std::move(textures));
    }

    std::shared_ptr<InputLayout> Device::CreateInputLayout(const InputElementDesc* someElements, uint32_t aCount,
                                                           const void* aVertexShaderBytecode, size_t aLength)
    {
        const char* call = "CreateInputLayout";
        if (aCount > 0 && someElements == nullptr)
        {
            return Fail(call, "elements must not be null when the count is not 0"), nullptr;
        }
        if (aVertexShaderBytecode == nullptr || aLength == 0)
        {
            return Fail(call, "the vertex shader bytecode must not be empty"), nullptr;
        }
        if (!myState->MakeCurrent())
        {
            return Fail(call, "the device's GL context cannot be made current"), nullptr;
        }

        // The vertex shader's inputs: known from its creation, else compiled here once.
        const std::string source(static_cast<const char*>(aVertexShaderBytecode), aLength);
        auto known = myState->vertexInputs.find(source);
        if (known == myState->vertexInputs.end())
        {
            std::vector<impl::TextureUse> textures;
            std::vector<impl::VertexInput> inputs;
            const GLuint program = impl::CreateStageProgram(call, GL_VERTEX_SHADER, aVertexShaderBytecode, aLength, textures, &inputs);
            if (program == 0)
            {
                return nullptr;
            }
            glDeleteProgram(program);
            known = myState->vertexInputs.emplace(source, std::move(inputs)).first;
        }
        const std::vector<impl::VertexInput>& inputs = known->second;

        struct Resolved
        {
            std::string name;
            uint32_t offset = 0;
            GLint size = 0;
            GLenum type = 0;
            bool normalized = false;
            bool integer = false;
        };
        std::vector<Resolved> resolved(aCount);
        uint32_t slotEnd[InputLayout::MaxSlots] = {};
        for (uint32_t i = 0; i < aCount; ++i)
        {
            const InputElementDesc& element = someElements[i];
            const std::string where = "element " + std::to_string(i);
            if (element.semanticName == nullptr || element.semanticName[0] == '\0')
            {
                return Fail(call, where + ": semanticName must not be empty"), nullptr;
            }
            if (element.inputSlot >= InputLayout::MaxSlots)
            {
                return Fail(call, where + ": inputSlot must be 0..15"), nullptr;
            }
            Resolved& r = resolved[i];
            if (!impl::VertexAttribFormat(element.format, r.size, r.type, r.normalized, r.integer))
            {
                return Fail(call, where + ": format " + Name(element.format) + " cannot be a vertex element"), nullptr;
            }
            if (element.inputSlotClass == InputClassification::PerVertexData && element.instanceDataStepRate != 0)
            {
                return Fail(call, where + ": per-vertex elements need instanceDataStepRate 0"), nullptr;
            }
            if (element.inputSlotClass != InputClassification::PerVertexData
                && element.inputSlotClass != InputClassification::PerInstanceData)
            {
                return Fail(call, where + ": inputSlotClass must be PerVertexData or PerInstanceData"), nullptr;
            }
            r.name = std::string(element.semanticName) + std::to_string(element.semanticIndex);
            r.offset = element.alignedByteOffset == AppendAlignedElement ? slotEnd[element.inputSlot] : element.alignedByteOffset;
            if (r.offset % 4 != 0)
            {
                return Fail(call, where + ": alignedByteOffset must be a multiple of 4"), nullptr;
            }
            slotEnd[element.inputSlot] = r.offset + BitsPerPixel(element.format) / 8;
            for (uint32_t j = 0; j < i; ++j)
            {
                if (SemanticEquals(resolved[j].name, r.name))
                {
                    return Fail(call, where + ": semantic " + r.name + " is given twice"), nullptr;
                }
                const InputElementDesc& other = someElements[j];
                if (other.inputSlot == element.inputSlot
                    && (other.inputSlotClass != element.inputSlotClass || other.instanceDataStepRate != element.instanceDataStepRate))
                {
                    return Fail(call, where + ": elements of one input slot must share inputSlotClass and instanceDataStepRate"),
                           nullptr;
                }
            }
        }

        std::vector<int> elementOfInput(inputs.size(), -1);
        for (size_t k = 0; k < inputs.size(); ++k)
        {
            for (uint32_t i = 0; i < aCount; ++i)
            {
                if (SemanticEquals(inputs[k].name, resolved[i].name))
                {
                    elementOfInput[k] = static_cast<int>(i);
                    break;
                }
            }
            if (elementOfInput[k] < 0)
            {
                return Fail(call, "vertex shader input " + inputs[k].name + " has no element in the layout"), nullptr;
            }
        }

        GLuint vao = 0;
        glCreateVertexArrays(1, &vao);
        uint32_t usedSlots = 0;
        for (size_t k = 0; k < inputs.size(); ++k)
        {
            const InputElementDesc& element = someElements[elementOfInput[k]];
            const Resolved& r = resolved[static_cast<size_t>(elementOfInput[k])];
            const GLuint location = static_cast<GLuint>(inputs[k].location);
            glEnableVertexArrayAttrib(vao, location);
            if (IsIntegerGlType(inputs[k].glType) && r.integer)
            {
                glVertexArrayAttribIFormat(vao, location, r.size, r.type, r.offset);
            }
            else
            {
                glVertexArrayAttribFormat(vao, location, r.size, r.type, r.normalized ? GL_TRUE : GL_FALSE, r.offset);
            }
            glVertexArrayAttribBinding(vao, location, element.inputSlot);
            GLuint divisor = 0;
            if (element.inputSlotClass == InputClassification::PerInstanceData)
            {
                // Step rate 0 never advances: one element for every instance.
                divisor = element.instanceDataStepRate == 0 ? 0xFFFFFFFFu : element.instanceDataStepRate;
            }
            glVertexArrayBindingDivisor(vao, element.inputSlot, divisor);
            usedSlots |= 1u << element.inputSlot;
        }
        std::vector<InputElementDesc> elements(someElements, someElements + aCount);
        return std::make_shared<InputLayout>(CreationKey{}, myState, vao, usedSlots, std::move(elements));
    }

    // ---- creation ----------------------------------------------------------------------

    bool CreateDeviceAndSwapChain(const AdapterDesc* anAdapter, const SwapChainDesc& aDesc, std::shared_ptr<SwapChain>* aSwapChain,
                                  std::shared_ptr<Device>* aDevice, std::shared_ptr<DeviceContext>* aContext)
    {
        const char* call = "CreateDeviceAndSwapChain";
        if (aSwapChain == nullptr || aDevice == nullptr || aContext == nullptr)
        {
            return Fail(call, "the swap chain, device and context outputs must not be null");
        }
        *aSwapChain = nullptr;
        *aDevice = nullptr;
        *aContext = nullptr;
        if (aDesc.outputWindow == nullptr)
        {
            return Fail(call, "outputWindow must be an SDL window");
        }
        if ((SDL_GetWindowFlags(aDesc.outputWindow) & SDL_WINDOW_OPENGL) == 0)
        {
            return Fail(call, "outputWindow must be created with SDL_WINDOW_OPENGL (see WindowSetup.h)");
        }
        if (aDesc.sampleDesc.count != 1 || aDesc.sampleDesc.quality != 0)
        {
            return Fail(call, "only single-sampled swap chains are supported (sampleDesc 1, 0)");
        }
        switch (aDesc.format)
        {
        case Format::B8G8R8A8_UNORM:
        case Format::B8G8R8A8_UNORM_SRGB:
        case Format::R8G8B8A8_UNORM:
        case Format::R8G8B8A8_UNORM_SRGB:
        case Format::R16G16B16A16_FLOAT:
        case Format::R10G10B10A2_UNORM: break;
        default: return Fail(call, "format must be B8G8R8A8, R8G8B8A8 (UNORM or _SRGB), R16G16B16A16_FLOAT or R10G10B10A2_UNORM");
        }

        auto state = std::make_shared<impl::DeviceState>();
        state->window = aDesc.outputWindow;
        PrepareWindowCreation();
        state->glContext = SDL_GL_CreateContext(aDesc.outputWindow);
        if (state->glContext == nullptr)
        {
            return Fail(call, std::string("no OpenGL 4.5 core context for the window: ") + SDL_GetError());
        }
        if (!state->MakeCurrent())
        {
            return Fail(call, std::string("the GL context cannot be made current: ") + SDL_GetError());
        }
        GLint major = 0;
        GLint minor = 0;
        glGetIntegerv(GL_MAJOR_VERSION, &major);
        glGetIntegerv(GL_MINOR_VERSION, &minor);
        if (major < 4 || (major == 4 && minor < 5))
        {
            return Fail(call, "OpenGL 4.5 is needed, the driver gives " + std::to_string(major) + "." + std::to_string(minor));
        }
        state->hasS3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
        state->hasRgtc = major > 3 || epoxy_has_gl_extension("GL_ARB_texture_compression_rgtc");
        state->hasBptc = epoxy_has_gl_extension("GL_ARB_texture_compression_bptc");
        state->hasAnisotropic = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic")
            || epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
        if (anAdapter != nullptr)
        {
            state->adapter = *anAdapter;
        }
        else
        {
            const GLubyte* renderer = glGetString(GL_RENDERER);
            state->adapter.description = renderer ? reinterpret_cast<const char*>(renderer) : "OpenGL";
        }

        // D3D conventions: depth 0..1 in clip space, row 0 at the top; seamless cubes;
        // tightly packed rows in every transfer.
        glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
        glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);

        auto context = std::make_shared<DeviceContext>(CreationKey{}, state);
        state->context = context.get();
        auto device = std::make_shared<Device>(CreationKey{}, state, context);
        auto swapChain = std::make_shared<SwapChain>(CreationKey{}, state, aDesc);
        if (!swapChain->CreateBackBuffer())
        {
            return false;
        }
        if (!aDesc.windowed && !swapChain->SetFullscreenState(true))
        {
            return false;
        }
        *aSwapChain = std::move(swapChain);
        *aDevice = std::move(device);
        *aContext = std::move(context);
        return true;
    }
}
