// MO3's packing of the music data (see mo3_writer.h).
//
// The reader takes the first byte as it is, then repeats until it has the
// announced unpacked size:
//   read a control bit; 0: copy the next stream byte (a literal);
//   1: copy earlier output. The distance high part comes as a gamma code
//      minus 3, the low byte as the next stream byte, distance = value + 1.
//      Then two control bits give the length code 1..3; 00 means the code
//      follows as a gamma code plus 2. The copy is the length code + 1 bytes
//      long for distances up to 1280 (longer ones add to it; a gamma code of
//      2 reuses the previous distance).
// Control bits come MSB first from a control byte that the reader fetches
// from the stream when it needs a bit and has none left, so each control
// byte sits right before the stream bytes read after its first bit.
// A gamma code of v >= 2 is the bits of v after its leading 1, each followed
// by a continuation bit (1 = more bits follow).
//
// Limits of this packer: copies reach back at most MaxCopyDistance bytes,
// well inside the first distance band, and never reuse the previous distance;
// a greedy longest-match search (quadratic in the window, fine for the few
// kilobytes of a song's music data).
#include "tools/soundgen/mo3_writer.h"

#include <algorithm>

namespace {

constexpr size_t MaxCopyDistance = 1024;
constexpr size_t MinCopyLength = 2;     // length code 1
constexpr size_t MaxCopyLength = 4096;  // bounds the search on long runs
constexpr uint32_t DistanceHighBias = 3;
constexpr uint32_t LongLengthBias = 2;

// Appends control bits into control bytes placed where the reader expects them.
struct BitSink {
    std::vector<uint8_t>& out;
    size_t controlByte = 0;
    int bitsUsed = 8;  // a fresh control byte is started on the first bit
};

void PutBit(BitSink& sink, bool bit)
{
    if (sink.bitsUsed == 8) {
        sink.controlByte = sink.out.size();
        sink.out.push_back(0);
        sink.bitsUsed = 0;
    }
    if (bit)
        sink.out[sink.controlByte] |= static_cast<uint8_t>(0x80 >> sink.bitsUsed);
    ++sink.bitsUsed;
}

void PutGamma(BitSink& sink, uint32_t value)
{
    int top = 31;
    while (!((value >> top) & 1))
        --top;
    for (int bit = top - 1; bit >= 0; --bit) {
        PutBit(sink, (value >> bit) & 1);
        PutBit(sink, bit > 0);
    }
}

void PutCopy(BitSink& sink, size_t distance, size_t length)
{
    const uint32_t offset = static_cast<uint32_t>(distance - 1);
    PutBit(sink, true);
    PutGamma(sink, (offset >> 8) + DistanceHighBias);
    sink.out.push_back(static_cast<uint8_t>(offset & 0xFF));
    const uint32_t code = static_cast<uint32_t>(length - 1);
    if (code <= 3) {
        PutBit(sink, code & 2);
        PutBit(sink, code & 1);
    } else {
        PutBit(sink, false);
        PutBit(sink, false);
        PutGamma(sink, code - LongLengthBias);
    }
}

struct Match {
    size_t distance = 0;
    size_t length = 0;
};

Match LongestMatch(const std::vector<uint8_t>& plain, size_t position)
{
    Match best;
    const size_t reach = std::min(position, MaxCopyDistance);
    const size_t limit = std::min(MaxCopyLength, plain.size() - position);
    for (size_t distance = 1; distance <= reach; ++distance) {
        size_t length = 0;
        while (length < limit && plain[position + length - distance] == plain[position + length])
            ++length;
        if (length > best.length) {
            best.length = length;
            best.distance = distance;
        }
    }
    return best;
}

} // namespace

std::vector<uint8_t> PackMo3MusicData(const std::vector<uint8_t>& plain)
{
    std::vector<uint8_t> packed;
    if (plain.empty())
        return packed;
    packed.push_back(plain[0]);
    BitSink sink{packed};
    size_t position = 1;
    while (position < plain.size()) {
        const Match match = LongestMatch(plain, position);
        if (match.length >= MinCopyLength) {
            PutCopy(sink, match.distance, match.length);
            position += match.length;
        } else {
            PutBit(sink, false);
            packed.push_back(plain[position++]);
        }
    }
    return packed;
}
