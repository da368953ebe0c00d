#include "issue_files.h"

#include <png.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

const char* const PackedMembers[7] = {"loading.png", "TB15Intro.mp3", "lark.png", "kvx-tb-intropic-final2.png",
                                      "intro1.png",  "intro2.png",    "intro3.png"};

// The build directory: from the test environment, or the one these tests
// were configured in when they run without it.
static std::string BinaryDir() {
    const char* dir = std::getenv("TB_BINARY_DIR");
    return dir ? dir : TB_ISSUE_BINARY_DIR;
}

std::string IssueDataDir() { return BinaryDir() + "/issue/data"; }
std::string ArtStagingDir() { return BinaryDir() + "/issue-art"; }
std::string SoundStagingDir() { return BinaryDir() + "/issue-sound"; }
std::string ArtgenProgram() { return BinaryDir() + "/tools/artgen/artgen"; }

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.is_open() && !in.bad();
}

PngFacts ReadPngFile(const std::string& path) {
    PngFacts facts;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return facts;
    facts.width = static_cast<int>(image.width);
    facts.height = static_cast<int>(image.height);
    facts.trueColour = (image.format & (PNG_FORMAT_FLAG_COLOR | PNG_FORMAT_FLAG_LINEAR | PNG_FORMAT_FLAG_COLORMAP)) ==
                       PNG_FORMAT_FLAG_COLOR;
    facts.alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    facts.rgba.resize(PNG_IMAGE_SIZE(image));
    facts.ok = png_image_finish_read(&image, nullptr, facts.rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return facts;
}
