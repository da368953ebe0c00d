#include "tools/contentgen/content_runs.h"

#include "content/content.h"

namespace {

RunSpec TextSpec(const char* name, const TextPlace& layout, int linesPerPage = 0, bool required = true) {
    return {name, linesPerPage > 0 ? RunKind::PagedText : RunKind::FixedPage, layout, linesPerPage, 0, required};
}

void AddNumbered(std::vector<RunSpec>& specs, const char* stem, const TextPlace* layouts, int count) {
    for (int page = 0; page < count; ++page)
        specs.push_back(TextSpec((stem + std::to_string(page + 1)).c_str(), layouts[page], 0, page == 0));
}

}  // namespace

std::vector<RunSpec> AllRunSpecs() {
    std::vector<RunSpec> specs = {TextSpec("Messages", MessagesPagedLayout, MessageLinesPerPage),
                                  TextSpec("Voters", VotersLayout, MessageLinesPerPage)};
    AddNumbered(specs, "Advertisement", AdvertisementLayouts, MaxAdvertisementPages);
    for (int pick = FirstChartPick; pick <= LastChartPick; ++pick) {
        TextPlace layout{nullptr, DefaultChartTitleX, ChartX, HeadingY, RowStep, 0};
        specs.push_back({"Chart" + std::to_string(pick), RunKind::Chart, layout, 0, pick, true});
    }
    specs.push_back(TextSpec("ContactInformation", ContactLayout));
    specs.push_back(TextSpec("Welcome", WelcomeLayout));
    AddNumbered(specs, "News", NewsLayouts, MaxNewsPages);
    for (const RunSpec& spec : {TextSpec("Credits", CreditsLayout), TextSpec("Bonus3", Bonus3Layout, BonusLinesPerPage),
                                TextSpec("Bonus5", Bonus5Layout, BonusLinesPerPage),
                                TextSpec("Bonus7", Bonus7Layout, BonusLinesPerPage),
                                TextSpec("MessagesPage19", MessagesPage19Layout),
                                TextSpec("MessagesPage20", MessagesPage20Layout)})
        specs.push_back(spec);
    return specs;
}

bool FindRunSpec(std::string_view name, RunSpec& spec) {
    static const std::vector<RunSpec> specs = AllRunSpecs();
    for (const RunSpec& candidate : specs)
        if (candidate.name == name) {
            spec = candidate;
            return true;
        }
    return false;
}
