#include "tools/contentgen/content_runs.h"

#include "content/content.h"

namespace {

RunShape TextShape(const char* name, const TextPlace& layout, int linesPerPage = 0, bool required = true) {
    return {name, linesPerPage > 0 ? RunKind::PagedText : RunKind::FixedPage, layout, linesPerPage, 0, required};
}

void AddNumbered(std::vector<RunShape>& shapes, const char* stem, const TextPlace* layouts, int count) {
    for (int page = 0; page < count; ++page)
        shapes.push_back(TextShape((stem + std::to_string(page + 1)).c_str(), layouts[page], 0, page == 0));
}

}  // namespace

std::vector<RunShape> AllRunSpecs() {
    std::vector<RunShape> shapes = {TextShape("Messages", MessagesPagedLayout, MessageLinesPerPage),
                                  TextShape("Voters", VotersLayout, MessageLinesPerPage)};
    AddNumbered(shapes, "Advertisement", AdvertisementLayouts, MaxAdvertisementPages);
    for (int pick = FirstChartPick; pick <= LastChartPick; ++pick) {
        TextPlace layout{nullptr, DefaultChartTitleX, ChartX, HeadingY, RowStep, 0};
        shapes.push_back({"Chart" + std::to_string(pick), RunKind::Chart, layout, 0, pick, true});
    }
    shapes.push_back(TextShape("ContactInformation", ContactLayout));
    shapes.push_back(TextShape("Welcome", WelcomeLayout));
    AddNumbered(shapes, "News", NewsLayouts, MaxNewsPages);
    for (const RunShape& shape : {TextShape("Credits", CreditsLayout), TextShape("Bonus3", Bonus3Layout, BonusLinesPerPage),
                                TextShape("Bonus5", Bonus5Layout, BonusLinesPerPage),
                                TextShape("Bonus7", Bonus7Layout, BonusLinesPerPage),
                                TextShape("MessagesPage19", MessagesPage19Layout),
                                TextShape("MessagesPage20", MessagesPage20Layout)})
        shapes.push_back(shape);
    return shapes;
}

bool FindRunShape(std::string_view name, RunShape& shape) {
    static const std::vector<RunShape> shapes = AllRunSpecs();
    for (const RunShape& candidate : shapes)
        if (candidate.name == name) {
            shape = candidate;
            return true;
        }
    return false;
}
