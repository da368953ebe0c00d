// Pack figures: decode throughput against zlib's inflate on the same
// inputs, packed size against zlib at level 9 (gzip -9's deflate), and the
// start-up extraction of a 40-member solid pack.
//   build-*/tests/pack/bench_pack [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "pack/pack.h"
#include "pack/unpack.h"
#include "pack_test_util.h"
#include "tests/support/test_files.h"

namespace {

// The program's own sources as a text sample (about 1 MiB).
Bytes SourceText() {
    Bytes text;
    const char* root = std::getenv("TB_SOURCE_DIR");
    std::filesystem::path dir = root ? root : TB_SOURCE_DIR_DEFAULT;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        std::string ext = entry.path().extension().string();
        std::string path = entry.path().string();
        if (path.find("/build") != std::string::npos || path.find("/.git") != std::string::npos) continue;
        if (ext != ".cpp" && ext != ".h" && ext != ".md" && ext != ".txt") continue;
        Bytes file = ReadBytes(path);
        text.insert(text.end(), file.begin(), file.end());
        if (text.size() > (1u << 20)) break;
    }
    if (text.size() < (1u << 20)) {
        Bytes filler = TextLike(1, (1u << 20) - text.size());
        text.insert(text.end(), filler.begin(), filler.end());
    }
    text.resize(1u << 20);
    return text;
}

// A real PNG file: a 512 x 512 RGBA picture of gradients, shapes and grain.
Bytes PngFile() {
    const int size = 512;
    std::vector<unsigned char> pixels(size * size * 4);
    std::mt19937 rng(7);
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            unsigned char* p = &pixels[(y * size + x) * 4];
            double r = std::hypot(x - 256.0, y - 200.0);
            p[0] = uint8_t(x / 2 + (rng() % 24));
            p[1] = uint8_t(128 + 120 * std::sin(r / 20) + (rng() % 16));
            p[2] = uint8_t(y / 2 ^ x / 8);
            p[3] = uint8_t(r < 180 ? 255 : 255 - std::min(255.0, r - 180));
        }
    }
    std::string path = ScratchArchive("bench") + ".png";
    WriteTestPng(path.c_str(), size, size, 4, pixels.data());
    Bytes png = ReadBytes(path);
    std::remove(path.c_str());
    return png;
}

Bytes Audio() { return Wave(3, 1u << 18, 2, 2); }  // 1 MiB of 16-bit stereo

const Bytes& Sample(int kind) {
    static const Bytes samples[3] = {SourceText(), PngFile(), Audio()};
    return samples[kind];
}
const char* const KindNames[3] = {"text", "png", "audio16stereo"};
// Second argument 0: the method the writer picks on its own (a PNG is then
// stored, as zlib stores it too); 1: the LZ method forced.
PackMethod MethodFor(int64_t forced) { return forced ? PackMethodNormal : PackMethodBest; }

Bytes Deflate9(const Bytes& in) {
    uLongf size = compressBound(uLong(in.size()));
    Bytes out(size);
    compress2(out.data(), &size, in.data(), uLong(in.size()), 9);
    out.resize(size);
    return out;
}

