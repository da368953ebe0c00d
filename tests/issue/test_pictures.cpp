// The issue's pictures: every file the magazine opens is there, in the size
// and pixel format the program expects, generation is repeatable, and every
// printed topic name lies under its hit area.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "issue_files.h"
#include "content/content.h"
#include "menu/menu.h"
#include "resources/textures.h"

namespace {

// One scene unit at depth z spans this many pixels at 768 lines: the
// projection has an 80 degree vertical field of view.
double PixelsPerUnit(double depth) { return 384.0 / (depth * std::tan(40.0 * M_PI / 180.0)); }

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// The name a catalogue file has inside data/.
std::string BaseName(const char* catalogueFile) {
    const char* slash = std::strrchr(catalogueFile, '/');
    return slash ? slash + 1 : catalogueFile;
}

// The generated picture: the loose copy in data/, or the staged one for the
// members that only live in the pack.
std::string PicturePath(const std::string& name) {
    const std::string loose = IssueDataDir() + "/" + name;
    return FileExists(loose) ? loose : ArtStagingDir() + "/" + name;
}

bool IsPacked(const std::string& name) {
    for (const char* member : PackedMembers)
        if (name == member) return true;
    return false;
}

// How a picture is shown: in the scene (half extents in units at a depth),
// in the overlay (half extents in pixels), or stretched over an area of no
// fixed texel size.
enum Showing { InScene, InOverlay, Stretched };
struct ShownSize {
    const char* file;
    Showing showing;
    double halfWidth, halfHeight, depth;
};

const ShownSize ShownSizes[] = {
    {"button-introduction.png", InScene, 3.2, 0.4, 46.0}, {"button-amigacharts.png", InScene, 6.4, 0.4, 46.0},
    {"button-pccharts.png", InScene, 3.2, 0.4, 46.1},     {"button-c64charts.png", InScene, 3.2, 0.4, 46.0},
    {"button-warezcharts.png", InScene, 6.4, 0.4, 45.99}, {"button-funcharts.png", InScene, 3.2, 0.4, 46.0},
    {"button-messages.png", InScene, 3.2, 0.4, 46.0},     {"button-credits.png", InScene, 3.2, 0.4, 46.0},
    {"button-song1.png", InScene, 1.6, 0.8, 46.0},        {"button-song4.png", InScene, 1.6, 0.8, 46.0},
    {"song.png", InScene, 1.6, 0.8, 46.1},                {"switch.png", InScene, 1.6, 0.8, 46.0},
    {"slash.png", InScene, 0.4, 0.4, 46.0},               {"button-on.png", InScene, 0.8, 0.4, 46.0},
    {"button-off.png", InScene, 1.6, 0.4, 46.0},          {"exitbutton.png", InScene, 1.6, 1.6, 46.0},
    {"arrowleft.png", InScene, 6.4, 1.6, 46.0},           {"arrowrightHIGH.png", InScene, 6.4, 1.6, 46.0},
    {"quillon-logo.png", InScene, 25.6, 1.6, 46.0},       {"tallyboard-logo.png", InScene, 25.6, 1.6, 46.0},
    {"velmora-logoBLUR.png", InScene, 25.6, 1.6, 46.0},   {"backgroundtext.png", InScene, 25.6, 6.4, 46.0},
    {"lark.png", InScene, 12.8, 3.2, 46.0},               {"intro1.png", InScene, 51.2, 12.8, 46.0},
    {"intro3.png", InScene, 51.2, 12.8, 46.0},            {"window5-text.png", InScene, 12.8, 12.8, 46.0},
    {"window1-text.png", InScene, 12.8, 25.6, 45.9},      {"window1-2-text.png", InScene, 12.8, 25.6, 45.9},
    {"window2-text.png", InScene, 12.8, 12.8, 45.9},      {"window3-text.png", InScene, 12.8, 25.6, 45.9},
    {"window4-text.png", InScene, 12.8, 6.4, 45.9},       {"top.png", InOverlay, 512, 128, 0},
    {"bottom.png", InOverlay, 512, 128, 0},               {"loading.png", InOverlay, 256, 32, 0},
    {"mousepointer.png", InOverlay, 16, 16, 0},           {"kvx-tb-intropic-final2.png", Stretched, 0, 0, 0},
    {"stoy1.png", Stretched, 0, 0, 0},                    {"stoy6.png", Stretched, 0, 0, 0},
    {"brennik_groupfoto.png", Stretched, 0, 0, 0},        {"Particle.png", Stretched, 0, 0, 0},
    {"mark.png", Stretched, 0, 0, 0},
};

// Files loaded with the alpha argument somewhere in the catalogue.
const char* const AlphaFiles[] = {"mousepointer.png", "Particle2.png", "tallyboard-alpha.png", "slash.png"};

bool WantsAlpha(const std::string& name) {
    for (const char* file : AlphaFiles)
        if (name == file) return true;
    return false;
}

TEST(IssuePictures, EveryCatalogueFileAndTheLoadingPictureIsInTheIssue) {
    for (int slot = 0; slot < TextureSlotCount; ++slot) {
        const std::string name = BaseName(TextureFileName(slot));
        if (IsPacked(name)) {
            EXPECT_TRUE(FileExists(ArtStagingDir() + "/" + name)) << name;
        } else {
            EXPECT_TRUE(FileExists(IssueDataDir() + "/" + name)) << "slot " << slot << ": " << name;
        }
    }
    EXPECT_TRUE(FileExists(ArtStagingDir() + "/loading.png"));
}

TEST(IssuePictures, FormatsMatchHowTheProgramLoadsThem) {
    std::set<std::string> seen;
    for (int slot = 0; slot < TextureSlotCount; ++slot) seen.insert(BaseName(TextureFileName(slot)));
    seen.insert("loading.png");
    for (const std::string& name : seen) {
        const PngFacts png = ReadPngFile(PicturePath(name));
        ASSERT_TRUE(png.ok) << name;
        EXPECT_TRUE(png.colour && png.eightBit && !png.palette) << name << " is not 8-bit true colour";
        EXPECT_EQ(png.alpha, WantsAlpha(name)) << name;
    }
}

TEST(IssuePictures, BackgroundsAreSquareRgbWithoutAlpha) {
    for (int slot = 0; slot < CubeMapCount; ++slot) {
        const std::string name = BaseName(TextureFileName(slot));
        const PngFacts png = ReadPngFile(PicturePath(name));
        ASSERT_TRUE(png.ok) << name;
        EXPECT_EQ(png.width, png.height) << name;
        EXPECT_TRUE(PowerOfTwo(png.width)) << name;
        EXPECT_FALSE(png.alpha) << name;
        // Dim enough for white text: no channel anywhere near full light.
        uint8_t brightest = 0;
        for (size_t i = 0; i < png.rgba.size(); i += 4)
            brightest = std::max({brightest, png.rgba[i], png.rgba[i + 1], png.rgba[i + 2]});
        EXPECT_LT(brightest, 128) << name;
    }
}

TEST(IssuePictures, SizesFollowTheSizeOnScreen) {
    for (const ShownSize& shown : ShownSizes) {
        const PngFacts png = ReadPngFile(PicturePath(shown.file));
        ASSERT_TRUE(png.ok) << shown.file;
        if (shown.showing == Stretched) {
            EXPECT_TRUE(PowerOfTwo(png.width) && PowerOfTwo(png.height)) << shown.file;
            continue;
        }
        const double scale = shown.showing == InScene ? PixelsPerUnit(shown.depth) : 1.0;
        const double width = 2 * shown.halfWidth * scale, height = 2 * shown.halfHeight * scale;
        EXPECT_NEAR(png.width, width, std::max(1.0, width * 0.03)) << shown.file;
        EXPECT_NEAR(png.height, height, std::max(1.0, height * 0.03)) << shown.file;
    }
}

TEST(IssuePictures, PointerIsOpaqueAtItsTipAndClearInTheCorners) {
    const PngFacts png = ReadPngFile(PicturePath("mousepointer.png"));
    ASSERT_TRUE(png.ok);
    auto alphaAt = [&](int x, int y) { return png.rgba[(static_cast<size_t>(y) * png.width + x) * 4 + 3]; };
    // Drawn turned by half a turn at (pointer + 8, pointer + 10): the texel
    // that lands on the pointer position is (24, 6).
    EXPECT_EQ(alphaAt(24, 6), 255);
    EXPECT_EQ(alphaAt(0, 0), 0);
    EXPECT_EQ(alphaAt(31, 31), 0);
    int soft = 0;  // the shadow: partly transparent texels
    for (size_t i = 3; i < png.rgba.size(); i += 4) soft += png.rgba[i] > 0 && png.rgba[i] < 255;
    EXPECT_GT(soft, 20);
}

TEST(IssuePictures, GenerationGivesTheSameBytesTwice) {
    char pattern[] = "/tmp/tb-artgen-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string command =
        ArtgenProgram() + " " + dir + " " + TB_ISSUE_SOURCE_DIR "/content/text " + dir + "/topic_boxes.txt";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::set<std::string> names;
    for (int slot = 0; slot < TextureSlotCount; ++slot) names.insert(BaseName(TextureFileName(slot)));
    names.insert("loading.png");
    names.insert("topic_boxes.txt");
    for (const std::string& name : names) {
        std::vector<uint8_t> first, second;
        ASSERT_TRUE(ReadWholeFile(ArtStagingDir() + "/" + name, first)) << name;
        ASSERT_TRUE(ReadWholeFile(dir + "/" + name, second)) << name;
        EXPECT_TRUE(first == second) << name << " differs between two runs";
        std::remove((dir + "/" + name).c_str());
    }
    std::remove(dir.c_str());
}

// ---- Printed topic names against the topic hit areas ----------------------

struct PanelPlacement {
    const char* file;
    double restX, depth, halfWidth, halfHeight;
};

// Sections 0..5 at rest.
const PanelPlacement Panels[6] = {
    {"window5-text.png", 40.0, 46.0, 12.8, 12.8},  {"window1-text.png", -32.0, 45.9, 12.8, 25.6},
    {"window1-2-text.png", -32.0, 45.9, 12.8, 25.6}, {"window2-text.png", -32.0, 45.9, 12.8, 12.8},
    {"window3-text.png", -32.0, 45.9, 12.8, 25.6}, {"window4-text.png", -32.0, 45.9, 12.8, 6.4},
};

struct Box {
    int section, x0, y0, x1, y1;
};

std::map<int, Box> ReadTopicBoxes() {
    std::map<int, Box> boxes;
    std::ifstream in(ArtStagingDir() + "/topic_boxes.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int pick;
        Box box;
        if (fields >> pick >> box.section >> box.x0 >> box.y0 >> box.x1 >> box.y1) boxes[pick] = box;
    }
    return boxes;
}

// The panel texel that shows where a point of a hit area (at the hit area's
// depth) shows: both lie on one ray from the eye.
void TexelUnder(const PanelPlacement& panel, const PngFacts& png, double x, double y, double hitDepth,
                double& column, double& row) {
    const double k = panel.depth / hitDepth;
    column = (x * k - (panel.restX - panel.halfWidth)) / (2 * panel.halfWidth) * png.width;
    row = (panel.halfHeight - y * k) / (2 * panel.halfHeight) * png.height;
}

TEST(IssuePanels, EveryTopicNameLiesUnderTheCentreOfItsHitArea) {
    SetMenuButtons();
    const std::map<int, Box> boxes = ReadTopicBoxes();
    ASSERT_EQ(boxes.size(), static_cast<size_t>(LastTopicButton - FirstTopicButton + 1));
    PngFacts pictures[6];
    for (int s = 0; s < 6; ++s) pictures[s] = ReadPngFile(PicturePath(Panels[s].file));
    for (int pick = FirstTopicButton; pick <= LastTopicButton; ++pick) {
        const auto found = boxes.find(pick);
        ASSERT_NE(found, boxes.end()) << "topic " << pick << " was not printed";
        const Box& box = found->second;
        const int section = SectionOfTopic(pick);
        ASSERT_EQ(box.section, section) << pick;
        const PngFacts& png = pictures[section];
        ASSERT_TRUE(png.ok);
        const MenuButton& hit = MenuButtons[pick];
        double column, row;
        TexelUnder(Panels[section], png, hit.x, hit.y, -hit.z, column, row);
        EXPECT_TRUE(column >= box.x0 && column <= box.x1 + 1 && row >= box.y0 && row <= box.y1 + 1)
            << "topic " << pick << ": hit centre at texel (" << column << ", " << row << "), name at (" << box.x0
            << ".." << box.x1 << ", " << box.y0 << ".." << box.y1 << ")";
        // The highlight bar covers the name's height.
        double top, bottom, unused;
        TexelUnder(Panels[section], png, hit.x, hit.y + hit.halfHeight, -hit.z, unused, top);
        TexelUnder(Panels[section], png, hit.x, hit.y - hit.halfHeight, -hit.z, unused, bottom);
        EXPECT_GE(box.y0, top - 0.5) << pick;
        EXPECT_LE(box.y1 + 1, bottom + 0.5) << pick;
    }
}

TEST(IssuePanels, RecordedBoxesHoldTheInkOfTheName) {
    const std::map<int, Box> boxes = ReadTopicBoxes();
    for (const auto& [pick, box] : boxes) {
        const PngFacts png = ReadPngFile(PicturePath(Panels[box.section].file));
        ASSERT_TRUE(png.ok);
        ASSERT_TRUE(box.x0 >= 0 && box.y0 >= 0 && box.x1 < png.width && box.y1 < png.height) << pick;
        int lit = 0;
        for (int y = box.y0; y <= box.y1; ++y)
            for (int x = box.x0; x <= box.x1; ++x) lit += png.rgba[(static_cast<size_t>(y) * png.width + x) * 4] > 150;
        EXPECT_GT(lit, (box.x1 - box.x0 + 1) / 2) << "topic " << pick << " has no lettering in its box";
    }
}

}  // namespace
