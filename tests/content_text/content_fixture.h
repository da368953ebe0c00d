// The shipped text sources, read and checked as the content generator does.
#pragma once
#include <cstdlib>
#include <string>

#include "tools/contentgen/content_source.h"

inline std::string ShippedTextDirectory() {
    const char* source = std::getenv("TB_SOURCE_DIR");
    return std::string(source ? source : ".") + "/content/text";
}

inline ContentText ReadAndCheck(const std::string& directory) {
    ContentText text;
    StartContentText(text);
    ReadContentDirectory(text, directory);
    CheckContentText(text);
    return text;
}
