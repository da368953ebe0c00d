#include "app/input.h"

double PointerX = 0.0;
double PointerY = 0.0;

void KeyboardHandler(unsigned char key, int x, int y) {}
void SpecialKeyHandler(int key, int x, int y) {}
void MouseHandler(int button, int state, int x, int y) {}
void MotionHandler(int x, int y) {}
void Shutdown() {}
