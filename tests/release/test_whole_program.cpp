// The whole program as a reader meets it, each run in an X server of its own
// under openbox and in a private copy of the generated issue, full screen
// (F1): a tour of every kind of control on a screen the layout is scaled to
// fit, the intro played through with the cube-map option, and start-ups from
// damaged data. Every run ends cleanly with data/ as it was.
//
// The scene runs as fast as the software renderer allows, so every check
// waits for its picture up to a generous time rather than for a fixed one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/canvas.h"
#include "content/content.h"
#include "menu/menu.h"
#include "tests/release/program_harness.h"

namespace {

struct Area {
    int x, y, width, height;  // in the 1024 x 768 layout
};

constexpr Area Whole = {0, 0, 1024, 768};
constexpr Area TitleLine = {400, 676, 250, 22};  // between the arrows' labels
constexpr Area ChartRows = {340, 318, 260, 156};
constexpr Area PageBody = {100, 230, 400, 320};
constexpr Area Backdrop = {64, 192, 704, 448};  // the page, clear of trace, panels and logos
constexpr unsigned TextLevel = 200;  // white text: the backgrounds and bars stay below

// Mean red, green and blue of each of 16 x 12 cells: a picture's layout,
// blind to single sparks.
std::vector<double> Cells(const std::vector<unsigned>& pixels, size_t width) {
    std::vector<double> means(16 * 12 * 3, 0.0);
    for (size_t i = 0; i < pixels.size(); ++i)
        for (size_t channel = 0; channel < 3; ++channel)
            means[(i / width * 12 * width / pixels.size() * 16 + i % width * 16 / width) * 3 + channel] +=
                double((pixels[i] >> (16 - 8 * channel)) & 0xff) * 192.0 / double(pixels.size());
    return means;
}

// How alike two pictures' layouts are, -1..1 (correlation of their cells):
// blind to the changing grey that the intro's noise flicker adds.
double Likeness(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size() || a.empty()) return -1.0;
    double ab = 0, aa = 0, bb = 0, meanA = 0, meanB = 0;
    for (size_t i = 0; i < a.size(); ++i) meanA += a[i] / double(a.size()), meanB += b[i] / double(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - meanA) * (b[i] - meanB);
        aa += (a[i] - meanA) * (a[i] - meanA);
        bb += (b[i] - meanB) * (b[i] - meanB);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : -1.0;
}

bool WaitUntil(const std::function<bool()>& condition, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.2, Sleep(0.2))
        if (condition()) return true;
    return condition();
}

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) repeated += text;
    return repeated;
}

std::string PackTool() { return std::string(std::getenv("TB_BINARY_DIR")) + "/tools/tbpack/tbpack"; }

class WholeProgram : public ::testing::Test {
protected:
    ProgramRun run;
    int originX = 0, originY = 0;  // the window on the screen
    CanvasPlace place{};           // the layout in the window
    std::set<std::string> dataBefore;
    std::vector<double> introPicture;  // the intro's large picture once opened, when asked for

    static void SetUpTestSuite() { SetMenuButtons(); }
    void TearDown() override { StopRun(run); }

    // A fresh display and issue copy, damaged by a shell command run in the
    // working directory, then the program, full screen.
    void Start(const char* name, int width, int height, const char* argument = nullptr,
               const std::string& damage = "true") {
        ASSERT_TRUE(StartDisplay(run, width, height) && StartWindowManager(run)) << "no Xvfb or openbox";
        ASSERT_TRUE(PrepareIssueCopy(run, name)) << "no generated issue";
        const std::string command = "cd '" + run.workDir + "' && TBPACK='" + PackTool() + "' && " + damage;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        dataBefore = DataFiles();
        ASSERT_TRUE(StartProgram(run, argument));
        ASSERT_TRUE(WaitForWindow(run, 30.0)) << ProgramErrors(run);
        ASSERT_TRUE(WindowOfSize(512, 512));
        Key("F1");
        ASSERT_TRUE(WindowOfSize(width, height));
    }

