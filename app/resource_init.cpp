// One-time loading, in one frame behind the fully faded-in loading picture.
// The order matters: the pack's members must be unpacked before the textures
// and sounds are read from them, and deleted only after the audio has read
// the intro stream.
#include "app/resource_init.h"

#include <GL/freeglut.h>
#include <GL/glext.h>

#include <cstdio>

#include "app/startup.h"
#include "audio/audio.h"
#include "content/content.h"
#include "effects/swarm.h"
#include "menu/menu.h"
#include "pack/pack.h"
#include "platform/huge_pages.h"
#include "resources/textures.h"

int32_t CubeMapActive = 1;

namespace {

struct RequiredExtension {
    const char* name;
    const char* missingMessage;  // starts with a line end and has none at the end
};

const RequiredExtension CubeMapExtensions[] = {
    {"GL_NV_texgen_reflection", "\nGL_NV_texgen_reflection not supported!"},
    {"GL_ARB_texture_cube_map", "\nGL_ARB_texture_cube_map not supported!"},
    {"GL_SGIS_generate_mipmap", "\nGL_SGIS_generate_mipmap not supported!"},
};

}  // namespace

void SetUpEnvironmentMapping() {
    if (CubeMapDisabled == 1) {
        CubeMapActive = 0;
    } else {
        // Every missing extension is reported, not just the first.
        for (const RequiredExtension& extension : CubeMapExtensions)
            if (!glutExtensionSupported(extension.name)) {
                std::fputs(extension.missingMessage, stdout);
                CubeMapActive = 0;
            }
    }
    if (CubeMapActive) {
        for (int32_t k = 0; k < CubeMapCount; ++k)
            CubeMapTextures[k] = CreateCubeMapTexture(k);
        // Left enabled, the cube-map target would override the 2D textures
        // of the loading picture and the intro; the backgrounds enable it
        // for themselves.
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP_ARB);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP_ARB);
        glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP_ARB);
    } else {
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    }
}

// The pictures and the extraction buffers take some 55 MB.
constexpr size_t PictureLoadingBytes = size_t(80) << 20;

void ResourceInit() {
    BeginHugePageLoading(PictureLoadingBytes);
    ExtractPack();
    LoadTextures();
    SetMenuButtons();
    Content.IntroTopic = WelcomeTopic;
    AimSpawnDirection();
    SetUpEnvironmentMapping();
    EndHugePageLoading();
    AudioInit();
    CreateIntroStream();
    LoadModules();
    SetModuleScalers();
    DeleteExtractedFiles();
}
