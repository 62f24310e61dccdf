#version 450 core
// The level background: one texture seen as three layers that scroll with the camera at
// different rates, so the picture has depth. Data vector 0 holds (camera x, camera y,
// repetition size x, repetition size y): the near layer scrolls by one whole texture per
// repetition size of camera travel, the middle layer at half that rate and the far layer
// at a fifth. Farther layers repeat smaller and are darker and bluer. A nearer layer
// covers the ones behind where it is opaque and lit; its dark texels let them show.
// Inputs as instanced_sprite_shader_VS writes them; the quad never moves.

layout(location = 1) in vec4 inColor;
layout(location = 2) in vec2 inQuadCoord;

layout(std140, binding = 5) uniform SpriteData
{
    vec4 data[8];
} sprite;

layout(binding = 1) uniform sampler2D colorTexture;

layout(location = 0) out vec4 outColor;

const vec3 MIDDLE_TINT = vec3(0.6, 0.66, 0.85);
const vec3 FAR_TINT = vec3(0.3, 0.38, 0.6);

vec4 SampleLayer(vec2 aScroll, float aRate, float aTiling)
{
    // The same offset for every pixel, wrapped once here, so repeats show no seam.
    vec2 offset = fract(aScroll * aRate);
    return texture(colorTexture, inQuadCoord * aTiling + offset);
}

float Coverage(vec4 aTexel)
{
    float luminance = dot(aTexel.rgb, vec3(0.2126, 0.7152, 0.0722));
    return aTexel.a * smoothstep(0.04, 0.3, luminance);
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

    vec3 color = far.rgb * far.a * FAR_TINT;
    color = mix(color, middle.rgb * MIDDLE_TINT, Coverage(middle));
    color = mix(color, near.rgb, Coverage(near));
    outColor = vec4(color * inColor.rgb, inColor.a);
}
