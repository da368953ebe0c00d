#include "tools/soundgen/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>

namespace {

constexpr int FramesPerChunk = 8192;
// LAME's documented worst case for an output buffer: 1.25 × frames + 7200.
constexpr int ChunkOutputBytes = FramesPerChunk * 5 / 4 + 7200;

lame_global_flags* OpenEncoder(int sampleRate, int kilobitsPerSecond)
{
    lame_global_flags* encoder = lame_init();
    if (!encoder)
        return nullptr;
    lame_set_in_samplerate(encoder, sampleRate);
    lame_set_out_samplerate(encoder, sampleRate);
    lame_set_num_channels(encoder, 2);
    lame_set_mode(encoder, JOINT_STEREO);
    lame_set_brate(encoder, kilobitsPerSecond);
    lame_set_quality(encoder, 7);  // the fast setting: a soundtrack, not an archive
    lame_set_bWriteVbrTag(encoder, 1);
    if (lame_init_params(encoder) < 0) {
        lame_close(encoder);
        return nullptr;
    }
    return encoder;
}

bool EncodeFrames(lame_global_flags* encoder, const StereoSignal& pcm, std::vector<uint8_t>& out)
{
    std::vector<short> left(FramesPerChunk), right(FramesPerChunk);
    std::vector<unsigned char> chunk(ChunkOutputBytes);
    for (size_t start = 0; start < pcm.left.size(); start += FramesPerChunk) {
        const int count = static_cast<int>(std::min<size_t>(FramesPerChunk, pcm.left.size() - start));
        for (int i = 0; i < count; ++i) {
            left[i] = FloatToPcm16(pcm.left[start + i]);
            right[i] = FloatToPcm16(pcm.right[start + i]);
        }
        const int written = lame_encode_buffer(encoder, left.data(), right.data(), count, chunk.data(), ChunkOutputBytes);
        if (written < 0)
            return false;
        out.insert(out.end(), chunk.begin(), chunk.begin() + written);
    }
    const int flushed = lame_encode_flush(encoder, chunk.data(), ChunkOutputBytes);
    if (flushed < 0)
        return false;
    out.insert(out.end(), chunk.begin(), chunk.begin() + flushed);
    return true;
}

// The encoder reserved the stream's first frame for the tag; fill it in now
// that the length is known.
void WriteTagFrame(lame_global_flags* encoder, std::vector<uint8_t>& out)
{
    std::vector<unsigned char> tag(ChunkOutputBytes);
    const size_t size = lame_get_lametag_frame(encoder, tag.data(), tag.size());
    if (size > 0 && size <= out.size())
        std::copy(tag.begin(), tag.begin() + size, out.begin());
}

} // namespace

std::vector<uint8_t> EncodeMp3(const StereoSignal& pcm, int sampleRate, int kilobitsPerSecond)
{
    std::vector<uint8_t> out;
    if (pcm.left.size() != pcm.right.size())
        return out;
    lame_global_flags* encoder = OpenEncoder(sampleRate, kilobitsPerSecond);
    if (!encoder)
        return out;
    if (EncodeFrames(encoder, pcm, out))
        WriteTagFrame(encoder, out);
    else
        out.clear();
    lame_close(encoder);
    return out;
}
