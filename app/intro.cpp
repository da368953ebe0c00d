// Intro timeline on IntroClock (intro stream bytes / 1000; one unit is about
// 5.67 ms of a 44.1 kHz 16-bit stereo stream). Intervals are exact: a strict
// inequality excludes its end, so the clock values 2920, 2930, 2940 and 2950
// fall between the strobe steps. Every amount below is per reference frame
// and scaled by Frame.FrameStep, except the shake's random phase step.
#include "app/intro.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "app/frame.h"
#include "app/intro_cues.h"
#include "audio/audio.h"
#include "render/primitives.h"

TimelineState Timeline = TimelineStart;

namespace {

constexpr int32_t DateSlot = 69;        // the issue-date picture
constexpr int32_t LargeSlot = 70;       // "data/kvx-tb-intropic-final2.png"
constexpr int32_t FirstTitleSlot = 71;  // "data/intro1.png"
constexpr int32_t SecondTitleSlot = 72; // "data/intro2.png"
constexpr int32_t ThirdTitleSlot = 73;  // "data/intro3.png"

constexpr float SceneDepth = -46.0f;
constexpr float DateHalfWidth = 12.8f;
constexpr float DateHalfHeight = 3.2f;
constexpr float TitleHalfWidth = 51.2f;
constexpr float TitleHalfHeight = 12.8f;

bool Between(uint32_t c, uint32_t low, uint32_t high) { return c > low && c < high; }

// Every intro quad blends and lies centred in the plane z = -46.
void DrawIntroQuad(int32_t slot, float halfWidth, float halfHeight, float alpha) {
    DrawTexturedQuad(slot, 1, halfWidth, halfHeight, 0.0f, 0.0f, SceneDepth, alpha);
}

void DrawDate(float alpha) { DrawIntroQuad(DateSlot, DateHalfWidth, DateHalfHeight, alpha); }

void DrawTitle(int32_t slot, float widthFactor, float alpha) {
    DrawIntroQuad(slot, widthFactor * TitleHalfWidth, TitleHalfHeight, alpha);
}

void FadeInDate(uint32_t c) {
    if (!Between(c, 750, OpeningCue)) return;
    if (Timeline.DateAlpha < 1.0f) Timeline.DateAlpha += 0.0015f * Frame.FrameStep;
    DrawDate(Timeline.DateAlpha);
}

struct StrobeStep {
    uint32_t start;  // the step shows strictly between start and start + 10
    float grey;
    float u, v;
};

const StrobeStep StrobeSteps[] = {
    {StrobeCue, 0.1f, 0.0f, 0.0f},
    {StrobeCue + 10, 0.7f, 0.5f, 0.0f},
    {StrobeCue + 20, 0.3f, 0.0f, 0.3f},
    {StrobeCue + 30, 1.0f, 0.4f, 0.7f},
};

void Strobe(uint32_t c) {
    for (const StrobeStep& step : StrobeSteps) {
        if (!Between(c, step.start, step.start + 10)) continue;
        glColor3f(step.grey, step.grey, step.grey);
        DrawScreenZoom(LargeSlot, step.u, step.v);
    }
}

// Takes amount from value while it is above 0 and clamps it there: a long
// frame must not open the picture past its edges.
// Lowers value by amount, never below floor: a long frame would otherwise
// carry a size or a wobble through its resting value.
void LowerTo(float& value, float floor, float amount) {
    if (value > floor) value -= amount;
    if (value < floor) value = floor;
}

void BeginFlash() {
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
}

void EndFlash() {
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void FirstFlash() {
    BeginFlash();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f - Timeline.FlashPhase * 10.0f);
    Timeline.FlashPhase += 0.001f * Frame.FrameStep;
    DrawScreenZoom(LargeSlot, std::sin(Timeline.FlashPhase * 100.0f) + Timeline.PictureInsetU,
                   Timeline.FlashPhase + Timeline.PictureInsetV + std::cos(Timeline.FlashPhase * 25.0f));
    glColor4f(1.0f, 1.0f, 1.0f, 3.0f - Timeline.FlashPhase * 10.0f);
    DrawScreenBoundTexture();
    EndFlash();
}

void SecondFlash() {
    BeginFlash();
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f - Timeline.FlashPhase);
    Timeline.FlashPhase += 0.01f * Frame.FrameStep;
    DrawScreenZoom(LargeSlot, Timeline.FlashPhase + Timeline.PictureInsetU,
                   Timeline.FlashPhase + Timeline.PictureInsetV);
    EndFlash();
}

