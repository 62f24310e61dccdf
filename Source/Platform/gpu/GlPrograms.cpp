// Compiling GLSL into separable programs and mapping their D3D-numbered registers onto
// the GL bindings of their stage.
#include "Platform/gpu/GlBackend.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace Plat::Gpu::impl
{
    namespace
    {
        bool IsSamplerType(GLenum aType)
        {
            switch (aType)
            {
            case GL_SAMPLER_2D:
            case GL_SAMPLER_3D:
            case GL_SAMPLER_CUBE:
            case GL_SAMPLER_2D_SHADOW:
            case GL_SAMPLER_2D_ARRAY:
            case GL_SAMPLER_2D_ARRAY_SHADOW:
            case GL_SAMPLER_CUBE_SHADOW:
            case GL_SAMPLER_CUBE_MAP_ARRAY:
            case GL_SAMPLER_CUBE_MAP_ARRAY_SHADOW:
            case GL_INT_SAMPLER_2D:
            case GL_INT_SAMPLER_2D_ARRAY:
            case GL_INT_SAMPLER_CUBE:
            case GL_UNSIGNED_INT_SAMPLER_2D:
            case GL_UNSIGNED_INT_SAMPLER_2D_ARRAY:
            case GL_UNSIGNED_INT_SAMPLER_CUBE: return true;
            default: return false;
            }
        }

        bool IsMatrixType(GLenum aType)
        {
            switch (aType)
            {
            case GL_FLOAT_MAT2:
            case GL_FLOAT_MAT3:
            case GL_FLOAT_MAT4:
            case GL_FLOAT_MAT2x3:
            case GL_FLOAT_MAT2x4:
            case GL_FLOAT_MAT3x2:
            case GL_FLOAT_MAT3x4:
            case GL_FLOAT_MAT4x2:
            case GL_FLOAT_MAT4x3: return true;
            default: return false;
            }
        }

        // The first line that says something about the shader (not "#version"), for messages.
        std::string DescribeSource(const std::string& aSource)
        {
            size_t start = 0;
            while (start < aSource.size())
            {
                size_t end = aSource.find('\n', start);
                if (end == std::string::npos)
                {
                    end = aSource.size();
                }
                std::string line = aSource.substr(start, end - start);
                while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
                {
                    line.pop_back();
                }
                size_t first = 0;
                while (first < line.size() && std::isspace(static_cast<unsigned char>(line[first])))
                {
                    ++first;
                }
                line = line.substr(first);
                if (!line.empty() && line.rfind("#version", 0) != 0)
                {
                    return line.size() > 100 ? line.substr(0, 100) + "..." : line;
                }
                start = end + 1;
            }
            return "(empty source)";
        }

        std::string ResourceName(GLuint aProgram, GLenum anInterface, GLuint anIndex)
        {
            GLint length = 0;
            const GLenum property = GL_NAME_LENGTH;
            glGetProgramResourceiv(aProgram, anInterface, anIndex, 1, &property, 1, nullptr, &length);
            std::string name(static_cast<size_t>(length > 0 ? length : 1), '\0');
            glGetProgramResourceName(aProgram, anInterface, anIndex, static_cast<GLsizei>(name.size()), nullptr, name.data());
            name.resize(std::char_traits<char>::length(name.c_str()));
            return name;
        }

        // "lut_s1" samples with s1; every other texture with s0.
        uint32_t SamplerRegisterFromName(std::string aName)
        {
            const size_t bracket = aName.find('[');
            if (bracket != std::string::npos)
            {
                aName.resize(bracket);
            }
            const size_t marker = aName.rfind("_s");
            if (marker == std::string::npos || marker + 2 >= aName.size())
            {
                return 0;
            }
            uint32_t value = 0;
            for (size_t i = marker + 2; i < aName.size(); ++i)
            {
                if (!std::isdigit(static_cast<unsigned char>(aName[i])))
                {
                    return 0;
                }
                value = value * 10 + static_cast<uint32_t>(aName[i] - '0');
                if (value >= RegistersPerStage)
                {
                    return 0;
                }
            }
            return value;
        }
    }

    GLuint CreateStageProgram(const char* aCall, GLenum aStage, const void* aBytecode, size_t aLength,
                              std::vector<TextureUse>& someTextures, std::vector<VertexInput>* someInputs)
    {
        if (aBytecode == nullptr || aLength == 0)
        {
            Fail(aCall, "bytecode (GLSL source) must not be empty");
            return 0;
        }
        std::string source(static_cast<const char*>(aBytecode), aLength);
        if (source.rfind("\xEF\xBB\xBF", 0) == 0)
        {
            source.erase(0, 3);
        }
        if (source.find('\0') != std::string::npos)
        {
            source.resize(source.find('\0'));
        }
        const char* text = source.c_str();
        GLuint program = glCreateShaderProgramv(aStage, 1, &text);
        if (program == 0)
        {
            Fail(aCall, "the driver could not create a program");
            return 0;
        }
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE)
        {
            GLint logLength = 0;
            glGetProgramiv(program, GL_INFO_LOG_LENGTH, &logLength);
            std::string log(static_cast<size_t>(logLength > 0 ? logLength : 1), '\0');
            glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), nullptr, log.data());
            log.resize(std::char_traits<char>::length(log.c_str()));
            Fail(aCall, "GLSL does not compile: " + DescribeSource(source) + "\n" + log);
            glDeleteProgram(program);
            return 0;
        }

        const GLuint base = aStage == GL_VERTEX_SHADER ? VertexStageBindingBase : PixelStageBindingBase;
        bool ok = true;

        // Constant buffers: layout(binding = N) is register bN.
        GLint blockCount = 0;
        glGetProgramInterfaceiv(program, GL_UNIFORM_BLOCK, GL_ACTIVE_RESOURCES, &blockCount);
        for (GLint i = 0; i < blockCount && ok; ++i)
        {
            const GLenum property = GL_BUFFER_BINDING;
            GLint binding = 0;
            glGetProgramResourceiv(program, GL_UNIFORM_BLOCK, static_cast<GLuint>(i), 1, &property, 1, nullptr, &binding);
            if (binding < 0 || binding >= 14)
            {
                ok = Fail(aCall, "uniform block \"" + ResourceName(program, GL_UNIFORM_BLOCK, static_cast<GLuint>(i))
                                     + "\": constant-buffer register (binding) must be 0..13");
                break;
            }
            glUniformBlockBinding(program, static_cast<GLuint>(i), base + static_cast<GLuint>(binding));
        }

        // Textures: layout(binding = N) on a sampler is register tN.
        GLint uniformCount = 0;
        glGetProgramInterfaceiv(program, GL_UNIFORM, GL_ACTIVE_RESOURCES, &uniformCount);
        for (GLint i = 0; i < uniformCount && ok; ++i)
        {
            const GLenum properties[3] = {GL_TYPE, GL_LOCATION, GL_ARRAY_SIZE};
            GLint values[3] = {0, -1, 1};
            glGetProgramResourceiv(program, GL_UNIFORM, static_cast<GLuint>(i), 3, properties, 3, nullptr, values);
            if (!IsSamplerType(static_cast<GLenum>(values[0])) || values[1] < 0)
            {
                continue;
            }
            const std::string name = ResourceName(program, GL_UNIFORM, static_cast<GLuint>(i));
            const uint32_t samplerRegister = SamplerRegisterFromName(name);
            for (GLint element = 0; element < values[2]; ++element)
            {
                GLint textureRegister = 0;
                glGetUniformiv(program, values[1] + element, &textureRegister);
                if (textureRegister < 0 || textureRegister >= static_cast<GLint>(RegistersPerStage))
                {
                    ok = Fail(aCall, "sampler \"" + name + "\": texture register (binding) must be 0..15");
                    break;
                }
                glProgramUniform1i(program, values[1] + element, static_cast<GLint>(base) + textureRegister);
                someTextures.push_back({static_cast<uint32_t>(textureRegister), samplerRegister});
            }
        }

        if (ok && someInputs != nullptr)
        {
            GLint inputCount = 0;
            glGetProgramInterfaceiv(program, GL_PROGRAM_INPUT, GL_ACTIVE_RESOURCES, &inputCount);
            for (GLint i = 0; i < inputCount; ++i)
            {
                const GLenum properties[2] = {GL_TYPE, GL_LOCATION};
                GLint values[2] = {0, -1};
                glGetProgramResourceiv(program, GL_PROGRAM_INPUT, static_cast<GLuint>(i), 2, properties, 2, nullptr, values);
                std::string name = ResourceName(program, GL_PROGRAM_INPUT, static_cast<GLuint>(i));
                if (values[1] < 0 || name.rfind("gl_", 0) == 0)
                {
                    continue;
                }
                if (IsMatrixType(static_cast<GLenum>(values[0])))
                {
                    ok = Fail(aCall, "vertex input \"" + name + "\": matrix inputs are not supported, declare one vec4 per row");
                    break;
                }
                someInputs->push_back({name, values[1], static_cast<uint32_t>(values[0])});
            }
        }

        if (!ok)
        {
            glDeleteProgram(program);
            return 0;
        }
        return program;
    }
}
