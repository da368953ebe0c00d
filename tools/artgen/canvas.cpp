#include "canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int MaxSide = 4096;

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

// One running-sum box pass along rows (step 4) or columns (step 4 * width),
// with the edge pixels repeated so borders do not darken.
void BoxPass(std::vector<float>& px, int count, int lines, int step, int lineStep, int radius) {
    std::vector<float> line(static_cast<size_t>(count));
    const float norm = 1.0f / static_cast<float>(2 * radius + 1);
    for (int l = 0; l < lines; ++l) {
        for (int ch = 0; ch < 4; ++ch) {
            float* base = px.data() + static_cast<size_t>(l) * lineStep + ch;
            for (int i = 0; i < count; ++i) line[i] = base[static_cast<size_t>(i) * step];
            float sum = 0.0f;
            for (int i = -radius; i <= radius; ++i) sum += line[std::clamp(i, 0, count - 1)];
            for (int i = 0; i < count; ++i) {
                base[static_cast<size_t>(i) * step] = sum * norm;
                sum += line[std::min(i + radius + 1, count - 1)] - line[std::max(i - radius, 0)];
            }
        }
    }
}

}  // namespace

Canvas MakeCanvas(int width, int height, Rgb fill, float alpha) {
    Canvas c;
    c.width = std::clamp(width, 1, MaxSide);
    c.height = std::clamp(height, 1, MaxSide);
    c.pixels.resize(static_cast<size_t>(c.width) * c.height * 4);
    for (size_t i = 0; i < c.pixels.size(); i += 4) {
        c.pixels[i] = fill.r;
        c.pixels[i + 1] = fill.g;
        c.pixels[i + 2] = fill.b;
        c.pixels[i + 3] = alpha;
    }
    return c;
}

Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }

const float* PixelAt(const Canvas& c, int x, int y) {
    if (x < 0 || y < 0 || x >= c.width || y >= c.height) return nullptr;
    return c.pixels.data() + (static_cast<size_t>(y) * c.width + x) * 4;
}

float* PixelAt(Canvas& c, int x, int y) { return const_cast<float*>(PixelAt(static_cast<const Canvas&>(c), x, y)); }

void PaintOver(Canvas& c, int x, int y, Rgb colour, float a) {
    float* p = PixelAt(c, x, y);
    a = Clamp01(a);
    if (!p || a <= 0.0f) return;
    const float outA = a + p[3] * (1.0f - a);
    const float keep = p[3] * (1.0f - a);
    p[0] = (colour.r * a + p[0] * keep) / outA;
    p[1] = (colour.g * a + p[1] * keep) / outA;
    p[2] = (colour.b * a + p[2] * keep) / outA;
    p[3] = outA;
}

void PaintAdd(Canvas& c, int x, int y, Rgb colour, float amount) {
    float* p = PixelAt(c, x, y);
    if (!p || amount <= 0.0f) return;
    p[0] += colour.r * amount;
    p[1] += colour.g * amount;
    p[2] += colour.b * amount;
}

void FillRect(Canvas& c, int x0, int y0, int x1, int y1, Rgb colour, float a) {
    for (int y = std::max(y0, 0); y <= std::min(y1, c.height - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, c.width - 1); ++x) PaintOver(c, x, y, colour, a);
}

void FrameRect(Canvas& c, int x0, int y0, int x1, int y1, Rgb colour, float a) {
    FillRect(c, x0, y0, x1, y0, colour, a);
    FillRect(c, x0, y1, x1, y1, colour, a);
    FillRect(c, x0, y0 + 1, x0, y1 - 1, colour, a);
    FillRect(c, x1, y0 + 1, x1, y1 - 1, colour, a);
}

void Blur(Canvas& c, float radius) {
    // Three box passes of this width approximate a Gaussian of the radius.
    const int box = std::max(1, static_cast<int>(std::lround(radius * 0.58f)));
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(c.pixels, c.width, c.height, 4, 4 * c.width, box);
        BoxPass(c.pixels, c.height, c.width, 4 * c.width, 4, box);
    }
}

Canvas Resized(const Canvas& c, int width, int height) {
    Canvas out = MakeCanvas(width, height);
    const float sx = static_cast<float>(c.width) / out.width;
    const float sy = static_cast<float>(c.height) / out.height;
    for (int y = 0; y < out.height; ++y) {
        const float fy = std::clamp((y + 0.5f) * sy - 0.5f, 0.0f, c.height - 1.0f);
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, c.height - 1);
        const float ty = fy - y0;
        for (int x = 0; x < out.width; ++x) {
            const float fx = std::clamp((x + 0.5f) * sx - 0.5f, 0.0f, c.width - 1.0f);
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, c.width - 1);
            const float tx = fx - x0;
            const float* p00 = &c.pixels[(static_cast<size_t>(y0) * c.width + x0) * 4];
            const float* p10 = &c.pixels[(static_cast<size_t>(y0) * c.width + x1) * 4];
            const float* p01 = &c.pixels[(static_cast<size_t>(y1) * c.width + x0) * 4];
            const float* p11 = &c.pixels[(static_cast<size_t>(y1) * c.width + x1) * 4];
            float* o = &out.pixels[(static_cast<size_t>(y) * out.width + x) * 4];
            for (int ch = 0; ch < 4; ++ch) {
                const float top = p00[ch] + (p10[ch] - p00[ch]) * tx;
                const float bottom = p01[ch] + (p11[ch] - p01[ch]) * tx;
                o[ch] = top + (bottom - top) * ty;
            }
        }
    }
    return out;
}

void AddCanvas(Canvas& dst, const Canvas& src, int offsetX, int offsetY, float amount) {
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            const float* s = &src.pixels[(static_cast<size_t>(y) * src.width + x) * 4];
            PaintAdd(dst, x + offsetX, y + offsetY, {s[0], s[1], s[2]}, s[3] * amount);
        }
}

void Expose(Canvas& c, float k) {
    for (size_t i = 0; i < c.pixels.size(); i += 4) {
        c.pixels[i] *= k;
        c.pixels[i + 1] *= k;
        c.pixels[i + 2] *= k;
    }
}

bool SavePng(const Canvas& c, const char* path, PngFormat format) {
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::fprintf(stderr, "artgen: cannot write %s\n", path);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const int channels = format == PngRgba ? 4 : 3;
    std::vector<uint8_t> row(static_cast<size_t>(c.width) * channels);
    bool ok = png && info;
    // libpng reports write errors by longjmp; nothing below owns C++ objects
    // that would need unwinding except the row buffer allocated above.
    if (ok && setjmp(png_jmpbuf(png))) ok = false;
    else if (ok) {
        png_init_io(png, file);
        // Unfiltered rows deflate as small as filtered ones for this art, and
        // the magazine decodes them in about half the time at every start.
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_set_compression_level(png, format == PngRgbStored ? 0 : 9);
        png_set_IHDR(png, info, c.width, c.height, 8, format == PngRgba ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < c.height; ++y) {
            const float* p = &c.pixels[static_cast<size_t>(y) * c.width * 4];
            for (int x = 0; x < c.width; ++x)
                for (int ch = 0; ch < channels; ++ch)
                    row[static_cast<size_t>(x) * channels + ch] = ToByte(p[x * 4 + ch]);
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "artgen: error while writing %s\n", path);
    return ok;
}
