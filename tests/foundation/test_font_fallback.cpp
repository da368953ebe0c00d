// Font fallback under a fontconfig set-up of the test's own: a missing face
// and a face whose metrics give no size are both replaced by the named
// stand-in, with one line saying so. Each case runs in a child process, as
// fontconfig reads its configuration once per process.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

#include "platform/font_bitmaps.h"

namespace {

// Zeroes the 16-bit fields at the offsets of one table of a TrueType file.
void ZeroFields(std::string& font, const char* tag, std::initializer_list<size_t> offsets) {
    const int tables = uint8_t(font[4]) << 8 | uint8_t(font[5]);
    for (size_t entry = 12; entry < 12 + 16 * size_t(tables); entry += 16) {
        if (font.compare(entry, 4, tag) != 0) continue;
        size_t start = 0;
        for (size_t i = 8; i < 12; ++i) start = start << 8 | uint8_t(font[entry + i]);
        for (size_t offset : offsets) font[start + offset] = font[start + offset + 1] = 0;
    }
}

// A directory with a copy of DejaVu Sans with every ascent and descent
// zeroed, and a configuration that sees only it and the Liberation faces
// (the stand-ins) and hides Tahoma.
std::string MakeFontSetUp() {
    char dir[] = "/tmp/tb-fonts-XXXXXX";
    if (!mkdtemp(dir)) return "";
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
    std::string font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ZeroFields(font, "hhea", {4, 6});
    ZeroFields(font, "OS/2", {68, 70, 74, 76});
    std::ofstream(std::string(dir) + "/broken.ttf", std::ios::binary) << font;
    const std::string config = std::string(dir) + "/fonts.conf";
    std::ofstream(config) << "<?xml version=\"1.0\"?><fontconfig><dir>" << dir << "</dir>"
                          << "<dir>/usr/share/fonts/truetype/liberation</dir>"
                          << "<selectfont><rejectfont><pattern><patelt name=\"family\"><string>Tahoma</string>"
                          << "</patelt></pattern></rejectfont></selectfont></fontconfig>";
    return config;
}

void CountGlyph(int32_t, const GlyphBitmap&, void* count) { ++*static_cast<int*>(count); }

// In the child: its standard output goes where the death test looks.
void RenderUnder(const std::string& config, const char* family, int32_t height, const char* fallback) {
    setenv("FONTCONFIG_FILE", config.c_str(), 1);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    int glyphs = 0;
    const bool rendered = RenderFontGlyphs(family, height, fallback, CountGlyph, &glyphs);
    std::fflush(stdout);
    std::_Exit(rendered && glyphs == 256 ? 0 : 1);
}

TEST(FontFallback, MissingOrUnusableFacesGiveWayToTheNamedStandIn) {
    const std::string config = MakeFontSetUp();
    ASSERT_FALSE(config.empty());
    EXPECT_EXIT(RenderUnder(config, "Tahoma", -10, "Liberation Sans"), testing::ExitedWithCode(0),
                "Tahoma font not found, using Liberation Sans\n");
    EXPECT_EXIT(RenderUnder(config, "DejaVu Sans", 12, "Liberation Mono"), testing::ExitedWithCode(0),
                "DejaVu Sans font has unusable metrics, using Liberation Mono\n");
    std::filesystem::remove_all(std::filesystem::path(config).parent_path());
}

}  // namespace
