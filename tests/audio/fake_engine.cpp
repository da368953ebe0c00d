// A sound engine that records every call instead of playing, linked in place
// of the real one (whose object files are then never pulled from the archive).
#include "fake_engine.h"

#include "audio/engine.h"

#include <string>

FakeEngineState FakeEngine;

void ResetFakeEngine() {
    FakeEngine = FakeEngineState{};
}

static void Record(const std::string& call) {
    FakeEngine.calls.push_back(call);
}

static std::string Name(uint32_t handle) {
    return std::to_string(handle);
}

bool OpenSoundOutput() {
    Record("OpenSoundOutput");
    return FakeEngine.deviceOpens;
}

bool OpenSilentOutput() {
    Record("OpenSilentOutput");
    return true;
}

void CloseSoundOutput() { Record("CloseSoundOutput"); }
void StartOutput() { Record("StartOutput"); }
void StopOutput() { Record("StopOutput"); }

uint32_t OutputVolume() {
    return FakeEngine.volume;
}

void SetOutputVolume(uint32_t percent) {
    Record("SetOutputVolume " + std::to_string(percent));
    FakeEngine.volume = percent;
}

uint32_t CreateFileStream(const char* path) {
    Record(std::string("CreateFileStream ") + path);
    return FakeEngine.streamLoads ? FakeIntroHandle : 0;
}

uint32_t LoadModuleFile(const char* path) {
    Record(std::string("LoadModuleFile ") + path);
    uint32_t handle = FakeModuleHandle(FakeEngine.modulesLoaded++);
    return FakeEngine.failingModule == handle ? 0 : handle;
}

void SetModulePositionScaler(uint32_t handle, uint32_t scaler) {
    Record("SetModulePositionScaler " + Name(handle) + " " + std::to_string(scaler));
}

bool PlayFromStart(uint32_t handle) {
    Record("PlayFromStart " + Name(handle));
    return handle != 0;
}

void StopChannel(uint32_t handle) { Record("StopChannel " + Name(handle)); }
void FreeChannel(uint32_t handle) { Record("FreeChannel " + Name(handle)); }

uint32_t ChannelPosition(uint32_t handle) {
    Record("ChannelPosition " + Name(handle));
    auto found = FakeEngine.positions.find(handle);
    return found == FakeEngine.positions.end() ? NoPosition : found->second;
}

void ReadSpectrum(uint32_t handle, float* out) {
    Record("ReadSpectrum " + Name(handle));
    for (int k = 0; k < SpectrumBins; ++k) out[k] = handle == 0 ? 0.0f : FakeEngine.spectrumLevel;
}
