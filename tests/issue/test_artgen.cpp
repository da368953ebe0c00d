// The painting layer of artgen: PNG writing, bounds-safe painting, the
// filters, lettering placement, the panel names taken from chart headings,
// and how the program meets bad arguments.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "canvas.h"
#include "issue_files.h"
#include "lettering.h"
#include "shapes.h"
#include "topic_names.h"

namespace {

std::string TempDir() {
    char pattern[] = "/tmp/tb-artgen-test-XXXXXX";
    return mkdtemp(pattern) ? pattern : "";
}

float Sum(const Canvas& c, int channel) {
    double sum = 0;
    for (size_t i = channel; i < c.pixels.size(); i += 4) sum += c.pixels[i];
    return static_cast<float>(sum);
}

TEST(ArtgenCanvas, PngKeepsColoursAndAlphaClampedToEightBits) {
    Canvas c = MakeCanvas(3, 2, {0, 0, 0}, 0.0f);
    PaintOver(c, 0, 0, {1.0f, 0.5f, 0.0f}, 1.0f);
    PaintOver(c, 1, 0, {0.2f, 0.4f, 0.6f}, 0.5f);
    PaintAdd(c, 2, 1, {3.0f, -1.0f, 0.25f}, 1.0f);  // out of range on purpose
    const std::string dir = TempDir();
    ASSERT_TRUE(SavePng(c, (dir + "/rgba.png").c_str(), PngRgba));
    ASSERT_TRUE(SavePng(c, (dir + "/rgb.png").c_str(), PngRgb));
    const PngFacts rgba = ReadPngFile(dir + "/rgba.png");
    const PngFacts rgb = ReadPngFile(dir + "/rgb.png");
    ASSERT_TRUE(rgba.ok && rgb.ok);
    EXPECT_TRUE(rgba.alpha);
    EXPECT_FALSE(rgb.alpha);
    EXPECT_EQ(rgba.rgba[0], 255);
    EXPECT_EQ(rgba.rgba[1], 128);
    EXPECT_EQ(rgba.rgba[3], 255);
    EXPECT_EQ(rgba.rgba[4 + 3], 128);                 // half coverage over nothing
    EXPECT_EQ(rgba.rgba[4 + 2], 153);                 // its colour stays straight, not darkened
    const size_t last = (1 * 3 + 2) * 4;
    EXPECT_EQ(rgb.rgba[last], 255);                   // clamped above
    EXPECT_EQ(rgb.rgba[last + 1], 0);                 // clamped below
    EXPECT_EQ(rgb.rgba[last + 2], 64);
    EXPECT_EQ(rgb.rgba[last + 3], 255);               // RGB reads back opaque
    std::remove((dir + "/rgba.png").c_str());
    std::remove((dir + "/rgb.png").c_str());
    std::remove(dir.c_str());
}

TEST(ArtgenCanvas, SavingIntoAMissingDirectoryFails) {
    EXPECT_FALSE(SavePng(MakeCanvas(4, 4), "/nonexistent-tb-dir/picture.png", PngRgb));
}

TEST(ArtgenCanvas, PaintingOffThePictureChangesNothing) {
    Canvas c = MakeCanvas(16, 16);
    PaintOver(c, -1, 0, {1, 1, 1}, 1.0f);
    PaintAdd(c, 16, 3, {1, 1, 1}, 1.0f);
    FillRect(c, -40, -40, -1, 100, {1, 1, 1});
    GlowStroke(c, -500.0f, -500.0f, -100.0f, -80.0f, 3.0f, 2.0f, {1, 1, 1}, 1.0f);
    FillEllipse(c, 400.0f, 400.0f, 30.0f, 20.0f, 0.3f, 2.0f, {1, 1, 1}, 1.0f);
    EXPECT_EQ(Sum(c, 0), 0.0f);
    // A shape that straddles the edge paints only its inner part.
    GlowDot(c, 0.0f, 8.0f, 3.0f, {1, 1, 1}, 1.0f);
    EXPECT_GT(Sum(c, 0), 0.0f);
}

TEST(ArtgenCanvas, BlurSpreadsLightWithoutLosingIt) {
    Canvas c = MakeCanvas(64, 64);
    PaintAdd(c, 32, 32, {1, 1, 1}, 10.0f);
    Blur(c, 4.0f);
    EXPECT_NEAR(Sum(c, 0), 10.0f, 0.01f);
    EXPECT_LT(PixelAt(c, 32, 32)[0], 1.0f);
    EXPECT_GT(PixelAt(c, 35, 32)[0], 0.0f);
}

TEST(ArtgenCanvas, ResizingKeepsAFlatPictureFlat) {
    Canvas c = MakeCanvas(10, 6, {0.25f, 0.5f, 0.75f});
    const Canvas big = Resized(c, 33, 17);
    ASSERT_EQ(big.width, 33);
    ASSERT_EQ(big.height, 17);
    for (size_t i = 0; i < big.pixels.size(); i += 4) ASSERT_NEAR(big.pixels[i + 1], 0.5f, 1e-5f);
}

TEST(ArtgenLettering, CentredTextIsCentredAndFittedTextFits) {
    ASSERT_TRUE(OpenFonts());
    Canvas c = MakeCanvas(300, 40);
    const TextBox box = DrawTextCentred(c, FontTahoma, 11, 150.0f, 20, "Contact information", {1, 1, 1},
                                        LetteringMono);
    ASSERT_LE(box.x0, box.x1);
    EXPECT_NEAR((box.x0 + box.x1 + 1) * 0.5f, 150.0f, 2.0f);
    EXPECT_LE(box.y1, 20 + 3);  // no deeper than a descender below the baseline
    const int size = FittingSize(FontBlack, 200, "THE SCENE CHARTS", 600.0f);
    EXPECT_LE(TextWidth(FontBlack, size, "THE SCENE CHARTS", LetteringSmooth), 600.0f);
    EXPECT_GT(TextWidth(FontBlack, size + 1, "THE SCENE CHARTS", LetteringSmooth), 600.0f);
    const TextBox none = DrawText(c, FontTahoma, 11, 1000.0f, 20, "off the picture", {1, 1, 1}, LetteringMono);
    EXPECT_GT(none.x0, none.x1);  // nothing inked
}

// Writes chart text files holding a heading for every chart, from a rule.
void WriteCharts(const std::string& dir, const char* (*heading)(int pick)) {
    const char* files[5] = {"charts-amiga.txt", "charts-pc.txt", "charts-c64.txt", "charts-warez.txt",
                            "charts-fun.txt"};
    const int firsts[6] = {15, 31, 46, 55, 74, 78};
    for (int f = 0; f < 5; ++f) {
        std::ofstream out(dir + "/" + files[f]);
        for (int pick = firsts[f]; pick < firsts[f + 1]; ++pick)
            if (heading(pick)) out << "@@ run Chart" << pick << "\n              " << heading(pick) << "   \n\n";
    }
}

const char* SampleHeading(int pick) {
    switch (pick) {
        case 17: return "Best Amiga Coders";
        case 29: return "Best PC / Amiga Group-Homepages";
        case 33: return "Best PC Coders";
        case 47: return "Best C-64 \"oldschool\" Groups";
        case 61: return "Best TV Groups (german)";
        case 62: return "Best TV Groups (english)";
        case 74: return "Most Drunken Sceners";
        default: return "Best Things";
    }
}

TEST(ArtgenTopicNames, ChartHeadingsLoseWhatThePanelTitleSays) {
    const std::string dir = TempDir();
    WriteCharts(dir, SampleHeading);
    ASSERT_TRUE(LoadTopicNames(dir.c_str()));
    EXPECT_EQ(TopicName(17), "Coders");
    EXPECT_EQ(TopicName(29), "PC / Amiga Group-Homepages");
    EXPECT_EQ(TopicName(33), "Coders");
    EXPECT_EQ(TopicName(47), "\"oldschool\" Groups");
    EXPECT_EQ(TopicName(62), "english");
    EXPECT_EQ(GridRowName(62), "TV Groups");
    EXPECT_EQ(TopicName(74), "Most Drunken Sceners");
    EXPECT_EQ(TopicName(78), "Welcome");
    EXPECT_EQ(TopicName(20), "Things");
}

const char* HeadingsWithAGap(int pick) { return pick == 40 ? nullptr : "Best Things"; }

TEST(ArtgenTopicNames, AMissingHeadingOrFileIsRefused) {
    const std::string dir = TempDir();
    WriteCharts(dir, HeadingsWithAGap);
    EXPECT_FALSE(LoadTopicNames(dir.c_str()));
    EXPECT_FALSE(LoadTopicNames("/nonexistent-tb-dir"));
}

TEST(ArtgenProgram, BadArgumentsFailWithoutWritingPictures) {
    const std::string dir = TempDir();
    const std::string program = ArtgenProgram();
    EXPECT_NE(std::system((program + " 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((program + " " + dir + " /nonexistent-tb-dir 2>/dev/null").c_str()), 0);
    EXPECT_FALSE(FileExists(dir + "/loading.png"));
    const std::string texts = TB_ISSUE_SOURCE_DIR "/content/text";
    EXPECT_NE(std::system((program + " /nonexistent-tb-dir " + texts + " 2>/dev/null").c_str()), 0);
    std::remove(dir.c_str());
}

}  // namespace
