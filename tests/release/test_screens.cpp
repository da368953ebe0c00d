// The magazine on screens that are not 1024 x 768, under a real window
// manager (openbox): the 512 x 512 window shows the whole layout between
// bars, F1 fills the screen through the manager's full-screen state with the
// layout scaled and centred, every section and a topic of each are picked at
// their scaled places, F2 gives the window back, and both the exit button and
// the manager's close end the program cleanly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "app/canvas.h"
#include "menu/menu.h"
#include "tests/release/program_harness.h"

namespace {

enum : int { ExitButton = 86, GroupPhotoTopic = 85 };

// One topic per section with topics: for the Introduction the group photo's
// page, for the chart sections their first chart.
const int ShownTopic[6] = {GroupPhotoTopic, 15, 31, 46, 55, 74};

struct Screen {
    int width, height;
    bool closeFromManager;  // else the exit button
    const char* shot;       // kept under docs/screenshots when TB_SHOTS is set
};

// Where the layout lies on the screen: the window's place and the fit in it.
struct Shown {
    int originX, originY;
    CanvasPlace place;
    int X(double layoutX) const { return originX + place.x + int((layoutX + 0.5) * place.width / LayoutWidth); }
    int Y(double layoutY) const { return originY + place.y + int((layoutY + 0.5) * place.height / LayoutHeight); }
    int Size(double layoutPixels) const { return int(layoutPixels * place.width / LayoutWidth); }
};

const MenuButton& Button(int pick) {
    if (MenuButtons[ExitButton].halfWidth == 0.0f) SetMenuButtons();
    return MenuButtons[pick];
}

std::set<std::string> DataFiles(const ProgramRun& run) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(run.workDir + "/data"))
        names.insert(entry.path().filename().string());
    return names;
}

class Screens : public ::testing::TestWithParam<Screen> {
protected:
    ProgramRun run;
    pid_t manager = -1;
    Shown shown{};

    void TearDown() override {
        StopWindowManager(manager);
        StopRun(run);
    }

    void MoveTo(int x, int y) { Xdo(run, "mousemove " + std::to_string(x) + " " + std::to_string(y)); }

    void ClickButton(int pick) {
        MoveTo(shown.X(SceneToScreenX(Button(pick).x)), shown.Y(SceneToScreenY(Button(pick).y)));
        Xdo(run, "sleep 0.1 click 1 sleep 0.1");
    }

    // The focused window (the manager gives it to the program's) gets the key.
    void PressKey(const char* key) {
        Xdo(run, "search --onlyvisible --name Tallyboard windowactivate --sync");
        Xdo(run, std::string("key ") + key);
    }

    // Follows the window until it has the given size; then the layout's place in it.
    bool WaitForWindowSize(int width, int height) {
        int x = 0, y = 0, w = 0, h = 0;
        for (int tries = 0; tries < 50; ++tries) {
            if (ProgramWindowGeometry(run, &x, &y, &w, &h) && w == width && h == height) {
                shown = {x, y, FitLayout(w, h)};
                Sleep(1.0);  // a few frames at the new size
                return true;
            }
            Sleep(0.2);
        }
        ADD_FAILURE() << "window " << w << " x " << h << ", expected " << width << " x " << height;
        return false;
    }

    double LayoutBrightness(double x, double y, double width, double height) {
        return RegionBrightness(run, shown.X(x), shown.Y(y), shown.Size(width), shown.Size(height));
    }

    // The brightest lettering of a button; the chosen one is drawn at half strength.
    double ButtonPeak(int pick) {
        const MenuButton& button = Button(pick);
        const double half = button.halfWidth * 0.6 * (SceneToScreenX(1.0) - SceneToScreenX(0.0));
        return RegionPeak(run, shown.X(SceneToScreenX(button.x) - half), shown.Y(SceneToScreenY(button.y) - 3),
                          shown.Size(2 * half), shown.Size(6));
    }

    // Hovering a section button lights its plate: the magazine is up (twice
    // in a row, so that an intro flash can't pass for it).
    bool MagazineShown() {
        int bright = 0;
        for (int look = 0; look < 4 && bright < 2; ++look) {
            const MenuButton& amiga = Button(1);
            MoveTo(shown.X(SceneToScreenX(amiga.x)) + look % 2, shown.Y(SceneToScreenY(amiga.y)));
            Sleep(0.3);
            bright = LayoutBrightness(SceneToScreenX(amiga.x) - 16, SceneToScreenY(amiga.y) - 2, 32, 4) > 150
                         ? bright + 1 : 0;
        }
        return bright >= 2;
    }

    // Space skips the intro and is ignored while loading; in the magazine it quits.
    void SkipToMagazine() {
        for (int attempt = 0; attempt < 30 && !MagazineShown(); ++attempt) PressKey("space");
        ASSERT_TRUE(MagazineShown()) << "no magazine; output:\n" << ProgramOutput(run);
    }

    // Picks a section at its scaled place until its button shows it as chosen;
    // picks are refused while the last section's background still fades.
    bool ChooseSection(int pick) {
        MoveTo(shown.X(640), shown.Y(560));
        Sleep(0.3);
        const double before = ButtonPeak(pick);
        for (int attempt = 0; attempt < 20; ++attempt) {
            ClickButton(pick);
            MoveTo(shown.X(640), shown.Y(560));
            Sleep(0.5);
            if (ButtonPeak(pick) < before * 0.8) return true;
        }
        return false;
    }

