// The texture catalogue: which file goes into which slot, with which filter,
// wrap mode and transparency, and the cube maps built from the backgrounds.
//
// A slot whose file is missing or unreadable keeps its texture name without
// an image and prints its message; loading always goes on with the next slot.
#include "resources/textures.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

#include "platform/png.h"

namespace {

enum Filter : uint8_t { Linear, Nearest };
enum Wrap : uint8_t { Repeat, Clamp };

struct CatalogueEntry {
    const char* file;
    Filter filter;
    Wrap wrap;
    int8_t transparency;  // PNG_SOLID or PNG_ALPHA
};

const CatalogueEntry Catalogue[TextureSlotCount] = {
    /*  0 */ {"data/Hintergrund_Baby.png", Linear, Repeat, PNG_SOLID},
    /*  1 */ {"data/Hintergrund_Gehirn.png", Linear, Repeat, PNG_SOLID},
    /*  2 */ {"data/Hintergrund_Schadel1.png", Linear, Repeat, PNG_SOLID},
    /*  3 */ {"data/Hintergrund_Rontgenhand.png", Linear, Repeat, PNG_SOLID},
    /*  4 */ {"data/Hintergrund_Befruchtung.png", Linear, Repeat, PNG_SOLID},
    /*  5 */ {"data/Hintergrund_Spermaflut.png", Linear, Repeat, PNG_SOLID},
    /*  6 */ {"data/Hintergrund_SpermaVSTurmor.png", Linear, Repeat, PNG_SOLID},
    /*  7 */ {"data/button-introduction.png", Nearest, Repeat, PNG_SOLID},
    /*  8 */ {"data/button-amigacharts.png", Nearest, Repeat, PNG_SOLID},
    /*  9 */ {"data/button-pccharts.png", Nearest, Repeat, PNG_SOLID},
    /* 10 */ {"data/button-c64charts.png", Nearest, Repeat, PNG_SOLID},
    /* 11 */ {"data/button-warezcharts.png", Nearest, Repeat, PNG_SOLID},
    /* 12 */ {"data/button-funcharts.png", Nearest, Repeat, PNG_SOLID},
    /* 13 */ {"data/button-messages.png", Nearest, Repeat, PNG_SOLID},
    /* 14 */ {"data/button-credits.png", Nearest, Repeat, PNG_SOLID},
    /* 15 */ {"data/window1-2-text.png", Nearest, Repeat, PNG_SOLID},
    /* 16 */ {"data/window1-text.png", Nearest, Repeat, PNG_SOLID},
    /* 17 */ {"data/window2-text.png", Nearest, Repeat, PNG_SOLID},
    /* 18 */ {"data/window3-text.png", Nearest, Repeat, PNG_SOLID},
    /* 19 */ {"data/window4-text.png", Nearest, Repeat, PNG_SOLID},
    /* 20 */ {"data/song.png", Nearest, Repeat, PNG_SOLID},
    /* 21 */ {"data/button-song1.png", Nearest, Repeat, PNG_SOLID},
    /* 22 */ {"data/button-song2.png", Nearest, Repeat, PNG_SOLID},
    /* 23 */ {"data/button-song3.png", Nearest, Repeat, PNG_SOLID},
    /* 24 */ {"data/button-song4.png", Nearest, Repeat, PNG_SOLID},
    /* 25 */ {"data/switch.png", Nearest, Repeat, PNG_SOLID},
    /* 26 */ {"data/slash.png", Nearest, Repeat, PNG_SOLID},
    /* 27 */ {"data/button-on.png", Nearest, Repeat, PNG_SOLID},
    /* 28 */ {"data/button-off.png", Nearest, Repeat, PNG_SOLID},
    /* 29 */ {"data/quillon-logo.png", Linear, Repeat, PNG_SOLID},
    /* 30 */ {"data/tarnhex-logo.png", Linear, Repeat, PNG_SOLID},
    /* 31 */ {"data/velmora-logo.png", Linear, Repeat, PNG_SOLID},
    /* 32 */ {"data/Particle.png", Linear, Repeat, PNG_SOLID},
    /* 33 */ {"data/window2.png", Linear, Repeat, PNG_SOLID},
    /* 34 */ {"data/mark.png", Linear, Repeat, PNG_SOLID},
    /* 35 */ {"data/slash.png", Linear, Clamp, PNG_SOLID},
    /* 36 */ {"data/slash.png", Linear, Clamp, PNG_SOLID},
    /* 37 */ {"data/slash.png", Linear, Clamp, PNG_SOLID},
    /* 38 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 39 */ {"data/window5-text.png", Nearest, Repeat, PNG_SOLID},
    /* 40 */ {"data/slash.png", Linear, Clamp, PNG_SOLID},
    /* 41 */ {"data/slash.png", Linear, Clamp, PNG_SOLID},
    /* 42 */ {"data/slash.png", Linear, Clamp, PNG_SOLID},
    /* 43 */ {"data/mousepointer.png", Nearest, Repeat, PNG_ALPHA},
    /* 44 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 45 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 46 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 47 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 48 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 49 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 50 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 51 */ {"data/button-song5.png", Nearest, Repeat, PNG_SOLID},
    /* 52 */ {"data/slash.png", Linear, Clamp, PNG_SOLID},
    /* 53 */ {"data/slash.png", Linear, Clamp, PNG_SOLID},
    /* 54 */ {"data/quillon-logoBLUR.png", Linear, Repeat, PNG_SOLID},
    /* 55 */ {"data/tarnhex-logoBLUR.png", Linear, Repeat, PNG_SOLID},
    /* 56 */ {"data/velmora-logoBLUR.png", Linear, Repeat, PNG_SOLID},
    /* 57 */ {"data/tallyboard-logo.png", Linear, Repeat, PNG_SOLID},
    /* 58 */ {"data/tallyboard-logoBLUR.png", Linear, Repeat, PNG_SOLID},
    /* 59 */ {"data/slash.png", Linear, Clamp, PNG_ALPHA},
    /* 60 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 61 */ {"data/top.png", Linear, Repeat, PNG_SOLID},
    /* 62 */ {"data/bottom.png", Linear, Repeat, PNG_SOLID},
    /* 63 */ {"data/exitbutton.png", Linear, Repeat, PNG_SOLID},
    /* 64 */ {"data/arrowleft.png", Linear, Repeat, PNG_SOLID},
    /* 65 */ {"data/arrowright.png", Linear, Repeat, PNG_SOLID},
    /* 66 */ {"data/arrowleftHIGH.png", Linear, Repeat, PNG_SOLID},
    /* 67 */ {"data/arrowrightHIGH.png", Linear, Repeat, PNG_SOLID},
    /* 68 */ {"data/backgroundtext.png", Nearest, Repeat, PNG_SOLID},
    /* 69 */ {"data/lark.png", Nearest, Repeat, PNG_SOLID},
    /* 70 */ {"data/kvx-tb-intropic-final2.png", Linear, Repeat, PNG_SOLID},
    /* 71 */ {"data/intro1.png", Linear, Repeat, PNG_SOLID},
    /* 72 */ {"data/intro2.png", Linear, Repeat, PNG_SOLID},
    /* 73 */ {"data/intro3.png", Linear, Repeat, PNG_SOLID},
    /* 74 */ {"data/stoy1.png", Linear, Repeat, PNG_SOLID},
    /* 75 */ {"data/stoy2.png", Linear, Repeat, PNG_SOLID},
    /* 76 */ {"data/stoy3.png", Linear, Repeat, PNG_SOLID},
    /* 77 */ {"data/stoy4.png", Linear, Repeat, PNG_SOLID},
    /* 78 */ {"data/stoy5.png", Linear, Repeat, PNG_SOLID},
    /* 79 */ {"data/stoy6.png", Linear, Repeat, PNG_SOLID},
    /* 80 */ {"data/brennik_groupfoto.png", Linear, Repeat, PNG_SOLID},
    /* 81 */ {"data/slash.png", Linear, Repeat, PNG_SOLID},
    /* 82 */ {"data/Particle2.png", Linear, Repeat, PNG_ALPHA},
    /* 83 */ {"data/tallyboard-alpha.png", Linear, Repeat, PNG_ALPHA},
};

// Slots up to this one name themselves in their message; the later ones
// print the bare text.
constexpr int32_t LastNumberedSlot = 59;

void ReportMissingSlot(int32_t slot) {
    if (slot <= LastNumberedSlot)
        std::printf("Can't load file%d\n", int(slot + 1));
    else
        std::fputs("Can't load file\n", stdout);
}

void LoadSlot(int32_t slot) {
    const CatalogueEntry& entry = Catalogue[slot];
    GLint filter = entry.filter == Linear ? GL_LINEAR : GL_NEAREST;
    glBindTexture(GL_TEXTURE_2D, TextureTable[slot]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    if (entry.wrap == Clamp) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    }
    pngInfo info;
    if (!pngLoad(entry.file, PNG_NOMIPMAPS, entry.transparency, &info)) ReportMissingSlot(slot);
}

void LoadCubeFace(GLenum face, const char* file) {
    pngRawInfo raw;
    if (!pngLoadRaw(file, &raw)) {
        std::fputs("Can't load file\n", stdout);
        return;
    }
    glTexImage2D(face, 0, GL_RGB8, GLsizei(raw.Width), GLsizei(raw.Height), 0, GL_RGB,
                 GL_UNSIGNED_BYTE, raw.Data);
    std::free(raw.Data);
}

}  // namespace

