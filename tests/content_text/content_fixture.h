// Helpers shared by the content text tests: the shipped sources, and a
// scratch copy of them that a test can break on purpose.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "tools/contentgen/content_source.h"

std::string ShippedTextDirectory();

// Reads and checks every source of a directory.
ContentText ReadAndCheck(const std::string& directory);

// A fresh copy of the shipped sources in a directory of the test's own,
// removed again when the object goes.
struct ScratchText {
    std::filesystem::path directory;
    ScratchText();
    ~ScratchText();
    std::string Path(const std::string& file) const { return (directory / file).string(); }
    // 1-based number of the first line of file starting with prefix, at or
    // after line from; 0 if there is none.
    int FindLine(const std::string& file, const std::string& prefix, int from = 1);
    std::string LineAt(const std::string& file, int lineNumber);
    void SetLine(const std::string& file, int lineNumber, const std::string& text);
    void InsertLine(const std::string& file, int lineNumber, const std::string& text);
    void EraseLine(const std::string& file, int lineNumber);
};

bool HasFault(const ContentText& text, const std::string& where, const std::string& part);
