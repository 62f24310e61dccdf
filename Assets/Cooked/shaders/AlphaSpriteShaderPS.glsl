#version 450 core
// Sprite pixel shader for cut-out art (sprite-sheet characters, the loading-screen moth):
// the colour texture (t1, sampler s0) times the instance colour, with the see-through
// texels discarded so that sprites drawn with depth do not hide what lies behind their
// empty corners. Inputs as instanced_sprite_shader_VS writes them; the sheet cell from the
// custom data is already in the texture coordinate.

layout(location = 0) in vec2 inTexCoord;
layout(location = 1) in vec4 inColor;

layout(binding = 1) uniform sampler2D colorTexture;

layout(location = 0) out vec4 outColor;

void main()
{
    vec4 color = texture(colorTexture, inTexCoord) * inColor;
    if (color.a < 0.01)
        discard;
    outColor = color;
}
