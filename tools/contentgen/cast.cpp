#include "tools/contentgen/cast.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view Platforms[] = {"amiga", "pc", "c64", "ascii", "warez", "scene"};

struct KindWord {
    std::string_view word;
    CastKind kind;
    int fields;  // after the name
};
constexpr KindWord KindWords[] = {
    {"group", CastKind::Group, 1},    {"person", CastKind::Person, 2}, {"prod", CastKind::Production, 2},
    {"mag", CastKind::Diskmag, 1},    {"site", CastKind::Homepage, 1}, {"party", CastKind::Party, 0},
    {"board", CastKind::Board, 0},
};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (size_t at = 0;;) {
        size_t end = text.find(separator, at);
        parts.push_back(Trim(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at)));
        if (end == std::string_view::npos) return parts;
        at = end + 1;
    }
}

bool ParsePlatforms(std::string_view field, std::vector<std::string>& platforms, std::string& problem) {
    for (std::string_view word : Split(field, ' ')) {
        if (word.empty()) continue;
        if (std::find(std::begin(Platforms), std::end(Platforms), word) == std::end(Platforms)) {
            problem = "unknown platform \"" + std::string(word) + "\" (amiga, pc, c64, ascii, warez, scene)";
            return false;
        }
        platforms.emplace_back(word);
    }
    if (platforms.empty()) problem = "a platform is missing";
    return !platforms.empty();
}

bool IsYear(std::string_view text) {
    return text.size() == 4 && std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(c); });
}

// "Morvane 1998-2003" (left), "Lumisade 2003-" or "Lumisade" (current);
// "-" for a scener in no group.
bool ParseMemberships(std::string_view field, std::vector<Membership>& memberships, std::string& problem) {
    if (field == "-") return true;  // in no group
    for (std::string_view part : Split(field, ',')) {
        Membership membership;
        size_t space = part.rfind(' ');
        std::string_view last = space == std::string_view::npos ? part : part.substr(space + 1);
        size_t dash = last.find('-');
        if (dash != std::string_view::npos && IsYear(last.substr(0, dash))) {
            std::string_view until = last.substr(dash + 1);
            if (!until.empty() && !IsYear(until)) {
                problem = "years must read YEAR- or YEAR-YEAR";
                return false;
            }
            membership.current = until.empty();
            part = space == std::string_view::npos ? std::string_view() : Trim(part.substr(0, space));
        }
        if (part.empty()) {
            problem = "a group is missing";
            return false;
        }
        membership.group = part;
        memberships.push_back(membership);
    }
    return true;
}

}  // namespace

bool ParseCastLine(std::string_view line, const std::string& where, CastEntry& entry, std::string& problem) {
    size_t space = line.find(' ');
    std::string_view word = line.substr(0, space);
    const KindWord* kind = nullptr;
    for (const KindWord& candidate : KindWords)
        if (candidate.word == word) kind = &candidate;
    if (!kind || space == std::string_view::npos) {
        problem = "a cast line starts with group, person, prod, mag, site, party or board";
        return false;
    }
    std::vector<std::string_view> fields = Split(line.substr(space + 1), '|');
    if (int(fields.size()) != kind->fields + 1 || fields[0].empty()) {
        problem = "a " + std::string(word) + " line holds " + std::to_string(kind->fields + 1) + " fields";
        return false;
    }
    entry = CastEntry{kind->kind, std::string(fields[0]), {}, {}, {}, where};
    switch (kind->kind) {
    case CastKind::Person: return ParseMemberships(fields[1], entry.memberships, problem);
    case CastKind::Production:
        entry.maker = fields[1];
        return ParsePlatforms(fields[2], entry.platforms, problem);
    case CastKind::Group:
    case CastKind::Diskmag:
    case CastKind::Homepage: return ParsePlatforms(fields[1], entry.platforms, problem);
    default: return true;
    }
}

const CastEntry* FindCast(const Cast& cast, std::string_view name, CastKind kind) {
    for (const CastEntry& entry : cast.entries)
        if (entry.kind == kind && entry.name == name) return &entry;
    return nullptr;
}

bool IsMemberOf(const CastEntry& person, std::string_view group, bool now) {
    return std::any_of(person.memberships.begin(), person.memberships.end(),
                       [&](const Membership& m) { return m.group == group && (m.current || !now); });
}

bool HasPlatform(const CastEntry& entry, std::string_view platform) {
    return std::find(entry.platforms.begin(), entry.platforms.end(), platform) != entry.platforms.end();
}

int CurrentMembers(const Cast& cast, std::string_view group) {
    int members = 0;
    for (const CastEntry& entry : cast.entries)
        for (const Membership& membership : entry.memberships)
            members += membership.group == group && membership.current;
    return members;
}

std::string GroupOfProduction(const Cast& cast, const CastEntry& production) {
    const CastEntry* person = FindCast(cast, production.maker, CastKind::Person);
    return person && !person->memberships.empty() ? person->memberships.front().group : production.maker;
}
