// Prints how long artgen takes per picture (painting and PNG writing apart)
// and in all, and how many bytes the pictures take. Run by hand:
//   bench_artgen [<scratch directory>]
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "artgen.h"
#include "lettering.h"
#include "topic_names.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long FileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    if (!LoadTopicNames(TB_ISSUE_SOURCE_DIR "/content/text") || !OpenFonts()) return 1;
    double paintTotal = 0, saveTotal = 0;
    long bytesTotal = 0;
    std::printf("%-32s %9s %9s %10s\n", "picture", "paint s", "write s", "bytes");
    for (int i = 0; i < PictureCount; ++i) {
        const Picture& picture = Pictures[i];
        const std::string path = dir + "/" + picture.file;
        auto start = std::chrono::steady_clock::now();
        const Canvas canvas = picture.paint(picture.variant);
        const double paint = SecondsSince(start);
        start = std::chrono::steady_clock::now();
        if (!SavePng(canvas, path.c_str(), picture.format)) return 1;
        const double save = SecondsSince(start);
        const long bytes = FileSize(path);
        std::remove(path.c_str());
        std::printf("%-32s %9.3f %9.3f %10ld\n", picture.file, paint, save, bytes);
        paintTotal += paint;
        saveTotal += save;
        bytesTotal += bytes;
    }
    CloseFonts();
    std::printf("%-32s %9.3f %9.3f %10ld\n", "all pictures", paintTotal, saveTotal, bytesTotal);
    return 0;
}
