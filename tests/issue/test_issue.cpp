// The generated issue: its pack, its pictures (format, brightness,
// topic names under their hit areas) and the command lines of the programs
// that make it (tbproof's pages show their title, place and chart points).
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "content/content.h"
#include "menu/menu.h"
#include "menu/panels.h"
#include "pack/pack.h"
#include "resources/textures.h"
#include "tests/pack/pack_test_util.h"

namespace {

namespace fs = std::filesystem;

const std::string BinaryDir = TB_ISSUE_BINARY_DIR, DataDir = BinaryDir + "/issue/data",
                  ArtDir = BinaryDir + "/issue-art";

std::set<std::string> PackedMembers() {
    std::set<std::string> names;
    std::istringstream list(TB_PACKED_MEMBERS);
    for (std::string name; std::getline(list, name, ',');) names.insert(name);
    return names;
}

// Every file the generators staged reaches the issue once: a packed one
// only in Data.pak, in the 2.0 format and compressed (the program's
// unpacker knows no other), unpacking under the pack password to exactly
// its bytes; any other one loose in data/.
TEST(IssuePack, EveryGeneratedFileReachesTheIssueOnce) {
    const std::string pack = DataDir + "/Data.pak";
    std::set<std::string> listed, found;
    MemberRecord* head = nullptr;
    ListMembers(pack.c_str(), &head);
    for (const MemberRecord* m = head; m; m = m->Next) {
        listed.insert(m->Name);
        EXPECT_EQ(m->UnpackVersion, 20) << m->Name;
        EXPECT_NE(m->Method, 0x30) << m->Name << " is stored, not compressed";
    }
    FreeMemberList(head);
    EXPECT_EQ(listed, PackedMembers());
    for (const char* staging : {"/issue-art", "/issue-sound"}) {
        for (const auto& entry : fs::directory_iterator(BinaryDir + staging)) {
            const std::string name = entry.path().filename().string();
            if (name == "topic_boxes.txt" || name == ".generated") continue;
            Bytes issued = ReadBytes(DataDir + "/" + name);
            if (listed.count(name)) {
                EXPECT_TRUE(issued.empty()) << name << " lies loose too";
                EXPECT_TRUE(Extract(pack, name.c_str(), &issued, PackPassword)) << name;
                found.insert(name);
            }
            EXPECT_TRUE(issued == ReadBytes(entry.path())) << name << " differs from what was generated";
        }
    }
    EXPECT_EQ(found, listed);
}

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }
std::string FileOfSlot(int32_t slot) { return std::strrchr(TextureFileName(slot), '/') + 1; }

struct PngFacts {
    bool ok = false, trueColour = false, alpha = false;  // 8-bit colour without a palette
    int width = 0, height = 0;
    Bytes rgba;  // rows from the top
};

// A picture of the issue, loose in data/ or staged for the pack.
PngFacts ReadPicture(const std::string& name) {
    PngFacts facts;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    const std::string path = (PackedMembers().count(name) ? ArtDir : DataDir) + "/" + name;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return facts;
    facts.width = int(image.width);
    facts.height = int(image.height);
    const uint32_t kind = PNG_FORMAT_FLAG_COLOR | PNG_FORMAT_FLAG_LINEAR | PNG_FORMAT_FLAG_COLORMAP;
    facts.trueColour = (image.format & kind) == PNG_FORMAT_FLAG_COLOR;
    facts.alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    facts.rgba.resize(PNG_IMAGE_SIZE(image));
    facts.ok = png_image_finish_read(&image, nullptr, facts.rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return facts;
}

// Only the files loaded with alpha have it; the backgrounds become cube maps
// under white text: square, a power of two wide, and dim.
TEST(IssuePictures, EveryPictureIsThereInTheFormatItIsLoadedIn) {
    const std::set<std::string> alpha{"mousepointer.png", "Particle2.png", "tallyboard-alpha.png", "slash.png"};
    for (int slot = -1; slot < TextureSlotCount; ++slot) {
        const std::string name = slot < 0 ? LoadingImageName : FileOfSlot(slot);
        const PngFacts png = ReadPicture(name);
        ASSERT_TRUE(png.ok) << name;
        EXPECT_TRUE(png.trueColour) << name << " is not 8-bit true colour";
        EXPECT_EQ(png.alpha, alpha.count(name) == 1) << name;
        if (slot < 0 || slot >= CubeMapCount) continue;
        EXPECT_TRUE(png.width == png.height && PowerOfTwo(png.width)) << name;
        uint8_t brightest = 0;
        for (size_t i = 0; i < png.rgba.size(); i += 4)
            brightest = std::max({brightest, png.rgba[i], png.rgba[i + 1], png.rgba[i + 2]});
        EXPECT_LT(brightest, 128) << name;
    }
}

// The panel texel (column, row) that shows where a point of a hit area at
// hitDepth shows: both lie on one ray from the eye.
std::pair<double, double> TexelUnder(const PanelRow& panel, const PngFacts& png, double x, double y, double hitDepth) {
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
    std::ifstream in(ArtDir + "/topic_boxes.txt");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        int pick;
        std::array<int, 5> box;
        if (line[0] != '#' && fields >> pick >> box[0] >> box[1] >> box[2] >> box[3] >> box[4]) boxes[pick] = box;
    }
    ASSERT_EQ(boxes.size(), size_t(LastTopicButton - FirstTopicButton + 1));
    PngFacts pictures[PanelCount];
    for (int s = 0; s < PanelCount; ++s) pictures[s] = ReadPicture(FileOfSlot(PanelRows[s].textureSlot));
    for (const auto& [pick, box] : boxes) {
        const auto [section, x0, y0, x1, y1] = box;
        ASSERT_TRUE(pick >= FirstTopicButton && pick <= LastTopicButton) << pick;
        ASSERT_EQ(section, SectionOfTopic(pick)) << pick;
        const PanelRow& panel = PanelRows[section];
        const PngFacts& png = pictures[section];
        ASSERT_TRUE(png.ok && x0 >= 0 && y0 >= 0 && x1 < png.width && y1 < png.height) << pick;
        int lit = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) lit += png.rgba[(size_t(y) * png.width + x) * 4] > 150;
        EXPECT_GT(lit, (x1 - x0 + 1) / 2) << "topic " << pick << " has no lettering in its box";
        const MenuButton& hit = MenuButtons[pick];
        const auto [column, row] = TexelUnder(panel, png, hit.x, hit.y, -hit.z);
        EXPECT_TRUE(column >= x0 && column <= x1 + 1 && row >= y0 && row <= y1 + 1)
            << "topic " << pick << ": hit centre at texel " << column << ", " << row;
        EXPECT_GE(y0, TexelUnder(panel, png, hit.x, hit.y + hit.halfHeight, -hit.z).second - 0.5) << pick;
        EXPECT_LE(y1 + 1, TexelUnder(panel, png, hit.x, hit.y - hit.halfHeight, -hit.z).second + 0.5) << pick;
    }
}

