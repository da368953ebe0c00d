#include "content/page.h"

void DrawPage() {}
