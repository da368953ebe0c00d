// tbcontentgen TEXT_DIR OUTPUT_CPP OUTPUT_HEADER
//
// Reads the magazine's UTF-8 text sources, checks them, and writes the
// constant content table with the header of its counts. Any fault is printed as "file:line: message" and
// the output is not written, so a faulty text never reaches the program.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/contentgen/content_source.h"
#include "tools/contentgen/table_writer.h"

namespace {

bool WriteWholeFile(const std::string& path, const std::string& content) {
    std::string partial = path + ".partial";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        if (!(file << content) || !file.flush()) return false;
    }
    return std::rename(partial.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tbcontentgen TEXT_DIR OUTPUT_CPP OUTPUT_HEADER\n");
        return 2;
    }
    ContentText text;
    StartContentText(text);
    ReadContentDirectory(text, argv[1]);
    CheckContentText(text);
    for (const std::string& fault : text.faults) std::fprintf(stderr, "%s\n", fault.c_str());
    if (!text.faults.empty()) {
        std::fprintf(stderr, "tbcontentgen: %zu fault(s); content table not written\n", text.faults.size());
        std::remove(argv[2]);
        std::remove(argv[3]);
        return 1;
    }
    if (!WriteWholeFile(argv[2], ContentTableSource(text)) || !WriteWholeFile(argv[3], ContentCountsSource(text))) {
        std::fprintf(stderr, "tbcontentgen: cannot write %s and %s\n", argv[2], argv[3]);
        return 1;
    }
    return 0;
}
