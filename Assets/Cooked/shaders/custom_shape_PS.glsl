#version 450 core
// Custom shapes: the colour texture (t1, sampler s0) times the vertex colour.

layout(location = 0) in vec2 inTexCoord;
layout(location = 1) in vec4 inColor;

layout(binding = 1) uniform sampler2D colorTexture;

layout(location = 0) out vec4 outColor;

void main()
{
    outColor = texture(colorTexture, inTexCoord) * inColor;
}
