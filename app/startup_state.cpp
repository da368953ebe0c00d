// Display-mode state, apart from the start-up code so that drawing code and
// its tests can read the logical size without linking the start-up.
#include "app/startup.h"

uint8_t FullScreen = 1;
int32_t WindowWidth = 1024;
int32_t WindowHeight = 768;
const char GameModeString[] = "1024x768:32";
int32_t CubeMapDisabled = 1;
