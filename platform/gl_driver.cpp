#include "platform/gl_driver.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>

static int PinLoadedDriver(dl_phdr_info* info, size_t, void*) {
    const char* name = info->dlpi_name;
    if (name && std::strstr(name, "_dri.so")) dlopen(name, RTLD_NOW | RTLD_NOLOAD);
    return 0;
}

void PinGlDriver() { dl_iterate_phdr(PinLoadedDriver, nullptr); }
