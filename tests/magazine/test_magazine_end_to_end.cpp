// The real program, driven as a reader would: in an X server of its own, in a
// copy of the generated issue, with xdotool's pointer and keys, judged by the
// pixels on screen. Skips the intro, visits every section and a chart in each
// chart section, turns pages with the arrows and the keys, and leaves with
// the exit button.
//
// The scene runs as fast as the software renderer allows, so every check
// waits for its picture up to a generous time rather than for a fixed one.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <functional>
#include <string>
#include <vector>

#include "menu/menu.h"
#include "tests/release/program_harness.h"

namespace {

// Screen positions in the 1024 x 768 layout (after F1).
struct Point {
    int x, y;
};

// A button's centre on screen, from the menu's own table: the section
// buttons are picks 0 to 7.
Point ButtonPoint(int pick) {
    if (MenuButtons[ExitButton].halfWidth == 0.0f) SetMenuButtons();
    return {SceneToScreenX(MenuButtons[pick].x), SceneToScreenY(MenuButtons[pick].y)};
}

// The first topic of each chart section, on its panel at the left.
constexpr int FirstChartTopic[6] = {0, 15, 31, 46, 55, 74};
constexpr Point Resting = {512, 460};  // over no button

// White text only: the backgrounds and bars stay well below this.
constexpr int TextLevel = 200;
// Button lettering at full strength; at half strength it stays far below.
constexpr unsigned LetterLevel = 178;
// Titles that differ in fewer pixels are the same: a spark of the particle
// swarm may cross the title line. One changed digit differs in more.
constexpr int SameTitle = 4;

struct ScreenArea {
    int x, y, width, height;
};

constexpr ScreenArea TitleRegion = {400, 676, 250, 22};  // between the arrows' labels
constexpr ScreenArea ChartRowsRegion = {340, 318, 260, 156};
constexpr ScreenArea BodyRegion = {100, 230, 400, 320};

// The pixels of a screen region as 0xRRGGBB, row by row. Read with Xlib: a
// screenshot tool per look would eat the CPU the program needs.
std::vector<unsigned> ScreenPixels(Display* display, ScreenArea area) {
    std::vector<unsigned> pixels;
    XImage* image = XGetImage(display, DefaultRootWindow(display), area.x, area.y, unsigned(area.width),
                              unsigned(area.height), AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x)
            pixels.push_back(unsigned(XGetPixel(image, x, y)) & 0xffffffu);
    XDestroyImage(image);
    return pixels;
}

// The near-white pixels of a screen region, one flag per pixel.
std::vector<bool> TextMask(Display* display, ScreenArea area) {
    std::vector<bool> mask;
    for (unsigned pixel : ScreenPixels(display, area)) {
        unsigned red = pixel >> 16, green = (pixel >> 8) & 0xff, blue = pixel & 0xff;
        mask.push_back(red > TextLevel && green > TextLevel && blue > TextLevel);
    }
    return mask;
}

// How many pixels of a section button's lettering are lit at full strength;
// -1 while a hover plate (a white rectangle behind the lettering) shows.
int SectionButtonLetters(Display* display, int section) {
    Point centre = ButtonPoint(section);
    std::vector<unsigned> pixels = ScreenPixels(display, {centre.x - 25, centre.y - 4, 50, 9});
    int lit = 0;
    for (unsigned pixel : pixels)
        lit += (pixel >> 16) > LetterLevel && ((pixel >> 8) & 0xff) > LetterLevel && (pixel & 0xff) > LetterLevel;
    return lit * 2 > int(pixels.size()) ? -1 : lit;
}

int TextPixels(const std::vector<bool>& mask) {
    int count = 0;
    for (bool lit : mask)
        count += lit;
    return count;
}

int DifferingPixels(const std::vector<bool>& a, const std::vector<bool>& b) {
    if (a.size() != b.size())
        return int(a.size() > b.size() ? a.size() : b.size());
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}

bool WaitUntil(const std::function<bool()>& condition, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.5) {
        if (condition())
            return true;
        Sleep(0.5);
    }
    return condition();
}

