// Audio state, apart from the operations so that the button bar and the
// effects can link against it without the sound engine.
#include "audio/audio.h"

int32_t SongSelection = FirstSongSlot;
int32_t MusicMode = MusicOn;
float Spectrum[SpectrumSize] = {};

AudioState Audio = AudioStart;
