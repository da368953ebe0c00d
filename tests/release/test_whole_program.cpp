// The whole program as a reader meets it, each run in an X server of its own
// and a private copy of the generated issue: the intro played through, a tour
// of everything that can be clicked or pressed judged by the pixels on screen,
// the cube-map option, and start-ups from damaged or incomplete data.
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

#include "menu/menu.h"
#include "tests/release/program_harness.h"

namespace {

struct Area {
    int x, y, width, height;
};

// In the 1024 x 768 layout (after F1).
constexpr Area Screen = {0, 0, 1024, 768};
constexpr Area TitleLine = {400, 676, 250, 22};  // between the arrows' labels
constexpr Area ChartRows = {340, 318, 260, 156};
constexpr Area PageBody = {100, 230, 400, 320};
constexpr Area Backdrop = {64, 192, 704, 448};  // the page, clear of trace, panels and logos
constexpr int RestX = 512, RestY = 460;  // over no button
constexpr int TextLevel = 200;  // white text: the backgrounds and bars stay below
constexpr int SameTitle = 4;    // a spark of the swarm may cross the title line

std::vector<unsigned> Pixels(const ProgramRun& run, Area area) {
    return ScreenPixels(run, area.x, area.y, area.width, area.height);
}

std::vector<bool> TextMask(const ProgramRun& run, Area area) {
    std::vector<bool> mask;
    for (unsigned pixel : Pixels(run, area))
        mask.push_back(std::min({pixel >> 16, (pixel >> 8) & 0xff, pixel & 0xff}) > TextLevel);
    return mask;
}

int Lit(const std::vector<bool>& mask) { return int(std::count(mask.begin(), mask.end(), true)); }

int Differing(const std::vector<bool>& a, const std::vector<bool>& b) {
    int count = int(std::max(a.size(), b.size()) - std::min(a.size(), b.size()));
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) count += a[i] != b[i];
    return count;
}

// Mean red, green and blue of each 64 x 64 cell (the area's sides are
// multiples of 64): a picture's layout, blind to single sparks.
std::vector<double> CellMeans(const std::vector<unsigned>& pixels, int width) {
    constexpr size_t Cell = 64;
    const size_t across = size_t(width) / Cell;
    std::vector<double> means(pixels.size() / (Cell * Cell) * 3, 0.0);
    for (size_t i = 0; i < pixels.size(); ++i)
        for (size_t channel = 0; channel < 3; ++channel)
            means[(i / size_t(width) / Cell * across + i % size_t(width) / Cell) * 3 + channel] +=
                double((pixels[i] >> (16 - 8 * channel)) & 0xff);
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
    for (double waited = 0; waited < seconds; waited += 0.5) {
        if (condition()) return true;
        Sleep(0.5);
    }
    return condition();
}

std::string PackTool() { return std::string(std::getenv("TB_BINARY_DIR")) + "/tools/tbpack/tbpack"; }

// The intro's large picture as the screen shows it once it has opened: the
// pack's member stretched over the whole screen.
std::vector<double> LargeIntroPicture(const ProgramRun& run) {
    std::string folder = run.workDir + "/picture";
    std::string command = "mkdir -p '" + folder + "' && '" + PackTool() + "' extract --password lark.png '" +
                          run.workDir + "/data/Data.pak' '" + folder + "' >/dev/null && convert '" + folder +
                          "/kvx-tb-intropic-final2.png' -resize 1024x768! -depth 8 rgb:-";
    std::vector<unsigned> pixels;
    FILE* pipe = popen(command.c_str(), "r");
    for (int red, green, blue; pipe && (red = fgetc(pipe)) != EOF && (green = fgetc(pipe)) != EOF &&
                               (blue = fgetc(pipe)) != EOF;)
        pixels.push_back(unsigned(red << 16 | green << 8 | blue));
    if (pipe) pclose(pipe);
    return CellMeans(pixels, Screen.width);
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) repeated += text;
    return repeated;
}

const MenuButton& Button(int pick) {
    if (MenuButtons[ExitButton].halfWidth == 0.0f) SetMenuButtons();
    return MenuButtons[pick];
}

class WholeProgram : public ::testing::Test {
protected:
    ProgramRun run;
    std::set<std::string> dataBefore;
    std::vector<double> introPicture;  // as the screen shows it once opened

    void TearDown() override { StopRun(run); }

