#version 450 core
// The player's sprite: the sheet cell times the instance colour, turned red while hurt.
// Data vector 0 holds the health in x, y and z (100 unhurt, 50 after a hit). Below full
// health the sprite takes a deep red that pulses quickly, so a hit reads at a glance;
// transparent texels stay transparent. Inputs as instanced_sprite_shader_VS writes them.

layout(location = 0) in vec2 inTexCoord;
layout(location = 1) in vec4 inColor;

layout(std140, binding = 0) uniform FrameBuffer
{
    vec2 backBufferSize;
    float totalTime;
    float deltaTime;
} frame;

layout(std140, binding = 5) uniform SpriteData
{
    vec4 data[8];
} sprite;

layout(binding = 1) uniform sampler2D colorTexture;

layout(location = 0) out vec4 outColor;

const vec3 HURT_RED = vec3(1.0, 0.05, 0.04);

void main()
{
    vec4 texel = texture(colorTexture, inTexCoord) * inColor;
    float health = sprite.data[0].x;

    // 0 at full health, 1 at half health or less.
    float hurt = clamp((100.0 - health) / 50.0, 0.0, 1.0);
    // Four pulses a second between 80 % and full strength.
    float pulse = 0.5 + 0.5 * sin(frame.totalTime * 25.0);
    float strength = hurt * (0.8 + 0.2 * pulse);

    // Keep some of the sprite's shading, but never so dark that the red is lost.
    float luminance = dot(texel.rgb, vec3(0.299, 0.587, 0.114));
    vec3 red = HURT_RED * max(luminance, 0.6);

    outColor = vec4(mix(texel.rgb, red, strength), texel.a);
}
