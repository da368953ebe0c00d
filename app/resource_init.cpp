#include "app/resource_init.h"

int32_t CubeMapActive = 1;

void ResourceInit() {}
