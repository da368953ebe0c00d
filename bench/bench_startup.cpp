// Start-up and text figures of the foundation: decoding and uploading the
// catalogue, building both fonts, and drawing text the way a page does.
// Prints milliseconds; run under an X server (xvfb-run -a).
#include <GL/gl.h>

#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "render/primitives.h"
#include "resources/fonts.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

namespace {

double Milliseconds(int64_t from, int64_t to) { return double(to - from) * 1000.0 / double(ClockFrequency()); }

// Backgrounds at full screen size, everything else at a typical button size.
void WriteCatalogue() {
    for (int32_t slot = 0; slot < TextureSlotCount; ++slot) {
        bool background = slot < CubeMapCount;
        WriteSolidPng(TextureFileName(slot), background ? 1024 : 256, background ? 768 : 64,
                      0x102030u * unsigned(slot + 1));
    }
}

}  // namespace

int main() {
    OpenTestWindow(1024, 768);
    EnterTempWorkDir();
    WriteCatalogue();
    int64_t start = ClockNow();
    std::freopen("/dev/null", "w", stdout);  // nothing is missing; keep the figures on stderr
    LoadTextures();
    int64_t loaded = ClockNow();
    CreateTahomaFont();
    int64_t tahoma = ClockNow();
    CreateCourierFont();
    int64_t courier = ClockNow();
    LeaveTempWorkDir();

    // A message page: 40 lines of 80 characters, a hundred times.
    std::string line(80, 'x');
    OverlayBegin();
    glFinish();
    int64_t textStart = ClockNow();
    for (int page = 0; page < 100; ++page)
        for (int row = 0; row < 40; ++row) PrintCourier(20.0f, 700.0f - 15.0f * float(row), line.c_str());
    glFinish();
    int64_t textEnd = ClockNow();
    std::string longLine(3200, 'x');
    for (int page = 0; page < 100; ++page) PrintCourier(20.0f, 700.0f, longLine.c_str());
    glFinish();
    int64_t longEnd = ClockNow();
    OverlayEnd();


    std::fprintf(stderr, "catalogue, 84 slots (7 of 1024x768): %8.1f ms\n", Milliseconds(start, loaded));
    std::fprintf(stderr, "Tahoma font, 256 lists:             %8.1f ms\n", Milliseconds(loaded, tahoma));
    std::fprintf(stderr, "Courier font, 256 lists:            %8.1f ms\n", Milliseconds(tahoma, courier));
    std::fprintf(stderr, "text page of 40 x 80 characters:    %8.3f ms\n", Milliseconds(textStart, textEnd) / 100.0);
    std::fprintf(stderr, "one string of 3200 characters:      %8.3f ms\n", Milliseconds(textEnd, longEnd) / 100.0);
    return 0;
}
