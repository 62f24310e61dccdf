#version 450 core
// Full-screen triangle made from the vertex index (no vertex buffer): it covers the
// target, with UV (0, 0) at the top-left and (1, 1) at the bottom-right.

out gl_PerVertex
{
    vec4 gl_Position;
};

layout(location = 0) out vec2 outTexCoord;

void main()
{
    vec2 uv = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    outTexCoord = uv;
    gl_Position = vec4(uv.x * 2.0 - 1.0, 1.0 - uv.y * 2.0, 0.0, 1.0);
}