class EndToEnd : public ::testing::Test {
protected:
    ProgramRun run;
    Display* screen = nullptr;
    std::set<std::string> dataBefore;
    int brightestButton[8] = {};  // each section button's lit lettering at its most so far

    // The shown section's button is drawn at half strength: its lettering
    // is no longer lit at full strength.
    bool SectionButtonDimmed(int section) {
        bool dimmed = false;
        for (int s = 0; s < 8; ++s) {
            int lit = SectionButtonLetters(screen, s);
            if (lit < 0)
                return false;
            if (lit > brightestButton[s])
                brightestButton[s] = lit;
            if (s == section)
                dimmed = lit * 4 < brightestButton[s];
        }
        return dimmed;
    }

    // The names in the working copy's data directory.
    std::set<std::string> DataFiles() const {
        std::set<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(run.workDir + "/data", error))
            names.insert(entry.path().filename().string());
        return names;
    }

    void TearDown() override {
        if (screen)
            XCloseDisplay(screen);
        StopRun(run);
    }

    void Click(Point point) {
        // A move first: the click picks where the pointer was last seen moving.
        Xdo(run, "mousemove " + std::to_string(point.x) + " " + std::to_string(point.y));
        Sleep(0.2);
        Xdo(run, "click 1");
        Sleep(0.1);
        Xdo(run, "mousemove " + std::to_string(Resting.x) + " " + std::to_string(Resting.y));
    }

    void Key(const char* name) { Xdo(run, std::string("key ") + name); }

    // The title line once it has stopped changing (fades take under a second).
    std::vector<bool> SettledTitle() {
        std::vector<bool> previous = TextMask(screen, TitleRegion);
        for (int round = 0; round < 20; ++round) {
            Sleep(0.4);
            std::vector<bool> now = TextMask(screen, TitleRegion);
            if (DifferingPixels(now, previous) == 0)
                return now;
            previous = now;
        }
        return previous;
    }

    // The title line changes away from `before` within the time.
    bool TitleChangesFrom(const std::vector<bool>& before, double seconds) {
        return WaitUntil([&] { return DifferingPixels(TextMask(screen, TitleRegion), before) > SameTitle; }, seconds);
    }

    // Picks a section, retrying while the previous cross-fade still refuses
    // it, until its button is the dimmed one.
    bool ShowSection(int section) {
        SectionButtonDimmed(section);  // its brightness while not shown
        for (int attempt = 0; attempt < 12; ++attempt) {
            Click(ButtonPoint(section));
            if (WaitUntil([&] { return SectionButtonDimmed(section); }, 2.0))
                return true;
        }
        return false;
    }

    bool StartOwnDisplay() {
        if (!StartDisplay(run)) return false;
        screen = XOpenDisplay((":" + std::to_string(run.display)).c_str());
        return screen != nullptr;
    }

    void StartAndSkipIntro() {
        // The program and the issue are found through the build directory.
        setenv("TB_BINARY_DIR", TB_BUILD_DIRECTORY, 0);
        ASSERT_TRUE(StartOwnDisplay());
        ASSERT_NE(screen, nullptr) << "no X server";
        ASSERT_TRUE(PrepareIssueCopy(run, "magazine")) << "the issue's data (the issue target)";
        dataBefore = DataFiles();
        ASSERT_TRUE(StartProgram(run));
        Xdo(run, "mousemove " + std::to_string(Resting.x) + " " + std::to_string(Resting.y));
        // The window opens at 512 x 512 (no game mode here); F1 gives the
        // 1024 x 768 layout. Keys reach the window under the pointer.
        ASSERT_TRUE(WaitForWindow(run, 20.0)) << ProgramErrors(run);
        Sleep(0.5);
        Xdo(run, "mousemove 100 100");
        Key("F1");
        Xdo(run, "mousemove " + std::to_string(Resting.x) + " " + std::to_string(Resting.y));
        // Space skips the intro; during the loading picture it is ignored, so
        // it is pressed again until the magazine's Welcome title is up.
        bool magazine = false;
        for (int attempt = 0; attempt < 40 && !magazine; ++attempt) {
            Sleep(0.5);
            if (TextPixels(TextMask(screen, TitleRegion)) > 20)
                break;  // already in the magazine: another Space would quit
            Key("space");
            magazine = WaitUntil([&] { return TextPixels(TextMask(screen, TitleRegion)) > 20; }, 1.5);
        }
        ASSERT_GT(TextPixels(TextMask(screen, TitleRegion)), 20) << "no Welcome title";
    }
};

