// The button bar: one fixed table of 89 flat buttons in the magazine scene.
//
// DrawMenu is both the frame's drawing of the bar and the geometry of every
// selection pass (menu/picking.cpp), so exactly what is drawn can be hit: the
// topic hit areas of a hidden section are not drawn and cannot be picked.
// A recorded click is carried out by whichever DrawMenu runs next and then
// cleared, so every click acts exactly once.
#include "menu/menu.h"

#include <GL/gl.h>

#include "audio/audio.h"
#include "content/content.h"
#include "effects/swarm.h"
#include "menu/panels.h"
#include "render/primitives.h"

namespace {

// Texture slots of the buttons (the catalogue of the texture loader).
enum : int32_t {
    FirstSectionSlot = 7,
    FirstSongSlotTexture = 21,
    MusicOnSlot = 27,
    MusicOffSlot = 28,
    MarkSlot = 34,
    ExitSlot = 63,
    ArrowLeftSlot = 64,
    ArrowRightSlot = 65,
    ArrowLeftHighSlot = 66,
    ArrowRightHighSlot = 67,
};

constexpr float MenuDepth = -46.0f;
constexpr float ChosenTopicAlpha = 0.4f;
constexpr float UnchosenIntroButtonAlpha = 0.035f;  // the copy drawn when no intro topic is chosen
constexpr float StatusAlpha = 0.5f;
constexpr float ClickedAlpha = 0.1f;
constexpr float HoveredTopicAlpha = 0.45f;
constexpr float TopicTint[3] = {0.8f, 0.8f, 1.0f};

// The five chart sections' topic ranges, in the order the highlight rule tests them.
struct ChartTopicRange {
    int32_t section, first, last;
    const int32_t* topic;
};

const ChartTopicRange ChartTopicRanges[ChartSectionCount] = {
    {AmigaCharts, 15, 30, &AmigaTopic},
    {PcCharts, 31, 45, &PcTopic},
    {C64Charts, 46, 54, &C64Topic},
    {WarezCharts, 55, 73, &WarezTopic},
    {FunCharts, 74, 77, &FunTopic},
};

void RestoreBlend() { glBlendFunc(GL_SRC_ALPHA, GL_ONE); }

void DrawTopicBar(const MenuButton& button, float x) {
    DrawTintedQuad(button.textureSlot, 1, button.halfWidth, button.halfHeight, x, button.y, button.z,
                   TopicTint[0], TopicTint[1], TopicTint[2], button.alpha);
}

void DrawButtonTexture(const MenuButton& button, float alpha) {
    DrawTexturedQuad(button.textureSlot, 1, button.halfWidth, button.halfHeight, button.x, button.y,
                     button.z, alpha);
}

// Introduction topics are chosen per their own rule: the chosen bar travels
// with the panel, which enters from the right.
void DrawIntroTopicHighlight(int32_t i, MenuButton& button) {
    if (IntroTopic == i && ActiveSection == Introduction) {
        button.alpha = i >= FirstIntroTopicButton ? ChosenTopicAlpha : UnchosenIntroButtonAlpha;
        DrawTopicBar(button, button.x - PanelSlide[Introduction]);
        RestoreBlend();
        return;
    }
    if (i >= FirstIntroTopicButton)
        button.alpha = 0.0f;
    if (ActiveSection == Introduction && i >= FirstIntroTopicButton && i <= LastTopicButton)
        DrawTopicBar(button, button.x);
}

void DrawChartTopicHighlights(int32_t i, MenuButton& button) {
    for (const ChartTopicRange& range : ChartTopicRanges) {
        if (*range.topic == i && ActiveSection == range.section) {
            button.alpha = ChosenTopicAlpha;
            DrawTopicBar(button, button.x);
            RestoreBlend();
            continue;
        }
        if (i >= range.first)
            button.alpha = 0.0f;
        if (ActiveSection == range.section && i >= range.first && i <= range.last)
            DrawTopicBar(button, button.x);
    }
}

void DrawFixedAndStatusButtons(int32_t i, MenuButton& button) {
    if (i == ExitButton || i == PageBackButton || i == PageForwardButton) {
        button.alpha = 1.0f;
        DrawButtonTexture(button, 1.0f);
        RestoreBlend();
    }
    // The current song, music mode and section are shown dimmed.
    if (SongSelection == i || MusicMode == i || ActiveSection == i) {
        button.alpha = StatusAlpha;
        DrawButtonTexture(button, StatusAlpha);
        RestoreBlend();
    } else if (i < FirstTopicButton) {
        button.alpha = 1.0f;
        RestoreBlend();
        DrawButtonTexture(button, 1.0f);
    }
}

void ActOnClick(int32_t i, MenuButton& button) {
    button.alpha = ClickedAlpha;
    if (i < FirstSongButton) {
        if (BackgroundFade >= 1.0f) {  // a section change waits for the running cross-fade
            AttractorStrength = AttractorPush;
            SelectSection(i);
        }
    } else if (i <= SilentGapButton) {
        SongSelection = i;
    } else if (i <= MusicOffButton) {
        MusicMode = i;
    } else if (i <= LastTopicButton) {
        SelectTopic(i);
    } else if (i == ExitButton) {
        PageTextAlpha = 0.0f;
        ExitRequested = 1;
    } else if (i == PageBackButton) {
        TurnPage(-1);
    } else if (i == PageForwardButton) {
        TurnPage(+1);
    }
}

// The button's bright lettering is cut dark out of a white plate: the plate
// is drawn opaque, then the texture subtracts its own colour from it.
void DrawCutOutPlate(const MenuButton& button, float halfWidth, float halfHeight, float yOffset) {
    DrawBlankQuad(0, halfWidth, halfHeight, button.x, button.y + yOffset, button.z, 1.0f);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    DrawButtonTexture(button, button.alpha);
    RestoreBlend();
}

void DrawHoverGlow(int32_t i, const MenuButton& button) {
    RestoreBlend();
    for (const ChartTopicRange& range : ChartTopicRanges)
        if (i >= range.first && i <= range.last) {
            DrawTopicBar(button, button.x + PanelSlide[range.section]);
            return;
        }
    if (i >= FirstIntroTopicButton && i <= LastTopicButton)
        DrawTopicBar(button, button.x - PanelSlide[Introduction]);
    else if (i >= ExitButton)
        DrawButtonTexture(button, button.alpha);
}

void DrawHover(int32_t i, MenuButton& button) {
    if (i >= FirstTopicButton && ActiveSection >= Introduction && ActiveSection <= FunCharts)
        button.alpha = HoveredTopicAlpha;
    if (i == PageBackButton)
        button.textureSlot = ArrowLeftHighSlot;
    if (i == PageForwardButton)
        button.textureSlot = ArrowRightHighSlot;
    if (i >= FirstSongButton && i < FirstTopicButton)
        DrawCutOutPlate(button, 1.1f, 0.45f, -0.1f);
    else if (i < FirstSongButton)
        DrawCutOutPlate(button, 4.5f, button.halfHeight - 0.05f, 0.0f);
    else
        DrawHoverGlow(i, button);
}

void DrawButton(int32_t i) {
    MenuButton& button = MenuButtons[i];
    DrawIntroTopicHighlight(i, button);
    DrawChartTopicHighlights(i, button);
    DrawFixedAndStatusButtons(i, button);
    if (button.clicked)
        ActOnClick(i, button);
    if (button.hovered)
        DrawHover(i, button);
    if (i == PageBackButton && !button.hovered)
        button.textureSlot = ArrowLeftSlot;
    if (i == PageForwardButton && !button.hovered)
        button.textureSlot = ArrowRightSlot;
    button.clicked = 0;
}

}  // namespace