void Decode(benchmark::State& state) {
    const Bytes& input = Sample(int(state.range(0)));
    std::string path = ScratchArchive(KindNames[state.range(0)]);
    WriteBytes(path, Build({Input("m", input, MethodFor(state.range(1)))}));
    for (auto _ : state) {
        uint8_t* data = nullptr;
        uint32_t size = 0;
        if (!ExtractMember(&data, &size, "m", path.c_str(), nullptr)) state.SkipWithError("extraction failed");
        benchmark::DoNotOptimize(data);
        std::free(data);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
    state.SetLabel(KindNames[state.range(0)]);
    std::remove(path.c_str());
}
BENCHMARK(Decode)->ArgsProduct({{0, 1, 2}, {0}})->Args({1, 1})->Unit(benchmark::kMillisecond);

void Inflate(benchmark::State& state) {
    const Bytes& input = Sample(int(state.range(0)));
    Bytes packed = Deflate9(input);
    Bytes out(input.size());
    for (auto _ : state) {
        uLongf size = uLongf(out.size());
        if (uncompress(out.data(), &size, packed.data(), uLong(packed.size())) != Z_OK) state.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
    state.SetLabel(KindNames[state.range(0)]);
}
BENCHMARK(Inflate)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The decoder alone on the audio sample, packed as Decode/2/0's member is,
// from memory into a kept buffer as Inflate/2 runs: the difference to
// Decode/2/0 is the archive reader's (file reads, a fresh window and
// output buffer per call, the CRC-32).
struct MemorySource {
    const uint8_t* Next;
    size_t Left;
};

void DecodeInMemory(benchmark::State& state) {
    const Bytes& input = Sample(2);
    std::vector<uint8_t> packed;
    CompressMember(input.data(), uint32_t(input.size()), PackMethodAudio, 0, 0, &packed);
    static UnpackState unpacker;
    Bytes window(WindowSize), out;
    out.reserve(input.size());
    for (auto _ : state) {
        MemorySource source = {packed.data(), packed.size()};
        out.clear();
        UnpackStream stream = {};
        stream.Read = [](void* from, uint8_t* buffer, uint32_t count) {
            auto* s = static_cast<MemorySource*>(from);
            uint32_t taken = uint32_t(std::min<size_t>(count, s->Left));
            std::memcpy(buffer, s->Next, taken);
            s->Next += taken;
            s->Left -= taken;
            return taken;
        };
        stream.Source = &source;
        stream.Window = window.data();
        stream.Write = [](void* to, const uint8_t* bytes, uint32_t count) {
            static_cast<Bytes*>(to)->insert(static_cast<Bytes*>(to)->end(), bytes, bytes + count);
        };
        stream.Sink = &out;
        stream.UnpackedSize = uint32_t(input.size());
        UnpackMember(unpacker, stream);
    }
    if (out != input) state.SkipWithError("decoded bytes differ");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
    state.SetLabel(KindNames[2]);
}
BENCHMARK(DecodeInMemory)->Unit(benchmark::kMillisecond);

// Packed size in per cent of the input: the writer's methods against zlib
// level 9 (gzip -9 adds 18 bytes of header and trailer to the latter).
void Ratio(benchmark::State& state) {
    const Bytes& input = Sample(int(state.range(0)));
    std::vector<uint8_t> normal, audio;
    for (auto _ : state) {
        CompressMember(input.data(), uint32_t(input.size()), PackMethodNormal, 0, 0, &normal);
        CompressMember(input.data(), uint32_t(input.size()), PackMethodAudio, 0, 0, &audio);
    }
    double size = double(input.size());
    state.counters["normal%"] = 100.0 * normal.size() / size;
    state.counters["audio%"] = 100.0 * audio.size() / size;
    state.counters["best%"] = 100.0 * std::min({normal.size(), audio.size(), input.size()}) / size;
    state.counters["gzip9%"] = 100.0 * (Deflate9(input).size() + 12) / size;
    state.counters["bytes"] = size;
    state.SetLabel(KindNames[state.range(0)]);
}
BENCHMARK(Ratio)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);

// The pack as the magazine opens it: 40 members, solid and encrypted.
struct StartUpPack {
    std::vector<Bytes> Contents;
    std::vector<std::string> Names;
    Bytes Archive;
};

const StartUpPack& FortyMembers() {
    static StartUpPack pack = [] {
        StartUpPack p;
        const Bytes& png = Sample(1);
        for (int i = 0; i < 40; i++) {
            size_t size = 20000 + (i * 7919) % 60000;
            Bytes content(png.begin() + (i * 4099) % (png.size() - size), png.begin() + (i * 4099) % (png.size() - size) + size);
            if (i % 4 == 0) content = TextLike(uint32_t(i), size);
            p.Contents.push_back(content);
            p.Names.push_back("picture" + std::to_string(i) + ".png");
        }
        std::vector<PackInput> inputs;
        for (int i = 0; i < 40; i++) inputs.push_back(Input(p.Names[i].c_str(), p.Contents[i], PackMethodBest));
        p.Archive = Build(inputs, true, PackPassword);
        return p;
    }();
    return pack;
}

void StartUpExtraction(benchmark::State& state) {
    const StartUpPack& pack = FortyMembers();
    EnterTempWorkDir();
    WriteBytes("data/Data.pak", pack.Archive);
    size_t total = 0;
    for (const Bytes& c : pack.Contents) total += c.size();
    for (auto _ : state) {
        ExtractPack();
        state.PauseTiming();
        DeleteExtractedFiles();
        state.ResumeTiming();
    }
    state.counters["members"] = 40;
    state.counters["MiB"] = total / 1048576.0;
    LeaveTempWorkDir();
}
BENCHMARK(StartUpExtraction)->Unit(benchmark::kMillisecond);

// For comparison: one ExtractMember per member, each walking the solid
// stream from its start.
void StartUpMemberByMember(benchmark::State& state) {
    const StartUpPack& pack = FortyMembers();
    std::string path = ScratchArchive("forty");
    WriteBytes(path, pack.Archive);
    for (auto _ : state) {
        for (const std::string& name : pack.Names) {
            uint8_t* data = nullptr;
            uint32_t size = 0;
            ExtractMember(&data, &size, name.c_str(), path.c_str(), PackPassword);
            std::free(data);
        }
    }
    std::remove(path.c_str());
}
BENCHMARK(StartUpMemberByMember)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