    std::set<std::string> DataFiles() const {
        std::set<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(run.workDir + "/data", error))
            names.insert(entry.path().filename().string());
        return names;
    }

    // A fresh display and issue copy, damaged by a shell command run in the
    // working directory, then the program with F1's 1024 x 768 layout.
    void Start(const char* name, const char* argument = nullptr, const std::string& damage = "true") {
        ASSERT_TRUE(StartDisplay(run)) << "no Xvfb";
        ASSERT_TRUE(PrepareIssueCopy(run, name)) << "no generated issue";
        introPicture = LargeIntroPicture(run);
        ASSERT_TRUE(Shell("cd '" + run.workDir + "' && TBPACK='" + PackTool() + "' && " + damage));
        dataBefore = DataFiles();
        ASSERT_TRUE(StartProgram(run, argument));
        ASSERT_TRUE(WaitForWindow(run, 30.0)) << ProgramErrors(run);
        Sleep(0.5);
        Key("F1");
    }

    // Keys reach the window under the pointer (there is no window manager).
    void Key(const std::string& keys) {
        Xdo(run, "mousemove 200 200");
        Xdo(run, "key --delay 60 " + keys);
        Xdo(run, "mousemove " + std::to_string(RestX) + " " + std::to_string(RestY));
    }

    // Buttons are found by pick name in the menu's own table, so the tour
    // follows the button bar wherever it lies. A move first: the click picks
    // where the pointer was last seen moving.
    void Click(int pick) {
        Xdo(run, "mousemove " + std::to_string(SceneToScreenX(Button(pick).x)) + " " +
                     std::to_string(SceneToScreenY(Button(pick).y)) + " sleep 0.2 click 1 sleep 0.1");
        Xdo(run, "mousemove " + std::to_string(RestX) + " " + std::to_string(RestY));
    }

    // The magazine's title line is lit. The intro's title cards and lettering
    // light it too, and the page, but not without the intro's large picture.
    bool Titled() {
        return Lit(TextMask(run, TitleLine)) > 20 && Likeness(CellMeans(Pixels(run, Screen), 1024), introPicture) < 0.5;
    }
    bool MagazineShows() { return Titled() && Lit(TextMask(run, PageBody)) > 200; }

    // Space skips the intro; during the loading picture it is ignored, so it
    // is pressed until the magazine's title line is up. Once more would quit,
    // so each press is given time for the magazine's first frames, which come
    // slowly on a busy machine.
    void SkipToMagazine() {
        for (int attempt = 0; attempt < 12 && !Titled(); ++attempt) {
            Key("space");
            WaitUntil([&] { return Titled(); }, 15.0);
        }
        if (!WaitUntil([&] { return MagazineShows(); }, 10.0)) SaveScreen(run, run.workDir + "/no-magazine.png");
        ASSERT_TRUE(MagazineShows()) << "no Welcome page; output:\n" << ProgramOutput(run);
    }

    // The title line once it has stopped changing (fades take under a second).
    std::vector<bool> SettledTitle() {
        std::vector<bool> previous = TextMask(run, TitleLine);
        for (int round = 0; round < 20; ++round) {
            Sleep(0.4);
            std::vector<bool> now = TextMask(run, TitleLine);
            if (Differing(now, previous) == 0) return now;
            previous = now;
        }
        return previous;
    }

    bool TitleChangesFrom(const std::vector<bool>& before) {
        return WaitUntil([&] { return Differing(TextMask(run, TitleLine), before) > SameTitle; }, 5.0);
    }
    bool TitleBecomes(const std::vector<bool>& page) {
        return WaitUntil([&] { return Differing(TextMask(run, TitleLine), page) <= SameTitle; }, 5.0);
    }

    // The brightest lettering of a button; the chosen button's is drawn at
    // half strength.
    double Lettering(int pick) {
        int half = int(Button(pick).halfWidth * 0.6 * (SceneToScreenX(1.0) - SceneToScreenX(0.0)));
        return RegionPeak(run, SceneToScreenX(Button(pick).x) - half, SceneToScreenY(Button(pick).y) - 3, 2 * half, 6);
    }

    // Clicks a section, song or music button until it shows as the chosen
    // one: a section pick is refused while the last one's cross-fade runs.
    bool Choose(int pick) {
        double before = Lettering(pick);
        for (int attempt = 0; attempt < 20; ++attempt) {
            Click(pick);
            if (WaitUntil([&] { return Lettering(pick) < before * 0.8; }, 1.5)) return true;
        }
        return false;
    }

    // Quits with Escape: a clean end, the expected messages, data/ as it was.
    void QuitAndCheck(const std::string& expectedOutput, bool withExitButton = false) {
        if (withExitButton) Click(ExitButton);
        else Key("Escape");
        EXPECT_EQ(WaitForExit(run, 30.0), 0) << ProgramErrors(run);
        EXPECT_EQ(ProgramOutput(run), expectedOutput);
        std::string errors = ProgramErrors(run);
        EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
        EXPECT_EQ(DataFiles(), dataBefore) << "unpacked files left behind";
    }
};

