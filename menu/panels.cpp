// The topic panels of sections 0..5: the shown section's panel slides in with
// a decelerating motion, the others fade out where they rest. Both use
// AverageFrameStep, so a sudden change of frame rate alters their speed only
// at its next refresh.
#include "menu/panels.h"

#include <GL/gl.h>

#include <cmath>

#include "app/frame.h"
#include "content/content.h"
#include "render/primitives.h"

PanelState Panels = PanelStart;

namespace {

constexpr float PanelRestAlpha = 0.75f;
constexpr float SlideSpeed = 0.6f;   // units per step at the start of a slide
constexpr float FadeSpeed = 0.01f;   // alpha per step

// The fade order of the other panels: the chart panels first, section 0 last.
constexpr int32_t FadeOrder[PanelCount] = {1, 2, 3, 4, 5, 0};

float SlidingX(int32_t section) {
    const float slide = Panels.PanelSlide[section];
    return section == Introduction ? PanelRows[0].restX - slide : slide + PanelRows[section].restX;
}

void DrawPanel(int32_t section, float x, float alpha) {
    const PanelRow& panel = PanelRows[section];
    DrawTexturedQuad(panel.textureSlot, 1, panel.halfWidth, panel.halfHeight, x, 0.0f, panel.z, alpha);
}

}  // namespace

void SlidePanelIn(int32_t section) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (Panels.PanelSlide[section] < 0.0f) {
        float scale = -PanelRows[section].slideStart;
        float& slide = Panels.PanelSlide[section];
        slide += std::sqrt(-slide / scale) * SlideSpeed * Frame.AverageFrameStep;
    } else {
        Panels.PanelAlpha[section] = PanelRestAlpha;
    }
    DrawPanel(section, SlidingX(section), PanelRestAlpha);
}

void FadePanelOut(int32_t section) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (Panels.PanelAlpha[section] <= 0.0f) {
        Panels.PanelSlide[section] = PanelRows[section].slideStart;
        return;
    }
    Panels.PanelAlpha[section] -= FadeSpeed * Frame.AverageFrameStep;
    DrawPanel(section, PanelRows[section].restX, Panels.PanelAlpha[section]);
}

void DrawSectionPanels() {
    bool showsPanel = Content.ActiveSection >= Introduction && Content.ActiveSection <= FunCharts;
    if (showsPanel)
        SlidePanelIn(Content.ActiveSection);
    for (int32_t section : FadeOrder)
        if (!showsPanel || section != Content.ActiveSection)
            FadePanelOut(section);
}