// A wrong command line gets its usage or a one-line reason and exit status
// 2, an impossible job status 1, and no picture, sound or table is written.
TEST(ToolCommandLines, WrongOnesAreRefusedWithTheirReason) {
    const fs::path scratch = fs::temp_directory_path() / ("tb-tools-" + std::to_string(getpid()));
    fs::create_directories(scratch / "text");
    std::ofstream(scratch / "text/broken.txt") << "@@ pagebreak\n";
    const std::string s = scratch.string(), texts = TB_ISSUE_SOURCE_DIR "/content/text", pack = DataDir + "/Data.pak";
    const struct { std::string command; int status; std::string says; } runs[] = {
        {"artgen/artgen", 2, "usage: artgen <directory> <text directory>"},
        {"artgen/artgen " + s + " /nonexistent-tb-dir", 1, ""},
        {"artgen/artgen /nonexistent-tb-dir " + texts, 1, ""},
        {"soundgen/soundgen", 2, "usage: soundgen OUTDIR"},
        {"soundgen/soundgen /nonexistent-tb-dir", 1, "can't make /nonexistent-tb-dir/"},
        {"contentgen/tbcontentgen " + texts, 2, "usage: tbcontentgen TEXT_DIR OUTPUT_CPP"},
        {"contentgen/tbcontentgen /nonexistent-tb-dir " + s + "/table.cpp " + s + "/table.h", 1,
         "cannot list the directory"},
        {"contentgen/tbcontentgen " + s + "/text " + s + "/table.cpp " + s + "/table.h", 1,
         s + "/text/broken.txt:1: unknown directive"},
        {"contentgen/tbproof --bogus", 2, "usage: tbproof"},
        {"contentgen/tbproof 6 0 21", 1, "no such page: section 6, topic 0, page 21"},
        {"contentgen/tbproof 0 80 3", 0, "Title \"List of voters - 03/09\" (Tahoma at x 455, y 78)\n"},
        {"contentgen/tbproof 1 25 1", 0, "\n 440 | 01.  Snowfall by Halcyra                          96 p.    (new)\n"},
        {"contentgen/tbproof --count", 0, "2144 table lines"},
        {"tbpack/tbpack frob", 2, "tbpack: unknown command"},
        {"tbpack/tbpack list", 2, "list needs exactly one archive"},
        {"tbpack/tbpack create " + s + "/a.pak", 2, "create needs an archive and at least one file"},
        {"tbpack/tbpack create --method zip " + s + "/a.pak " + pack, 2, "unknown method"},
        {"tbpack/tbpack create --channels 9 " + s + "/a.pak " + pack, 2, "channels must be 1 to 4"},
        {"tbpack/tbpack test", 2, "wrong number of arguments"},
        {"tbpack/tbpack list /nonexistent-tb.pak", 1, "is no archive or has no members"},
        {"tbpack/tbpack list " + pack, 0, "TB15Intro.mp3"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.command);
        FILE* pipe = popen((BinaryDir + "/tools/" + run.command + " 2>&1").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string printed;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) printed += buffer;
        const int status = pclose(pipe);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, run.status) << printed;
        EXPECT_NE(printed.find(run.says), std::string::npos) << printed;
        EXPECT_FALSE(printed.empty()) << "fails silently";
    }
    for (const char* left : {"loading.png", "table.cpp", "table.h", "a.pak"})
        EXPECT_FALSE(fs::exists(scratch / left)) << left;
    fs::remove_all(scratch);
}

}  // namespace