TEST_F(WholeProgram, IntroPlaysThroughThenEveryControlWorksAndTheExitButtonLeavesNothing) {
    ASSERT_NO_FATAL_FAILURE(Start("tour"));
    ASSERT_TRUE(WaitUntil([&] { return MagazineShows(); }, 120.0)) << "the intro did not hand over";
    std::vector<bool> welcome = SettledTitle();

    // A chart section shows no chart until a topic is picked; then every
    // topic is clicked and the last one shows a chart of its own.
    const int firstTopic[6] = {78, 15, 31, 46, 55, 74}, lastTopic[6] = {85, 30, 45, 54, 73, 77};
    for (int section = 1; section <= 5; ++section) {
        SCOPED_TRACE("chart section " + std::to_string(section));
        ASSERT_TRUE(Choose(section));
        EXPECT_TRUE(WaitUntil([&] { return Lit(TextMask(run, TitleLine)) < 5; }, 3)) << "a title before any topic";
        Click(firstTopic[section]);
        EXPECT_TRUE(WaitUntil([&] { return Lit(TextMask(run, ChartRows)) > 300; }, 10)) << "no chart rows";
        std::vector<bool> first = SettledTitle();
        for (int pick = firstTopic[section] + 1; pick <= lastTopic[section]; ++pick) Click(pick);
        EXPECT_GT(Differing(SettledTitle(), first), 30) << "the last topic's title";
    }

    // Messages: the arrows and the keys leaf through it.
    ASSERT_TRUE(Choose(6));
    std::vector<bool> page1 = SettledTitle();
    EXPECT_GT(Lit(page1), 20) << "Messages page 1 has no title";
    Click(PageForwardButton);
    ASSERT_TRUE(TitleChangesFrom(page1)) << "next-page arrow";
    std::vector<bool> page2 = SettledTitle();
    Key("Right");
    ASSERT_TRUE(TitleChangesFrom(page2)) << "Right key";
    Key("Left");
    EXPECT_TRUE(TitleBecomes(page2)) << "Left key";
    Click(PageBackButton);
    EXPECT_TRUE(TitleBecomes(page1)) << "previous-page arrow";

    ASSERT_TRUE(Choose(7));
    EXPECT_GT(Differing(SettledTitle(), page1), 30) << "Credits";
    ASSERT_TRUE(Choose(0));
    EXPECT_LT(Lit(SettledTitle()), 5) << "Introduction shows nothing until a topic is picked";
    for (int pick = FirstIntroTopicButton; pick <= LastTopicButton; ++pick) {
        Click(pick);
        Click(PageForwardButton);
        Click(PageBackButton);
    }
    EXPECT_GT(Differing(SettledTitle(), welcome), 30) << "the last Introduction topic";

    for (int song = 3; song >= 0; --song) EXPECT_TRUE(Choose(FirstSongButton + song)) << song;
    EXPECT_TRUE(Choose(MusicOffButton));
    EXPECT_TRUE(Choose(MusicOnButton));

    // F2 shrinks to the 512 x 512 window (the rest of the screen is the black
    // root window), F1 brings the full layout back.
    Key("F2");
    EXPECT_TRUE(WaitUntil([&] { return RegionBrightness(run, 600, 100, 400, 600) < 2.0; }, 5.0)) << "F2";
    Key("F1");
    EXPECT_TRUE(WaitUntil([&] { return RegionBrightness(run, 600, 100, 400, 600) > 2.0; }, 5.0)) << "F1";
    QuitAndCheck("", true);
}

