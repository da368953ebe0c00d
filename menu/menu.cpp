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
#include "menu/button_slots.h"
#include "menu/panels.h"
#include "render/primitives.h"

namespace {

constexpr float ChosenTopicAlpha = 0.4f;
constexpr float UnchosenIntroButtonAlpha = 0.035f;  // the copy drawn when no intro topic is chosen
constexpr float StatusAlpha = 0.5f;
constexpr float ClickedAlpha = 0.1f;
constexpr float HoveredTopicAlpha = 0.45f;
constexpr float TopicTint[3] = {0.8f, 0.8f, 1.0f};

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
    if (Content.IntroTopic == i && Content.ActiveSection == Introduction) {
        button.alpha = i >= FirstIntroTopicButton ? ChosenTopicAlpha : UnchosenIntroButtonAlpha;
        DrawTopicBar(button, button.x - Panels.PanelSlide[Introduction]);
        RestoreBlend();
        return;
    }
    if (i >= FirstIntroTopicButton)
        button.alpha = 0.0f;
    if (Content.ActiveSection == Introduction && i >= FirstIntroTopicButton && i <= LastTopicButton)
        DrawTopicBar(button, button.x);
}

void DrawChartTopicHighlights(int32_t i, MenuButton& button) {
    for (int32_t section = AmigaCharts; section <= FunCharts; ++section) {
        const TopicRange& range = TopicRanges[section];
        if (ChosenTopic(section) == i && Content.ActiveSection == section) {
            button.alpha = ChosenTopicAlpha;
            DrawTopicBar(button, button.x);
            RestoreBlend();
            continue;
        }
        if (i >= range.first)
            button.alpha = 0.0f;
        if (Content.ActiveSection == section && i >= range.first && i <= range.last)
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
    if (SongSelection == i || MusicMode == i || Content.ActiveSection == i) {
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
            Swarm.AttractorStrength = AttractorPush;
            SelectSection(i);
        }
    } else if (i <= SilentGapButton) {
        SongSelection = i;
    } else if (i <= MusicOffButton) {
        MusicMode = i;
    } else if (i <= LastTopicButton) {
        SelectTopic(i);
    } else if (i == ExitButton) {
        Content.PageTextAlpha = 0.0f;
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
    // The bar follows its panel: the Introduction's slides in from the right.
    const int32_t section = SectionOfTopic(i);
    if (section > Introduction)
        DrawTopicBar(button, button.x + Panels.PanelSlide[section]);
    else if (section == Introduction)
        DrawTopicBar(button, button.x - Panels.PanelSlide[Introduction]);
    else if (i >= ExitButton)
        DrawButtonTexture(button, button.alpha);
}

void DrawHover(int32_t i, MenuButton& button) {
    if (i >= FirstTopicButton && Content.ActiveSection >= Introduction && Content.ActiveSection <= FunCharts)
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
