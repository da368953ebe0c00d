// libFuzzer target: any byte string as a picture file, loaded as a solid and
// an alpha texture and as a cube face, in both row orders. Built by
// tools/tbpack/fuzz.sh png (without GL: uploads do nothing, the size limit is
// the layer's own); the suite replays the corpus through it with GL.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/png.h"
#include "tests/support/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string scratch = WriteFuzzInput("_png.png", data, size);
    if (scratch.empty()) return 0;
    const char* path = scratch.c_str();
    pngSetStandardOrientation(int(size & 1));
    pngInfo info;
    pngLoad(path, PNG_NOMIPMAPS, PNG_SOLID, &info);
    pngLoad(path, PNG_NOMIPMAPS, PNG_ALPHA, &info);
    pngRawInfo raw;
    if (pngLoadRaw(path, &raw)) std::free(raw.Data);
    std::remove(path);
    pngSetStandardOrientation(1);
    return 0;
}
