// PNG files into OpenGL textures, over libpng.
//
// Limits: every colour type and bit depth libpng reads is accepted and turned
// into 8-bit RGBA, then RGB where alpha is not kept; 16-bit samples are cut to
// 8 bits, palettes and grey are expanded, a transparent colour (tRNS) becomes
// alpha, interlaced files are de-interlaced. A file wider or higher than
// the GL implementation's GL_MAX_TEXTURE_SIZE or than MaxDecodeSide is
// refused before any pixel memory is allocated. libpng reports damaged data
// through longjmp; every such error ends in a plain failure result with all
// memory and the file released.
#include "platform/png.h"

#include <GL/gl.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>

#include "platform/paths.h"

namespace {

// Largest side accepted, whatever GL allows (and when it cannot be asked,
// without a current context).
constexpr uint32_t MaxDecodeSide = 16384;

int StandardOrientation = 1;

struct DecodedImage {
    uint32_t width = 0, height = 0, channels = 0;
    uint8_t* pixels = nullptr;  // malloc'd, width * height * channels bytes
};

// A damaged file is the caller's to report, with its own message; libpng's
// default handlers would also print to standard error.
[[noreturn]] void AbandonDecode(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

uint32_t MaxImageSide() {
    GLint glMax = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &glMax);
    return glMax > 0 ? std::min(uint32_t(glMax), MaxDecodeSide) : MaxDecodeSide;
}

// Sets up libpng's transformations so that every row comes out as 8-bit
// RGBA, whatever the file holds: one layout to check and to strip, so no
// combination of palette, transparent colour, grey, 16 bits or interlace
// can slip past. Returns whether the file has alpha of its own (an alpha
// channel or a transparent colour).
bool RequestEightBitRgba(png_structp png, png_infop info) {
    bool fileHasAlpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                        png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_expand(png);  // palette to RGB, grey to 8 bits, transparent colour to alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);  // only where there is no alpha yet
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return fileHasAlpha;
}

// RGBA pixels to RGB in place.
void DropAlpha(uint8_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        pixels[3 * i] = pixels[4 * i];
        pixels[3 * i + 1] = pixels[4 * i + 1];
        pixels[3 * i + 2] = pixels[4 * i + 2];
    }
}

// The file's header read and libpng set up for 8-bit RGBA rows; what
// OpenPng allocates, ClosePng releases, on every path.
struct PngReader {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint32_t width = 0, height = 0;
    bool withAlpha = false, interlaced = false;
};

bool ReadHeader(PngReader* reader, bool keepAlpha) {
    png_structp png = reader->png;
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, reader->file);
    // The chunk CRCs already catch damaged data; the zlib checksum would
    // only add a second pass over every decoded byte.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_read_info(png, reader->info);
    reader->width = png_get_image_width(png, reader->info);
    reader->height = png_get_image_height(png, reader->info);
    uint32_t maxSide = MaxImageSide();
    if (reader->width == 0 || reader->height == 0 || reader->width > maxSide || reader->height > maxSide)
        return false;
    reader->interlaced = png_get_interlace_type(png, reader->info) != PNG_INTERLACE_NONE;
    reader->withAlpha = RequestEightBitRgba(png, reader->info) && keepAlpha;
    return png_get_rowbytes(png, reader->info) == size_t(reader->width) * 4;
}

void ClosePng(PngReader* reader) {
    if (reader->png) png_destroy_read_struct(&reader->png, reader->info ? &reader->info : nullptr, nullptr);
    if (reader->file) std::fclose(reader->file);
    *reader = PngReader{};
}

bool OpenPng(const char* fileName, bool keepAlpha, PngReader* reader) {
    reader->file = OpenDataFile(fileName, "rb");
    if (!reader->file) return false;
    reader->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, AbandonDecode, IgnoreWarning);
    reader->info = reader->png ? png_create_info_struct(reader->png) : nullptr;
    if (reader->info && ReadHeader(reader, keepAlpha)) return true;
    ClosePng(reader);
    return false;
}

