#version 450 core
// One vertical pass of a 9-tap Gaussian blur of the source image (t0); the two passes
// together blur in both directions.

layout(location = 0) in vec2 inTexCoord;

layout(binding = 0) uniform sampler2D sourceTexture;

layout(location = 0) out vec4 outColor;

const float weights[5] = float[](0.2270270270, 0.1945945946, 0.1216216216, 0.0540540541, 0.0162162162);

void main()
{
    vec2 texel = 1.0 / vec2(textureSize(sourceTexture, 0));
    vec2 stepSize = vec2(0.0, texel.y);
    vec4 sum = texture(sourceTexture, inTexCoord) * weights[0];
    for (int i = 1; i < 5; ++i)
    {
        sum += texture(sourceTexture, inTexCoord + stepSize * float(i)) * weights[i];
        sum += texture(sourceTexture, inTexCoord - stepSize * float(i)) * weights[i];
    }
    outColor = sum;
}
