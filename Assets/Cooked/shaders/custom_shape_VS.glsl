#version 450 core
// Custom shapes: world-space vertices (36 bytes: POSITION0 xyz, TEXCOORD0 colour as
// linear rgba, TEXCOORD1 uv) seen through the camera (b1, row-major, row vectors).

layout(location = 0) in vec3 POSITION0;
layout(location = 1) in vec4 TEXCOORD0;
layout(location = 2) in vec2 TEXCOORD1;

layout(std140, row_major, binding = 1) uniform CameraBuffer
{
    mat4 view;
    mat4 cameraTransform;
    mat4 projection;
    mat4 inverseProjection;
    float cameraValue1;
    float cameraValue2;
} camera;

out gl_PerVertex
{
    vec4 gl_Position;
};

layout(location = 0) out vec2 outTexCoord;
layout(location = 1) out vec4 outColor;

void main()
{
    outTexCoord = TEXCOORD1;
    outColor = TEXCOORD0;
    gl_Position = (vec4(POSITION0, 1.0) * camera.view) * camera.projection;
}
