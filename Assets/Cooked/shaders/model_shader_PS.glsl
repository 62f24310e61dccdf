#version 450 core
// The default model pixel shader: unlit, the colour texture (t1) times the first vertex
// colour. The colour texture is loaded as sRGB, so both factors are linear light and the
// sRGB back buffer encodes the product. Inputs as every model vertex shader writes them.

layout(location = 4) in vec2 inTexCoord;
layout(location = 5) in vec4 inColor;

layout(binding = 1) uniform sampler2D albedoTexture;

layout(location = 0) out vec4 outColor;

void main()
{
    outColor = texture(albedoTexture, inTexCoord) * inColor;
}
