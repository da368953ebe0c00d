// Section panels: translucent plates that carry each section's printed topic
// list, lying behind the invisible topic hit areas of the button bar.
//
// A name has to sit exactly where its hit area appears on screen while the
// panel rests, so that hovering a name lights that name. Hit areas lie at
// depth 46, the chart panels at depth 45.9 (the Introduction panel at 46): a
// point (x, y) of a hit area therefore shows at (x, y) x depth / 46 on its
// panel. Panels are painted at 10 texels per scene unit, texel rows from the
// top edge; every printed name's inked box is recorded in PrintedTopics.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "artgen.h"
#include "content/content.h"
#include "menu/menu.h"
#include "menu/panels.h"
#include "lettering.h"
#include "shapes.h"
#include "topic_names.h"

std::vector<TopicBox> PrintedTopics;

namespace {

constexpr float HitDepth = 46.0f;
constexpr float TexelsPerUnit = 10.0f;
constexpr int NameSize = 11;        // Tahoma's 11-pixel bitmap strike
constexpr int NameCapHeight = 8;    // its capitals stand this tall

const Rgb NameColour{0.82f, 0.88f, 1.0f};
const Rgb HeadColour{0.55f, 0.7f, 1.0f};
const Rgb Frame{0.25f, 0.35f, 0.6f};


// Texel of the panel picture that shows at the same screen point as the
// scene point (x, y) at the hit areas' depth.
void PanelTexel(const PanelRow& panel, float x, float y, float& column, float& row) {
    const float k = -panel.z / HitDepth;
    column = (x * k - panel.restX + panel.halfWidth) * TexelsPerUnit;
    row = (panel.halfHeight - y * k) * TexelsPerUnit;
}

// A name centred on a texel, its capitals straddling that row.
TextBox PrintCentredOn(Canvas& c, float column, float row, const char* text, Rgb colour) {
    const int baseline = static_cast<int>(std::lround(row + NameCapHeight * 0.5f));
    return DrawTextCentred(c, FontTahoma, NameSize, column, baseline, text, colour, LetteringMono);
}

// The plate: a dark translucent body, a double frame and a title bar that
// also says how many topics the list holds, between rows top and bottom.
void PaintPlate(Canvas& c, int top, int bottom, const char* title, int topics) {
    const int w = c.width;
    for (int y = top + 1; y < bottom; ++y)
        for (int x = 1; x < w - 1; ++x) {
            const float fall = 0.5f + 0.5f * static_cast<float>(bottom - y) / (bottom - top);
            PaintOver(c, x, y, {0.018f * fall, 0.026f * fall, 0.06f * fall}, 1.0f);
        }
    FrameRect(c, 1, top, w - 2, bottom, Frame);
    FrameRect(c, 3, top + 2, w - 4, bottom - 2, Scale(Frame, 0.35f));
    FillRect(c, 4, top + 3, w - 5, top + 18, {0.06f, 0.09f, 0.2f});
    DrawText(c, FontTahomaBold, 11, 10.0f, top + 15, title, HeadColour, LetteringMono);
    char count[32];
    std::snprintf(count, sizeof count, "%d %s", topics, topics == 8 ? "topics" : "charts");
    const float width = TextWidth(FontTahoma, NameSize, count, LetteringMono);
    DrawText(c, FontTahoma, NameSize, w - 10.0f - width, top + 15, count, Scale(HeadColour, 0.7f), LetteringMono);
    for (int x = 10; x < w - 10; x += 3) PaintOver(c, x, top + 21, Scale(Frame, 0.8f), 1.0f);
}

// The tall panels reach from the header's switches to the section buttons;
// their plate keeps clear of both and leaves those rows black (invisible).
void PlateRows(const PanelRow& panel, int height, int& top, int& bottom) {
    const bool tall = panel.halfHeight > 20.0f;
    top = tall ? 62 : 1;
    bottom = tall ? height - 44 : height - 2;
}

}  // namespace

Canvas PaintPanel(int section) {
    section = std::clamp(section, 0, PanelCount - 1);
    const PanelRow& panel = PanelRows[section];
    const TopicRange& topics = TopicRanges[section];
    SetMenuButtons();
    Canvas c = MakeCanvas(static_cast<int>(panel.halfWidth * 2 * TexelsPerUnit),
                          static_cast<int>(panel.halfHeight * 2 * TexelsPerUnit));
    int top, bottom;
    PlateRows(panel, c.height, top, bottom);
    PaintPlate(c, top, bottom, SectionLabels[section], topics.last - topics.first + 1);
    for (int pick = topics.first; pick <= topics.last; ++pick) {
        const MenuButton& hit = MenuButtons[pick];
        float column, row;
        PanelTexel(panel, hit.x, hit.y, column, row);
        // Each row of the warez grid is headed over its middle language.
        if (section == WarezCharts && pick - topics.first < WarezGridTopics && (pick - topics.first) % 3 == 0) {
            float headColumn, headRow;
            PanelTexel(panel, MenuButtons[pick + 1].x, hit.y + 1.7f, headColumn, headRow);
            PrintCentredOn(c, headColumn, headRow, GridRowName(pick).c_str(), HeadColour);
        }
        if (pick == Bonus3Topic) {
            float headColumn, headRow;
            PanelTexel(panel, hit.x, -1.9f, headColumn, headRow);
            PrintCentredOn(c, headColumn, headRow, "- bonus texts -", HeadColour);
        }
        const TextBox box = PrintCentredOn(c, column, row, TopicName(pick).c_str(), NameColour);
        PrintedTopics.push_back({pick, section, box.x0, box.y0, box.x1, box.y1});
    }
    return c;
}
