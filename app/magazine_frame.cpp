#include "app/frame.h"

// The magazine branch of the frame driver; the page, menu, effects and panels
// are added here as they land.
void MagazineFrame() {}
