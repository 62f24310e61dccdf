#pragma once
// The whole gpu layer: a Direct3D-11-shaped subset over OpenGL 4.5 core.
#include "Platform/gpu/Adapter.h"
#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/gpu/Format.h"
#include "Platform/gpu/Resources.h"
#include "Platform/gpu/Shaders.h"
#include "Platform/gpu/States.h"
#include "Platform/gpu/SwapChain.h"
#include "Platform/gpu/Trace.h"
#include "Platform/gpu/Types.h"
#include "Platform/gpu/WindowSetup.h"
