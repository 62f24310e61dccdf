#version 450 core
// Instanced sprite vertex shader: one unit quad (x 0 to 1, y -1 to 0) per instance.
//
// Per vertex (buffer slot 0, 32 bytes): POSITION0 the quad corner, TEXCOORD0 its index.
// Per instance (buffer slot 1, 112 bytes), as the sprite drawer writes it:
//   TEXCOORD1-4  rows of the instance matrix (row vectors, world transform applied);
//   TEXCOORD5    colour, linear rgb and alpha;
//   TEXCOORD6    texture rectangle (left, top, right, bottom);
//   TEXCOORD7    custom data as stored: the caller's (x, w, z, y).
//
// What the instance data means:
//   - The custom data is the UV cell (uLeft, vTop, uRight, vBottom) of the texture the
//     sprite shows: a glyph in a font atlas, a frame of a sprite sheet, (0, 0, 1, 1) for
//     the whole texture. The record stores it swizzled, so cell = TEXCOORD7.xwzy.
//   - The texture rectangle picks a part of that cell in the cell's own 0 to 1 range;
//     (0, 0, 1, 1) is the whole cell.
//   - The colour multiplies the texel (the default pixel shader: texel x colour).
//   - The quad's top-left corner maps to the cell's (left, top); v grows downwards, as
//     texture row 0 is the top row.
//
// Outputs every sprite pixel shader may read:
//   location 0  vec2 texture UV (cell and rectangle applied)
//   location 1  vec4 colour
//   location 2  vec2 the quad's own UV, 0 to 1, v down
//   location 3  vec4 the cell (uLeft, vTop, uRight, vBottom)
//   location 4  vec4 world position
//
// Constant buffers: b1 camera (view, transform, projection, inverse projection; row-major,
// row vectors). b0, b2, b3 and the sprite shader's own data at b5 are there for pixel shaders.

layout(location = 0) in vec4 POSITION0;
layout(location = 1) in uvec4 TEXCOORD0;
layout(location = 2) in vec4 TEXCOORD1;
layout(location = 3) in vec4 TEXCOORD2;
layout(location = 4) in vec4 TEXCOORD3;
layout(location = 5) in vec4 TEXCOORD4;
layout(location = 6) in vec4 TEXCOORD5;
layout(location = 7) in vec4 TEXCOORD6;
layout(location = 8) in vec4 TEXCOORD7;

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
layout(location = 2) out vec2 outQuadCoord;
layout(location = 3) out vec4 outCell;
layout(location = 4) out vec4 outWorldPosition;

void main()
{
    vec4 corner = vec4(POSITION0.xy, 0.0, 1.0);
    vec4 world = corner.x * TEXCOORD1 + corner.y * TEXCOORD2 + corner.z * TEXCOORD3 + corner.w * TEXCOORD4;

    vec2 quadCoord = vec2(POSITION0.x, -POSITION0.y);
    vec4 cell = TEXCOORD7.xwzy;
    vec2 inCell = mix(TEXCOORD6.xy, TEXCOORD6.zw, quadCoord);

    outTexCoord = mix(cell.xy, cell.zw, inCell);
    outColor = TEXCOORD5;
    outQuadCoord = quadCoord;
    outCell = cell;
    outWorldPosition = world;
    gl_Position = (world * camera.view) * camera.projection;
}
