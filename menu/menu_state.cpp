#include "menu/menu.h"

MenuButton MenuButtons[MenuButtonCount];
int32_t ExitRequested = 0;
