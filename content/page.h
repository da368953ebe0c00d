// The text of the shown page: fixed pages, paged texts, charts and the group photo.
#pragma once

void DrawPage();
