// Moving texel data between memory (D3D layout, rows top first) and GL textures.
// With the upper-left clip origin, GL's row 0 is the top row, so rows go across as they are.
#include "Platform/gpu/GlBackend.h"

#include <cstring>

namespace Plat::Gpu::impl
{
    namespace
    {
        // D3D keeps D24S8 depth in the low 24 bits and stencil in the high 8; GL the reverse.
        uint32_t D3dToGlDepthStencil(uint32_t aValue) { return (aValue << 8) | (aValue >> 24); }
        uint32_t GlToD3dDepthStencil(uint32_t aValue) { return (aValue >> 8) | (aValue << 24); }

        void Repack(const uint8_t* aSource, uint32_t aSourcePitch, uint32_t aTightPitch, uint32_t aRows,
                    std::vector<uint8_t>& someOut)
        {
            someOut.resize(static_cast<size_t>(aTightPitch) * aRows);
            for (uint32_t row = 0; row < aRows; ++row)
            {
                std::memcpy(someOut.data() + static_cast<size_t>(row) * aTightPitch,
                            aSource + static_cast<size_t>(row) * aSourcePitch, aTightPitch);
            }
        }
    }

    void UploadRegion(GLuint aTexture, GLenum aTarget, const GlFormat& aFormat, uint32_t aMip, uint32_t aLayer,
                      uint32_t anX, uint32_t aY, uint32_t aWidth, uint32_t aHeight, const void* someData, uint32_t aRowPitch)
    {
        const uint32_t tight = RowPitch(aFormat.format, aWidth);
        const uint32_t rows = RowCount(aFormat.format, aHeight);
        const uint8_t* source = static_cast<const uint8_t*>(someData);
        const bool layered = aTarget != GL_TEXTURE_2D;
        std::vector<uint8_t> repacked;

        if (aFormat.blockBytes != 0)
        {
            if (aRowPitch != tight)
            {
                Repack(source, aRowPitch, tight, rows, repacked);
                source = repacked.data();
            }
            const GLsizei size = static_cast<GLsizei>(tight * rows);
            if (layered)
            {
                glCompressedTextureSubImage3D(aTexture, static_cast<GLint>(aMip), static_cast<GLint>(anX), static_cast<GLint>(aY),
                                              static_cast<GLint>(aLayer), static_cast<GLsizei>(aWidth), static_cast<GLsizei>(aHeight),
                                              1, aFormat.internalFormat, size, source);
            }
            else
            {
                glCompressedTextureSubImage2D(aTexture, static_cast<GLint>(aMip), static_cast<GLint>(anX), static_cast<GLint>(aY),
                                              static_cast<GLsizei>(aWidth), static_cast<GLsizei>(aHeight), aFormat.internalFormat,
                                              size, source);
            }
            return;
        }

        const uint32_t bytesPerPixel = aFormat.bitsPerPixel / 8;
        if (aFormat.swapDepthStencil)
        {
            Repack(source, aRowPitch, tight, rows, repacked);
            for (size_t i = 0; i + 4 <= repacked.size(); i += 4)
            {
                uint32_t value = 0;
                std::memcpy(&value, repacked.data() + i, 4);
                value = D3dToGlDepthStencil(value);
                std::memcpy(repacked.data() + i, &value, 4);
            }
            source = repacked.data();
        }
        else if (aRowPitch != tight)
        {
            if (bytesPerPixel != 0 && aRowPitch % bytesPerPixel == 0)
            {
                glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(aRowPitch / bytesPerPixel));
            }
            else
            {
                Repack(source, aRowPitch, tight, rows, repacked);
                source = repacked.data();
            }
        }
        if (layered)
        {
            glTextureSubImage3D(aTexture, static_cast<GLint>(aMip), static_cast<GLint>(anX), static_cast<GLint>(aY),
                                static_cast<GLint>(aLayer), static_cast<GLsizei>(aWidth), static_cast<GLsizei>(aHeight), 1,
                                aFormat.uploadFormat, aFormat.uploadType, source);
        }
        else
        {
            glTextureSubImage2D(aTexture, static_cast<GLint>(aMip), static_cast<GLint>(anX), static_cast<GLint>(aY),
                                static_cast<GLsizei>(aWidth), static_cast<GLsizei>(aHeight), aFormat.uploadFormat,
                                aFormat.uploadType, source);
        }
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }

    void ReadRegion(GLuint aTexture, GLenum aTarget, const GlFormat& aFormat, uint32_t aMip, uint32_t aLayer,
                    uint32_t aWidth, uint32_t aHeight, std::vector<uint8_t>& someBytes)
    {
        (void)aTarget;
        const uint32_t tight = RowPitch(aFormat.format, aWidth);
        const uint32_t rows = RowCount(aFormat.format, aHeight);
        someBytes.assign(static_cast<size_t>(tight) * rows, 0);
        const GLsizei size = static_cast<GLsizei>(someBytes.size());
        if (aFormat.blockBytes != 0)
        {
            glGetCompressedTextureSubImage(aTexture, static_cast<GLint>(aMip), 0, 0, static_cast<GLint>(aLayer),
                                           static_cast<GLsizei>(aWidth), static_cast<GLsizei>(aHeight), 1, size, someBytes.data());
            return;
        }
        glGetTextureSubImage(aTexture, static_cast<GLint>(aMip), 0, 0, static_cast<GLint>(aLayer), static_cast<GLsizei>(aWidth),
                             static_cast<GLsizei>(aHeight), 1, aFormat.uploadFormat, aFormat.uploadType, size, someBytes.data());
        if (aFormat.swapDepthStencil)
        {
            for (size_t i = 0; i + 4 <= someBytes.size(); i += 4)
            {
                uint32_t value = 0;
                std::memcpy(&value, someBytes.data() + i, 4);
                value = GlToD3dDepthStencil(value);
                std::memcpy(someBytes.data() + i, &value, 4);
            }
        }
    }
}
