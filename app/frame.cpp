// The frame driver: GLUT's display and idle callback, so frames run back to
// back. It measures the last frame, runs the scene-state machine and swaps.
#include "app/frame.h"

#include <GL/freeglut.h>

#include "app/canvas.h"
#include "app/resource_init.h"
#include "app/startup.h"
#include "content/content.h"
#include "menu/picking.h"
#include "render/primitives.h"
#include "resources/textures.h"

namespace {

constexpr float LoadingFadePerFrame = 0.025f;  // plain frames, not Frame.FrameStep

void DrawLoadingPicture(int32_t blend, float alpha) {
    DrawLoadingImage(0, blend, 256.0f, 32.0f, LoadingImageX(), LoadingImageY(), alpha);
}

}  // namespace

// Left of centre and above the middle: the layout of the 1024 x 768 screen,
// which a 512 x 512 window keeps only partly.
float LoadingImageX() { return float(WindowWidth / 4 + 256); }
float LoadingImageY() { return float(WindowHeight) * 5.0f / 17.0f + 128.0f; }

// Each branch tests the state as the branch before left it, so a change of
// state runs the next branch in the same frame: the frame that completes the
// fade-in also loads everything and takes the first fade-out step.
void RunSceneStates() {
    if (Frame.SceneState == LoadingFadeIn) {
        if (Frame.LoadingAlpha >= 1.0f)
            Frame.SceneState = Loading;
        else
            Frame.LoadingAlpha += LoadingFadePerFrame;
        DrawLoadingPicture(1, Frame.LoadingAlpha);
    }
    if (Frame.SceneState == Loading) {
        DrawLoadingPicture(0, 1.0f);
        ResourceInit();
        Frame.SceneState = LoadingFadeOut;
    }
    if (Frame.SceneState == LoadingFadeOut) {
        if (Frame.LoadingAlpha <= 0.0f)
            Frame.SceneState = Intro;
        else
            Frame.LoadingAlpha -= LoadingFadePerFrame;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawLoadingPicture(1, Frame.LoadingAlpha);
    }
    if (Frame.SceneState == Intro) IntroFrame();
    if (Frame.SceneState == Magazine) MagazineFrame();
}

void ClearFrame() {
    if (!LaysKeptBackdrop()) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The hover pick waits for the magazine: before it nothing shows a hovered
// button. The intro's pictures go first, because the first pick makes the
// picking context (some 7 MiB): made while they were still resident, it set
// the process's memory peak.
void FrameDriver() {
    if (Frame.SceneState == Magazine) {
        ReleaseIntroTextures();
        PickPendingHover();
    }
    BeginCanvasFrame();
    ClearFrame();
    FrameTimer();
    UpdateFrameStep();
    ClampPage();
    RunSceneStates();
    PresentCanvas();
    glutSwapBuffers();
}
