// Records what the page renderer prints, through the real print path.
//
// The two fonts are replaced by glyph lists that announce their character
// code with glPassThrough and then draw an empty bitmap that advances the
// raster position by a fixed width. Rendering in feedback mode then yields,
// per glyph, its code, font, raster position and raster colour, which are
// joined back into the printed strings.
#pragma once
#include <string>
#include <vector>

struct PrintedText {
    float x, y;
    std::string text;
    float alpha;
};

struct FilledPolygon {
    float red, alpha;
};

struct PageRecord {
    std::vector<PrintedText> tahoma, courier;
    std::vector<FilledPolygon> polygons;
};

// Opens the 1024 x 768 test window and installs the announcing fonts.
void InstallRecordingFonts();
// Runs one DrawPage in feedback mode and returns what it drew.
PageRecord RecordPage();
