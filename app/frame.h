// Frame driver, scene states and timing.
#pragma once
#include <cstdint>

enum : int32_t {
    LoadingFadeIn = -3,
    Loading = -2,
    LoadingFadeOut = -1,
    Intro = 0,
    Magazine = 1,
};

// The scene state and the timing of the last frame, as the program starts.
struct FrameState {
    int32_t SceneState = LoadingFadeIn;
    float InstantFrameRate = 0.0f;
    float FrameSeconds = 0.0f;
    float FrameStep = 0.0f;         // 1.0 at 75 frames per second
    float AverageFrameStep = 0.0f;  // mean over 25 frames, 0 until the 25th
    float LoadingAlpha = 0.0f;
    float IntroEndFade = 1.0f;      // level of the noise flicker as the intro ends
};
inline constexpr FrameState FrameStart{};
extern FrameState Frame;
extern const float ReferenceFrameRate;  // 75

// Reads the counter frequency and the start counter (end of start-up).
void StartFrameTimer();
// The same with a given counter frequency and start value, for a fake clock.
void StartFrameTimerAt(int64_t frequency, int64_t now);
// Measures the frame that ends now: InstantFrameRate and the previous counter.
void FrameTimer();
void FrameTimerAt(int64_t now);
// FrameSeconds, the 25-frame average and FrameStep from InstantFrameRate.
void UpdateFrameStep();

// Centre of the loading picture in overlay pixels for the current logical size.
float LoadingImageX();
float LoadingImageY();

// Clears the frame's buffers. A magazine frame that lays its kept backdrop
// covers every pixel with it, so its colour is not cleared, nor its depth
// yet: the copy would first have to wait for the clear. It clears the depth
// itself once the copy is down.
void ClearFrame();
// Whether this frame lays the magazine's kept backdrop.
bool LaysKeptBackdrop();

// The state machine of one frame (loading fades, intro, magazine), drawing
// into the current buffers; FrameDriver wraps it in clear, timing and swap.
void RunSceneStates();
void FrameDriver();

// The two branches of the state machine that run after loading, kept apart
// because they call into most of the program.
void IntroFrame();     // one frame of the Intro state
void MagazineFrame();  // one frame of the Magazine state
