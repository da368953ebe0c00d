// Spectrum trace: bins 2..128 as a vertical line at the left edge of the
// magazine scene, each segment drawn wide and faint under thin and brighter,
// each width in one batch.
// ln(k) lifts the higher bins, the square root compresses loud peaks and the
// limit keeps the trace within a strip 25 units wide.
#include "effects/spectrum_trace.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "audio/audio.h"

namespace {

constexpr int FirstTraceBin = 2;
constexpr int LastTraceBin = 128;  // the last segment ends here
constexpr float TraceLimit = 25.0f;

float TraceHeight(int bin) {
    const float magnitude = std::max(Spectrum[bin], 0.0f);
    return std::min(60.0f * std::sqrt(std::log(static_cast<float>(bin)) * magnitude), TraceLimit);
}

// Every segment at one width and opacity in one batch: a change of line
// width costs the driver far more than the segment itself.
void DrawTracePass(const float* heights, float width, float alpha) {
    glLineWidth(width);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glBegin(GL_LINES);
    for (int k = FirstTraceBin; k < LastTraceBin; ++k) {
        glVertex3f(k, heights[k - FirstTraceBin], 0.0f);
        glVertex3f(k + 1, heights[k + 1 - FirstTraceBin], 0.0f);
    }
    glEnd();
}

}  // namespace

void DrawSpectrumTrace() {
    glLineWidth(2.0f);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    // Bin numbers run down from the top, amplitudes to the right: a point
    // (k, h) lands at eye (-157 + h, 65 - k, -145).
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-157.0f, 65.0f, -145.0f);
    glRotatef(270.0f, 0.0f, 0.0f, 1.0f);
    // Wide and faint under thin and brighter; the blend is additive, so all
    // wide segments can go before all thin ones.
    float heights[LastTraceBin - FirstTraceBin + 1];
    for (int k = FirstTraceBin; k <= LastTraceBin; ++k) heights[k - FirstTraceBin] = TraceHeight(k);
    DrawTracePass(heights, 4.0f, 0.1f);
    DrawTracePass(heights, 1.0f, 0.15f);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}
