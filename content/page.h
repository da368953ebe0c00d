// The text of the shown page: fixed pages, paged texts, charts and the group photo.
#pragma once

// The longest formatted title, "List of voters - 09/09", has 22 characters.
inline constexpr int PageTitleCapacity = 32;
extern char PageTitleBuffer[PageTitleCapacity];

// Draws the page the content state selects and advances its text fade and
// chart reveal; ClampPage has already run in the same frame.
void DrawPage();
