#include "tests/support/test_files.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

static std::string PreviousWorkDir, TempWorkDir;

// The chunks a layout asks for besides the header.
static void SetTransparency(png_structp png, png_infop info, const PngLayout& layout) {
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < layout.Palette.size(); i += 3)
        palette.push_back({layout.Palette[i], layout.Palette[i + 1], layout.Palette[i + 2]});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    const std::vector<unsigned>& key = layout.TransparentColour;
    png_color_16 colour = {};
    if (key.size() == 1) colour.gray = png_uint_16(key[0]);
    if (key.size() == 3) colour = {0, png_uint_16(key[0]), png_uint_16(key[1]), png_uint_16(key[2]), 0};
    if (!layout.PaletteAlpha.empty() || !key.empty())
        png_set_tRNS(png, info, layout.PaletteAlpha.data(), int(layout.PaletteAlpha.size()), &colour);
}

bool WritePng(const char* path, const PngLayout& layout, const std::vector<const unsigned char*>& rows) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(layout.Width), png_uint_32(layout.Height), layout.BitDepth,
                 layout.ColourType, layout.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    SetTransparency(png, info, layout);
    png_set_compression_level(png, 9);  // some are kept in the tree
    png_write_info(png, info);
    if (layout.BitDepth < 8) png_set_packing(png);
    if (layout.BitDepth == 16) png_set_swap(png);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

bool WriteTestPng(const char* path, int width, int height, int channels, const unsigned char* pixels) {
    std::vector<const unsigned char*> rows;
    for (int row = 0; row < height; ++row) rows.push_back(pixels + size_t(row) * width * channels);
    PngLayout layout;
    layout.Width = width;
    layout.Height = height;
    const int kinds[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGBA};
    layout.ColourType = kinds[channels - 1];
    return WritePng(path, layout, rows);
}

bool WriteSolidPng(const char* path, int width, int height, unsigned rgb) {
    std::vector<unsigned char> pixels(size_t(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = (rgb >> 16) & 0xFF;
        pixels[i + 1] = (rgb >> 8) & 0xFF;
        pixels[i + 2] = rgb & 0xFF;
    }
    return WriteTestPng(path, width, height, 3, pixels.data());
}

std::string EnterTempWorkDir() {
    namespace fs = std::filesystem;
    std::string name = (fs::temp_directory_path() / "tallyboard-test-XXXXXX").string();
    if (!mkdtemp(name.data())) return "";
    TempWorkDir = name;
    PreviousWorkDir = fs::current_path().string();
    fs::create_directory(fs::path(TempWorkDir) / "data");
    fs::current_path(TempWorkDir);
    return TempWorkDir;
}

void LeaveTempWorkDir() {
    namespace fs = std::filesystem;
    if (TempWorkDir.empty()) return;
    std::error_code ignored;
    fs::current_path(PreviousWorkDir, ignored);
    fs::remove_all(TempWorkDir, ignored);
    TempWorkDir.clear();
}

std::string SourceDirectory() {
    const char* source = std::getenv("TB_SOURCE_DIR");
    return source ? source : std::filesystem::current_path().string();
}

bool EnterIssueDirectory() {
    std::string issue = "build/issue";
    if (const char* dir = std::getenv("TB_ISSUE_DIR")) issue = dir;
    else if (const char* binary = std::getenv("TB_BINARY_DIR")) issue = std::string(binary) + "/issue";
    std::error_code error;
    if (!std::filesystem::is_directory(issue + "/data", error) || chdir(issue.c_str()) != 0) {
        std::printf("No issue data in %s/data: build the issue first\n", issue.c_str());
        return false;
    }
    return true;
}
