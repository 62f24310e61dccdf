#version 450 core
// The level background: one texture seen as three layers that scroll with the camera at
// different rates, so the picture has depth. Data vector 0 holds (camera x, camera y,
// repetition size x, repetition size y): the near layer scrolls by one whole texture per
// repetition size of camera travel, the middle layer at half that rate and the far layer
// at a fifth. Farther layers repeat smaller and are darker and bluer. A nearer layer
// covers the ones behind where it is opaque and lit; its dark texels let them show.
// The whole picture stays well below the playfield's brightness, so the hero, the floor
// and the objects read in front of it: every layer is dimmed, and the farther back, the
// flatter, greyer and bluer it gets, as if seen through night haze.
// Inputs as instanced_sprite_shader_VS writes them; the quad never moves.

layout(location = 1) in vec4 inColor;
layout(location = 2) in vec2 inQuadCoord;

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

const vec3 LUMA = vec3(0.2126, 0.7152, 0.0722);
// Colours are in linear light. Haze is what a layer fades towards: a cool night blue.
const vec3 HAZE = vec3(0.006, 0.009, 0.03);
const vec3 COOL = vec3(0.55, 0.68, 1.0);

struct Depth
{
    float brightness;   // overall gain
    float saturation;   // 1 keeps the texture's colour, 0 is grey
    float coolness;     // how far the grey part leans to blue
    float haze;         // share of the haze colour mixed in (lowers contrast)
};

const Depth NEAR = Depth(0.36, 0.85, 0.25, 0.08);
const Depth MIDDLE = Depth(0.17, 0.6, 0.55, 0.25);
const Depth FAR = Depth(0.08, 0.35, 0.85, 0.45);

vec4 SampleLayer(vec2 aScroll, float aRate, float aTiling)
{
    // The same offset for every pixel, wrapped once here, so repeats show no seam.
    vec2 offset = fract(aScroll * aRate);
    // The quad spans the screen's width, so each layer keeps one scale everywhere and the
    // sampler's nearest mip level is the same for every pixel. (Working the level out per
    // pixel for an explicit-level read cost the software rasteriser a sixth of the backdrop.)
    vec4 texel = texture(colorTexture, inQuadCoord * aTiling + offset);
    // The texture is bound as plain 8-bit values holding sRGB: to linear light (a cubic
    // within half a percent of the exact curve).
    texel.rgb = texel.rgb * (texel.rgb * (texel.rgb * 0.305306011 + 0.682171111) + 0.012522878);
    return texel;
}

float Coverage(vec4 aTexel)
{
    float luminance = dot(aTexel.rgb, LUMA);
    return aTexel.a * smoothstep(0.04, 0.3, luminance);
}

vec3 Recede(vec3 aColor, Depth aDepth)
{
    // Soft shoulder: the brightest rims and leaves lose more than the mid tones.
    vec3 color = aColor / (1.0 + 0.6 * aColor);
    float luminance = dot(color, LUMA);
    vec3 grey = luminance * mix(vec3(1.0), COOL / dot(COOL, LUMA), aDepth.coolness);
    color = mix(grey, color, aDepth.saturation) * aDepth.brightness;
    return mix(color, HAZE, aDepth.haze);
}

void main()
{
    vec2 camera = sprite.data[0].xy;
    // A size of 0 (or a negative one) would divide by zero: keep at least one unit.
    vec2 repetition = max(abs(sprite.data[0].zw), vec2(1.0));
    // Camera to the right: the picture moves left; camera up: it moves down (v grows down).
    vec2 scroll = vec2(camera.x, -camera.y) / repetition;

    vec4 far = SampleLayer(scroll, 0.2, 2.0);
    vec4 middle = SampleLayer(scroll, 0.5, 1.5);
    vec4 near = SampleLayer(scroll, 1.0, 1.0);

    vec3 color = Recede(far.rgb * far.a, FAR);
    color = mix(color, Recede(middle.rgb, MIDDLE), Coverage(middle));
    color = mix(color, Recede(near.rgb, NEAR), Coverage(near));
    outColor = vec4(color * inColor.rgb, inColor.a);
}
