// artgen: paints every picture of the issue into one directory.
//
//   artgen <directory> <text directory> [<topic boxes file>]
//   artgen --icon <file>           the desktop icon (256 x 256)
//
// The pictures are a pure function of this program and the chart headings:
// fixed seeds, fixed fonts, no clock, so two runs write the same bytes. The
// text directory holds the magazine's text sources, whose chart headings the
// panels print. The optional third argument names a text file that receives,
// per topic, the inked box of its printed name on its panel ("pick section
// x0 y0 x1 y1", texels from the top left), which the issue's tests check
// against the topic hit areas.
#include <cstdio>
#include <string>

#include "artgen.h"
#include "lettering.h"
#include "topic_names.h"

namespace {

bool WriteTopicBoxes(const char* path) {
    FILE* file = std::fopen(path, "w");
    if (!file) {
        std::fprintf(stderr, "artgen: cannot write %s\n", path);
        return false;
    }
    std::fprintf(file, "# pick section x0 y0 x1 y1 (inked texels of the printed name, rows from the top)\n");
    for (const TopicBox& box : PrintedTopics)
        std::fprintf(file, "%d %d %d %d %d %d\n", box.pick, box.section, box.x0, box.y0, box.x1, box.y1);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--icon") {
        bool ok = OpenFonts() && SavePng(PaintIcon(0), argv[2], PngRgba);
        CloseFonts();
        return ok ? 0 : 1;
    }
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: artgen <directory> <text directory> [<topic boxes file>]\n");
        return 2;
    }
    if (!LoadTopicNames(argv[2]) || !OpenFonts()) return 1;
    // A directory that takes no file takes none of them: stop at the first.
    bool ok = true;
    for (int i = 0; ok && i < PictureCount; ++i) {
        const Picture& picture = Pictures[i];
        const std::string path = std::string(argv[1]) + "/" + picture.file;
        ok = SavePng(picture.paint(picture.variant), path.c_str(), picture.format);
    }
    CloseFonts();
    if (argc == 4) ok = WriteTopicBoxes(argv[3]) && ok;
    return ok ? 0 : 1;
}
