// The issue's pictures: every file the magazine opens is there, in the size
// and pixel format the program expects, generation is repeatable, and every
// printed topic name lies under its hit area.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "issue_files.h"
#include "content/content.h"
#include "menu/button_slots.h"
#include "menu/menu.h"
#include "menu/panels.h"
#include "resources/textures.h"

namespace {

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// The names in data/ of every catalogue file and the loading picture.
std::set<std::string> PictureNames() {
    std::set<std::string> names{"loading.png"};
    for (int slot = 0; slot < TextureSlotCount; ++slot) names.insert(std::strrchr(TextureFileName(slot), '/') + 1);
    return names;
}

// Where the issue holds a picture: loose in data/, or staged for the pack.
std::string PicturePath(const std::string& name) {
    for (const char* member : PackedMembers)
        if (name == member) return ArtStagingDir() + "/" + name;
    return IssueDataDir() + "/" + name;
}

// Only the files loaded with alpha have it; the backgrounds become cube maps
// under white text: square, a power of two wide, and dim.
TEST(IssuePictures, EveryPictureIsThereInTheFormatItIsLoadedIn) {
    const std::set<std::string> alpha{"mousepointer.png", "Particle2.png", "tallyboard-alpha.png", "slash.png"};
    std::set<std::string> backgrounds;
    for (int slot = 0; slot < CubeMapCount; ++slot) backgrounds.insert(std::strrchr(TextureFileName(slot), '/') + 1);
    for (const std::string& name : PictureNames()) {
        const PngFacts png = ReadPngFile(PicturePath(name));
        ASSERT_TRUE(png.ok) << PicturePath(name);
        EXPECT_TRUE(png.trueColour) << name << " is not 8-bit true colour";
        EXPECT_EQ(png.alpha, alpha.count(name) == 1) << name;
        if (!backgrounds.count(name)) continue;
        EXPECT_TRUE(png.width == png.height && PowerOfTwo(png.width)) << name;
        uint8_t brightest = 0;
        for (size_t i = 0; i < png.rgba.size(); i += 4)
            brightest = std::max({brightest, png.rgba[i], png.rgba[i + 1], png.rgba[i + 2]});
        EXPECT_LT(brightest, 128) << name;
    }
}

// One texel per screen pixel at 768 lines: scene pictures by half extents
// at a depth (80 degree field of view), overlay ones by half extents in
// pixels (depth 0); stretched ones (no size) need power-of-two sides. The
// buttons and panels are measured where their tables place them.
void ExpectSizeOnScreen(const std::string& file, double halfWidth, double halfHeight, double depth) {
    const PngFacts png = ReadPngFile(PicturePath(file));
    ASSERT_TRUE(png.ok) << file;
    if (halfWidth == 0) {
        EXPECT_TRUE(PowerOfTwo(png.width) && PowerOfTwo(png.height)) << file;
        return;
    }
    const double scale = depth > 0 ? 384.0 / (depth * std::tan(40.0 * M_PI / 180.0)) : 1.0;
    const double width = 2 * halfWidth * scale, height = 2 * halfHeight * scale;
    EXPECT_NEAR(png.width, width, std::max(1.0, width * 0.03)) << file;
    EXPECT_NEAR(png.height, height, std::max(1.0, height * 0.03)) << file;
}

std::string FileOfSlot(int32_t slot) { return std::strrchr(TextureFileName(slot), '/') + 1; }

TEST(IssuePictures, SizesFollowTheSizeOnScreen) {
    SetMenuButtons();
    for (const MenuButton& button : MenuButtons)
        if (button.textureSlot != MarkSlot)  // the topic bars stretch one small picture
            ExpectSizeOnScreen(FileOfSlot(button.textureSlot), button.halfWidth, button.halfHeight, -button.z);
    for (const PanelRow& panel : PanelRows)
        ExpectSizeOnScreen(FileOfSlot(panel.textureSlot), panel.halfWidth, panel.halfHeight, -panel.z);
    const struct {
        const char* file;
        double halfWidth, halfHeight, depth;
    } others[] = {
        {"song.png", 1.6, 0.8, 46.1},           {"slash.png", 0.4, 0.4, 46.0},
        {"velmora-logoBLUR.png", 25.6, 1.6, 46.0}, {"backgroundtext.png", 25.6, 6.4, 46.0},
        {"lark.png", 12.8, 3.2, 46.0},          {"intro1.png", 51.2, 12.8, 46.0},
        {"top.png", 512, 128, 0},               {"mousepointer.png", 16, 16, 0},
        {"kvx-tb-intropic-final2.png", 0, 0, 0}, {"brennik_groupfoto.png", 0, 0, 0},
    };
    for (const auto& other : others) ExpectSizeOnScreen(other.file, other.halfWidth, other.halfHeight, other.depth);
}

TEST(IssuePictures, GenerationGivesTheSameBytesTwice) {
    char pattern[] = "/tmp/tb-artgen-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string command =
        ArtgenProgram() + " " + dir + " " + TB_ISSUE_SOURCE_DIR "/content/text " + dir + "/topic_boxes.txt";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::set<std::string> names = PictureNames();
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

// The panel texel (column, row) that shows where a point of a hit area at
// hitDepth shows: both lie on one ray from the eye.
std::pair<double, double> TexelUnder(const PanelRow& panel, const PngFacts& png, double x, double y,
                                     double hitDepth) {
    const double k = -panel.z / hitDepth;
    return {(x * k - (panel.restX - panel.halfWidth)) / (2 * panel.halfWidth) * png.width,
            (panel.halfHeight - y * k) / (2 * panel.halfHeight) * png.height};
}

// artgen records the inked box of every printed topic name ("pick section
// x0 y0 x1 y1"): the box holds lettering, lies under the centre of the
// topic's hit area, and the highlight bar covers its height.
TEST(IssuePanels, EveryTopicNameLiesUnderItsHitArea) {
    SetMenuButtons();
    std::map<int, std::array<int, 5>> boxes;
    std::ifstream in(ArtStagingDir() + "/topic_boxes.txt");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        int pick;
        std::array<int, 5> box;
        if (line[0] != '#' && fields >> pick >> box[0] >> box[1] >> box[2] >> box[3] >> box[4]) boxes[pick] = box;
    }
    ASSERT_EQ(boxes.size(), size_t(LastTopicButton - FirstTopicButton + 1));
    PngFacts pictures[PanelCount];
    for (int s = 0; s < PanelCount; ++s)
        pictures[s] = ReadPngFile(PicturePath(TextureFileName(PanelRows[s].textureSlot) + std::strlen("data/")));
    for (const auto& [pick, box] : boxes) {
        const auto [section, x0, y0, x1, y1] = box;
        ASSERT_TRUE(pick >= FirstTopicButton && pick <= LastTopicButton) << pick;
        ASSERT_EQ(section, SectionOfTopic(pick)) << pick;
        const PngFacts& png = pictures[section];
        ASSERT_TRUE(png.ok);
        ASSERT_TRUE(x0 >= 0 && y0 >= 0 && x1 < png.width && y1 < png.height) << pick;
        int lit = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) lit += png.rgba[(size_t(y) * png.width + x) * 4] > 150;
        EXPECT_GT(lit, (x1 - x0 + 1) / 2) << "topic " << pick << " has no lettering in its box";
        const MenuButton& hit = MenuButtons[pick];
        const auto [column, row] = TexelUnder(PanelRows[section], png, hit.x, hit.y, -hit.z);
        EXPECT_TRUE(column >= x0 && column <= x1 + 1 && row >= y0 && row <= y1 + 1)
            << "topic " << pick << ": hit centre at texel " << column << ", " << row;
        EXPECT_GE(y0, TexelUnder(PanelRows[section], png, hit.x, hit.y + hit.halfHeight, -hit.z).second - 0.5) << pick;
        EXPECT_LE(y1 + 1, TexelUnder(PanelRows[section], png, hit.x, hit.y - hit.halfHeight, -hit.z).second + 0.5)
            << pick;
    }
}

}  // namespace
