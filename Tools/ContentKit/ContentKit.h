#pragma once
// The whole content kit in one include:
//   Geometry.h     Vec2, Affine, Path (polygons, curves), StrokeOutline
//   Canvas.h       Color/Paint (solid, gradients, toon tones), Canvas (anti-aliased fills,
//                  strokes, blits, outline, blur, FreeType text), Font, DefaultFontPath
//   SpriteSheet.h  a grid of equal cells numbered row by row
//   ImageFiles.h   WriteDds (sRGB RGBA8 with mips), WritePng, WriteFileIfChanged
//   SceneFiles.h   StableGuid, property values and properties, SceneFolder, object definitions
//   Random.h       Rng, ValueNoise, Fbm, TileableNoise
//   ContentPaths.h paths shared between the generators
#include "ContentKit/Canvas.h"
#include "ContentKit/ContentPaths.h"
#include "ContentKit/Geometry.h"
#include "ContentKit/ImageFiles.h"
#include "ContentKit/Random.h"
#include "ContentKit/SceneFiles.h"
#include "ContentKit/SpriteSheet.h"
