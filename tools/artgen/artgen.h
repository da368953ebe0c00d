// The painters of every picture of an issue. Each returns the finished
// picture; sizes follow the on-screen size at 1024 x 768, where one scene unit
// at depth 46 is about 9.95 pixels, so the scene's buttons and panels are
// painted at 10 texels per unit and show texel for pixel.
#pragma once
#include <vector>

#include "canvas.h"

// Menu pieces: the variant picks the button (section 0..7, song 1..5).
Canvas PaintSectionButton(int section);
Canvas PaintSongButton(int song);
Canvas PaintSongLabel(int);
Canvas PaintSwitchLabel(int);
Canvas PaintOnButton(int);
Canvas PaintOffButton(int);
Canvas PaintSlash(int);
Canvas PaintExitButton(int);
Canvas PaintArrow(int variant);  // 0 left, 1 right, 2 left lit, 3 right lit
Canvas PaintMark(int);
Canvas PaintIcon(int);  // the desktop icon, not part of the issue
Canvas PaintPointer(int);
Canvas PaintParticle(int withAlpha);
Canvas PaintHeaderBar(int);
Canvas PaintFooterBar(int);
Canvas PaintTextBackdrop(int);
Canvas PaintEmptyWindow(int);

// Logos: 0 Quillon, 1 Tarnhex, 2 Velmora, 3 Tallyboard; the blurred twins
// and the magazine's logo with alpha.
Canvas PaintLogo(int logo);
Canvas PaintLogoBlur(int logo);
Canvas PaintLogoAlpha(int);

// The section names in capitals, by section 0..7: the section buttons'
// lettering and, for 0..5, the panels' titles.
extern const char* const SectionLabels[8];

// Section panels with their printed topic lists, by section 0..5.
Canvas PaintPanel(int section);

// Where a topic's name was printed on its panel, in texels of the panel
// picture (x right, y down from the top row).
struct TopicBox {
    int pick;
    int section;
    int x0, y0, x1, y1;
};
extern std::vector<TopicBox> PrintedTopics;

// Intro and loading pictures, the noise frames (variant 1..6) and the
// group photo.
Canvas PaintIntroPicture(int);
Canvas PaintTitleCard(int card);  // 1..3
Canvas PaintIssueDate(int);
Canvas PaintLoading(int);
Canvas PaintStatic(int frame);
Canvas PaintGroupPhoto(int);

// The seven section backgrounds, by index 0..6.
Canvas PaintBackground(int index);

// The pictures of an issue: file name, painter with its variant, and the
// PNG format it is stored in (alpha exactly where the program loads it so).
struct Picture {
    const char* file;
    Canvas (*paint)(int);
    int variant;
    PngFormat format;
};
extern const Picture Pictures[];
extern const int PictureCount;
