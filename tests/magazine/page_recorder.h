// Records what the page renderer prints and the polygons it draws.
//
// The two print operations are replaced at link time by ones that record
// each string with its raster position and raster colour; the polygons come
// from rendering the page in feedback mode.
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

// Opens the 1024 x 768 test window.
void InstallRecordingFonts();
// Runs one DrawPage in feedback mode and returns what it drew.
PageRecord RecordPage();
