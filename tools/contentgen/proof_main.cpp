// tbproof: print pages of the issue as the magazine lays them out.
//
//   tbproof [--text DIR] SECTION TOPIC PAGE   one page (TOPIC 0 for sections 6 and 7)
//   tbproof [--text DIR] --all                every page, in reading order
//   tbproof [--text DIR] --count              lines and words of the issue
//
// Sections: 0 Introduction (topics 78..85), 1 Amiga (15..30), 2 PC (31..45),
// 3 C64 (46..54), 4 Warez (55..73), 5 Fun (74..77), 6 Messages, 7 Credits.
// The text is read straight from the sources, so a proof needs no build; the
// generator's checks run too and their faults go to standard error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "content/content.h"
#include "tools/contentgen/content_source.h"
#include "tools/contentgen/page_proof.h"

namespace {

bool PrintPage(const ContentText& text, int section, int topic, int page) {
    std::string out;
    std::string problem;
    if (!ProofPage(text, section, topic, page, out, problem)) {
        std::fprintf(stderr, "tbproof: %s\n", problem.c_str());
        return false;
    }
    std::fputs(out.c_str(), stdout);
    return true;
}

void PrintAllPages(const ContentText& text) {
    for (int section = Introduction; section <= Credits; ++section) {
        // Messages and Credits have no topics: their pages are proofed as topic 0.
        const TopicRange topics = section <= FunCharts ? TopicRanges[section] : TopicRange{0, 0};
        for (int topic = topics.first; topic <= topics.last; ++topic) {
            for (int page = 1; page <= PageCountOf(text, section, topic); ++page) {
                std::printf("==== section %d, topic %d, page %d ====\n", section, topic, page);
                PrintPage(text, section, topic, page);
                std::printf("\n");
            }
        }
    }
}

void PrintCounts(const ContentText& text) {
    int nonBlank = 0;
    long words = 0;
    for (const TextLine& line : text.lines) {
        if (line.bytes.empty()) continue;
        ++nonBlank;
        std::istringstream split(line.bytes);
        std::string word;
        while (split >> word) ++words;
    }
    std::printf("%zu table lines, %d with text, %ld words\n", text.lines.size(), nonBlank, words);
}

int Usage() {
    std::fprintf(stderr, "usage: tbproof [--text DIR] SECTION TOPIC PAGE | --all | --count\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string directory = TB_CONTENT_TEXT_DIR;
    int arg = 1;
    if (arg + 1 < argc && std::strcmp(argv[arg], "--text") == 0) {
        directory = argv[arg + 1];
        arg += 2;
    }
    ContentText text;
    StartContentText(text);
    ReadContentDirectory(text, directory);
    CheckContentText(text);
    for (const std::string& fault : text.faults) std::fprintf(stderr, "%s\n", fault.c_str());

    bool printed = true;
    if (argc - arg == 1 && std::strcmp(argv[arg], "--all") == 0)
        PrintAllPages(text);
    else if (argc - arg == 1 && std::strcmp(argv[arg], "--count") == 0)
        PrintCounts(text);
    else if (argc - arg == 3)
        printed = PrintPage(text, std::atoi(argv[arg]), std::atoi(argv[arg + 1]), std::atoi(argv[arg + 2]));
    else
        return Usage();
    return printed && text.faults.empty() ? 0 : 1;
}
