// Audio state, apart from the operations so that the button bar and the
// effects can link against it without the sound engine.
#include "audio/audio.h"

int32_t SongSelection = FirstSongSlot;
int32_t MusicMode = MusicOn;
float Spectrum[SpectrumSize] = {};

uint32_t IntroStream = 0;
uint32_t MusicModules[ModuleCount] = {};
uint32_t SavedVolume = 0;
uint8_t SongNeedsStart[5] = {1, 1, 1, 1, 1};
// Start values that match no real position, so the first check never
// mistakes the start for an ended song.
uint32_t LastModuleOrder = 9929;
uint32_t LastModuleRow = 9929;
int32_t SongCheckFrames = 0;
