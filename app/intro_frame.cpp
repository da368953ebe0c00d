#include "app/frame.h"

// The intro branch of the frame driver; the timeline, the stream and the noise
// flicker are added here as they land.
void IntroFrame() {}
