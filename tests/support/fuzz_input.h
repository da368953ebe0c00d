// For libFuzzer targets over code that reads files by name: each input
// becomes a scratch file of this process.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// "/tmp/tb_fuzz_<pid><suffix>", holding the input; empty when it can't be
// written.
inline std::string WriteFuzzInput(const char* suffix, const uint8_t* data, size_t size) {
    std::string path = "/tmp/tb_fuzz_" + std::to_string(getpid()) + suffix;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return "";
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written ? path : "";
}