// The large picture opens from a horizontal line within about 50 frames,
// fades to black from 9200 and carries the two flashes.
void LargePicture(uint32_t c) {
    glColor3f(1.0f, 1.0f, 1.0f);
    LowerTo(Timeline.PictureInsetU, 0.0f, 0.01f * Frame.FrameStep);
    LowerTo(Timeline.PictureInsetV, 0.0f, 0.01f * Frame.FrameStep);
    if (c > PictureFadeCue) {
        if (Timeline.PictureFade > 0.0f) Timeline.PictureFade -= 0.005f * Frame.FrameStep;
        glColor4f(Timeline.PictureFade, Timeline.PictureFade, Timeline.PictureFade, Timeline.PictureFade);
    }
    DrawScreenZoom(LargeSlot, Timeline.PictureInsetU, Timeline.PictureInsetV);
    if (Between(c, FirstFlashCue, FirstFlashCue + 50)) FirstFlash();
    if (Between(c, SecondFlashCue, SecondFlashCue + 50)) SecondFlash();
}

void StretchDate() {
    if (Timeline.DateAlpha > 0.0f) Timeline.DateAlpha -= 0.015f * Frame.FrameStep;
    if (Timeline.DateStretchWidth < 120.0f) Timeline.DateStretchWidth += 0.5f * Frame.FrameStep;
    if (Timeline.DateStretchHeight > 0.2f) Timeline.DateStretchHeight -= 0.01f * Frame.FrameStep;
    DrawIntroQuad(DateSlot, Timeline.DateStretchWidth, Timeline.DateStretchHeight, Timeline.DateAlpha);
    DrawDate(Timeline.DateAlpha - 0.3f);
}

// The first title shakes in with a decaying random wobble while a ghost copy
// flies towards the viewer and fades within 40 frames.
void ShakeFirstTitle() {
    Timeline.ShakePhase += std::rand() % 10 + 10;
    LowerTo(Timeline.ShakeAmplitude, 0.0f, 1.0f * Frame.FrameStep);
    const float s = std::sin(Timeline.ShakePhase) * Timeline.ShakeAmplitude;
    DrawIntroQuad(FirstTitleSlot, TitleHalfWidth + s, TitleHalfHeight + s, 1.0f);
    if (Timeline.TitleCrossFade > 0.0f) Timeline.TitleCrossFade -= 0.025f * Frame.FrameStep;
    Timeline.GhostDepth += 1.0f * Frame.FrameStep;
    DrawTexturedQuad(FirstTitleSlot, 1, TitleHalfWidth, TitleHalfHeight, 0.0f, 0.0f,
                     Timeline.GhostDepth + SceneDepth, Timeline.TitleCrossFade);
}

// The second title fades in while narrowing from four times its width. Its
// width stops at the normal one like the third's: a long frame would carry
// it through zero and show the card mirrored.
void FirstToSecondTitle() {
    if (Timeline.TitleCrossFade < 1.0f) Timeline.TitleCrossFade += 0.05f * Frame.FrameStep;
    DrawTitle(FirstTitleSlot, 1.0f, 1.0f - Timeline.TitleCrossFade);
    LowerTo(Timeline.SecondWidthFactor, 1.0f, 0.15f * Frame.FrameStep);
    DrawTitle(SecondTitleSlot, Timeline.SecondWidthFactor, Timeline.TitleCrossFade);
}

void SecondToThirdTitle() {
    if (Timeline.TitleCrossFade > 0.0f) Timeline.TitleCrossFade -= 0.05f * Frame.FrameStep;
    DrawTitle(SecondTitleSlot, 1.0f, Timeline.TitleCrossFade);
    LowerTo(Timeline.ThirdWidthFactor, 1.0f, 0.45f * Frame.FrameStep);
    DrawTitle(ThirdTitleSlot, Timeline.ThirdWidthFactor, 1.0f - Timeline.TitleCrossFade);
}

// The third title turns into a thin, tall strip while it fades out.
void ThirdTitleLeaves() {
    if (Timeline.TitleCrossFade < 1.0f) Timeline.TitleCrossFade += 0.05f * Frame.FrameStep;
    if (Timeline.ThirdWidthFactor < 15.0f) Timeline.ThirdWidthFactor += 1.0f * Frame.FrameStep;
    DrawIntroQuad(ThirdTitleSlot, TitleHalfWidth / (Timeline.ThirdWidthFactor * 4.0f),
                  Timeline.ThirdWidthFactor * TitleHalfHeight, 1.0f - Timeline.TitleCrossFade);
}

void TitlePictures(uint32_t c) {
    if (Between(c, FirstFlashCue, SecondFlashCue)) ShakeFirstTitle();
    else if (c >= SecondFlashCue && c < SecondTitleCue) FirstToSecondTitle();
    else if (c >= SecondTitleCue && c < ThirdTitleCue) SecondToThirdTitle();
    else if (c >= ThirdTitleCue) ThirdTitleLeaves();
}

}  // namespace

void DrawIntroTimeline() {
    const uint32_t c = Audio.IntroClock;
    FadeInDate(c);
    if (c <= 2900) return;
    Strobe(c);
    if (c > OpeningCue) LargePicture(c);
    if (c > 3150) StretchDate();
    TitlePictures(c);
    DrawDate(Timeline.DateAlpha);
}
