// PNG files into OpenGL textures, over libpng.
//
// The calling conventions follow the texture loader's needs: one global
// row-order switch, solid or alpha uploads into the bound 2D texture, and raw
// RGB decodes for cube-map faces.
#pragma once
#include <cstdint>

enum {
    PNG_NOMIPMAPS = 0,
    PNG_SOLID = -1,  // upload without alpha
    PNG_ALPHA = -2,  // upload with the file's alpha
};

struct pngInfo {
    uint32_t Width, Height, Depth, Alpha;
};

struct pngRawInfo {
    uint32_t Width, Height, Depth, Alpha;
    uint8_t* Data;  // Width * Height * 3 bytes of RGB, released with free()
};

// 1: rows are stored bottom row first (GL's order); 0: file order.
void pngSetStandardOrientation(int standardOrientation);
// Decodes the file and uploads it into the texture bound to GL_TEXTURE_2D at
// level 0, leaving the texture's parameters as the caller set them. PNG_SOLID
// uploads RGB; PNG_ALPHA uploads RGBA when the file has alpha or a
// transparent colour. Only PNG_NOMIPMAPS is used, so mipmap is not looked at.
// Returns non-zero on success; a missing, damaged or too large file (a side
// above GL_MAX_TEXTURE_SIZE) returns 0 and uploads nothing. The file name
// goes through the data path helper.
int pngLoad(const char* fileName, int mipmap, int transparency, pngInfo* info);
// Decodes the file into newly allocated RGB bytes (alpha dropped). Returns
// non-zero on success.
int pngLoadRaw(const char* fileName, pngRawInfo* info);