void SetButton(int32_t index, int32_t textureSlot, float x, float y, float z, float halfWidth,
               float halfHeight, float alpha) {
    if (index < 0 || index >= MenuButtonCount)
        return;
    MenuButtons[index] = {0, 0, textureSlot, x, y, z, halfWidth, halfHeight, alpha};
}

void SetMenuButtons() {
    const float sectionX[8] = {-30.0f, -20.0f, -11.0f, -2.5f, 6.5f, 15.5f, 23.5f, 31.5f};
    const float sectionY[8] = {-25.0f, -25.0f, -25.05f, -25.0f, -25.0f, -25.0f, -25.0f, -25.0f};
    // Overlapping neighbours are told apart by depth: 1 lies over 2, 4 over 3 and 5.
    const float sectionZ[8] = {-46.0f, -46.0f, -46.1f, -46.0f, -45.99f, -46.0f, -46.0f, -46.0f};
    const float sectionHalfWidth[8] = {3.2f, 6.4f, 3.2f, 3.2f, 6.4f, 3.2f, 3.2f, 3.2f};
    for (int32_t i = 0; i < 8; ++i)
        SetButton(i, FirstSectionSlot + i, sectionX[i], sectionY[i], sectionZ[i], sectionHalfWidth[i], 0.4f, 1.0f);

    const float songX[4] = {-39.6f, -36.8f, -34.0f, -31.0f};
    for (int32_t i = 0; i < 4; ++i)
        SetButton(FirstSongButton + i, FirstSongSlotTexture + i, songX[i], 23.5f, MenuDepth, 1.6f, 0.8f, 1.0f);
    // The gap slot is reached only by the automatic advance: parked far out of every view.
    SetButton(SilentGapButton, ExitSlot, -2800.0f, 23.5f, MenuDepth, 1.6f, 1.6f, 1.0f);
    SetButton(MusicOnButton, MusicOnSlot, -39.3f, 22.0f, MenuDepth, 0.8f, 0.4f, 1.0f);
    SetButton(MusicOffButton, MusicOffSlot, -36.5f, 22.0f, MenuDepth, 1.6f, 0.4f, 1.0f);

    for (int32_t n = 15; n <= 30; ++n)
        SetButton(n, MarkSlot, -32.0f, 13.9f - 1.8f * float(n - 15), MenuDepth, 8.5f, 0.6f, 1.0f);
    for (int32_t n = 31; n <= 45; ++n)
        SetButton(n, MarkSlot, -32.0f, 12.7f - 1.8f * float(n - 31), MenuDepth, 8.6f, 0.6f, 1.0f);
    for (int32_t n = 46; n <= 54; ++n)
        SetButton(n, MarkSlot, -32.0f, 7.3f - 1.8f * float(n - 46), MenuDepth, 8.0f, 0.6f, 1.0f);
    const float gridX[3] = {-36.6f, -32.0f, -27.4f};
    const float gridY[3] = {11.6f, 7.9f, 4.3f};
    for (int32_t n = 55; n <= 63; ++n)
        SetButton(n, MarkSlot, gridX[(n - 55) % 3], gridY[(n - 55) / 3], MenuDepth, 3.0f, 0.6f, 1.0f);
    for (int32_t n = 64; n <= 73; ++n)
        SetButton(n, MarkSlot, -32.0f, 2.6f - 1.8f * float(n - 64), MenuDepth, 9.9f, 0.6f, 1.0f);
    const float funY[4] = {3.0f, 1.2f, -0.6f, -2.3f};
    for (int32_t n = 74; n <= 77; ++n)
        SetButton(n, MarkSlot, -32.0f, funY[n - 74], MenuDepth, 8.0f, 0.6f, 1.0f);
    const float introY[8] = {6.2f, 4.6f, 3.0f, 1.4f, -0.2f, -3.6f, -5.1f, -6.6f};
    for (int32_t n = FirstIntroTopicButton; n <= LastTopicButton; ++n)
        SetButton(n, MarkSlot, 40.0f, introY[n - FirstIntroTopicButton], MenuDepth, 5.0f, 0.6f, 1.0f);

    SetButton(ExitButton, ExitSlot, 49.0f, 27.5f, MenuDepth, 1.6f, 1.6f, 1.0f);
    SetButton(PageBackButton, ArrowLeftSlot, -19.0f, -30.5f, MenuDepth, 6.4f, 1.6f, 1.0f);
    SetButton(PageForwardButton, ArrowRightSlot, 19.0f, -30.5f, MenuDepth, 6.4f, 1.6f, 1.0f);
}

void DrawMenu() {
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (int32_t i = 0; i < MenuButtonCount; ++i) {
        glLoadName(GLuint(i));
        glPushMatrix();
        DrawButton(i);
        glPopMatrix();
    }
}
