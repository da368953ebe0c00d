// Texture catalogue: every picture is a slot number 0..83.
#pragma once
#include <cstdint>

enum { TextureSlotCount = 84, CubeMapCount = 7 };

extern uint32_t TextureTable[TextureSlotCount];
extern uint32_t LoadingTexture;
extern uint32_t CubeMapTextures[CubeMapCount];

// File name of a catalogue slot ("data/...").
const char* TextureFileName(int32_t slot);

void LoadLoadingTexture();
void LoadTextures();
// Frees the pictures only the intro shows (slots 69..79, some 13 MB of
// texture memory) once the magazine has begun; their slots then name no
// texture. Later calls do nothing.
void ReleaseIntroTextures();
uint32_t CreateCubeMapTexture(int32_t k);
