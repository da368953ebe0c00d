#include "tests/content_text/content_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

std::string ShippedTextDirectory() {
    const char* source = std::getenv("TB_SOURCE_DIR");
    return std::string(source ? source : ".") + "/content/text";
}

ContentText ReadAndCheck(const std::string& directory) {
    ContentText text;
    StartContentText(text);
    ReadContentDirectory(text, directory);
    CheckContentText(text);
    return text;
}

ScratchText::ScratchText() {
    directory = std::filesystem::temp_directory_path() / ("tb_content_text_" + std::to_string(getpid()));
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    for (const auto& entry : std::filesystem::directory_iterator(ShippedTextDirectory()))
        std::filesystem::copy_file(entry.path(), directory / entry.path().filename());
}

ScratchText::~ScratchText() { std::filesystem::remove_all(directory); }

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream file(path, std::ios::trunc);
    for (const std::string& line : lines) file << line << '\n';
}

}  // namespace

int ScratchText::FindLine(const std::string& file, const std::string& prefix, int from) {
    std::vector<std::string> lines = ReadLines(Path(file));
    for (size_t i = from - 1; i < lines.size(); ++i)
        if (lines[i].starts_with(prefix)) return static_cast<int>(i) + 1;
    return 0;
}

std::string ScratchText::LineAt(const std::string& file, int lineNumber) {
    return ReadLines(Path(file)).at(lineNumber - 1);
}

void ScratchText::SetLine(const std::string& file, int lineNumber, const std::string& text) {
    std::vector<std::string> lines = ReadLines(Path(file));
    lines.at(lineNumber - 1) = text;
    WriteLines(Path(file), lines);
}

void ScratchText::InsertLine(const std::string& file, int lineNumber, const std::string& text) {
    std::vector<std::string> lines = ReadLines(Path(file));
    lines.insert(lines.begin() + (lineNumber - 1), text);
    WriteLines(Path(file), lines);
}

void ScratchText::EraseLine(const std::string& file, int lineNumber) {
    std::vector<std::string> lines = ReadLines(Path(file));
    lines.erase(lines.begin() + (lineNumber - 1));
    WriteLines(Path(file), lines);
}

bool HasFault(const ContentText& text, const std::string& where, const std::string& part) {
    for (const std::string& fault : text.faults)
        if (fault.starts_with(where + ": ") && fault.find(part) != std::string::npos) return true;
    return false;
}
