#version 450 core
// Lines: world-space vertices (28 bytes: POSITION0 xyz, TEXCOORD0 colour as linear rgba)
// seen through the camera (b1, row-major, row vectors).

layout(location = 0) in vec3 POSITION0;
layout(location = 1) in vec4 TEXCOORD0;

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

layout(location = 0) out vec4 outColor;

void main()
{
    outColor = TEXCOORD0;
    gl_Position = (vec4(POSITION0, 1.0) * camera.view) * camera.projection;
}
