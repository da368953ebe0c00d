// One-time loading of everything the intro and the magazine need.
#pragma once
#include <cstdint>

// 1 when the cube-map environment textures were built.
extern int32_t CubeMapActive;

// Runs once, in the Loading state, while the loading picture is on screen:
// unpacks the pack, loads the textures, fills the button table, sets the
// start topic and the swarm's direction, the environment mapping and the
// audio, then deletes the unpacked files again.
void ResourceInit();

// The cube-map option: with "-enablecubemap" checks the three extensions it
// needs (one message per missing one) and builds the seven cube maps with
// reflection mapping; otherwise, or when one is missing, sphere mapping.
void SetUpEnvironmentMapping();
