// Huffman code lengths limited to 15 bits, canonical codes, and the bit
// writer of the encoder.
#include <functional>
#include <queue>
#include <utility>

#include "pack/encode.h"

// Plain Huffman construction; returns the longest code length.
static int HuffmanLengths(const std::vector<uint64_t>& freq, uint8_t* lengths) {
    int count = int(freq.size());
    using Node = std::pair<uint64_t, int>;  // weight, node index
    std::priority_queue<Node, std::vector<Node>, std::greater<Node>> queue;
    std::vector<int> parent(2 * count, -1);
    int used = 0;
    for (int s = 0; s < count; s++) {
        lengths[s] = 0;
        if (freq[s]) {
            queue.push({freq[s], s});
            used++;
        }
    }
    if (used == 1) {
        lengths[queue.top().second] = 1;
        return 1;
    }
    int next = count;
    while (queue.size() > 1) {
        Node a = queue.top();
        queue.pop();
        Node b = queue.top();
        queue.pop();
        parent[a.second] = parent[b.second] = next;
        queue.push({a.first + b.first, next++});
    }
    int longest = 0;
    for (int s = 0; s < count; s++) {
        if (!freq[s]) continue;
        int depth = 0;
        for (int n = s; parent[n] >= 0; n = parent[n]) depth++;
        lengths[s] = uint8_t(depth > 255 ? 255 : depth);
        if (depth > longest) longest = depth;
    }
    return longest;
}

void BuildCodeLengths(const uint32_t* freq, int count, uint8_t* lengths) {
    std::vector<uint64_t> weights(freq, freq + count);
    // Halving the weights flattens the tree until it fits; with at most
    // 1,028 symbols it ends well within 15 bits.
    while (HuffmanLengths(weights, lengths) > MaxCodeLength)
        for (uint64_t& w : weights)
            if (w) w = (w + 1) / 2;
}

void BuildCanonicalCodes(const uint8_t* lengths, int count, uint16_t* codes) {
    uint32_t lengthCount[MaxCodeLength + 1] = {};
    for (int s = 0; s < count; s++) lengthCount[lengths[s]]++;
    lengthCount[0] = 0;
    uint32_t nextCode[MaxCodeLength + 1] = {};
    uint32_t code = 0;
    for (int length = 1; length <= MaxCodeLength; length++) {
        code = (code + lengthCount[length - 1]) << 1;
        nextCode[length] = code;
    }
    for (int s = 0; s < count; s++) codes[s] = lengths[s] ? uint16_t(nextCode[lengths[s]]++) : 0;
}

void PutBits(BitWriter& writer, uint32_t value, int count) {
    writer.Accumulator = (writer.Accumulator << count) | (value & ((1u << count) - 1));
    writer.Count += count;
    while (writer.Count >= 8) {
        writer.Count -= 8;
        writer.Out->push_back(uint8_t(writer.Accumulator >> writer.Count));
    }
}

void FlushBits(BitWriter& writer) {
    if (writer.Count > 0) PutBits(writer, 0, 8 - writer.Count);
    writer.Accumulator = 0;
}
