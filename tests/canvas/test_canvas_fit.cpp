// Where the layout lies in a window and which layout point a window pixel
// shows: the largest 4:3 rectangle, centred, sides rounded to the nearest
// pixel, and nothing under the bars.
#include <gtest/gtest.h>

#include <array>

#include "app/canvas.h"

namespace {

TEST(CanvasFit, LargestCentredRectangleOfTheLayoutsShape) {
    const struct {
        int32_t width, height;
        CanvasPlace place;
    } windows[] = {
        {1024, 768, {0, 0, 1024, 768}},     // nothing to scale
        {512, 512, {0, 64, 512, 384}},      // the start window: bars above and below
        {1920, 1080, {240, 0, 1440, 1080}},
        {1025, 768, {0, 0, 1024, 768}},     // a one-pixel bar goes to the right
        {1023, 767, {0, 0, 1023, 767}},     // 1022.67 rounds up
        {1000, 1000, {0, 125, 1000, 750}},
        {100, 1, {49, 0, 1, 1}},
        {0, 0, {0, 0, 0, 0}},               // minimised
        {640, 0, {0, 0, 0, 0}},
    };
    for (const auto& window : windows) {
        const CanvasPlace place = FitLayout(window.width, window.height);
        const CanvasPlace& want = window.place;
        EXPECT_EQ((std::array{place.x, place.y, place.width, place.height}),
                  (std::array{want.x, want.y, want.width, want.height})) << window.width << " x " << window.height;
    }
}

TEST(CanvasFit, WindowPixelsMapBackToTheLayoutAndBarsHitNothing) {
    const struct {
        int32_t windowWidth, windowHeight, x, y;
        bool inside;
        double layoutX, layoutY;
    } pixels[] = {
        {1024, 768, 0, 0, true, 0, 0},  // 1:1: the window pixel is the layout pixel
        {1024, 768, 1023, 767, true, 1023, 767},
        {1024, 768, 1024, 0, false, 1024, 0},
        {512, 512, 0, 64, true, 0, 0},
        {512, 512, 256, 256, true, 512, 384},
        {512, 512, 511, 447, true, 1022, 766},
        {512, 512, 100, 63, false, 200, -2},  // the bar above
        {512, 512, 100, 448, false, 200, 768},  // the bar below
        {1920, 1080, 239, 500, false, -1024.0 / 1440, 500.0 * 768 / 1080},
        {1920, 1080, 240, 0, true, 0, 0},
        {1920, 1080, 1679, 1079, true, 1439.0 * 1024 / 1440, 1079.0 * 768 / 1080},
        {1920, 1080, 1680, 0, false, 1024, 0},
        {0, 0, 0, 0, false, -1, -1},
    };
    for (const auto& pixel : pixels) {
        double x = 0, y = 0;
        const CanvasPlace place = FitLayout(pixel.windowWidth, pixel.windowHeight);
        EXPECT_EQ(WindowToLayout(place, pixel.x, pixel.y, &x, &y), pixel.inside)
            << pixel.windowWidth << " x " << pixel.windowHeight << " at " << pixel.x << ", " << pixel.y;
        EXPECT_DOUBLE_EQ(x, pixel.layoutX) << pixel.windowWidth << " at " << pixel.x;
        EXPECT_DOUBLE_EQ(y, pixel.layoutY) << pixel.windowHeight << " at " << pixel.y;
    }
}

}  // namespace
