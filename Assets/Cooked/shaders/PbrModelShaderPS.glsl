#version 450 core
// Metallic-roughness PBR model pixel shader.
//
// Textures: t1 albedo (sRGB) x the vertex colour; t2 tangent-space normal map (rgb*2-1,
// through the interpolated tangent, binormal and normal); t3 material: r ambient
// occlusion, g roughness, b metalness; t4 effects: r emissive strength (albedo glows);
// t0 the environment cube map the state stack binds (white, horizon or custom).
//
// Light (b2, linear colours):
//   - up to eight point lights: colour rgb x alpha as intensity, fading to zero at
//     their range, (1 - d / range)^2; the fourth value is not used;
//   - one directional light of light colour A (rgb x alpha), shining along the z row of
//     the light matrix; the default colour A (0, 0, 0, 0) switches it off;
//   - image-based ambient light from the environment cube, scaled by light colour B
//     (default white): diffuse from its most blurred mip along the normal, specular from
//     the mip matching the roughness along the reflection, weighted by a split-sum
//     approximation of the Fresnel term; both scaled by the occlusion.
// Direct light uses GGX distribution, Smith-Schlick geometry and Schlick Fresnel with
// F0 = mix(0.04, albedo, metalness). The light scalar is not used.
// The camera position comes from the camera transform (b1).

layout(location = 0) in vec4 inWorldPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec3 inTangent;
layout(location = 3) in vec3 inBinormal;
layout(location = 4) in vec2 inTexCoord;
layout(location = 5) in vec4 inColor;

layout(binding = 0) uniform samplerCube environmentTexture;
layout(binding = 1) uniform sampler2D albedoTexture;
layout(binding = 2) uniform sampler2D normalTexture;
layout(binding = 3) uniform sampler2D materialTexture;
layout(binding = 4) uniform sampler2D effectsTexture;

layout(std140, row_major, binding = 1) uniform CameraBuffer
{
    mat4 view;
    mat4 cameraTransform;
    mat4 projection;
    mat4 inverseProjection;
    float nearValue;
    float farValue;
} camera;

struct PointLight
{
    vec3 position;
    vec4 color;
    float range;
    float fourthValue;
};

layout(std140, row_major, binding = 2) uniform LightBuffer
{
    PointLight pointLights[8];
    int lightCount;
    float lightScalar;
    vec2 zero;
    vec4 lightColorB;
    vec4 lightColorA;
    mat4 lightMatrix;
} lights;

layout(location = 0) out vec4 outColor;

const float PI = 3.14159265;

float DistributionGgx(float aNdotH, float aRoughness)
{
    float a = aRoughness * aRoughness;
    float a2 = a * a;
    float d = aNdotH * aNdotH * (a2 - 1.0) + 1.0;
    return a2 / max(PI * d * d, 0.000001);
}

float GeometrySmith(float aNdotV, float aNdotL, float aRoughness)
{
    float k = (aRoughness + 1.0) * (aRoughness + 1.0) / 8.0;
    float gv = aNdotV / (aNdotV * (1.0 - k) + k);
    float gl = aNdotL / (aNdotL * (1.0 - k) + k);
    return gv * gl;
}

vec3 FresnelSchlick(float aCosine, vec3 aF0)
{
    return aF0 + (1.0 - aF0) * pow(1.0 - clamp(aCosine, 0.0, 1.0), 5.0);
}

vec3 DirectLight(vec3 aToLight, vec3 aRadiance, vec3 aNormal, vec3 aToEye, vec3 anAlbedo, float aRoughness,
                 float aMetalness, vec3 aF0)
{
    vec3 halfway = normalize(aToLight + aToEye);
    float nDotL = max(dot(aNormal, aToLight), 0.0);
    float nDotV = max(dot(aNormal, aToEye), 0.0001);
    float nDotH = max(dot(aNormal, halfway), 0.0);
    vec3 fresnel = FresnelSchlick(max(dot(halfway, aToEye), 0.0), aF0);
    vec3 specular = DistributionGgx(nDotH, aRoughness) * GeometrySmith(nDotV, nDotL, aRoughness) * fresnel /
                    max(4.0 * nDotV * nDotL, 0.0001);
    vec3 diffuse = (1.0 - fresnel) * (1.0 - aMetalness) * anAlbedo / PI;
    return (diffuse + specular) * aRadiance * nDotL;
}

void main()
{
    vec4 albedo = texture(albedoTexture, inTexCoord) * inColor;
    vec3 material = texture(materialTexture, inTexCoord).rgb;
    float occlusion = material.r;
    float roughness = clamp(material.g, 0.04, 1.0);
    float metalness = material.b;
    float emissive = texture(effectsTexture, inTexCoord).r;

    vec3 tangentNormal = texture(normalTexture, inTexCoord).xyz * 2.0 - 1.0;
    mat3 tangentToWorld = mat3(normalize(inTangent), normalize(inBinormal), normalize(inNormal));
    vec3 normal = normalize(tangentToWorld * tangentNormal);

    vec3 cameraPosition = (vec4(0.0, 0.0, 0.0, 1.0) * camera.cameraTransform).xyz;
    vec3 toEye = normalize(cameraPosition - inWorldPosition.xyz);
    vec3 f0 = mix(vec3(0.04), albedo.rgb, metalness);

    vec3 color = vec3(0.0);
    int count = clamp(lights.lightCount, 0, 8);
    for (int i = 0; i < count; ++i)
    {
        PointLight light = lights.pointLights[i];
        vec3 offset = light.position - inWorldPosition.xyz;
        float distance = length(offset);
        float fade = clamp(1.0 - distance / max(light.range, 0.0001), 0.0, 1.0);
        vec3 radiance = light.color.rgb * light.color.a * fade * fade;
        color += DirectLight(offset / max(distance, 0.0001), radiance, normal, toEye, albedo.rgb, roughness, metalness, f0);
    }

    vec3 sunDirection = (vec4(0.0, 0.0, 1.0, 0.0) * lights.lightMatrix).xyz;
    if (dot(sunDirection, sunDirection) > 0.0)
    {
        vec3 radiance = lights.lightColorA.rgb * lights.lightColorA.a;
        color += DirectLight(-normalize(sunDirection), radiance, normal, toEye, albedo.rgb, roughness, metalness, f0);
    }

    float mipCount = float(textureQueryLevels(environmentTexture));
    vec3 irradiance = textureLod(environmentTexture, normal, mipCount - 1.0).rgb;
    vec3 reflected = textureLod(environmentTexture, reflect(-toEye, normal), roughness * (mipCount - 1.0)).rgb;
    vec3 ambientFresnel = FresnelSchlick(max(dot(normal, toEye), 0.0), f0);
    vec3 ambient = ((1.0 - ambientFresnel) * (1.0 - metalness) * albedo.rgb * irradiance + ambientFresnel * reflected) *
                   lights.lightColorB.rgb * occlusion;

    outColor = vec4(color + ambient + albedo.rgb * emissive, albedo.a);
}
