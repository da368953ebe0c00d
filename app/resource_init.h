// One-time loading of everything the intro and the magazine need.
#pragma once
#include <cstdint>

// 1 when the cube-map environment textures were built.
extern int32_t CubeMapActive;

// Runs once, in the Loading state, while the loading picture is on screen.
void ResourceInit();
