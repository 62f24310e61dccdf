#version 450 core
// Static model vertex shader: the default model shader's vertex stage, and (installed
// again as "PbrModelShaderVS") that of the PBR and Lambert model shaders.
//
// Input: the engine's 180-byte model vertex (POSITION0, COLOR0, TEXCOORD0, NORMAL0,
// TANGENT0, BINORMAL0; the other colours, UV sets, BONES0 and WEIGHTS0 are not read).
// The position goes through the object transform (b4: the instance's world matrix times
// the state stack's world transform), then the camera's view and projection (b1). All
// matrices are row-major with row vectors: p' = p * M.
//
// Outputs, shared by every model vertex shader so any model pixel shader can follow it:
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

void main()
{
    vec4 world = vec4(POSITION0.xyz, 1.0) * objectTransform;
    mat3 rotation = mat3(objectTransform);

    outWorldPosition = world;
    outNormal = normalize(NORMAL0 * rotation);
    outTangent = normalize(TANGENT0 * rotation);
    outBinormal = normalize(BINORMAL0 * rotation);
    outTexCoord = TEXCOORD0;
    outColor = COLOR0;
    gl_Position = (world * camera.view) * camera.projection;
}
