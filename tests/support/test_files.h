// Files for tests: PNG pictures made on the spot, a throw-away working
// directory with its own data/, and where the tree and the generated issue are.
#pragma once
#include <string>
#include <vector>

// A PNG of any kind libpng writes. Rows hold one sample per byte below 8
// bits and 16-bit samples low byte first.
struct PngLayout {
    int Width = 0, Height = 0;
    int ColourType = 0;  // PNG_COLOR_TYPE_*
    int BitDepth = 8;
    bool Interlaced = false;
    std::vector<unsigned char> Palette;       // RGB triples
    std::vector<unsigned char> PaletteAlpha;  // transparency of the first entries
    std::vector<unsigned> TransparentColour;  // grey, or red, green, blue
};
bool WritePng(const char* path, const PngLayout& layout, const std::vector<const unsigned char*>& rows);
// Writes an 8-bit PNG of 1 (grey), 2 (grey + alpha), 3 (RGB) or 4 (RGBA)
// channels; pixels hold the rows top row first, tightly packed.
bool WriteTestPng(const char* path, int width, int height, int channels, const unsigned char* pixels);
// Writes a PNG of one colour (0xRRGGBB) with 3 channels.
bool WriteSolidPng(const char* path, int width, int height, unsigned rgb);

// Makes a new empty directory under the system's temporary directory with
// an empty data/ inside, makes it the working directory and returns its path.
std::string EnterTempWorkDir();
// Returns to the working directory of before and removes the temporary one.
void LeaveTempWorkDir();

// The source tree (TB_SOURCE_DIR, else the current directory).
std::string SourceDirectory();
// Moves into the issue's working directory, which holds data/: TB_ISSUE_DIR,
// else TB_BINARY_DIR/issue, else build/issue. False, with a message, when it
// has no data/ directory.
bool EnterIssueDirectory();
