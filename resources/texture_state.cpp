// Texture names, apart from the loaders so that drawing code links without them.
#include "resources/textures.h"

uint32_t TextureTable[TextureSlotCount] = {};
uint32_t LoadingTexture = 0;
uint32_t CubeMapTextures[CubeMapCount] = {};
