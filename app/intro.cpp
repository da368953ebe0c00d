// Intro timeline on IntroClock (intro stream bytes / 1000; one unit is about
// 5.67 ms of a 44.1 kHz 16-bit stereo stream). Intervals are exact: a strict
// inequality excludes its end, so the clock values 2920, 2930, 2940 and 2950
// fall between the strobe steps. Every amount below is per reference frame
// and scaled by FrameStep, except the shake's random phase step.
#include "app/intro.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "app/frame.h"
#include "app/intro_cues.h"
#include "audio/audio.h"
#include "render/primitives.h"

float DateAlpha = 0.0f;
float PictureInsetU = 0.3f;
float PictureInsetV = 0.5f;
float PictureFade = 1.0f;
float FlashPhase = 0.0f;
float DateStretchWidth = 12.8f;
float DateStretchHeight = 3.2f;
float ShakePhase = 0.0f;
float ShakeAmplitude = 10.0f;
float TitleCrossFade = 1.0f;
float GhostDepth = 0.0f;
float SecondWidthFactor = 4.0f;
float ThirdWidthFactor = 5.0f;

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
    if (DateAlpha < 1.0f) DateAlpha += 0.0015f * FrameStep;
    DrawDate(DateAlpha);
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
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f - FlashPhase * 10.0f);
    FlashPhase += 0.001f * FrameStep;
    DrawScreenZoom(LargeSlot, std::sin(FlashPhase * 100.0f) + PictureInsetU,
                   FlashPhase + PictureInsetV + std::cos(FlashPhase * 25.0f));
    glColor4f(1.0f, 1.0f, 1.0f, 3.0f - FlashPhase * 10.0f);
    DrawScreenBoundTexture();
    EndFlash();
}

void SecondFlash() {
    BeginFlash();
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f - FlashPhase);
    FlashPhase += 0.01f * FrameStep;
    DrawScreenZoom(LargeSlot, FlashPhase + PictureInsetU, FlashPhase + PictureInsetV);
    EndFlash();
}

// The large picture opens from a horizontal line within about 50 frames,
// fades to black from 9200 and carries the two flashes.
void LargePicture(uint32_t c) {
    glColor3f(1.0f, 1.0f, 1.0f);
    LowerTo(PictureInsetU, 0.0f, 0.01f * FrameStep);
    LowerTo(PictureInsetV, 0.0f, 0.01f * FrameStep);
    if (c > PictureFadeCue) {
        if (PictureFade > 0.0f) PictureFade -= 0.005f * FrameStep;
        glColor4f(PictureFade, PictureFade, PictureFade, PictureFade);
    }
    DrawScreenZoom(LargeSlot, PictureInsetU, PictureInsetV);
    if (Between(c, FirstFlashCue, FirstFlashCue + 50)) FirstFlash();
    if (Between(c, SecondFlashCue, SecondFlashCue + 50)) SecondFlash();
}

void StretchDate() {
    if (DateAlpha > 0.0f) DateAlpha -= 0.015f * FrameStep;
    if (DateStretchWidth < 120.0f) DateStretchWidth += 0.5f * FrameStep;
    if (DateStretchHeight > 0.2f) DateStretchHeight -= 0.01f * FrameStep;
    DrawIntroQuad(DateSlot, DateStretchWidth, DateStretchHeight, DateAlpha);
    DrawDate(DateAlpha - 0.3f);
}

// The first title shakes in with a decaying random wobble while a ghost copy
// flies towards the viewer and fades within 40 frames.
void ShakeFirstTitle() {
    ShakePhase += std::rand() % 10 + 10;
    LowerTo(ShakeAmplitude, 0.0f, 1.0f * FrameStep);
    const float s = std::sin(ShakePhase) * ShakeAmplitude;
    DrawIntroQuad(FirstTitleSlot, TitleHalfWidth + s, TitleHalfHeight + s, 1.0f);
    if (TitleCrossFade > 0.0f) TitleCrossFade -= 0.025f * FrameStep;
    GhostDepth += 1.0f * FrameStep;
    DrawTexturedQuad(FirstTitleSlot, 1, TitleHalfWidth, TitleHalfHeight, 0.0f, 0.0f,
                     GhostDepth + SceneDepth, TitleCrossFade);
}

// The second title fades in while narrowing from four times its width. Its
// width stops at the normal one like the third's: a long frame would carry
// it through zero and show the card mirrored.
void FirstToSecondTitle() {
    if (TitleCrossFade < 1.0f) TitleCrossFade += 0.05f * FrameStep;
    DrawTitle(FirstTitleSlot, 1.0f, 1.0f - TitleCrossFade);
    LowerTo(SecondWidthFactor, 1.0f, 0.15f * FrameStep);
    DrawTitle(SecondTitleSlot, SecondWidthFactor, TitleCrossFade);
}

void SecondToThirdTitle() {
    if (TitleCrossFade > 0.0f) TitleCrossFade -= 0.05f * FrameStep;
    DrawTitle(SecondTitleSlot, 1.0f, TitleCrossFade);
    LowerTo(ThirdWidthFactor, 1.0f, 0.45f * FrameStep);
    DrawTitle(ThirdTitleSlot, ThirdWidthFactor, 1.0f - TitleCrossFade);
}

// The third title turns into a thin, tall strip while it fades out.
void ThirdTitleLeaves() {
    if (TitleCrossFade < 1.0f) TitleCrossFade += 0.05f * FrameStep;
    if (ThirdWidthFactor < 15.0f) ThirdWidthFactor += 1.0f * FrameStep;
    DrawIntroQuad(ThirdTitleSlot, TitleHalfWidth / (ThirdWidthFactor * 4.0f),
                  ThirdWidthFactor * TitleHalfHeight, 1.0f - TitleCrossFade);
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
    DrawDate(DateAlpha);
}
