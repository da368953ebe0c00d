// The whole program as a user meets it: the intro played through to the
// magazine, a tour of everything that can be clicked or pressed, and start-ups
// from damaged or incomplete data. Each run has its own X server and its own
// copy of the generated issue.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdlib>
#include <set>
#include <string>

#include "menu/menu.h"
#include "tests/release/program_harness.h"

namespace {

// Buttons are named by pick name; their places come from the menu's own
// table, so the tour follows the button bar wherever it lies.
const MenuButton& Button(int pick) {
    if (MenuButtons[86].halfWidth == 0.0f) SetMenuButtons();
    return MenuButtons[pick];
}

enum : int { SongOne = 8, MusicOn = 13, MusicOff = 14, ExitButton = 86, PageBack = 87, PageForward = 88 };

// Somewhere on the page text, clear of every button.
const int NeutralX = 640, NeutralY = 560;

std::string PackTool() { return std::string(std::getenv("TB_BINARY_DIR")) + "/tools/tbpack/tbpack"; }

void MoveTo(const ProgramRun& run, int x, int y) {
    Xdo(run, "mousemove " + std::to_string(x) + " " + std::to_string(y));
}

void ClickAt(const ProgramRun& run, int pick) {
    Xdo(run, "mousemove " + std::to_string(SceneToScreenX(Button(pick).x)) + " " +
                 std::to_string(SceneToScreenY(Button(pick).y)) + " sleep 0.1 click 1 sleep 0.1");
}

// Keys go to the window under the pointer (no window manager).
void PressKey(const ProgramRun& run, const char* key) {
    MoveTo(run, 200, 200);
    Xdo(run, std::string("key ") + key);
    Sleep(0.2);
}

// The brightest lettering of a button; the pictures behind stay far darker.
double ButtonPeak(const ProgramRun& run, int pick) {
    const MenuButton& button = Button(pick);
    int halfPixels = int(button.halfWidth * 0.6 * (SceneToScreenX(1.0) - SceneToScreenX(0.0)));
    return RegionPeak(run, SceneToScreenX(button.x) - halfPixels, SceneToScreenY(button.y) - 3, 2 * halfPixels, 6);
}

// Clicks a status button (section, song, music) until it shows as the chosen
// one: the chosen button's lettering is drawn at half strength. Section picks are refused
// while the background cross-fade of the last pick runs, so this retries.
bool ChooseStatusButton(const ProgramRun& run, int pick) {
    MoveTo(run, NeutralX, NeutralY);
    Sleep(0.2);
    double before = ButtonPeak(run, pick);
    for (int attempt = 0; attempt < 30; ++attempt) {
        ClickAt(run, pick);
        MoveTo(run, NeutralX, NeutralY);
        Sleep(0.4);
        if (ButtonPeak(run, pick) < before * 0.8) return true;
        Sleep(0.6);
    }
    return false;
}

// The magazine is on screen once a hovered section button shows its white
// plate; twice in a row, so that a full-screen intro flash can't pass for it.
bool WaitForMagazine(const ProgramRun& run, double seconds) {
    const MenuButton& amiga = Button(1);
    int bright = 0;
    for (double waited = 0; waited < seconds && bright < 2; waited += 0.5) {
        MoveTo(run, SceneToScreenX(amiga.x) + (bright % 2), SceneToScreenY(amiga.y));
        int halfPixels = int(4.0 * (SceneToScreenX(1.0) - SceneToScreenX(0.0)));
        double plate = RegionBrightness(run, SceneToScreenX(amiga.x) - halfPixels, SceneToScreenY(amiga.y) - 2,
                                        2 * halfPixels, 4);
        bright = plate > 150 ? bright + 1 : 0;
        Sleep(0.5);
    }
    return bright >= 2;
}

std::set<std::string> DataFiles(const ProgramRun& run) {
    std::set<std::string> names;
    DIR* dir = opendir((run.workDir + "/data").c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') names.insert(entry->d_name);
    closedir(dir);
    return names;
}

std::string Repeat(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Replaces the pack with one made from the shipped members, after letting a
// command change them in the folder "members" of the working directory.
bool Repack(const ProgramRun& run, const std::string& password, const std::string& change) {
    std::string members = run.workDir + "/members";
    std::string pack = run.workDir + "/data/Data.pak";
    return Shell("mkdir -p '" + members + "' && '" + PackTool() + "' extract --password lark.png '" + pack +
                 "' '" + members + "' >/dev/null") &&
           Shell("cd '" + members + "' && " + change) &&
           Shell("cd '" + members + "' && rm -f '" + pack + "' && '" + PackTool() + "' create --solid --password '" +
                 password + "' '" + pack + "' * >/dev/null && rm -rf '" + members + "'");
}

class WholeProgram : public ::testing::Test {
protected:
    ProgramRun run;

    void SetUp() override { ASSERT_TRUE(StartDisplay(run)) << "no Xvfb"; }
    void TearDown() override { StopRun(run); }

    void Prepare(const char* name) { ASSERT_TRUE(PrepareIssueCopy(run, name)) << "no generated issue"; }

    // Starts the program, skips the intro and checks the magazine comes up.
    void StartAndSkipToMagazine() {
        std::set<std::string> before = DataFiles(run);
        ASSERT_TRUE(StartProgram(run));
        ASSERT_TRUE(WaitForWindow(run, 30.0)) << ProgramErrors(run);
        PressKey(run, "F1");
        Sleep(4.0);  // loading picture, unpacking and loading
        for (int attempt = 0; attempt < 5 && !WaitForMagazine(run, 2.0); ++attempt) PressKey(run, "space");
        bool magazine = WaitForMagazine(run, 20.0);
        if (!magazine) SaveScreen(run, run.workDir + "/no-magazine.png");
        ASSERT_TRUE(magazine) << "no magazine; output:\n" << ProgramOutput(run);
        dataBefore = before;
    }

    // Quits with Escape and checks a clean end that left data/ as it was.
    void QuitAndCheck(const std::string& expectedOutput) {
        PressKey(run, "Escape");
        EXPECT_EQ(WaitForExit(run, 30.0), 0) << ProgramErrors(run);
        EXPECT_EQ(ProgramOutput(run), expectedOutput);
        ExpectNoSanitizerReport();
        EXPECT_EQ(DataFiles(run), dataBefore);
    }

    void ExpectNoSanitizerReport() {
        std::string errors = ProgramErrors(run);
        EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
    }

    std::set<std::string> dataBefore;
};

const std::string PackedPicturesMissing = Repeat("Can't load file\n", 5);  // slots 69 to 73
const std::string NoIntroStream = "Can't create stream\nCan't play stream\n";

TEST_F(WholeProgram, IntroPlaysThroughThenEveryControlWorksAndExitLeavesNothing) {
    Prepare("tour");
    std::set<std::string> before = DataFiles(run);
    ASSERT_TRUE(StartProgram(run));
    ASSERT_TRUE(WaitForWindow(run, 30.0)) << ProgramErrors(run);
    PressKey(run, "F1");
    Sleep(55.0);  // most of the 61-second intro, not skipped
    ASSERT_TRUE(WaitForMagazine(run, 60.0)) << "the intro did not hand over to the magazine";

    // The magazine opens on the Introduction: its topics and their pages
    // first, then every chart section with every topic, each section once, so
    // that the tour waits for as few background cross-fades as possible.
    for (int pick = 78; pick <= 85; ++pick) {
        ClickAt(run, pick);
        for (int page = 0; page < 3; ++page) ClickAt(run, PageForward);
        ClickAt(run, PageBack);
    }
    const int firstTopic[6] = {78, 15, 31, 46, 55, 74}, lastTopic[6] = {85, 30, 45, 54, 73, 77};
    for (int section = 1; section <= 5; ++section) {
        ASSERT_TRUE(ChooseStatusButton(run, section)) << section;
        for (int pick = firstTopic[section]; pick <= lastTopic[section]; ++pick) ClickAt(run, pick);
    }

    // Messages: arrows and keys, past both ends.
    ASSERT_TRUE(ChooseStatusButton(run, 6));
    MoveTo(run, 200, 200);
    Xdo(run, "key --delay 60 " + Repeat("Right ", 22) + Repeat("Left ", 3));
    ClickAt(run, PageBack);
    ClickAt(run, PageForward);
    EXPECT_TRUE(ChooseStatusButton(run, 7));

    for (int song = 3; song >= 0; --song) EXPECT_TRUE(ChooseStatusButton(run, SongOne + song)) << song;
    EXPECT_TRUE(ChooseStatusButton(run, MusicOff));
    EXPECT_TRUE(ChooseStatusButton(run, MusicOn));

    // F2 shrinks to the 512 x 512 window (the rest of the screen is the black
    // root window), F1 brings the full layout back.
    PressKey(run, "F2");
    Sleep(1.5);
    EXPECT_LT(RegionBrightness(run, 600, 100, 400, 600), 2.0);
    PressKey(run, "F1");
    Sleep(1.5);
    EXPECT_GT(RegionBrightness(run, 600, 100, 400, 600), 2.0);

    ClickAt(run, ExitButton);
    EXPECT_EQ(WaitForExit(run, 30.0), 0) << ProgramErrors(run);
    EXPECT_EQ(ProgramOutput(run), "");
    ExpectNoSanitizerReport();
    EXPECT_EQ(DataFiles(run), before);
}

TEST_F(WholeProgram, MissingPackLeavesThePackedPicturesAndTheIntroStreamOut) {
    Prepare("missing-pack");
    ASSERT_TRUE(Shell("rm '" + run.workDir + "/data/Data.pak'"));
    StartAndSkipToMagazine();
    QuitAndCheck("Can't load file Loading screen\n" + PackedPicturesMissing + NoIntroStream);
}

TEST_F(WholeProgram, TruncatedPackLosesOnlyTheMembersBehindTheCut) {
    Prepare("truncated-pack");
    std::string pack = run.workDir + "/data/Data.pak";
    // The intro stream is the last and largest member: cut into it.
    ASSERT_TRUE(Shell("truncate -s $(( $(stat -c %s '" + pack + "') - 300000 )) '" + pack + "'"));
    StartAndSkipToMagazine();
    QuitAndCheck("Error!\n" + NoIntroStream);
}

TEST_F(WholeProgram, PackUnderAnotherPasswordUnpacksNothing) {
    Prepare("wrong-password");
    ASSERT_TRUE(Repack(run, "another.png", "true"));
    StartAndSkipToMagazine();
    QuitAndCheck("Error!\nCan't load file Loading screen\n" + Repeat("Error!\n", 7) + PackedPicturesMissing +
                 NoIntroStream);
}

TEST_F(WholeProgram, MissingPictureIsNamedBySlot) {
    Prepare("missing-picture");
    ASSERT_TRUE(Shell("rm '" + run.workDir + "/data/mousepointer.png'"));
    StartAndSkipToMagazine();
    QuitAndCheck("Can't load file44\n");
}

TEST_F(WholeProgram, FilesThatAreNotPngAreRefused) {
    Prepare("not-png");
    ASSERT_TRUE(Shell("head -c 5000 /dev/urandom > '" + run.workDir + "/data/Hintergrund_Gehirn.png'"));
    ASSERT_TRUE(Shell("printf 'not a picture' > '" + run.workDir + "/data/top.png'"));
    StartAndSkipToMagazine();
    QuitAndCheck("Can't load file2\nCan't load file\n");
}

TEST_F(WholeProgram, MissingIntroStreamStillReachesTheMagazine) {
    Prepare("missing-mp3");
    ASSERT_TRUE(Repack(run, "lark.png", "rm TB15Intro.mp3"));
    StartAndSkipToMagazine();
    QuitAndCheck(NoIntroStream);
}

TEST_F(WholeProgram, CorruptIntroStreamIsRefused) {
    Prepare("corrupt-mp3");
    ASSERT_TRUE(Repack(run, "lark.png", "head -c 200000 /dev/urandom > TB15Intro.mp3"));
    StartAndSkipToMagazine();
    QuitAndCheck(NoIntroStream);
}

TEST_F(WholeProgram, CorruptModuleLeavesItsSlotSilent) {
    Prepare("corrupt-module");
    ASSERT_TRUE(Shell("head -c 30000 /dev/urandom > '" + run.workDir + "/data/02-Zanthe.mo3'"));
    StartAndSkipToMagazine();
    QuitAndCheck("Can't open MOD file\n");
}

TEST_F(WholeProgram, ReadOnlyDataDirectoryUnpacksNothingAndWritesNothing) {
    Prepare("read-only");
    ASSERT_TRUE(Shell("chmod 555 '" + run.workDir + "/data'"));
    run.unprivileged = true;
    StartAndSkipToMagazine();
    const std::string cannotWrite = "  o Error creating binary output file!\n\n";
    QuitAndCheck(cannotWrite + "Can't load file Loading screen\n" + Repeat(cannotWrite, 7) + PackedPicturesMissing +
                 NoIntroStream);
    Shell("chmod 755 '" + run.workDir + "/data'");
}

}  // namespace
