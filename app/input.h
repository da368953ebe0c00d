// Keyboard, mouse and the one way out of the program.
#pragma once

#include <cstdint>

extern double PointerX;  // layout pixels, origin top-left, y downward
extern double PointerY;
extern uint8_t PointerOverLayout;  // 0 while the pointer is over a bar around the layout

// GLUT callbacks.
void KeyboardHandler(unsigned char key, int x, int y);
void SpecialKeyHandler(int key, int x, int y);
void MouseHandler(int button, int state, int x, int y);
void MotionHandler(int x, int y);
// GLUT close callback: the window manager closed the window.
void WindowClosed();
// PointerX, PointerY and PointerOverLayout for window pixel (x, y).
void MovePointer(int x, int y);

// Skips the intro, or in the magazine ends the process with status 0.
void Shutdown();
// Ends the process with status 0: sound restored and released, the system
// pointer back, fonts and the intro stream file gone, game mode left.
void EndProgram();

// Leaves GLUT game mode if it is active; safe to call at any time, also
// after GLUT has been torn down.
void LeaveGameMode();
// Makes every way out of the process leave game mode first: exit(), and
// SIGINT, SIGTERM, SIGHUP and SIGQUIT (handled on the GLUT thread), and
// crashes (InstallCrashGuards). Called
// once, right after the display mode has been entered.
void InstallExitGuards();
// Makes a crash (SIGSEGV, SIGABRT, SIGBUS, SIGFPE) run restoreDisplay inside
// the signal handler and then end the process of that same signal, as it
// would have ended without the handler (app/crash_guard.cpp).
void InstallCrashGuards(void (*restoreDisplay)());
