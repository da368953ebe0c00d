// soundgen OUTDIR: writes the intro soundtrack and the four modules.
#include "tools/soundgen/sound_files.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: soundgen OUTDIR\n");
        return 2;
    }
    return WriteSoundFiles(argv[1]) ? 0 : 1;
}
