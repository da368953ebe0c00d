#include "tests/magazine/page_recorder.h"

#include <GL/gl.h>

#include <cmath>

#include "content/page.h"
#include "resources/fonts.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr float GlyphAdvance = 6.0f;
constexpr int CourierCodeOffset = 256;
constexpr int FeedbackCapacity = 1 << 18;
constexpr int ColourVertexFloats = 7;  // x, y, z, r, g, b, a

std::vector<GLfloat> Feedback(FeedbackCapacity);

// Glyphs that follow on the same line at one advance apart form one string.
void AppendGlyph(std::vector<PrintedText>& texts, char code, const GLfloat* vertex) {
    if (!texts.empty()) {
        PrintedText& last = texts.back();
        float expectedX = last.x + GlyphAdvance * float(last.text.size());
        if (last.y == vertex[1] && std::fabs(expectedX - vertex[0]) < 0.01f) {
            last.text += code;
            return;
        }
    }
    texts.push_back({vertex[0], vertex[1], std::string(1, code), vertex[6]});
}

PageRecord ParseFeedback(int count) {
    PageRecord record;
    int pendingCode = -1;
    for (int i = 0; i < count;) {
        GLenum token = GLenum(Feedback[i++]);
        if (token == GL_PASS_THROUGH_TOKEN) {
            pendingCode = int(Feedback[i++]);
        } else if (token == GL_BITMAP_TOKEN) {
            const GLfloat* v = &Feedback[i];
            i += ColourVertexFloats;
            if (pendingCode < 0)
                continue;
            AppendGlyph(pendingCode >= CourierCodeOffset ? record.courier : record.tahoma,
                        char(pendingCode % CourierCodeOffset), v);
            pendingCode = -1;
        } else if (token == GL_POLYGON_TOKEN) {
            int vertices = int(Feedback[i++]);
            const GLfloat* v = &Feedback[i];
            record.polygons.push_back({v[3], v[6]});
            i += vertices * ColourVertexFloats;
        } else if (token == GL_POINT_TOKEN || token == GL_DRAW_PIXEL_TOKEN || token == GL_COPY_PIXEL_TOKEN) {
            i += ColourVertexFloats;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 2 * ColourVertexFloats;
        }
    }
    return record;
}

void BuildAnnouncingFont(GLuint base, int codeOffset) {
    // A display list can't hold a bitmap without pixels: one blank pixel.
    static const GLubyte blankPixel[4] = {};
    for (int c = 0; c < 256; ++c) {
        glNewList(base + GLuint(c), GL_COMPILE);
        glPassThrough(GLfloat(c + codeOffset));
        glBitmap(1, 1, 0, 0, GlyphAdvance, 0, blankPixel);
        glEndList();
    }
}

}  // namespace

void InstallRecordingFonts() {
    OpenTestWindow(1024, 768);
    GLuint base = glGenLists(512);
    TahomaListBase = base;
    CourierListBase = base + 256;
    BuildAnnouncingFont(TahomaListBase, 0);
    BuildAnnouncingFont(CourierListBase, CourierCodeOffset);
}

PageRecord RecordPage() {
    glFeedbackBuffer(FeedbackCapacity, GL_3D_COLOR, Feedback.data());
    glRenderMode(GL_FEEDBACK);
    DrawPage();
    int count = glRenderMode(GL_RENDER);
    return ParseFeedback(count < 0 ? FeedbackCapacity : count);
}