const char* TextureFileName(int32_t slot) {
    return slot >= 0 && slot < TextureSlotCount ? Catalogue[slot].file : "";
}

void LoadLoadingTexture() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(1, &LoadingTexture);
    pngSetStandardOrientation(1);
    glBindTexture(GL_TEXTURE_2D, LoadingTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    pngInfo info;
    if (!pngLoad("data/loading.png", PNG_NOMIPMAPS, PNG_SOLID, &info))
        std::fputs("Can't load file Loading screen\n", stdout);
}

void LoadTextures() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(TextureSlotCount, TextureTable);
    pngSetStandardOrientation(1);
    for (int32_t slot = 0; slot < TextureSlotCount; ++slot) LoadSlot(slot);
}

void ReleaseIntroTextures() {
    constexpr int32_t FirstIntroSlot = 69, LastIntroSlot = 79;  // date, large picture, titles, noise
    static bool released = false;
    if (released) return;
    released = true;
    glDeleteTextures(LastIntroSlot - FirstIntroSlot + 1, &TextureTable[FirstIntroSlot]);
    for (int32_t slot = FirstIntroSlot; slot <= LastIntroSlot; ++slot) TextureTable[slot] = 0;
    // Loaded into the heap (see huge_pages.h), their storage lies between
    // blocks still in use, where the allocator keeps it unless told.
    malloc_trim(0);
}

// Each face is decoded anew from the background's file. The new cube map
// stays bound and the target enabled, so the last one built is the one in
// effect whenever cube mapping is switched on later.
uint32_t CreateCubeMapTexture(int32_t k) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // faces are tightly packed RGB rows
    pngSetStandardOrientation(0);
    glEnable(GL_TEXTURE_CUBE_MAP_ARB);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, texture);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
    for (GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB; face <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB; ++face)
        LoadCubeFace(face, TextureFileName(k));
    return texture;
}