    std::set<std::string> DataFiles() const {
        std::set<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(run.workDir + "/data", error))
            names.insert(entry.path().filename().string());
        return names;
    }

    // Follows the window until it has the given size; then the layout's place.
    bool WindowOfSize(int width, int height) {
        int w = 0, h = 0;
        const bool sized = WaitUntil([&] { return ProgramWindowGeometry(run, &originX, &originY, &w, &h) &&
                                                  w == width && h == height; }, 30.0);
        EXPECT_TRUE(sized) << "window " << w << " x " << h << ", expected " << width << " x " << height;
        place = FitLayout(w, h);
        Sleep(0.5);  // a few frames at the new size
        return sized;
    }

    // Screen pixel of a layout point; pixels of a layout area.
    int X(double x) const { return originX + place.x + int((x + 0.5) * place.width / LayoutWidth); }
    int Y(double y) const { return originY + place.y + int((y + 0.5) * place.height / LayoutHeight); }
    std::string At(double x, double y) const { return std::to_string(X(x)) + " " + std::to_string(Y(y)); }
    std::vector<unsigned> Pixels(Area a) {
        return ScreenPixels(run, X(a.x), Y(a.y), X(a.x + a.width) - X(a.x), Y(a.y + a.height) - Y(a.y));
    }
    std::vector<double> CellsOf(Area a) { return Cells(Pixels(a), size_t(X(a.x + a.width) - X(a.x))); }

    // Brightest grey level (mean of red, green and blue), -1 when unreadable.
    static double Peak(const std::vector<unsigned>& pixels) {
        double peak = -1.0;
        for (unsigned p : pixels) peak = std::max(peak, ((p >> 16) + ((p >> 8) & 0xff) + (p & 0xff)) / 3.0);
        return peak;
    }

    // Black bars beside or above and below the layout; its own edges drawn.
    void ExpectBarsAndEdges(int width, int height) {
        const int barWidth = place.x ? place.x : width, barHeight = place.x ? height : place.y;
        for (int far = 0; far < 2; ++far)
            EXPECT_EQ(Peak(ScreenPixels(run, originX + far * (width - barWidth),
                                        originY + far * (height - barHeight), barWidth, barHeight)), 0);
        EXPECT_GT(Peak(Pixels({0, 0, 2, 768})), 0);
        EXPECT_GT(Peak(Pixels({1022, 0, 2, 768})), 0);
    }

    // White text; counts are in layout pixels.
    std::vector<bool> TextMask(Area area) {
        std::vector<bool> mask;
        for (unsigned pixel : Pixels(area))
            mask.push_back(std::min({pixel >> 16, (pixel >> 8) & 0xff, pixel & 0xff}) > TextLevel);
        return mask;
    }
    double InLayout(size_t screenPixels) const {
        return double(screenPixels) * LayoutWidth * LayoutWidth / (double(place.width) * place.width);
    }
    double Lit(const std::vector<bool>& mask) const {
        return InLayout(size_t(std::count(mask.begin(), mask.end(), true)));
    }
    double Differing(const std::vector<bool>& a, const std::vector<bool>& b) const {
        size_t count = std::max(a.size(), b.size()) - std::min(a.size(), b.size());
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) count += a[i] != b[i];
        return InLayout(count);
    }

    // The manager gives the key to the focused window: the program's.
    void Key(const std::string& keys) {
        Xdo(run, "search --onlyvisible --name Tallyboard windowactivate --sync");
        Xdo(run, "key --delay 60 " + keys);
    }

    // Buttons are found by pick name in the menu's own table, so the tour
    // follows the button bar wherever it lies. A move first: the click picks
    // where the pointer was last seen moving. Then the pointer rests over no button.
    void Click(int pick) {
        Xdo(run, "mousemove " + At(SceneToScreenX(MenuButtons[pick].x), SceneToScreenY(MenuButtons[pick].y)) +
                     " sleep 0.2 click 1 sleep 0.1 mousemove " + At(512, 460));
    }

    // The magazine's title line and page are lit. The intro's title cards and
    // lettering light them too, but not without the intro's large picture.
    bool MagazineShows() {
        return Lit(TextMask(TitleLine)) > 20 && Lit(TextMask(PageBody)) > 200 &&
               Likeness(CellsOf(Whole), introPicture) < 0.5;
    }

    // The intro's large picture fills the layout once opened: the pack's
    // member, stretched.
    bool LargePictureShows() {
        FILE* picture = popen(("cd '" + run.workDir + "' && mkdir p && '" + PackTool() +
                               "' extract --password lark.png data/Data.pak p >/dev/null && convert "
                               "p/kvx-tb-intropic-final2.png -resize 1024x768! -depth 8 rgb:-").c_str(), "r");
        std::vector<unsigned> pixels;
        for (int red, green, blue; picture && (red = fgetc(picture)) != EOF && (green = fgetc(picture)) != EOF &&
                                   (blue = fgetc(picture)) != EOF;)
            pixels.push_back(unsigned(red << 16 | green << 8 | blue));
        if (picture) pclose(picture);
        introPicture = Cells(pixels, 1024);
        return WaitUntil([&] { return Likeness(CellsOf(Whole), introPicture) > 0.9; }, 60.0);
    }

    // An area's text once it is lit (unless none is expected) and has
    // stopped changing (fades take under a second).
    std::vector<bool> Settled(Area area, bool lit = true) {
        if (lit) WaitUntil([&] { return Lit(TextMask(area)) > 20; }, 10.0);
        std::vector<bool> previous = TextMask(area);
        for (int round = 0; round < 20; ++round) {
            Sleep(0.3);
            std::vector<bool> now = TextMask(area);
            if (Differing(now, previous) == 0) return now;
            previous = now;
        }
        return previous;
    }
    // Whether the area's text settles on something other than the given text.
    // A slow machine can hold a fade still for one settling check, so the
    // check is repeated until the new text has fully arrived.
    bool SettlesOtherThan(Area area, const std::vector<bool>& text) {
        return WaitUntil([&] { return Differing(Settled(area), text) > 30; }, 10.0);
    }
    // Whether the area's text becomes the given one, or something else; a
    // spark of the swarm may cross it.
    bool Becomes(Area area, const std::vector<bool>& text, bool same) {
        return WaitUntil([&] { return (Differing(TextMask(area), text) <= Lit(text) / 10) == same; }, 5.0);
    }

    // The brightest lettering of a button; the chosen button's is drawn at
    // half strength.
    double Lettering(int pick) {
        const MenuButton& button = MenuButtons[pick];
        const int half = int(button.halfWidth * 0.6 * (SceneToScreenX(1.0) - SceneToScreenX(0.0)));
        return Peak(Pixels({SceneToScreenX(button.x) - half, SceneToScreenY(button.y) - 3, 2 * half, 6}));
    }

    // Clicks a section, song or music button until it shows as the chosen
    // one: a section pick is refused while the last one's cross-fade runs.
    bool Choose(int pick) {
        const double before = Lettering(pick);
        for (int attempt = 0; attempt < 20; ++attempt) {
            Click(pick);
            if (WaitUntil([&] { return Lettering(pick) < before * 0.8; }, 1.5)) return true;
        }
        return false;
    }

    // A clean end: the expected messages, no sanitizer report, data/ as it was.
    void ExpectCleanEnd(const std::string& expectedOutput) {
        EXPECT_EQ(WaitForExit(run, 30.0), 0) << ProgramErrors(run);
        EXPECT_EQ(ProgramOutput(run), expectedOutput);
        const std::string errors = ProgramErrors(run);
        EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
        EXPECT_EQ(DataFiles(), dataBefore) << "unpacked files left behind";
    }
};

