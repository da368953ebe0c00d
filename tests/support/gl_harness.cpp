#include "tests/support/gl_harness.h"

#include <GL/freeglut.h>
#include <png.h>

#include <cstdio>
#include <vector>

#include "app/startup.h"

static int harnessWindow = 0;

void OpenTestWindow(int width, int height) {
    if (!harnessWindow) {
        int argc = 1;
        char name[] = "tallyboard-test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);
        glutInitWindowPosition(0, 0);
        glutInitWindowSize(width, height);
        harnessWindow = glutCreateWindow("Tallyboard");
    } else {
        glutReshapeWindow(width, height);
    }
    glutSetWindow(harnessWindow);
    glViewport(0, 0, width, height);
    WindowWidth = width;
    WindowHeight = height;
}

unsigned ReadBackBufferPixel(int x, int yFromTop) {
    unsigned char rgb[3] = {0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, WindowHeight - 1 - yFromTop, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return (unsigned(rgb[0]) << 16) | (unsigned(rgb[1]) << 8) | rgb[2];
}

bool SaveBackBufferPng(const char* path, int width, int height) {
    std::vector<unsigned char> pixels(size_t(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = height - 1; row >= 0; --row)  // GL rows are bottom first
        png_write_row(png, pixels.data() + size_t(row) * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
}
