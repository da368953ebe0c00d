// Prints "pick x y" for every button of the bar: its centre in screen pixels
// of the 1024 x 768 layout, from the menu's own table. Scripts that drive the
// program with xdotool (tools/release/soak.sh) read their targets from here.
#include <cstdio>

#include "menu/menu.h"
#include "tests/release/program_harness.h"

int main() {
    SetMenuButtons();
    for (int pick = 0; pick < MenuButtonCount; ++pick)
        std::printf("%d %d %d\n", pick, SceneToScreenX(MenuButtons[pick].x), SceneToScreenY(MenuButtons[pick].y));
    return 0;
}
