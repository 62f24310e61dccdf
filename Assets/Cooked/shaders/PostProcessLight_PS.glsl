#version 450 core
// The level's light pass: one quad over the whole screen, drawn with alpha blending after
// the level. Around the player a soft warm glow; away from it the picture sinks into a cool
// dusk that stays readable (at most about 80 % of the light is taken away, which in the sRGB
// picture still leaves close to half of a mid tone), and the screen's edges and corners
// darken a little more, wherever the player is.
//
// Data vector 0 holds the player's screen position (x, y in 0 to 1, y up, 0, 1). The
// screen texture (t6), tiled in pixels, adds a faint grain to the dark so that its wide
// gradient shows no bands. Inputs as instanced_sprite_shader_VS writes them: the quad's
// own UV runs 0 to 1 over the screen, v down.

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

layout(binding = 6) uniform sampler2D screenTexture;

layout(location = 0) out vec4 outColor;

// Distances are in screen heights from the player.
const float LIT_RADIUS = 0.14;      // fully lit inside
const float DUSK_RADIUS = 0.95;     // fully dim beyond
const float MAX_DARKNESS = 0.72;
// The edge darkening: none inside this share of the half diagonal, full at the corners.
const float VIGNETTE_START = 0.45;
const float VIGNETTE_DARKNESS = 0.3;
const float GLOW_RADIUS = 0.22;
const float GLOW_STRENGTH = 0.22;
const vec3 DUSK_COLOR = vec3(0.004, 0.006, 0.022);
const vec3 GLOW_COLOR = vec3(1.0, 0.6, 0.26);

void main()
{
    vec2 light = sprite.data[0].xy;
    vec2 pixel = vec2(inQuadCoord.x, 1.0 - inQuadCoord.y);
    // Round, not stretched with the screen: x measured in screen heights as well.
    float aspect = frame.backBufferSize.y > 0.0 ? frame.backBufferSize.x / frame.backBufferSize.y : 1.0;
    vec2 offset = (pixel - light) * vec2(aspect, 1.0);
    float distance = length(offset);

    // One texel per pixel, wrapped: read directly, as filtering at texel centres changes nothing.
    ivec2 grainTexel = ivec2(mod(gl_FragCoord.xy, vec2(textureSize(screenTexture, 0))));
    float grain = 0.94 + 0.12 * texelFetch(screenTexture, grainTexel, 0).r;

    float dusk = MAX_DARKNESS * smoothstep(LIT_RADIUS, DUSK_RADIUS, distance);
    // Measured from the screen's centre, in the same round units, 1 at a corner.
    vec2 fromCentre = (pixel - 0.5) * vec2(aspect, 1.0);
    float edge = length(fromCentre) / length(vec2(aspect, 1.0) * 0.5);
    float vignette = VIGNETTE_DARKNESS * smoothstep(VIGNETTE_START, 1.0, edge);
    float darkness = clamp((1.0 - (1.0 - dusk) * (1.0 - vignette)) * grain, 0.0, 1.0);
    // The glow breathes a little, as a flame would.
    float breathe = 0.92 + 0.08 * sin(frame.totalTime * 2.3);
    float glow = GLOW_STRENGTH * breathe * exp(-(distance * distance) / (GLOW_RADIUS * GLOW_RADIUS));

    // result = scene x (1 - darkness)(1 - glow) + dusk x darkness x (1 - glow) + glow colour x glow,
    // written as one colour over the scene with alpha blending.
    float alpha = 1.0 - (1.0 - darkness) * (1.0 - glow);
    vec3 color = (DUSK_COLOR * darkness * (1.0 - glow) + GLOW_COLOR * glow) / max(alpha, 1e-4);
    outColor = vec4(color, alpha);
}