// The whole picture into memory. Everything it allocates is reachable from
// image and rows, so the caller frees it on both the normal and the longjmp
// path.
bool ReadImage(const PngReader& reader, DecodedImage* image, png_bytep** rows) {
    if (setjmp(png_jmpbuf(reader.png))) return false;
    uint32_t width = reader.width, height = reader.height;
    size_t stride = size_t(width) * 4;
    image->pixels = static_cast<uint8_t*>(std::malloc(stride * height));
    *rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!image->pixels || !*rows) return false;
    for (uint32_t row = 0; row < height; ++row) {
        uint32_t target = StandardOrientation ? height - 1 - row : row;
        (*rows)[row] = image->pixels + stride * target;
    }
    // The chunks after the image data carry nothing used here, so a file
    // cut after its last pixel row still loads.
    png_read_image(reader.png, *rows);
    if (!reader.withAlpha) DropAlpha(image->pixels, size_t(width) * height);
    image->width = width;
    image->height = height;
    image->channels = reader.withAlpha ? 4 : 3;
    return true;
}

// ReadImage with its row table freed, and nothing left allocated on failure.
bool ReadWholeImage(const PngReader& reader, DecodedImage* image) {
    png_bytep* rows = nullptr;
    bool ok = ReadImage(reader, image, &rows);
    std::free(rows);
    if (!ok) {
        std::free(image->pixels);
        *image = DecodedImage{};
    }
    return ok;
}

bool DecodePng(const char* fileName, bool keepAlpha, DecodedImage* image) {
    PngReader reader;
    if (!OpenPng(fileName, keepAlpha, &reader)) return false;
    bool ok = ReadWholeImage(reader, image);
    ClosePng(&reader);
    return ok;
}

// Rows pass from libpng to the driver a strip at a time through this buffer,
// which stays in the cache between the two: a picture-sized buffer would be
// fresh memory for every large picture, and first touching fresh pages costs
// more than decoding into them. It holds four rows of the widest picture.
alignas(64) uint8_t StripRows[MaxDecodeSide * 4 * 4];

// The texture's storage is made first, then filled a strip at a time, in
// the row order asked for. A decode error leaves the texture without an
// image, as if nothing had been uploaded.
bool UploadStrips(const PngReader& reader, GLenum format) {
    uint32_t width = reader.width, height = reader.height;
    size_t stride = size_t(width) * 4;
    uint32_t stripHeight = uint32_t(sizeof StripRows / stride);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), GLsizei(width), GLsizei(height), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    if (setjmp(png_jmpbuf(reader.png))) {
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), 0, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        return false;
    }
    for (uint32_t first = 0; first < height; first += stripHeight) {
        uint32_t rows = std::min(stripHeight, height - first);
        for (uint32_t row = 0; row < rows; ++row)
            png_read_row(reader.png, StripRows + stride * (StandardOrientation ? rows - 1 - row : row), nullptr);
        uint32_t top = StandardOrientation ? height - first - rows : first;
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, GLint(top), GLsizei(width), GLsizei(rows), GL_RGBA, GL_UNSIGNED_BYTE,
                        StripRows);
    }
    return true;
}

// The rows are tightly packed whatever the caller's unpack state; the
// caller pops the attribute group again.
void PushTightUnpacking() {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

// Interlaced pictures need every row at hand for each of their passes, so
// only they are decoded whole.
bool DecodeAndUpload(const PngReader& reader, GLenum format) {
    if (!reader.interlaced) return UploadStrips(reader, format);
    DecodedImage image;
    if (!ReadWholeImage(reader, &image)) return false;
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), GLsizei(image.width), GLsizei(image.height), 0, format,
                 GL_UNSIGNED_BYTE, image.pixels);
    std::free(image.pixels);
    return true;
}

}  // namespace

void pngSetStandardOrientation(int standardOrientation) {
    StandardOrientation = standardOrientation;
}


int pngLoad(const char* fileName, int mipmap, int transparency, pngInfo* info) {
    PngReader reader;
    if (!OpenPng(fileName, transparency == PNG_ALPHA, &reader)) return 0;
    GLenum format = reader.withAlpha ? GL_RGBA : GL_RGB;
    PushTightUnpacking();
    bool ok = DecodeAndUpload(reader, format);
    glPopClientAttrib();
    uint32_t channels = reader.withAlpha ? 4 : 3;
    if (ok && info) *info = pngInfo{reader.width, reader.height, channels * 8, uint32_t(reader.withAlpha)};
    ClosePng(&reader);
    return ok;
}

int pngLoadRaw(const char* fileName, pngRawInfo* info) {
    if (!info) return 0;
    DecodedImage image;
    if (!DecodePng(fileName, false, &image)) return 0;
    *info = pngRawInfo{image.width, image.height, 24, 0, image.pixels};
    return 1;
}
