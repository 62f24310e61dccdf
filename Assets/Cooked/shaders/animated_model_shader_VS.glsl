#version 450 core
// Skinned model vertex shader of the animated and animated Lambert model shaders, and
// (installed again as "AnimatedPbrModelShaderVS") of the animated PBR model shader.
//
// Skinning: BONES0 holds four bone indices as floats (the model factory converts the
// importer's integer joint indices) and WEIGHTS0 their weights. The skinned position is
//   sum over i of WEIGHTS0[i] * (position * bones[BONES0[i]])
// with the 128 bone matrices at b5 (bone = inverse bind x joint's model-space matrix, so
// an identity pose leaves the mesh where it was modelled). A vertex whose weights add up
// to zero (a mesh without a skin) is used unskinned rather than collapsed onto the origin.
// Normals, tangents and binormals go through the same blend of the bones' 3x3 parts.
//
// Then as model_shader_VS: object transform (b4), camera view and projection (b1),
// row-major matrices with row vectors, and the same outputs:
//   location 0  vec4 world position
//   location 1  vec3 world normal (normalised)
//   location 2  vec3 world tangent
//   location 3  vec3 world binormal
//   location 4  vec2 first UV set
//   location 5  vec4 first vertex colour

layout(location = 0) in vec4 POSITION0;
layout(location = 1) in vec4 COLOR0;
layout(location = 2) in vec2 TEXCOORD0;
layout(location = 3) in vec3 NORMAL0;
layout(location = 4) in vec3 TANGENT0;
layout(location = 5) in vec3 BINORMAL0;
layout(location = 6) in vec4 BONES0;
layout(location = 7) in vec4 WEIGHTS0;

layout(std140, row_major, binding = 1) uniform CameraBuffer
{
    mat4 view;
    mat4 cameraTransform;
    mat4 projection;
    mat4 inverseProjection;
    float nearValue;
    float farValue;
} camera;

layout(std140, row_major, binding = 4) uniform ObjectBuffer
{
    mat4 objectTransform;
};

layout(std140, row_major, binding = 5) uniform BoneBuffer
{
    mat4 bones[128];
};

out gl_PerVertex
{
    vec4 gl_Position;
};

layout(location = 0) out vec4 outWorldPosition;
layout(location = 1) out vec3 outNormal;
layout(location = 2) out vec3 outTangent;
layout(location = 3) out vec3 outBinormal;
layout(location = 4) out vec2 outTexCoord;
layout(location = 5) out vec4 outColor;

mat4 BoneAt(float anIndex)
{
    return bones[clamp(int(anIndex + 0.5), 0, 127)];
}

void main()
{
    vec4 position = vec4(POSITION0.xyz, 1.0);
    mat4 skin = mat4(1.0);
    float totalWeight = WEIGHTS0.x + WEIGHTS0.y + WEIGHTS0.z + WEIGHTS0.w;
    if (totalWeight > 0.000001)
    {
        skin = BoneAt(BONES0.x) * WEIGHTS0.x + BoneAt(BONES0.y) * WEIGHTS0.y +
               BoneAt(BONES0.z) * WEIGHTS0.z + BoneAt(BONES0.w) * WEIGHTS0.w;
    }

    mat4 toWorld = skin * objectTransform;
    vec4 world = position * toWorld;
    mat3 rotation = mat3(toWorld);

    outWorldPosition = world;
    outNormal = normalize(NORMAL0 * rotation);
    outTangent = normalize(TANGENT0 * rotation);
    outBinormal = normalize(BINORMAL0 * rotation);
    outTexCoord = TEXCOORD0;
    outColor = COLOR0;
    gl_Position = (world * camera.view) * camera.projection;
}
