// The print operations the page renderer calls, apart from the fonts so that
// a test can put recording or reference prints in their place at link time.
#include "resources/fonts.h"

void PrintTahoma(float x, float y, const char* text) { DrawAtlasText(TahomaFont, x, y, text); }
void PrintCourier(float x, float y, const char* text) { DrawAtlasText(CourierFont, x, y, text); }
