// Keyboard, mouse and the one way out of the program.
#pragma once

extern double PointerX;  // window pixels, origin top-left, y downward
extern double PointerY;

// GLUT callbacks.
void KeyboardHandler(unsigned char key, int x, int y);
void SpecialKeyHandler(int key, int x, int y);
void MouseHandler(int button, int state, int x, int y);
void MotionHandler(int x, int y);

// Skips the intro, or in the magazine ends the process with status 0.
void Shutdown();
