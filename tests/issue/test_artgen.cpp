// The painting layer of artgen: PNG writing, bounds-safe painting, the
// filters, lettering placement and the panel names taken from chart headings.
#include <gtest/gtest.h>
#include <unistd.h>

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

// The light in the red channel.
float Red(const Canvas& c) {
    double sum = 0;
    for (size_t i = 0; i < c.pixels.size(); i += 4) sum += c.pixels[i];
    return static_cast<float>(sum);
}

TEST(ArtgenCanvas, PngKeepsStraightColourAndClampsToEightBits) {
    Canvas c = MakeCanvas(3, 2, {0, 0, 0}, 0.0f);
    PaintOver(c, 0, 0, {1.0f, 0.5f, 0.0f}, 1.0f);
    PaintOver(c, 1, 0, {0.2f, 0.4f, 0.6f}, 0.5f);
    PaintAdd(c, 2, 1, {3.0f, -1.0f, 0.25f}, 1.0f);  // out of range on purpose
    const std::string dir = TempDir();
    ASSERT_TRUE(SavePng(c, (dir + "/rgba.png").c_str(), PngRgba));
    ASSERT_TRUE(SavePng(c, (dir + "/rgb.png").c_str(), PngRgb));
    const PngFacts rgba = ReadPngFile(dir + "/rgba.png"), rgb = ReadPngFile(dir + "/rgb.png");
    ASSERT_TRUE(rgba.ok && rgb.ok);
    EXPECT_TRUE(rgba.alpha && !rgb.alpha);
    // Half coverage over nothing keeps its colour straight, not darkened.
    EXPECT_EQ(std::vector<uint8_t>(rgba.rgba.begin(), rgba.rgba.begin() + 8),
              (std::vector<uint8_t>{255, 128, 0, 255, 51, 102, 153, 128}));
    // Clamped above and below; RGB reads back opaque.
    EXPECT_EQ(std::vector<uint8_t>(rgb.rgba.end() - 4, rgb.rgba.end()), (std::vector<uint8_t>{255, 0, 64, 255}));
    for (const char* file : {"/rgba.png", "/rgb.png", ""}) std::remove((dir + file).c_str());
    EXPECT_FALSE(SavePng(c, "/nonexistent-tb-dir/picture.png", PngRgb));
}

TEST(ArtgenCanvas, PaintingOffThePictureChangesNothing) {
    Canvas c = MakeCanvas(16, 16);
    PaintOver(c, -1, 0, {1, 1, 1}, 1.0f);
    PaintAdd(c, 16, 3, {1, 1, 1}, 1.0f);
    FillRect(c, -40, -40, -1, 100, {1, 1, 1});
    GlowStroke(c, -500.0f, -500.0f, -100.0f, -80.0f, 3.0f, 2.0f, {1, 1, 1}, 1.0f);
    FillEllipse(c, 400.0f, 400.0f, 30.0f, 20.0f, 0.3f, 2.0f, {1, 1, 1}, 1.0f);
    EXPECT_EQ(Red(c), 0.0f);
    GlowDot(c, 0.0f, 8.0f, 3.0f, {1, 1, 1}, 1.0f);  // straddles the edge: the inside half lands
    EXPECT_GT(Red(c), 0.0f);
}

TEST(ArtgenCanvas, BlurKeepsTheLightAndResizeKeepsAFlatPictureFlat) {
    Canvas c = MakeCanvas(64, 64);
    PaintAdd(c, 32, 32, {1, 1, 1}, 10.0f);
    Blur(c, 4.0f);
    EXPECT_NEAR(Red(c), 10.0f, 0.01f);
    EXPECT_LT(PixelAt(c, 32, 32)[0], 1.0f);
    EXPECT_GT(PixelAt(c, 35, 32)[0], 0.0f);
    const Canvas big = Resized(MakeCanvas(10, 6, {0.25f, 0.5f, 0.75f}), 33, 17);
    ASSERT_EQ(big.pixels.size(), 33u * 17 * 4);
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

// Chart text files with a heading for every chart, except where the rule
// gives none; as in the text, a directive comes between the run and
// its heading.
void WriteCharts(const std::string& dir, const char* (*heading)(int pick)) {
    const char* files[5] = {"amiga", "pc", "c64", "warez", "fun"};
    const int firsts[6] = {15, 31, 46, 55, 74, 78};
    for (int f = 0; f < 5; ++f) {
        std::ofstream out(dir + "/charts-" + files[f] + ".txt");
        for (int pick = firsts[f]; pick < firsts[f + 1]; ++pick)
            if (heading(pick))
                out << "@@ run Chart" << pick << "\n@@ chart " << files[f] << " groups\n              "
                    << heading(pick) << "   \n\n";
    }
}

const struct {
    int pick;
    const char *heading, *name;
} Headings[] = {
    {17, "Best Amiga Coders", "Coders"},
    {29, "Best PC / Amiga Group-Homepages", "PC / Amiga Group-Homepages"},
    {47, "Best C-64 \"oldschool\" Groups", "\"oldschool\" Groups"},
    {61, "Best TV Groups (german)", "german"},
    {62, "Best TV Groups (english)", "english"},
    {74, "Most Drunken Sceners", "Most Drunken Sceners"},
};

const char* SampleHeading(int pick) {
    for (const auto& h : Headings)
        if (h.pick == pick) return h.heading;
    return "Best Things";
}

// Loaded after a complete set, so that names left from it can't fill the gap.
TEST(ArtgenTopicNames, AChartWithoutItsHeadingOrWithoutTextsIsRefused) {
    const std::string complete = TempDir(), gap = TempDir();
    WriteCharts(complete, SampleHeading);
    ASSERT_TRUE(LoadTopicNames(complete.c_str()));
    WriteCharts(gap, [](int pick) { return pick == 40 ? nullptr : "Best Things"; });
    EXPECT_FALSE(LoadTopicNames(gap.c_str()));
    EXPECT_FALSE(LoadTopicNames("/nonexistent-tb-dir"));
}

TEST(ArtgenTopicNames, ChartHeadingsLoseWhatThePanelTitleSays) {
    const std::string dir = TempDir();
    WriteCharts(dir, SampleHeading);
    ASSERT_TRUE(LoadTopicNames(dir.c_str()));
    for (const auto& h : Headings) EXPECT_EQ(TopicName(h.pick), h.name) << h.heading;
    EXPECT_EQ(TopicName(20), "Things");
    EXPECT_EQ(GridRowName(62), "TV Groups");
    EXPECT_EQ(TopicName(78), "Welcome");
}

}  // namespace
