#version 450 core
// Shows the source image (t0) in square blocks of the pixel size: every pixel of a block
// takes the texel at the block's centre. The block size comes from b13 together with the
// render size it is measured against.

layout(location = 0) in vec2 inTexCoord;

layout(std140, binding = 13) uniform PixelateBuffer
{
    float pixelSize;
    uint renderWidth;
    uint renderHeight;
    uint unused;
} pixelate;

layout(binding = 0) uniform sampler2D sourceTexture;

layout(location = 0) out vec4 outColor;

void main()
{
    vec2 renderSize = max(vec2(float(pixelate.renderWidth), float(pixelate.renderHeight)), vec2(1.0));
    vec2 block = max(pixelate.pixelSize, 1.0) / renderSize;
    vec2 uv = (floor(inTexCoord / block) + 0.5) * block;
    outColor = texture(sourceTexture, min(uv, vec2(1.0)));
}
