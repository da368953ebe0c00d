#include "tests/magazine/page_recorder.h"

#include <GL/gl.h>

#include "content/page.h"
#include "resources/fonts.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int FeedbackCapacity = 1 << 18;
constexpr int ColourVertexFloats = 7;  // x, y, z, r, g, b, a

std::vector<GLfloat> Feedback(FeedbackCapacity);
PageRecord Recording;

// Where and in which colour the print's text would start: its raster
// position (window pixels, y up) and raster colour. Empty text prints nothing.
void Record(std::vector<PrintedText>& texts, float x, float y, const char* text) {
    if (!text || !*text) return;
    glRasterPos3f(x, 768.0f - y, 0.0f);
    GLfloat position[4], colour[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    texts.push_back({position[0], position[1], text, colour[3]});
}

void ParseFeedback(int count) {
    for (int i = 0; i < count;) {
        GLenum token = GLenum(Feedback[i++]);
        if (token == GL_POLYGON_TOKEN) {
            int vertices = int(Feedback[i++]);
            const GLfloat* v = &Feedback[i];
            Recording.polygons.push_back({v[3], v[6]});
            i += vertices * ColourVertexFloats;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN || token == GL_DRAW_PIXEL_TOKEN ||
                   token == GL_COPY_PIXEL_TOKEN) {
            i += ColourVertexFloats;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 2 * ColourVertexFloats;
        }
    }
}

}  // namespace

// The page renderer's prints, recording instead of drawing.
void PrintTahoma(float x, float y, const char* text) { Record(Recording.tahoma, x, y, text); }
void PrintCourier(float x, float y, const char* text) { Record(Recording.courier, x, y, text); }

void InstallRecordingFonts() { OpenTestWindow(1024, 768); }

PageRecord RecordPage() {
    Recording = PageRecord{};
    glFeedbackBuffer(FeedbackCapacity, GL_3D_COLOR, Feedback.data());
    glRenderMode(GL_FEEDBACK);
    DrawPage();
    int count = glRenderMode(GL_RENDER);
    ParseFeedback(count < 0 ? FeedbackCapacity : count);
    return Recording;
}
