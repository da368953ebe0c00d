#include "platform/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

static bool IsRegularFile(const char* resolved) {
    struct stat info;
    return lstat(resolved, &info) == 0 && S_ISREG(info.st_mode);
}

bool WriteNewDataFile(const char* path, const void* data, size_t size) {
    char resolved[4096];
    ResolveDataPath(path, resolved, sizeof resolved);
    if (!resolved[0] || (size && !data)) return false;
    if (IsRegularFile(resolved) && unlink(resolved) != 0) return false;
    int file = open(resolved, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (file < 0) return false;
    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < size) {
        ssize_t step = write(file, bytes + written, size - written);
        if (step <= 0) break;
        written += size_t(step);
    }
    return close(file) == 0 && written == size;
}

int RemoveDataFile(const char* path) {
    char resolved[4096];
    ResolveDataPath(path, resolved, sizeof resolved);
    return resolved[0] && IsRegularFile(resolved) ? std::remove(resolved) : -1;
}
