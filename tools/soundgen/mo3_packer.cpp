// MO3's packing of the music data (see mo3_writer.h).
//
// The reader takes the first byte as it is, then repeats until it has the
// announced unpacked size: read one control bit; 0 = copy the next byte of
// the stream. Control bits come MSB first from a control byte that the
// reader fetches from the stream at the moment it needs a bit and has none
// left, so each control byte sits right before the data bytes it governs.
//
// This packer writes literals only: every control byte is zero and precedes
// up to eight data bytes. The output is at most 1/8 larger than the input,
// which for our few kilobytes of pattern data is not worth a match search;
// the track sharing of the music data has already removed the repetition.
#include "tools/soundgen/mo3_writer.h"

#include <algorithm>

namespace {

constexpr size_t LiteralsPerControlByte = 8;
constexpr uint8_t AllLiterals = 0x00;

} // namespace

std::vector<uint8_t> PackMo3MusicData(const std::vector<uint8_t>& plain)
{
    std::vector<uint8_t> packed;
    if (plain.empty())
        return packed;
    packed.reserve(plain.size() + plain.size() / LiteralsPerControlByte + 2);
    packed.push_back(plain[0]);
    for (size_t start = 1; start < plain.size(); start += LiteralsPerControlByte) {
        packed.push_back(AllLiterals);
        const size_t end = std::min(plain.size(), start + LiteralsPerControlByte);
        packed.insert(packed.end(), plain.begin() + start, plain.begin() + end);
    }
    return packed;
}
