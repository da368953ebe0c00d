// Texture slots of the buttons (the catalogue of the texture loader) and the
// depth of the bar, shared by the table and the drawing of the bar.
#pragma once
#include <cstdint>

enum : int32_t {
    FirstSectionSlot = 7,
    FirstSongSlotTexture = 21,
    MusicOnSlot = 27,
    MusicOffSlot = 28,
    MarkSlot = 34,
    ExitSlot = 63,
    ArrowLeftSlot = 64,
    ArrowRightSlot = 65,
    ArrowLeftHighSlot = 66,
    ArrowRightHighSlot = 67,
};

inline constexpr float MenuDepth = -46.0f;
