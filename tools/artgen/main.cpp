// artgen: paints every picture of the issue into one directory.
//
//   artgen <directory> <text directory> [<topic boxes file>]
//
// The pictures are a pure function of this program: fixed seeds, fixed fonts,
// no clock, so two runs write the same bytes. The text directory holds the
// magazine's text sources, whose chart headings the panels print. The
// optional third argument names a text file that receives, per topic, the inked box of its printed
// name on its panel ("pick section x0 y0 x1 y1", texels from the top left),
// which the issue's tests check against the topic hit areas.
#include <cstdio>
#include <iterator>
#include <string>

#include "artgen.h"
#include "lettering.h"
#include "topic_names.h"

namespace {

struct Picture {
    const char* file;
    Canvas (*paint)(int);
    int variant;
    PngFormat format;
};

const Picture Pictures[] = {
    {"Hintergrund_Baby.png", PaintBackground, 0, PngRgb},
    {"Hintergrund_Gehirn.png", PaintBackground, 1, PngRgb},
    {"Hintergrund_Schadel1.png", PaintBackground, 2, PngRgb},
    {"Hintergrund_Rontgenhand.png", PaintBackground, 3, PngRgb},
    {"Hintergrund_Befruchtung.png", PaintBackground, 4, PngRgb},
    {"Hintergrund_Spermaflut.png", PaintBackground, 5, PngRgb},
    {"Hintergrund_SpermaVSTurmor.png", PaintBackground, 6, PngRgb},
    {"button-introduction.png", PaintSectionButton, 0, PngRgb},
    {"button-amigacharts.png", PaintSectionButton, 1, PngRgb},
    {"button-pccharts.png", PaintSectionButton, 2, PngRgb},
    {"button-c64charts.png", PaintSectionButton, 3, PngRgb},
    {"button-warezcharts.png", PaintSectionButton, 4, PngRgb},
    {"button-funcharts.png", PaintSectionButton, 5, PngRgb},
    {"button-messages.png", PaintSectionButton, 6, PngRgb},
    {"button-credits.png", PaintSectionButton, 7, PngRgb},
    {"window5-text.png", PaintPanel, 0, PngRgb},
    {"window1-text.png", PaintPanel, 1, PngRgb},
    {"window1-2-text.png", PaintPanel, 2, PngRgb},
    {"window2-text.png", PaintPanel, 3, PngRgb},
    {"window3-text.png", PaintPanel, 4, PngRgb},
    {"window4-text.png", PaintPanel, 5, PngRgb},
    {"song.png", PaintSongLabel, 0, PngRgb},
    {"button-song1.png", PaintSongButton, 1, PngRgb},
    {"button-song2.png", PaintSongButton, 2, PngRgb},
    {"button-song3.png", PaintSongButton, 3, PngRgb},
    {"button-song4.png", PaintSongButton, 4, PngRgb},
    {"button-song5.png", PaintSongButton, 5, PngRgb},
    {"switch.png", PaintSwitchLabel, 0, PngRgb},
    {"slash.png", PaintSlash, 0, PngRgba},
    {"button-on.png", PaintOnButton, 0, PngRgb},
    {"button-off.png", PaintOffButton, 0, PngRgb},
    {"quillon-logo.png", PaintLogo, 0, PngRgb},
    {"tarnhex-logo.png", PaintLogo, 1, PngRgb},
    {"velmora-logo.png", PaintLogo, 2, PngRgb},
    {"tallyboard-logo.png", PaintLogo, 3, PngRgb},
    {"quillon-logoBLUR.png", PaintLogoBlur, 0, PngRgb},
    {"tarnhex-logoBLUR.png", PaintLogoBlur, 1, PngRgb},
    {"velmora-logoBLUR.png", PaintLogoBlur, 2, PngRgb},
    {"tallyboard-logoBLUR.png", PaintLogoBlur, 3, PngRgb},
    {"tallyboard-alpha.png", PaintLogoAlpha, 0, PngRgba},
    {"Particle.png", PaintParticle, 0, PngRgb},
    {"Particle2.png", PaintParticle, 1, PngRgba},
    {"window2.png", PaintEmptyWindow, 0, PngRgb},
    {"mark.png", PaintMark, 0, PngRgb},
    {"mousepointer.png", PaintPointer, 0, PngRgba},
    {"top.png", PaintHeaderBar, 0, PngRgb},
    {"bottom.png", PaintFooterBar, 0, PngRgb},
    {"exitbutton.png", PaintExitButton, 0, PngRgb},
    {"arrowleft.png", PaintArrow, 0, PngRgb},
    {"arrowright.png", PaintArrow, 1, PngRgb},
    {"arrowleftHIGH.png", PaintArrow, 2, PngRgb},
    {"arrowrightHIGH.png", PaintArrow, 3, PngRgb},
    {"backgroundtext.png", PaintTextBackdrop, 0, PngRgb},
    {"lark.png", PaintIssueDate, 0, PngRgb},
    {"kvx-tb-intropic-final2.png", PaintIntroPicture, 0, PngRgb},
    {"intro1.png", PaintTitleCard, 1, PngRgb},
    {"intro2.png", PaintTitleCard, 2, PngRgb},
    {"intro3.png", PaintTitleCard, 3, PngRgb},
    {"stoy1.png", PaintStatic, 1, PngRgb},
    {"stoy2.png", PaintStatic, 2, PngRgb},
    {"stoy3.png", PaintStatic, 3, PngRgb},
    {"stoy4.png", PaintStatic, 4, PngRgb},
    {"stoy5.png", PaintStatic, 5, PngRgb},
    {"stoy6.png", PaintStatic, 6, PngRgb},
    {"brennik_groupfoto.png", PaintGroupPhoto, 0, PngRgb},
    {"loading.png", PaintLoading, 0, PngRgb},
};

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
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: artgen <directory> <text directory> [<topic boxes file>]\n");
        return 2;
    }
    if (!LoadTopicNames(argv[2]) || !OpenFonts()) return 1;
    // A directory that takes no file takes none of them: stop at the first.
    bool ok = true;
    for (size_t i = 0; ok && i < std::size(Pictures); ++i) {
        const Picture& picture = Pictures[i];
        const std::string path = std::string(argv[1]) + "/" + picture.file;
        ok = SavePng(picture.paint(picture.variant), path.c_str(), picture.format);
    }
    CloseFonts();
    if (argc == 4) ok = WriteTopicBoxes(argv[3]) && ok;
    return ok ? 0 : 1;
}
