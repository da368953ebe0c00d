// The generators' and tbpack's command lines: a wrong one gets its usage or
// a one-line reason and exit status 2, an impossible job status 1, and no
// picture, sound or table is written.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "issue_files.h"

namespace {

struct ToolRun {
    int status;
    std::string printed;
};

ToolRun RunTool(const std::string& tool, const std::string& arguments) {
    FILE* pipe = popen((std::string(TB_ISSUE_BINARY_DIR) + "/tools/" + tool + arguments + " 2>&1").c_str(), "r");
    ToolRun run{-1, ""};
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.printed += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(ToolCommandLines, WrongOnesAreRefusedWithTheirReason) {
    char pattern[] = "/tmp/tb-tools-test-XXXXXX";
    const std::string scratch = mkdtemp(pattern) ? pattern : "/nonexistent";
    const std::string texts = TB_ISSUE_SOURCE_DIR "/content/text";
    const std::string pack = IssueDataDir() + "/Data.pak";
    const struct {
        const char* tool;
        std::string arguments;
        int status;
        const char* says;
    } runs[] = {
        {"artgen/artgen", "", 2, "usage: artgen <directory> <text directory>"},
        {"artgen/artgen", " " + scratch, 2, "usage: artgen"},
        {"artgen/artgen", " " + scratch + " /nonexistent-tb-dir", 1, ""},
        {"artgen/artgen", " /nonexistent-tb-dir " + texts, 1, ""},
        {"soundgen/soundgen", "", 2, "usage: soundgen OUTDIR"},
        {"soundgen/soundgen", " /nonexistent-tb-dir", 1, "can't make /nonexistent-tb-dir/"},
        {"contentgen/tbcontentgen", " " + texts, 2, "usage: tbcontentgen TEXT_DIR OUTPUT_CPP"},
        {"contentgen/tbcontentgen", " /nonexistent-tb-dir " + scratch + "/table.cpp " + scratch + "/table.h", 1, "cannot list the directory"},
        {"contentgen/tbproof", " --bogus", 2, "usage: tbproof"},
        {"contentgen/tbproof", " 9 0 0", 1, "no such page"},
        {"contentgen/tbproof", " --count", 0, "2144 table lines"},
        {"tbpack/tbpack", " frob", 2, "tbpack: unknown command"},
        {"tbpack/tbpack", " list", 2, "list needs exactly one archive"},
        {"tbpack/tbpack", " create " + scratch + "/a.pak", 2, "create needs an archive and at least one file"},
        {"tbpack/tbpack", " create --method zip " + scratch + "/a.pak " + pack, 2, "unknown method"},
        {"tbpack/tbpack", " create --channels 9 " + scratch + "/a.pak " + pack, 2, "channels must be 1 to 4"},
        {"tbpack/tbpack", " test", 2, "wrong number of arguments"},
        {"tbpack/tbpack", " list /nonexistent-tb.pak", 1, "is no archive or has no members"},
        {"tbpack/tbpack", " list " + pack, 0, "TB15Intro.mp3"},
    };
    for (const auto& run : runs) {
        const ToolRun result = RunTool(run.tool, run.arguments);
        EXPECT_EQ(result.status, run.status) << run.tool << run.arguments << "\n" << result.printed;
        EXPECT_NE(result.printed.find(run.says), std::string::npos) << run.tool << run.arguments;
        EXPECT_FALSE(result.printed.empty()) << run.tool << run.arguments << " fails silently";
    }
    for (const char* left : {"loading.png", "table.cpp", "a.pak"})
        EXPECT_FALSE(FileExists(scratch + "/" + left)) << left;
    rmdir(scratch.c_str());
}

}  // namespace