TEST_F(EndToEnd, ReaderVisitsEverySectionAndLeavesWithTheExitButton) {
    ASSERT_NO_FATAL_FAILURE(StartAndSkipIntro());
    SaveScreen(run, run.workDir + "/welcome.png");  // kept with TB_KEEP_WORK=1
    ASSERT_TRUE(WaitUntil([&] { return TextPixels(TextMask(screen, BodyRegion)) > 200; }, 10)) << "no Welcome text";

    // Chart sections show no chart until a topic is picked; then the rows appear.
    for (int section = 1; section <= 5; ++section) {
        SCOPED_TRACE("chart section " + std::to_string(section));
        std::vector<bool> before = SettledTitle();
        ASSERT_TRUE(ShowSection(section));
        EXPECT_TRUE(WaitUntil([&] { return TextPixels(TextMask(screen, TitleRegion)) < 5; }, 3))
            << "a title before any topic was picked";
        Click(ButtonPoint(FirstChartTopic[section]));
        EXPECT_TRUE(WaitUntil([&] { return TextPixels(TextMask(screen, ChartRowsRegion)) > 300; }, 10))
            << "no chart rows";
        EXPECT_GT(DifferingPixels(SettledTitle(), before), 30) << "the title stayed";
    }
    SaveScreen(run, run.workDir + "/charts.png");

    // Messages: page 1 at once, then the arrows and the keys leaf through it.
    ASSERT_TRUE(ShowSection(6));
    std::vector<bool> page1 = SettledTitle();
    EXPECT_GT(TextPixels(page1), 20) << "Messages page 1 has no title";
    Click(ButtonPoint(PageForwardButton));
    ASSERT_TRUE(TitleChangesFrom(page1, 5)) << "next-page arrow";
    std::vector<bool> page2 = SettledTitle();
    Key("Right");
    ASSERT_TRUE(TitleChangesFrom(page2, 5)) << "Right key";
    std::vector<bool> page3 = SettledTitle();
    Key("Left");
    ASSERT_TRUE(TitleChangesFrom(page3, 5)) << "Left key";
    EXPECT_LE(DifferingPixels(SettledTitle(), page2), SameTitle) << "Left should return to page 2";
    Click(ButtonPoint(PageBackButton));
    ASSERT_TRUE(TitleChangesFrom(page2, 5)) << "previous-page arrow";
    EXPECT_LE(DifferingPixels(SettledTitle(), page1), SameTitle) << "back on page 1";
    Key("Left");  // on page 1 the reader stays on page 1
    Sleep(0.5);
    EXPECT_LE(DifferingPixels(SettledTitle(), page1), SameTitle);

    ASSERT_TRUE(ShowSection(7));
    EXPECT_GT(DifferingPixels(SettledTitle(), page1), 30) << "Credits";
    ASSERT_TRUE(ShowSection(0));
    EXPECT_LT(TextPixels(SettledTitle()), 5) << "Introduction shows nothing until a topic is picked";

    Click(ButtonPoint(ExitButton));
    EXPECT_EQ(WaitForExit(run, 15), 0);
    EXPECT_EQ(DataFiles(), dataBefore) << "unpacked files left behind";
}

}  // namespace