// On a 1920 x 1080 screen: the layout between bars, every kind of control
// picked at its scaled place, the window and full screen again, the exit
// button. Space skips the intro once it runs (before, it is ignored).
TEST_F(WholeProgram, TourOfEveryKindOfControlOnAScaledScreen) {
    ASSERT_NO_FATAL_FAILURE(Start("tour", 1920, 1080));
    ASSERT_TRUE(LargePictureShows()) << "no intro";
    Key("space");
    ASSERT_TRUE(WaitUntil([&] { return MagazineShows(); }, 30.0)) << "no Welcome page";
    ExpectBarsAndEdges(1920, 1080);
    const std::vector<bool> welcome = Settled(TitleLine);

    // A chart section shows no chart until a topic is picked; its first
    // topic shows chart rows, its last another title.
    for (int section = AmigaCharts; section <= FunCharts; ++section) {
        SCOPED_TRACE("chart section " + std::to_string(section));
        ASSERT_TRUE(Choose(section));
        EXPECT_TRUE(WaitUntil([&] { return Lit(TextMask(TitleLine)) < 5; }, 3)) << "a title before any topic";
        Click(TopicRanges[section].first);
        EXPECT_TRUE(WaitUntil([&] { return Lit(TextMask(ChartRows)) > 300; }, 10)) << "no chart rows";
        const std::vector<bool> first = Settled(TitleLine);
        Click(TopicRanges[section].last);
        EXPECT_TRUE(SettlesOtherThan(TitleLine, first)) << "the last topic's title";
    }

    // Messages: the arrows and the keys leaf through it.
    ASSERT_TRUE(Choose(Messages));
    const std::vector<bool> title = Settled(TitleLine), page1 = Settled(PageBody);
    EXPECT_GT(Lit(title), 20) << "Messages page 1 has no title";
    Click(PageForwardButton);
    ASSERT_TRUE(Becomes(PageBody, page1, false)) << "next-page arrow";
    const std::vector<bool> page2 = Settled(PageBody);
    Key("Right");
    ASSERT_TRUE(Becomes(PageBody, page2, false)) << "Right key";
    Key("Left");
    EXPECT_TRUE(Becomes(PageBody, page2, true)) << "Left key";
    Click(PageBackButton);
    EXPECT_TRUE(Becomes(PageBody, page1, true)) << "previous-page arrow";

    ASSERT_TRUE(Choose(Credits));
    EXPECT_TRUE(SettlesOtherThan(TitleLine, title)) << "Credits";
    ASSERT_TRUE(Choose(Introduction));
    EXPECT_LT(Lit(Settled(TitleLine, false)), 5) << "Introduction shows nothing until a topic is picked";
    Click(WelcomeTopic);
    EXPECT_TRUE(Becomes(TitleLine, welcome, true)) << "Welcome";
    Click(Bonus7Topic);
    EXPECT_TRUE(SettlesOtherThan(TitleLine, welcome)) << "the last Introduction topic";

    for (int song = 3; song >= 0; --song) EXPECT_TRUE(Choose(FirstSongButton + song)) << song;
    EXPECT_TRUE(Choose(MusicOffButton));

    // F2 gives the 512 x 512 window back, the layout between a bar above and
    // below and picked at its place there too; F1 fills the screen again.
    Key("F2");
    ASSERT_TRUE(WindowOfSize(512, 512));
    ExpectBarsAndEdges(512, 512);
    EXPECT_TRUE(Choose(MusicOnButton)) << "in the window";
    Key("F1");
    ASSERT_TRUE(WindowOfSize(1920, 1080));
    Click(ExitButton);
    ExpectCleanEnd("");
}

