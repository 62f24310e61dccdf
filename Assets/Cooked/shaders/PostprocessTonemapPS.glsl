#version 450 core
// Maps the linear HDR source image (t0) into 0 to 1 with a filmic curve (an ACES fit);
// alpha passes through.

layout(location = 0) in vec2 inTexCoord;

layout(binding = 0) uniform sampler2D sourceTexture;

layout(location = 0) out vec4 outColor;

vec3 Filmic(vec3 x)
{
    const float a = 2.51;
    const float b = 0.03;
    const float c = 2.43;
    const float d = 0.59;
    const float e = 0.14;
    return clamp((x * (a * x + b)) / (x * (c * x + d) + e), 0.0, 1.0);
}

void main()
{
    vec4 source = texture(sourceTexture, inTexCoord);
    outColor = vec4(Filmic(max(source.rgb, vec3(0.0))), source.a);
}
