// Start-up, command line and display mode.
#pragma once
#include <cstdint>

extern uint8_t FullScreen;          // 1 in GLUT game mode, 0 in a window
extern int32_t WindowWidth;         // logical overlay width in pixels
extern int32_t WindowHeight;        // logical overlay height in pixels
extern const char GameModeString[]; // "1024x768:32"
extern int32_t CubeMapDisabled;     // 0 after "-enablecubemap"

// Looks at the first argument only ("-enablecubemap", "-noati").
void ParseCommandLine(int argc, char** argv);
// Game mode when GLUT can give it, else the 512 x 512 window "Tallyboard".
void EnterDisplayMode();
// The standing OpenGL state, the loading picture and the fonts; starts the frame timer.
void InitGraphicsState();
// Reshape callback: viewport and the 80-degree perspective projection.
void SetProjection(int32_t width, int32_t height);