// The intro shows its large picture and hands over by itself; the option's cube maps show only in the magazine's
// backgrounds (the cube-map target, left enabled, once hid the intro's
// pictures behind dark red streaks). The plain backgrounds come from a run
// whose pack is cut short in its last and largest member, the intro stream:
// it reports the damage, and its magazine begins at once.
TEST_F(WholeProgram, IntroPlaysThroughAndCubeMapsShowOnlyInTheBackgrounds) {
    ASSERT_NO_FATAL_FAILURE(Start("cut-pack", 1024, 768, nullptr, "truncate -s -300000 data/Data.pak"));
    ASSERT_TRUE(WaitUntil([&] { return MagazineShows(); }, 60.0)) << ProgramOutput(run);
    Sleep(1.0);
    const std::vector<double> plain = CellsOf(Backdrop);
    Key("Escape");
    ExpectCleanEnd("Error!\nCan't create stream\nCan't play stream\n");
    StopRun(run);

    ASSERT_NO_FATAL_FAILURE(Start("cube-maps", 1024, 768, "-enablecubemap"));
    EXPECT_TRUE(LargePictureShows()) << "the intro's large picture";
    ASSERT_TRUE(WaitUntil([&] { return MagazineShows(); }, 90.0)) << "the intro did not hand over";
    Sleep(1.0);
    const std::vector<double> cubeMapped = CellsOf(Backdrop);
    double difference = 0;  // mean per cell and channel
    for (size_t i = 0; i < plain.size(); ++i) difference += std::abs(plain[i] - cubeMapped[i]);
    EXPECT_GT(difference / double(plain.size()), 1.5) << "no cube-mapped backgrounds";
    ASSERT_TRUE(OnDisplay(run, "wmctrl -c Tallyboard"));  // the manager's close button
    ExpectCleanEnd("Cubemap On");
}

// A pack under another password, missing, empty and foreign pictures and a
// damaged module, each class once and judged by the messages (the unit tests
// try the variants): the magazine begins all the same, at once without the
// intro stream, and Escape ends it cleanly.
TEST_F(WholeProgram, BadPackPicturesAndModuleAreReportedAndTheMagazineRuns) {
    ASSERT_NO_FATAL_FAILURE(Start(
        "bad-data", 1024, 768, nullptr,
        "mkdir m && \"$TBPACK\" extract --password lark.png data/Data.pak m >/dev/null && rm data/Data.pak && "
        "\"$TBPACK\" create --solid --password another.png data/Data.pak m/* >/dev/null && rm -r m && "
        "rm data/mousepointer.png && head -c 5000 /dev/urandom >data/Hintergrund_Gehirn.png && "
        "echo not a picture >data/top.png && head -c 30000 /dev/urandom >data/02-Zanthe.mo3"));
    ASSERT_TRUE(WaitUntil([&] { return MagazineShows(); }, 60.0)) << ProgramOutput(run);
    Key("Escape");
    ExpectCleanEnd("Error!\nCan't load file Loading screen\n" + Repeat("Error!\n", 7) +
                   "Can't load file2\nCan't load file44\nCan't load file\n" + Repeat("Can't load file\n", 5) +
                   "Can't create stream\nCan't open MOD file\nCan't play stream\n");
}

}  // namespace
