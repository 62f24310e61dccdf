#version 450 core
// Copies the source image (t0, sampler s0) to the target.

layout(location = 0) in vec2 inTexCoord;

layout(binding = 0) uniform sampler2D sourceTexture;

layout(location = 0) out vec4 outColor;

void main()
{
    outColor = texture(sourceTexture, inTexCoord);
}
