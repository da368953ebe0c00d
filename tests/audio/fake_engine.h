// The recording stand-in for the sound engine (audio/engine.h).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

constexpr uint32_t FakeIntroHandle = 50;
// Modules get handles 101..104 in load order.
constexpr uint32_t FakeModuleHandle(int index) { return 101 + static_cast<uint32_t>(index); }

struct FakeEngineState {
    std::vector<std::string> calls;
    bool deviceOpens = true;
    bool streamLoads = true;
    uint32_t failingModule = 0;      // handle whose load fails, 0 for none
    int modulesLoaded = 0;
    uint32_t volume = 80;
    float spectrumLevel = 0.25f;
    std::map<uint32_t, uint32_t> positions;  // handles not listed read NoPosition
};

extern FakeEngineState FakeEngine;
void ResetFakeEngine();
