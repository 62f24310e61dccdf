#version 450 core
// Lambert model pixel shader, the game's look for level geometry.
//
// A fixed key light from the upper left, in front (direction (-1, 1, -1) towards the
// light), gives the Lambert term L = max(dot(n, l), 0). The two Lambert parameter colours
// (data buffer b8, slots 0 and 1: the level's background and foreground colours, sRGB
// as the level stores them, converted here to linear light) tint the shading: the side
// turned away from the light takes the background colour, the lit side the foreground
// colour,
//   colour = albedo (t1) x vertex colour x mix(background, foreground, L)
// so models sit in the palette of the level's backdrop. The screen texture (t6), tiled
// over the screen in pixels (not over the model), scales the result by 0.85 to 1.15 from
// its red channel: a fixed paper grain that does not swim with the geometry.
// Alpha = albedo alpha x vertex alpha. Inputs as every model vertex shader writes them.

layout(location = 1) in vec3 inNormal;
layout(location = 4) in vec2 inTexCoord;
layout(location = 5) in vec4 inColor;

layout(binding = 1) uniform sampler2D albedoTexture;
layout(binding = 6) uniform sampler2D screenTexture;

layout(std140, binding = 8) uniform LambertData
{
    vec4 backgroundColor;
    vec4 foregroundColor;
};

layout(location = 0) out vec4 outColor;

// A cubic within half a percent of the exact curve: the exact one's two powers per
// channel, run for every pixel, were a large share of the software rasteriser's time.
vec3 SrgbToLinear(vec3 aColor)
{
    return aColor * (aColor * (aColor * 0.305306011 + 0.682171111) + 0.012522878);
}

void main()
{
    vec3 toLight = normalize(vec3(-1.0, 1.0, -1.0));
    float lambert = max(dot(normalize(inNormal), toLight), 0.0);
    vec3 tint = mix(SrgbToLinear(backgroundColor.rgb), SrgbToLinear(foregroundColor.rgb), lambert);

    // One texel per pixel, wrapped: read directly, as filtering at texel centres changes nothing.
    ivec2 grainTexel = ivec2(mod(gl_FragCoord.xy, vec2(textureSize(screenTexture, 0))));
    float grain = 0.85 + 0.3 * texelFetch(screenTexture, grainTexel, 0).r;

    vec4 albedo = texture(albedoTexture, inTexCoord) * inColor;
    outColor = vec4(albedo.rgb * tint * grain, albedo.a);
}
