#include "platform/paths.h"

#include <cstring>

const char* ResolveDataPath(const char* path, char* out, size_t capacity) {
    if (!out || capacity == 0) return "";
    out[0] = '\0';
    if (!path) return out;
    const char* rest = path;
    bool inData = (std::strncmp(path, "Data", 4) == 0 || std::strncmp(path, "data", 4) == 0) &&
                  (path[4] == '\\' || path[4] == '/');
    if (inData) rest = path + 5;
    size_t prefix = inData ? 5 : 0;
    size_t length = std::strlen(rest);
    if (prefix + length + 1 > capacity) return out;
    if (inData) std::memcpy(out, "data/", 5);
    std::memcpy(out + prefix, rest, length + 1);
    return out;
}

FILE* OpenDataFile(const char* path, const char* mode) {
    char resolved[4096];
    ResolveDataPath(path, resolved, sizeof resolved);
    return resolved[0] ? std::fopen(resolved, mode) : nullptr;
}

bool WriteDataFile(const char* path, const void* data, size_t size) {
    FILE* file = OpenDataFile(path, "wb");
    if (!file) return false;
    bool written = size == 0 || (data && std::fwrite(data, 1, size, file) == size);
    return std::fclose(file) == 0 && written;
}

int RemoveDataFile(const char* path) {
    char resolved[4096];
    ResolveDataPath(path, resolved, sizeof resolved);
    return resolved[0] ? std::remove(resolved) : -1;
}
