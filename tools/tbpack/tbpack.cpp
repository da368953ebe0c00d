// tbpack: makes, lists, extracts and tests the magazine's pack archives
// (RAR 2.0), reading them back through the same reader the magazine uses.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "pack/pack.h"
#include "pack/rar20_format.h"
#include "pack/writer.h"
#include "platform/paths.h"

static const char Usage[] =
    "Usage:\n"
    "  tbpack create [--solid] [--password P] [--method store|normal|audio|best]\n"
    "                [--channels N] [--effort N] ARCHIVE FILE...\n"
    "      Packs the files into a new RAR 2.0 archive (unpack version 20). Each\n"
    "      member is stored under its base name. --solid makes one compressed\n"
    "      stream of all members; --password encrypts every member with the 2.0\n"
    "      cipher. --method picks how members are coded (default best: the\n"
    "      smallest of stored, normal and audio for each file); --channels fixes\n"
    "      the audio channel count (1..4, default: chosen per file); --effort sets\n"
    "      the match search depth (default 48; more packs tighter, slower).\n"
    "  tbpack list ARCHIVE\n"
    "      Lists the members: unpacked and packed size, method, CRC-32, name.\n"
    "  tbpack extract [--password P] ARCHIVE [DIR]\n"
    "      Unpacks every member into DIR (default: the current directory), each\n"
    "      as a new file: never through a link, never over the archive itself.\n"
    "  tbpack test [--password P] ARCHIVE\n"
    "      Unpacks every member in memory and checks its CRC-32.\n"
    "The exit status is 0 only when every member succeeded.\n";

static int UsageError(const char* why) {
    std::fprintf(stderr, "tbpack: %s\n\n%s", why, Usage);
    return 2;
}

static bool ReadWholeFile(const char* path, std::vector<uint8_t>* out) {
    FILE* file = OpenDataFile(path, "rb");
    if (!file) return false;
    out->clear();
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) out->insert(out->end(), block, block + got);
    bool good = !std::ferror(file);
    std::fclose(file);
    return good;
}

static const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; p++)
        if (*p == '/' || *p == '\\') base = p + 1;
    return base;
}

static uint32_t DosTime(const char* path) {
    struct stat info;
    if (stat(path, &info) != 0) return 0;
    struct tm t;
    localtime_r(&info.st_mtime, &t);
    if (t.tm_year < 80) return 0;
    return uint32_t(t.tm_year - 80) << 25 | uint32_t(t.tm_mon + 1) << 21 | uint32_t(t.tm_mday) << 16 |
           uint32_t(t.tm_hour) << 11 | uint32_t(t.tm_min) << 5 | uint32_t(t.tm_sec / 2);
}

static bool ParseMethod(const char* text, PackMethod* method) {
    static const struct { const char* Name; PackMethod Method; } Names[] = {
        {"store", PackMethodStore}, {"normal", PackMethodNormal},
        {"audio", PackMethodAudio}, {"best", PackMethodBest}};
    for (const auto& n : Names) {
        if (std::strcmp(text, n.Name) == 0) {
            *method = n.Method;
            return true;
        }
    }
    return false;
}

static int Create(int argc, char** argv) {
    PackOptions options = {0, nullptr, 0};
    PackMethod method = PackMethodBest;
    int channels = 0;
    int i = 0;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; i++) {
        bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--solid") == 0) {
            options.Solid = 1;
        } else if (std::strcmp(argv[i], "--password") == 0 && hasValue) {
            options.Password = argv[++i];
        } else if (std::strcmp(argv[i], "--method") == 0 && hasValue) {
            if (!ParseMethod(argv[++i], &method)) return UsageError("unknown method");
        } else if (std::strcmp(argv[i], "--channels") == 0 && hasValue) {
            channels = std::atoi(argv[++i]);
            if (channels < 1 || channels > 4) return UsageError("channels must be 1 to 4");
        } else if (std::strcmp(argv[i], "--effort") == 0 && hasValue) {
            options.MatchEffort = std::atoi(argv[++i]);
        } else {
            return UsageError("unknown option for create");
        }
    }
    if (argc - i < 2) return UsageError("create needs an archive and at least one file");
    const char* archive = argv[i++];
    std::vector<std::vector<uint8_t>> contents(argc - i);
    std::vector<PackInput> inputs;
    for (int k = 0; i < argc; i++, k++) {
        if (!ReadWholeFile(argv[i], &contents[k])) {
            std::fprintf(stderr, "tbpack: can't read %s\n", argv[i]);
            return 1;
        }
        inputs.push_back({BaseName(argv[i]), contents[k].data(), uint32_t(contents[k].size()), method,
                          uint8_t(channels), DosTime(argv[i])});
    }
    if (!WritePack(archive, inputs.data(), int32_t(inputs.size()), &options)) {
        std::fprintf(stderr, "tbpack: can't write %s\n", archive);
        return 1;
    }
    return 0;
}

