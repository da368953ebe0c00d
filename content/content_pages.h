// The magazine's text pages: each one's place (page_layout.h) joined to its
// run of the content table and its title.
#pragma once
#include "content/content_lines.h"
#include "content/page_layout.h"

// A page of text: a fixed page shows its whole run; a paged text (linesPerPage
// above 0) shows one slice of its run per page, its title formatted with n.
struct TextPage {
    const char* title;  // a "%02d" format for paged texts
    float titleX, bodyX, firstY, step;
    int runStart, runLines;
    int linesPerPage;
};

constexpr TextPage PageOf(const char* title, const TextPlace& layout, int runStart, int runLines, int linesPerPage = 0) {
    return {title, layout.titleX, layout.bodyX, layout.firstY, layout.step, runStart, runLines, linesPerPage};
}

inline constexpr TextPage MessagesPaged = PageOf(MessagesTitle, MessagesPagedLayout, MessagesTextStart, MessagesTextLines, MessageLinesPerPage);
inline constexpr TextPage MessagesPage19 = PageOf(MessagesPage19Title, MessagesPage19Layout, MessagesPage19Start, MessagesPage19Lines);
inline constexpr TextPage MessagesPage20 = PageOf(MessagesPage20Title, MessagesPage20Layout, MessagesPage20Start, MessagesPage20Lines);
inline constexpr TextPage CreditsPage = PageOf(CreditsLayout.title, CreditsLayout, CreditsStart, CreditsLines);
inline constexpr TextPage WelcomePage = PageOf(WelcomeLayout.title, WelcomeLayout, WelcomeStart, WelcomeLines);
inline constexpr TextPage ContactPage = PageOf(ContactLayout.title, ContactLayout, ContactInformationStart, ContactInformationLines);
inline constexpr TextPage VotersPaged = PageOf(VotersTextTitle, VotersLayout, VotersTextStart, VotersTextLines, MessageLinesPerPage);
inline constexpr TextPage Bonus3Paged = PageOf(Bonus3TextTitle, Bonus3Layout, Bonus3TextStart, Bonus3TextLines, BonusLinesPerPage);
inline constexpr TextPage Bonus5Paged = PageOf(Bonus5TextTitle, Bonus5Layout, Bonus5TextStart, Bonus5TextLines, BonusLinesPerPage);
inline constexpr TextPage Bonus7Paged = PageOf(Bonus7TextTitle, Bonus7Layout, Bonus7TextStart, Bonus7TextLines, BonusLinesPerPage);

constexpr TextPage NewsPage(int index) {
    return PageOf(NewsTitles[index], NewsLayouts[index], NewsPageStart(index), NewsPageLines[index]);
}
constexpr TextPage AdvertisementPage(int index) {
    return PageOf(AdvertisementTitles[index], AdvertisementLayouts[index], AdvertisementPageStart(index),
                  AdvertisementPageLines[index]);
}
