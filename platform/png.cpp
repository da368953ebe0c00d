// PNG files into OpenGL textures, over libpng.
//
// Limits: every colour type and bit depth libpng reads is accepted and turned
// into 8-bit RGBA, then RGB where alpha is not kept; 16-bit samples are cut to
// 8 bits, palettes and grey are expanded, a transparent colour (tRNS) becomes
// alpha, interlaced files are de-interlaced. A file wider or higher
// than the GL implementation's GL_MAX_TEXTURE_SIZE (or than MaxDecodeSide
// when no GL context answers) is refused before any pixel memory is
// allocated. libpng reports damaged data through longjmp; every such error
// ends in a plain failure result with all memory and the file released.
#include "platform/png.h"

#include <GL/gl.h>
#include <png.h>

#include <csetjmp>
#include <cstdlib>

#include "platform/paths.h"

namespace {

// Largest side accepted when GL cannot be asked (no current context).
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
    return glMax > 0 ? uint32_t(glMax) : MaxDecodeSide;
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

// The libpng part of the decode. Everything it allocates is reachable from
// image and rows, so the caller frees it on both the normal and the longjmp
// path.
bool ReadImage(png_structp png, png_infop info, FILE* file, bool keepAlpha,
               DecodedImage* image, png_bytep** rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    uint32_t width = png_get_image_width(png, info);
    uint32_t height = png_get_image_height(png, info);
    uint32_t maxSide = MaxImageSide();
    if (width == 0 || height == 0 || width > maxSide || height > maxSide) return false;
    bool withAlpha = RequestEightBitRgba(png, info) && keepAlpha;
    size_t stride = size_t(width) * 4;
    if (png_get_rowbytes(png, info) != stride) return false;
    image->pixels = static_cast<uint8_t*>(std::malloc(stride * height));
    *rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!image->pixels || !*rows) return false;
    for (uint32_t row = 0; row < height; ++row) {
        uint32_t target = StandardOrientation ? height - 1 - row : row;
        (*rows)[row] = image->pixels + stride * target;
    }
    // The chunks after the image data carry nothing used here, so a file
    // cut after its last pixel row still loads.
    png_read_image(png, *rows);
    if (!withAlpha) DropAlpha(image->pixels, size_t(width) * height);
    image->width = width;
    image->height = height;
    image->channels = withAlpha ? 4 : 3;
    return true;
}

bool DecodePng(const char* fileName, bool keepAlpha, DecodedImage* image) {
    FILE* file = OpenDataFile(fileName, "rb");
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, AbandonDecode, IgnoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    png_bytep* rows = nullptr;
    bool ok = info && ReadImage(png, info, file, keepAlpha, image, &rows);
    std::free(rows);
    if (!ok) {
        std::free(image->pixels);
        *image = DecodedImage{};
    }
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    std::fclose(file);
    return ok;
}

void UploadBoundTexture(const DecodedImage& image) {
    GLenum format = image.channels == 4 ? GL_RGBA : GL_RGB;
    // The rows are tightly packed whatever the caller's unpack state.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), GLsizei(image.width), GLsizei(image.height), 0,
                 format, GL_UNSIGNED_BYTE, image.pixels);
    glPopClientAttrib();
}

}  // namespace

void pngSetStandardOrientation(int standardOrientation) {
    StandardOrientation = standardOrientation;
}


int pngLoad(const char* fileName, int mipmap, int transparency, pngInfo* info) {
    DecodedImage image;
    if (!DecodePng(fileName, transparency == PNG_ALPHA, &image)) return 0;
    UploadBoundTexture(image);
    if (info) *info = pngInfo{image.width, image.height, image.channels * 8, image.channels == 4};
    std::free(image.pixels);
    return 1;
}

int pngLoadRaw(const char* fileName, pngRawInfo* info) {
    if (!info) return 0;
    DecodedImage image;
    if (!DecodePng(fileName, false, &image)) return 0;
    *info = pngRawInfo{image.width, image.height, 24, 0, image.pixels};
    return 1;
}