// The option's cube maps show only in the magazine's backgrounds: the intro
// looks as it does without it (the cube-map target, left enabled, once hid
// its pictures behind dark red streaks).
TEST_F(WholeProgram, CubeMapsShowInTheBackgroundsAndLeaveTheIntroAlone) {
    std::vector<double> intro[2], backdrop[2];
    for (int cubeMaps = 0; cubeMaps < 2; ++cubeMaps) {
        SCOPED_TRACE(cubeMaps ? "cube maps" : "plain");
        ASSERT_NO_FATAL_FAILURE(Start(cubeMaps ? "cube-maps" : "plain", cubeMaps ? "-enablecubemap" : nullptr));
        // The plain run waits for the large picture, full screen once it opened.
        const std::vector<double> target = cubeMaps ? intro[0] : introPicture;
        auto shown = [&] { return Likeness(intro[cubeMaps] = CellMeans(Pixels(run, Screen), 1024), target) > 0.9; };
        EXPECT_TRUE(WaitUntil(shown, 60.0)) << Likeness(intro[cubeMaps], target);
        SaveScreen(run, run.workDir + "/intro.png");
        ASSERT_NO_FATAL_FAILURE(SkipToMagazine());
        Sleep(1.0);
        backdrop[cubeMaps] = CellMeans(Pixels(run, Backdrop), Backdrop.width);
        SaveScreen(run, run.workDir + "/magazine.png");
        QuitAndCheck(cubeMaps ? "Cubemap On" : "");
        StopRun(run);
    }
    double difference = 0;  // mean per pixel and channel
    for (size_t i = 0; i < backdrop[0].size(); ++i) difference += std::abs(backdrop[0][i] - backdrop[1][i]);
    EXPECT_GT(difference / double(backdrop[0].size() * 64 * 64), 1.5) << "no cube-mapped backgrounds";
}

// Damaged or incomplete data: each class once, judged by the messages (the
// unit tests try the variants); a clean start, magazine and end all the same.
struct Damage {
    const char* name;
    std::string command;  // run in the working directory
    std::string expectedOutput;
    bool unprivileged;
};

std::string Repack(const std::string& password, const std::string& change) {
    return "mkdir m && \"$TBPACK\" extract --password lark.png data/Data.pak m >/dev/null && (cd m && " + change +
           ") && rm data/Data.pak && \"$TBPACK\" create --solid --password " + password +
           " data/Data.pak m/* >/dev/null && rm -rf m";
}

const std::string PackedPicturesMissing = Repeat("Can't load file\n", 5);  // slots 69 to 73
const std::string NoIntroStream = "Can't create stream\nCan't play stream\n";
const std::string CannotWrite = "  o Error creating binary output file!\n\n";

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedData : public WholeProgram, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedData, ReportsAndReachesTheMagazineAndLeavesDataAsItWas) {
    const Damage& damage = GetParam();
    run.unprivileged = damage.unprivileged;
    ASSERT_NO_FATAL_FAILURE(Start(damage.name, nullptr, damage.command));
    ASSERT_NO_FATAL_FAILURE(SkipToMagazine());
    QuitAndCheck(damage.expectedOutput);
}

INSTANTIATE_TEST_SUITE_P(
    WholeProgram, DamagedData,
    ::testing::Values(
        Damage{"MissingPack", "rm data/Data.pak",
               "Can't load file Loading screen\n" + PackedPicturesMissing + NoIntroStream, false},
        // The intro stream is the last and largest member: the cut lies in it.
        Damage{"TruncatedPack", "truncate -s -300000 data/Data.pak", "Error!\n" + NoIntroStream, false},
        Damage{"WrongPassword", Repack("another.png", "true"),
               "Error!\nCan't load file Loading screen\n" + Repeat("Error!\n", 7) + PackedPicturesMissing +
                   NoIntroStream,
               false},
        Damage{"BadPicturesModuleAndIntroStream",
               "rm data/mousepointer.png && head -c 5000 /dev/urandom >data/Hintergrund_Gehirn.png && "
               "echo not a picture >data/top.png && head -c 30000 /dev/urandom >data/02-Zanthe.mo3 && " +
                   Repack("lark.png", "head -c 200000 /dev/urandom >TB15Intro.mp3"),
               "Can't load file2\nCan't load file44\nCan't load file\nCan't create stream\nCan't open MOD file\n"
               "Can't play stream\n",
               false},
        Damage{"ReadOnlyDataDirectory", "chmod 555 data",
               CannotWrite + "Can't load file Loading screen\n" + Repeat(CannotWrite, 7) + PackedPicturesMissing +
                   NoIntroStream,
               true}),
    [](const ::testing::TestParamInfo<Damage>& tried) { return std::string(tried.param.name); });

}  // namespace

