#include "tests/support/test_files.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

std::string PreviousWorkDir;
std::string TempWorkDir;

int ColourType(int channels) {
    switch (channels) {
    case 1: return PNG_COLOR_TYPE_GRAY;
    case 2: return PNG_COLOR_TYPE_GRAY_ALPHA;
    case 4: return PNG_COLOR_TYPE_RGBA;
    default: return PNG_COLOR_TYPE_RGB;
    }
}

}  // namespace

bool WriteTestPng(const char* path, int width, int height, int channels,
                  const unsigned char* pixels) {
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
    png_set_IHDR(png, info, width, height, 8, ColourType(channels), PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);  // some are kept in the tree
    png_write_info(png, info);
    for (int row = 0; row < height; ++row)
        png_write_row(png, pixels + size_t(row) * width * channels);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
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
    std::string pattern = (fs::temp_directory_path() / "tallyboard-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) return "";
    TempWorkDir = name.data();
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
