// Replays the fuzzer's corpus through its entry point: every input that
// once found new behaviour must still run through without a fault.
#include <gtest/gtest.h>

#include <filesystem>

#include "pack_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

TEST(FuzzCorpus, EveryInputRunsThrough) {
    size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TB_PACK_CORPUS_DIR)) {
        if (!entry.is_regular_file()) continue;
        Bytes input = ReadBytes(entry.path().string());
        EXPECT_EQ(LLVMFuzzerTestOneInput(input.data(), input.size()), 0) << entry.path();
        inputs++;
    }
    EXPECT_GT(inputs, 0u);
}
