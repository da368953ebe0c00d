#include "tools/contentgen/cast_checks.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "content/content.h"
#include "content/page_layout.h"

namespace {

void Fault(ContentText& text, const std::string& where, const std::string& message) {
    text.faults.push_back(where + ": " + message);
}

std::string WhereOf(const ContentText& text, int index) {
    const TextLine& line = text.lines[index];
    return line.file + ":" + std::to_string(line.lineNumber);
}

std::string Quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Groups, diskmags and boards all have members.
const CastEntry* FindCrew(const Cast& cast, std::string_view name) {
    for (CastKind kind : {CastKind::Group, CastKind::Diskmag, CastKind::Board})
        if (const CastEntry* found = FindCast(cast, name, kind)) return found;
    return nullptr;
}

const Voter* FindVoter(const Cast& cast, std::string_view handle) {
    for (const Voter& voter : cast.voters)
        if (voter.handle == handle) return &voter;
    return nullptr;
}

bool Known(const ContentText& text, std::string_view handle) {
    return FindCast(text.cast, handle, CastKind::Person) || FindVoter(text.cast, handle);
}

// "handle / group": both in the cast, the handle a member of the group (now,
// when a chart shows it). Returns the problem, or "" when the pair holds.
std::string CheckPersonInGroup(const ContentText& text, std::string_view handle, std::string_view group,
                               bool now = false) {
    const CastEntry* person = FindCast(text.cast, handle, CastKind::Person);
    if (!FindCrew(text.cast, group)) return "group " + Quoted(group) + " is not in the cast";
    const Voter* voter = FindVoter(text.cast, handle);
    if (!person && voter && voter->group == group) return "";
    if (!person) return "handle " + Quoted(handle) + " is not in the cast" + (voter ? " nor a voter of " + Quoted(group) : "");
    if (!IsMemberOf(*person, group, now))
        return "the cast does not give " + Quoted(handle) + " to " + Quoted(group) + (now ? " now" : "") + " (see " +
               person->where + ")";
    return "";
}

bool OnPlatform(const CastEntry& entry, const std::string& platform) {
    return platform == "scene" || HasPlatform(entry, platform);
}

constexpr struct {
    const char* word;
    CastKind kind;
} ChartKinds[] = {{"groups", CastKind::Group}, {"mags", CastKind::Diskmag}, {"sites", CastKind::Homepage},
                  {"parties", CastKind::Party}};

// One chart entry against the chart's claim; returns the problem or "" and
// sets group to the group the entry belongs to, if any.
std::string CheckEntry(const ContentText& text, const ChartClaim& claim, std::string_view entry, std::string& group) {
    const std::string& platform = claim.platform;
    if (claim.kind == "people") {
        size_t slash = entry.find(" / ");
        if (slash == std::string_view::npos) {
            if (platform == "scene" && Known(text, entry)) return "";
            return "a people chart names \"handle / group\"";
        }
        group = entry.substr(slash + 3);
        std::string problem = CheckPersonInGroup(text, entry.substr(0, slash), group, true);
        if (!problem.empty()) return problem;
        if (!OnPlatform(*FindCrew(text.cast, group), platform))
            return "group " + Quoted(group) + " is not on " + platform;
        return "";
    }
    if (claim.kind == "prods") {
        size_t by = entry.rfind(" by ");
        if (by == std::string_view::npos) return "a production chart names \"title by maker\"";
        std::string_view title = entry.substr(0, by), maker = entry.substr(by + 4);
        const CastEntry* production = FindCast(text.cast, title, CastKind::Production);
        if (!production) return "production " + Quoted(title) + " is not in the cast";
        if (production->maker != maker)
            return "the cast gives " + Quoted(title) + " to " + Quoted(production->maker) + " (see " +
                   production->where + ")";
        if (!OnPlatform(*production, platform)) return "production " + Quoted(title) + " is not on " + platform;
        group = GroupOfProduction(text.cast, *production);
        return "";
    }
    for (const auto& kind : ChartKinds) {
        if (claim.kind != kind.word) continue;
        const CastEntry* found = FindCast(text.cast, entry, kind.kind);
        if (!found) return Quoted(entry) + " is not in the cast's " + kind.word;
        if (kind.kind != CastKind::Party && !OnPlatform(*found, platform))
            return Quoted(entry) + " is not on " + platform;
        if (kind.kind == CastKind::Group) group = entry;
        return "";
    }
    return "unknown chart kind " + Quoted(claim.kind) + " (groups, people, prods, mags, sites, parties)";
}

int FirstPickOfSection(int pick) {
    for (const TopicRange& range : TopicRanges)
        if (pick >= range.first && pick <= range.last) return range.first;
    return pick;
}

int RowsOf(ChartKind kind) {
    return kind == CancelledChart ? 0 : kind == ShortChart ? ShortChartRows - 1 : ChartRankCount;
}

// The group each place of a chart belongs to ("" for none), and its trends.
struct ChartPlaces {
    std::string groups[ChartRankCount];
    std::string trends;
    bool full = false;
};

ChartPlaces CheckChartEntries(ContentText& text, int pick) {
    ChartPlaces places;
    const RunLayout& run = ChartRun(text, pick);
    const ChartClaim& claim = text.charts[pick - FirstChartPick];
    if (claim.where.empty()) {
        Fault(text, WhereOf(text, run.start), "the chart needs \"@@ chart PLATFORM KIND\" after its \"@@ run\"");
        return places;
    }
    int entries = 0;
    for (int rank = 0; rank < RowsOf(ChartKindOf(text, pick)); ++rank) {
        int index = run.start + ChartFirstRowOffset + rank;
        const std::string& row = text.lines[index].bytes;
        if (int(row.size()) != RankingRowLength) continue;  // the row checks name it
        std::string_view name = TrimRight(std::string_view(row).substr(RankingNameStart, claim.splitWidth - RankingNameStart));
        if (name.empty()) continue;
        ++entries;
        std::string problem = CheckEntry(text, claim, name, places.groups[rank]);
        if (!problem.empty()) Fault(text, WhereOf(text, index), problem);
        places.trends += row.substr(RankingTrendStart);
    }
    places.full = entries == ChartRankCount;
    return places;
}

void CheckChartsDiffer(ContentText& text, const std::vector<ChartPlaces>& charts) {
    for (int pick = FirstChartPick; pick <= LastChartPick; ++pick) {
        const ChartPlaces& chart = charts[pick - FirstChartPick];
        for (int earlier = FirstPickOfSection(pick); earlier < pick; ++earlier) {
            const ChartPlaces& other = charts[earlier - FirstChartPick];
            int shared = 0;
            for (int rank = 0; rank < ChartRankCount; ++rank)
                shared += !chart.groups[rank].empty() && chart.groups[rank] == other.groups[rank];
            if (shared > MaxSharedPlaces)
                Fault(text, WhereOf(text, ChartRun(text, pick).start),
                      "the same groups hold " + std::to_string(shared) + " of the places of Chart" +
                          std::to_string(earlier) + "; rank the chart on its own");
        }
    }
    std::map<std::string, std::vector<int>> picksByTrends;
    for (int pick = FirstChartPick; pick <= LastChartPick; ++pick) {
        const ChartPlaces& chart = charts[pick - FirstChartPick];
        if (!chart.full) continue;
        std::vector<int>& picks = picksByTrends[chart.trends];
        picks.push_back(pick);
        if (int(picks.size()) > MaxChartsPerTrendSequence)
            Fault(text, WhereOf(text, ChartRun(text, pick).start),
                  "the same trends from rank 1 to 10 as Chart" + std::to_string(picks[0]) + " and Chart" +
                      std::to_string(picks[1]));
    }
}

// Voters: the list is the run's second block of lines (after the first blank
// line, up to the next), entries in columns of "handle/group",
// "handle/ex-group" or a lone handle.
void CheckVoters(ContentText& text) {
    const RunLayout& run = *FindRun(text, "Voters");
    int index = run.start;
    while (index < run.start + run.lines && !text.lines[index].bytes.empty()) ++index;
    for (++index; index < run.start + run.lines && !text.lines[index].bytes.empty(); ++index) {
        const std::string& line = text.lines[index].bytes;
        for (size_t at = line.find_first_not_of(' '); at != std::string::npos; at = line.find_first_not_of(' ', at)) {
            size_t end = line.find("  ", at);
            std::string cell = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
            at = end;
            size_t slash = cell.find('/');
            std::string handle = cell.substr(0, slash);
            std::string group = slash == std::string::npos ? "" : cell.substr(slash + 1);
            bool former = group.starts_with("ex-");
            if (former) group.erase(0, 3);
            text.cast.voters.push_back({handle, former ? "" : group, WhereOf(text, index)});
            if (group.empty()) continue;
            const CastEntry* person = FindCast(text.cast, handle, CastKind::Person);
            std::string problem = !FindCrew(text.cast, group) ? "group " + Quoted(group) + " is not in the cast"
                                  : person ? CheckPersonInGroup(text, handle, group)
                                           : "";
            if (!problem.empty()) Fault(text, WhereOf(text, index), problem);
        }
    }
}

// The longest known handle that ends where the text does.
std::string_view HandleBefore(const ContentText& text, std::string_view before) {
    std::string_view best;
    for (size_t start = 0; start < before.size(); ++start) {
        if (start > 0 && before[start - 1] != ' ' && before[start - 1] != '"' && before[start - 1] != '(') continue;
        std::string_view candidate = before.substr(start);
        if (candidate.size() > best.size() && Known(text, candidate)) best = candidate;
    }
    return best;
}

// Every "handle / group" a text line names, where the group is one of the cast.
void CheckPairsInLine(ContentText& text, int index) {
    const std::string& line = text.lines[index].bytes;
    for (size_t slash = line.find(" / "); slash != std::string::npos; slash = line.find(" / ", slash + 1)) {
        std::string_view after = std::string_view(line).substr(slash + 3);
        std::string_view group;
        for (const CastEntry& entry : text.cast.entries)
            if (FindCrew(text.cast, entry.name) == &entry && after.starts_with(entry.name) && entry.name.size() > group.size() &&
                (after.size() == entry.name.size() || !std::isalnum((unsigned char)after[entry.name.size()])))
                group = entry.name;
        if (group.empty()) continue;
        std::string_view before = std::string_view(line).substr(0, slash);
        std::string_view handle = HandleBefore(text, before);
        if (handle.empty()) handle = before.substr(before.rfind(' ') + 1);  // an unknown one-word handle
        std::string problem = CheckPersonInGroup(text, handle, group);
        if (!problem.empty()) Fault(text, WhereOf(text, index), problem);
    }
}

// A message starts with "SENDER to WHOM:", SENDER a handle, a group or both.
void CheckMessageSender(ContentText& text, int index) {
    const std::string& line = text.lines[index].bytes;
    size_t to = line.find(" to ");
    if (line.empty() || line[0] == ' ' || line.back() != ':' || to == std::string::npos) return;
    std::string sender = line.substr(0, to);
    if (sender.find(" / ") != std::string::npos) return;  // the pair check holds it
    if (!Known(text, sender) && !FindCast(text.cast, sender, CastKind::Group) &&
        !FindCast(text.cast, sender, CastKind::Party))
        Fault(text, WhereOf(text, index), "sender " + Quoted(sender) + " is not in the cast");
}

void CheckMemberClaims(ContentText& text) {
    for (const MemberClaim& claim : text.memberClaims) {
        if (!FindCrew(text.cast, claim.group)) {
            Fault(text, claim.where, "group " + Quoted(claim.group) + " is not in the cast");
            continue;
        }
        int members = CurrentMembers(text.cast, claim.group);
        if (members != claim.count)
            Fault(text, claim.where, "the text gives " + claim.group + " " + std::to_string(claim.count) +
                                         " members, the cast " + std::to_string(members));
        for (const Voter& voter : text.cast.voters)
            if (voter.group == claim.group && !FindCast(text.cast, voter.handle, CastKind::Person))
                Fault(text, voter.where, Quoted(voter.handle) + " is not one of the " + std::to_string(claim.count) +
                                             " members " + claim.where + " gives " + claim.group);
    }
}

void CheckCastItself(ContentText& text) {
    std::set<std::pair<CastKind, std::string>> seen;
    for (const CastEntry& entry : text.cast.entries) {
        if (!seen.insert({entry.kind, entry.name}).second) Fault(text, entry.where, Quoted(entry.name) + " is in the cast twice");
        for (const Membership& membership : entry.memberships)
            if (!FindCrew(text.cast, membership.group))
                Fault(text, entry.where, "group " + Quoted(membership.group) + " is not in the cast");
        if (entry.kind == CastKind::Production && !FindCast(text.cast, entry.maker, CastKind::Group) &&
            !FindCast(text.cast, entry.maker, CastKind::Person))
            Fault(text, entry.where, "maker " + Quoted(entry.maker) + " is not in the cast");
    }
}

}  // namespace

void CheckAgainstCast(ContentText& text) {
    if (text.cast.entries.empty()) {
        text.faults.push_back("the cast is missing (a file with \"@@ cast\")");
        return;
    }
    CheckCastItself(text);
    CheckVoters(text);
    std::vector<ChartPlaces> charts(ChartCount);
    for (int pick = FirstChartPick; pick <= LastChartPick; ++pick) charts[pick - FirstChartPick] = CheckChartEntries(text, pick);
    CheckChartsDiffer(text, charts);
    CheckMemberClaims(text);
    for (const RunLayout& run : text.runs) {
        if (run.shape.kind == RunKind::Chart || run.shape.name == "Voters") continue;
        bool messages = run.shape.name.starts_with("Messages");
        for (int index = run.start; index < run.start + run.lines; ++index) {
            CheckPairsInLine(text, index);
            if (messages) CheckMessageSender(text, index);
        }
    }
}
