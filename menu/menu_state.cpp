// The button table and its contents. Nothing here draws, so tools that need
// the buttons' places (the artwork generator) link this alone.
#include "content/content.h"
#include "menu/button_slots.h"
#include "menu/menu.h"

MenuButton MenuButtons[MenuButtonCount];
int32_t ExitRequested = 0;

void SetButton(int32_t index, int32_t textureSlot, float x, float y, float z, float halfWidth,
               float halfHeight, float alpha) {
    if (index < 0 || index >= MenuButtonCount)
        return;
    MenuButtons[index] = {0, 0, textureSlot, x, y, z, halfWidth, halfHeight, alpha};
}

// A column of topic bars, 1.8 units apart from the top one down.
static void SetTopicColumn(TopicRange topics, float x, float topY, float halfWidth) {
    for (int32_t n = topics.first; n <= topics.last; ++n)
        SetButton(n, MarkSlot, x, topY - 1.8f * float(n - topics.first), MenuDepth, halfWidth, 0.6f, 1.0f);
}

void SetMenuButtons() {
    const float sectionX[8] = {-30.0f, -20.0f, -11.0f, -2.5f, 6.5f, 15.5f, 23.5f, 31.5f};
    const float sectionY[8] = {-25.0f, -25.0f, -25.05f, -25.0f, -25.0f, -25.0f, -25.0f, -25.0f};
    // Overlapping neighbours are told apart by depth: 1 lies over 2, 4 over 3 and 5.
    const float sectionZ[8] = {-46.0f, -46.0f, -46.1f, -46.0f, -45.99f, -46.0f, -46.0f, -46.0f};
    const float sectionHalfWidth[8] = {3.2f, 6.4f, 3.2f, 3.2f, 6.4f, 3.2f, 3.2f, 3.2f};
    for (int32_t i = 0; i < 8; ++i)
        SetButton(i, FirstSectionSlot + i, sectionX[i], sectionY[i], sectionZ[i], sectionHalfWidth[i], 0.4f, 1.0f);

    const float songX[4] = {-39.6f, -36.8f, -34.0f, -31.0f};
    for (int32_t i = 0; i < 4; ++i)
        SetButton(FirstSongButton + i, FirstSongSlotTexture + i, songX[i], 23.5f, MenuDepth, 1.6f, 0.8f, 1.0f);
    // The gap slot is reached only by the automatic advance: parked far out of every view.
    SetButton(SilentGapButton, ExitSlot, -2800.0f, 23.5f, MenuDepth, 1.6f, 1.6f, 1.0f);
    SetButton(MusicOnButton, MusicOnSlot, -39.3f, 22.0f, MenuDepth, 0.8f, 0.4f, 1.0f);
    SetButton(MusicOffButton, MusicOffSlot, -36.5f, 22.0f, MenuDepth, 1.6f, 0.4f, 1.0f);

    const TopicRange& warez = TopicRanges[WarezCharts];
    SetTopicColumn(TopicRanges[AmigaCharts], -32.0f, 13.9f, 8.5f);
    SetTopicColumn(TopicRanges[PcCharts], -32.0f, 12.7f, 8.6f);
    SetTopicColumn(TopicRanges[C64Charts], -32.0f, 7.3f, 8.0f);
    // Warez: a 3 x 3 grid of languages, then a column.
    const float gridX[3] = {-36.6f, -32.0f, -27.4f};
    const float gridY[3] = {11.6f, 7.9f, 4.3f};
    for (int32_t k = 0; k < WarezGridTopics; ++k)
        SetButton(warez.first + k, MarkSlot, gridX[k % 3], gridY[k / 3], MenuDepth, 3.0f, 0.6f, 1.0f);
    SetTopicColumn({warez.first + WarezGridTopics, warez.last}, -32.0f, 2.6f, 9.9f);
    const float funY[4] = {3.0f, 1.2f, -0.6f, -2.3f};
    for (int32_t n = TopicRanges[FunCharts].first; n <= TopicRanges[FunCharts].last; ++n)
        SetButton(n, MarkSlot, -32.0f, funY[n - TopicRanges[FunCharts].first], MenuDepth, 8.0f, 0.6f, 1.0f);
    const float introY[8] = {6.2f, 4.6f, 3.0f, 1.4f, -0.2f, -3.6f, -5.1f, -6.6f};
    for (int32_t n = FirstIntroTopicButton; n <= LastTopicButton; ++n)
        SetButton(n, MarkSlot, 40.0f, introY[n - FirstIntroTopicButton], MenuDepth, 5.0f, 0.6f, 1.0f);

    SetButton(ExitButton, ExitSlot, 49.0f, 27.5f, MenuDepth, 1.6f, 1.6f, 1.0f);
    SetButton(PageBackButton, ArrowLeftSlot, -19.0f, -30.5f, MenuDepth, 6.4f, 1.6f, 1.0f);
    SetButton(PageForwardButton, ArrowRightSlot, 19.0f, -30.5f, MenuDepth, 6.4f, 1.6f, 1.0f);
}