    // A chart's rows, or the group photo over the page, appear where nothing
    // as bright was before.
    bool ChooseTopic(int section) {
        const bool chart = section > 0;
        // Mean brightness: a spark of the swarm can be as bright as a letter.
        auto look = [&] { return chart ? LayoutBrightness(340, 318, 260, 156) : LayoutBrightness(200, 330, 300, 180); };
        Sleep(1.0);  // the panel slides in
        const double before = look();
        for (int attempt = 0; attempt < 4; ++attempt) {
            ClickButton(ShownTopic[section]);
            MoveTo(shown.X(640), shown.Y(560));
            for (int wait = 0; wait < 8; ++wait) {  // the rows fade in one by one
                Sleep(0.5);
                const double after = look();
                if (after > before + (chart ? 3.0 : 10.0)) return true;
            }
        }
        return false;
    }

    void SaveShot(const char* name, int x, int y, int width, int height) {
        const char* directory = std::getenv("TB_SHOTS");
        if (!name || !directory) return;
        const std::string full = run.workDir + "/screen.png";
        SaveScreen(run, full);
        std::system(("convert '" + full + "' -crop " + std::to_string(width) + "x" + std::to_string(height) + "+" +
                     std::to_string(x) + "+" + std::to_string(y) + " +repage -define png:compression-level=9 '" +
                     directory + "/" + name + "'").c_str());
    }
};

TEST_P(Screens, LayoutFillsTheScreenPicksAtScaledPlacesAndEndsCleanly) {
    const Screen screen = GetParam();
    ASSERT_TRUE(StartDisplayOfSize(run, screen.width, screen.height)) << "no Xvfb";
    manager = StartWindowManager(run);
    ASSERT_GT(manager, 0) << "no openbox";
    ASSERT_TRUE(PrepareIssueCopy(run, screen.closeFromManager ? "screen-close" : "screen-exit"));
    const std::set<std::string> dataBefore = DataFiles(run);
    ASSERT_TRUE(StartProgram(run));
    ASSERT_TRUE(WaitForWindow(run, 30.0)) << ProgramErrors(run);
    ASSERT_TRUE(WaitForWindowSize(512, 512));

    PressKey("F1");
    ASSERT_TRUE(WaitForWindowSize(screen.width, screen.height));
    ASSERT_NO_FATAL_FAILURE(SkipToMagazine());
    // Bars black, the layout's own edges drawn, centred.
    const CanvasPlace& place = shown.place;
    EXPECT_EQ(place.width == screen.width, place.x == 0);
    const int barWidth = place.x, barHeight = place.y;
    if (barWidth > 0) {
        EXPECT_EQ(RegionPeak(run, 0, 0, barWidth, screen.height), 0);
        EXPECT_EQ(RegionPeak(run, place.x + place.width, 0, barWidth, screen.height), 0);
    } else {
        EXPECT_EQ(RegionPeak(run, 0, 0, screen.width, barHeight), 0);
        EXPECT_EQ(RegionPeak(run, 0, place.y + place.height, screen.width, barHeight), 0);
    }
    EXPECT_GT(RegionPeak(run, place.x, place.y, 2, place.height), 0);  // the layout's own edges
    EXPECT_GT(RegionPeak(run, place.x + place.width - 2, place.y, 2, place.height), 0);

    // The Introduction is shown at first: it comes last.
    for (int section : {1, 2, 3, 4, 5, 6, 7, 0}) {
        EXPECT_TRUE(ChooseSection(section)) << "section " << section;
        if (section < 6) {
            EXPECT_TRUE(ChooseTopic(section)) << "topic of section " << section;
        }
    }
    SaveShot(screen.shot, 0, 0, screen.width, screen.height);

    // The window again, with the whole layout between a bar above and below.
    PressKey("F2");
    ASSERT_TRUE(WaitForWindowSize(512, 512));
    EXPECT_EQ(shown.place.height, 384);
    EXPECT_EQ(RegionPeak(run, shown.originX, shown.originY, 512, 64), 0);
    EXPECT_EQ(RegionPeak(run, shown.originX, shown.originY + 448, 512, 64), 0);
    EXPECT_GT(RegionPeak(run, shown.X(0), shown.Y(0), 2, 384), 0);
    EXPECT_GT(RegionPeak(run, shown.X(1023) - 1, shown.Y(0), 2, 384), 0);
    if (screen.shot) SaveShot("window-512.png", shown.originX, shown.originY, 512, 512);

    if (screen.closeFromManager) {
        EXPECT_TRUE(CloseFromWindowManager(run));
    } else {
        ClickButton(ExitButton);
    }
    EXPECT_EQ(WaitForExit(run, 30.0), 0) << ProgramErrors(run);
    EXPECT_EQ(DataFiles(run), dataBefore);
}

INSTANTIATE_TEST_SUITE_P(WindowManager, Screens,
                         ::testing::Values(Screen{1920, 1080, false, "fullscreen-1920x1080.png"},
                                           Screen{1280, 1024, true, nullptr}),
                         [](const ::testing::TestParamInfo<Screen>& screen) {
                             return std::to_string(screen.param.width) + "x" + std::to_string(screen.param.height);
                         });

}  // namespace
