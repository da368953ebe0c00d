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

// The pick names of the song and music buttons are the values they store.
static_assert(FirstSongButton == FirstSongSlot && SilentGapButton == GapSongSlot);
static_assert(MusicOnButton == MusicOn && MusicOffButton == MusicOff);
// Section buttons are picked by their section's number, topics by their ranges.
static_assert(Introduction == 0 && Credits + 1 == FirstSongButton);
static_assert(TopicRanges[AmigaCharts].first == FirstTopicButton);
static_assert(TopicRanges[Introduction].first == FirstIntroTopicButton &&
              TopicRanges[Introduction].last == LastTopicButton);

namespace {

constexpr float ChosenTopicAlpha = 0.4f;
constexpr float IntroductionGhostAlpha = 0.035f;
constexpr float StatusAlpha = 0.5f;
constexpr float ClickedAlpha = 0.1f;
constexpr float HoveredAlpha = 0.45f;
constexpr float TopicTint[3] = {0.8f, 0.8f, 1.0f};

enum class ButtonKind { Section, Song, MusicSwitch, Topic, Exit, PageArrow };

ButtonKind KindOf(int32_t pick) {
    if (pick < FirstSongButton) return ButtonKind::Section;
    if (pick <= SilentGapButton) return ButtonKind::Song;
    if (pick <= MusicOffButton) return ButtonKind::MusicSwitch;
    if (pick <= LastTopicButton) return ButtonKind::Topic;
    return pick == ExitButton ? ButtonKind::Exit : ButtonKind::PageArrow;
}

// How one button is drawn in the current state; the table is never written.
struct ButtonLook {
    bool drawn;   // false for the topics of a hidden section: neither seen nor hit
    bool tinted;  // a light-blue topic bar instead of the button's own picture
    float x;
    float alpha;
    int32_t slot;
};

// The current section, song and music mode are shown dimmed.
bool ShowsStatus(int32_t pick) {
    return SongSelection == pick || MusicMode == pick || Content.ActiveSection == pick;
}

// A topic's bar is invisible (a bare hit area) unless it is chosen; the chosen
// Introduction topic's bar travels with its panel, which enters from the right.
ButtonLook TopicLook(int32_t pick, const MenuButton& button) {
    const int32_t section = SectionOfTopic(pick);
    const bool chosen = ChosenTopic(section) == pick;
    const float x = chosen && section == Introduction ? button.x - Panels.PanelSlide[Introduction] : button.x;
    return {section == Content.ActiveSection, true, x, chosen ? ChosenTopicAlpha : 0.0f, button.textureSlot};
}

ButtonLook LookOf(ButtonKind kind, int32_t pick, const MenuButton& button) {
    ButtonLook look{true, false, button.x, 1.0f, button.textureSlot};
    if (kind == ButtonKind::Topic) return TopicLook(pick, button);
    if (kind == ButtonKind::PageArrow && button.hovered)
        look.slot = pick == PageBackButton ? ArrowLeftHighSlot : ArrowRightHighSlot;
    if (kind < ButtonKind::Topic && ShowsStatus(pick)) look.alpha = StatusAlpha;
    return look;
}

// While hovered, topics, exit and arrows brighten in sections 0..5; the rest
// keep their look, or the dim look of a button clicked in this pass.
ButtonLook HoverLook(ButtonKind kind, int32_t pick, const MenuButton& button, ButtonLook look) {
    if (button.clicked) look.alpha = ClickedAlpha;
    if (kind >= ButtonKind::Topic && Content.ActiveSection <= FunCharts) look.alpha = HoveredAlpha;
    if (kind == ButtonKind::Topic) {
        const int32_t section = SectionOfTopic(pick);
        const float slide = Panels.PanelSlide[section];
        look.x = button.x + (section == Introduction ? -slide : slide);
    }
    return look;
}

void RestoreBlend() { glBlendFunc(GL_SRC_ALPHA, GL_ONE); }

void DrawLook(const MenuButton& button, const ButtonLook& look) {
    if (look.tinted)
        DrawTintedQuad(look.slot, 1, button.halfWidth, button.halfHeight, look.x, button.y, button.z,
                       TopicTint[0], TopicTint[1], TopicTint[2], look.alpha);
    else
        DrawTexturedQuad(look.slot, 1, button.halfWidth, button.halfHeight, look.x, button.y, button.z,
                         look.alpha);
}

// The Introduction picked again has no topic chosen; its button then carries
// a faint light-blue copy that travels with the panel.
void DrawIntroductionGhost(int32_t pick, const MenuButton& button) {
    if (pick != Introduction || Content.ActiveSection != Introduction || Content.IntroTopic != NoTopic)
        return;
    DrawLook(button, {true, true, button.x - Panels.PanelSlide[Introduction], IntroductionGhostAlpha,
                      button.textureSlot});
}

void ActOnClick(ButtonKind kind, int32_t pick) {
    switch (kind) {
    case ButtonKind::Section:
        if (BackgroundFade >= 1.0f) {  // a section change waits for the running cross-fade
            Swarm.AttractorStrength = AttractorPush;
            SelectSection(pick);
        }
        break;
    case ButtonKind::Song: SongSelection = pick; break;
    case ButtonKind::MusicSwitch: MusicMode = pick; break;
    case ButtonKind::Topic: SelectTopic(pick); break;
    case ButtonKind::Exit:
        Content.PageTextAlpha = 0.0f;
        ExitRequested = 1;
        break;
    case ButtonKind::PageArrow: TurnPage(pick == PageBackButton ? -1 : +1); break;
    }
}

// The button's bright lettering is cut dark out of a white plate: the plate
// is drawn opaque, then the picture subtracts its own colour from it.
void DrawCutOutPlate(const MenuButton& button, const ButtonLook& look, float halfWidth, float halfHeight,
                     float yOffset) {
    DrawBlankQuad(0, halfWidth, halfHeight, button.x, button.y + yOffset, button.z, 1.0f);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    DrawLook(button, look);
    RestoreBlend();
}

// Section, song and music buttons are cut out of a plate; topics, exit and
// arrows are drawn a second time, additively, so that they glow.
void DrawHover(ButtonKind kind, const MenuButton& button, const ButtonLook& look) {
    if (kind == ButtonKind::Section)
        DrawCutOutPlate(button, look, 4.5f, button.halfHeight - 0.05f, 0.0f);
    else if (kind == ButtonKind::Song || kind == ButtonKind::MusicSwitch)
        DrawCutOutPlate(button, look, 1.1f, 0.45f, -0.1f);
    else
        DrawLook(button, look);
}

// The look is taken before a click is carried out, the hover look after it:
// a section pick changes what the buttons after it show in the same pass.
void DrawButton(int32_t pick) {
    MenuButton& button = MenuButtons[pick];
    const ButtonKind kind = KindOf(pick);
    const ButtonLook look = LookOf(kind, pick, button);
    DrawIntroductionGhost(pick, button);
    if (look.drawn) DrawLook(button, look);
    if (button.clicked) ActOnClick(kind, pick);
    if (button.hovered && look.drawn) DrawHover(kind, button, HoverLook(kind, pick, button, look));
    button.clicked = 0;
}

}  // namespace

void DrawMenu() {
    glEnable(GL_TEXTURE_2D);
    RestoreBlend();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (int32_t i = 0; i < MenuButtonCount; ++i) {
        glLoadName(GLuint(i));
        glPushMatrix();
        DrawButton(i);
        glPopMatrix();
    }
}
