// One frame of the magazine: bars, background, page, button bar, labels,
// effects, panels and the pointer on top, in this order, since each layer is
// blended over the ones before it.
#include <GL/gl.h>

#include "app/canvas.h"
#include "app/frame.h"
#include "app/input.h"
#include "audio/audio.h"
#include "content/content.h"
#include "content/page.h"
#include "effects/logo_carousel.h"
#include "effects/spectrum_trace.h"
#include "effects/swarm.h"
#include "menu/menu.h"
#include "menu/panels.h"
#include "menu/picking.h"
#include "render/primitives.h"

namespace {

enum : int32_t {
    SongLabelSlot = 20,
    SwitchLabelSlot = 25,
    SeparatorSlot = 26,
    HeaderBarSlot = 61,
    FooterBarSlot = 62,
    TextBackdropSlot = 68,
};

bool IntroStreamReleased = false;

// Once the cross-fade has settled the backdrop is the same in every frame:
// the first such frame draws it and keeps a copy, the next ones lay the copy.
// The first magazine frame is never kept: the intro's last frame may have
// been drawn before it in the same frame, and the background adds to that.
void DrawBarsAndBackground(bool mayKeep) {
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    if (LaysKeptBackdrop()) {
        DrawKeptBackdrop();
        glClear(GL_DEPTH_BUFFER_BIT);  // the frame's clear left it, see ClearFrame
        LeaveSettledBackgroundState(Content.BackgroundSection);
        return;
    }
    DrawOverlayImage(HeaderBarSlot, 0, 512.0f, 128.0f, 512.0f, 130.0f, 1.0f);
    DrawOverlayImage(FooterBarSlot, 0, 512.0f, 128.0f, 512.0f, 677.0f, 1.0f);
    DrawBackgroundCrossfade(Content.PreviousBackgroundSection, Content.BackgroundSection);
    if (BackgroundFade >= 1.0f && mayKeep) KeepBackdrop(Content.BackgroundSection);
}

void DrawLabels() {
    DrawTexturedQuad(SongLabelSlot, 1, 1.6f, 0.8f, -43.0f, 23.5f, -46.1f, 1.0f);
    DrawTexturedQuad(SwitchLabelSlot, 1, 1.6f, 0.8f, -42.75f, 22.0f, -46.0f, 1.0f);
    DrawTexturedQuad(SeparatorSlot, 1, 0.4f, 0.4f, -38.0f, 22.0f, -46.0f, 1.0f);
}

}  // namespace

bool LaysKeptBackdrop() {
    return Frame.SceneState == Magazine && IntroStreamReleased && BackgroundFade >= 1.0f &&
           BackdropKept(Content.BackgroundSection);
}

void MagazineFrame() {
    const bool firstFrame = !IntroStreamReleased;
    if (firstFrame) {
        ReleaseIntroStream();
        IntroStreamReleased = true;
    }
    MusicFrame(Frame.AverageFrameStep);
    DrawBarsAndBackground(!firstFrame);
    DrawPage();
    DrawTexturedQuad(TextBackdropSlot, 1, 25.6f, 6.4f, 30.0f, -16.0f, -46.0f, 0.9f);
    DrawMenu();
    DrawLabels();
    DrawLogoCarousel();
    DrawSpectrumTrace();
    DrawParticleSwarm(true);
    DrawSectionPanels();
    DrawPointer();
    if (ExitRequested)
        Shutdown();
}