static int List(int argc, char** argv) {
    if (argc != 1) return UsageError("list needs exactly one archive");
    MemberRecord* head = nullptr;
    int32_t count = ListMembers(argv[0], &head);
    if (count == 0) {
        std::fprintf(stderr, "tbpack: %s is no archive or has no members\n", argv[0]);
        return 1;
    }
    std::printf("%10s %10s %5s %-6s %3s %8s  %s\n", "Size", "Packed", "Ratio", "Method", "Ver", "CRC32", "Name");
    for (MemberRecord* r = head; r; r = r->Next) {
        unsigned ratio = r->UnpackedSize ? unsigned(100.0 * r->PackedSize / r->UnpackedSize) : 0;
        std::printf("%10u %10u %4u%% %-6s %3u %08X  %s\n", r->UnpackedSize, r->PackedSize, ratio,
                    r->Method == MethodStored ? "stored" : "2.0", r->UnpackVersion, r->FileCrc, r->Name);
    }
    std::printf("%d member(s)\n", count);
    FreeMemberList(head);
    return 0;
}

struct Outcome {
    const char* Archive;
    const char* Directory;  // null: test only
    int Members;
    int Failures;
};

// Whether path is the archive being read, under any spelling or as a hard
// link: replacing it would destroy the archive in the middle of the walk.
static bool IsTheArchive(const std::string& path, const char* archive) {
    struct stat target, pack;
    return lstat(path.c_str(), &target) == 0 && stat(archive, &pack) == 0 && target.st_dev == pack.st_dev &&
           target.st_ino == pack.st_ino;
}

// The same rules as start-up's extraction: a safe name, a new regular file,
// never through a link.
static const char* WriteRefusal(const Outcome& outcome, const char* name, const uint8_t* data, uint32_t size) {
    std::string path = std::string(outcome.Directory) + "/" + name;
    if (!IsSafeMemberName(name)) return "(unsafe name)";
    if (IsTheArchive(path, outcome.Archive)) return "(the archive itself)";
    return WriteNewDataFile(path.c_str(), data, size) ? nullptr : "";
}

static void Report(void* context, const char* name, const uint8_t* data, uint32_t size, int ok) {
    Outcome& outcome = *static_cast<Outcome*>(context);
    outcome.Members++;
    if (ok && outcome.Directory) {
        if (const char* refusal = WriteRefusal(outcome, name, data, size)) {
            std::printf("can't write %-40s %s\n", name, refusal);
            outcome.Failures++;
            return;
        }
    }
    std::printf("%-7s %10u  %s\n", ok ? "OK" : "FAILED", size, name);
    if (!ok) outcome.Failures++;
}

static int Unpack(int argc, char** argv, bool writeFiles) {
    const char* password = nullptr;
    int i = 0;
    if (i + 1 < argc && std::strcmp(argv[i], "--password") == 0) {
        password = argv[i + 1];
        i += 2;
    }
    int rest = argc - i;
    if (rest < 1 || rest > (writeFiles ? 2 : 1)) return UsageError("wrong number of arguments");
    const char* archive = argv[i];
    Outcome outcome = {archive, nullptr, 0, 0};
    if (writeFiles) outcome.Directory = rest == 2 ? argv[i + 1] : ".";
    MemberRecord* head = nullptr;
    if (ListMembers(archive, &head) == 0) {
        std::fprintf(stderr, "tbpack: %s is no archive or has no members\n", archive);
        return 1;
    }
    FreeMemberList(head);
    ExtractEveryMember(archive, password, Report, &outcome);
    std::printf("%d member(s), %d failed\n", outcome.Members, outcome.Failures);
    return outcome.Failures == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(Usage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "create") == 0) return Create(argc - 2, argv + 2);
    if (std::strcmp(command, "list") == 0) return List(argc - 2, argv + 2);
    if (std::strcmp(command, "extract") == 0) return Unpack(argc - 2, argv + 2, true);
    if (std::strcmp(command, "test") == 0) return Unpack(argc - 2, argv + 2, false);
    return UsageError("unknown command");
}
