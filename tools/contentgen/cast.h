// The cast of an issue: every person, group, production, diskmag, homepage
// and party the text may name, so that the generator can hold every page to
// one story.
//
// A source file switches to cast lines with "@@ cast"; from there to its end
// each non-blank line is one entry, fields separated by "|":
//
//   group NAME | PLATFORMS
//   person HANDLE | GROUP [YEAR-[YEAR]], ... | ROLES
//   prod TITLE | MAKER | PLATFORM
//   mag NAME | PLATFORMS        site NAME | PLATFORMS
//   party NAME                  board NAME
//
// PLATFORMS are words among amiga, pc, c64, ascii, warez, scene. A person's
// group with a closing year ("Morvane 1998-2003") is one they have left; "-"
// stands for no group.
#pragma once
#include <string>
#include <string_view>
#include <vector>

enum class CastKind { Group, Person, Production, Diskmag, Homepage, Party, Board };

struct Membership {
    std::string group;
    bool current = true;  // no leaving year
};

struct CastEntry {
    CastKind kind = CastKind::Group;
    std::string name;
    std::vector<std::string> platforms;   // groups, diskmags, homepages, productions
    std::vector<Membership> memberships;  // people
    std::string maker;                    // productions: a group or a person
    std::string where;                    // "file:line"
};

// A name of the voters' list: known by the list itself, with the group it
// gives ("" for none or a former one).
struct Voter {
    std::string handle, group, where;
};

struct Cast {
    std::vector<CastEntry> entries;
    std::vector<Voter> voters;
};

// Parses one cast line (without its kind word split off); false with the
// problem when the line is not a cast entry.
bool ParseCastLine(std::string_view line, const std::string& where, CastEntry& entry, std::string& problem);

const CastEntry* FindCast(const Cast& cast, std::string_view name, CastKind kind);
// A member at any time, or with now only a current one.
bool IsMemberOf(const CastEntry& person, std::string_view group, bool now);
bool HasPlatform(const CastEntry& entry, std::string_view platform);
int CurrentMembers(const Cast& cast, std::string_view group);
// The group a production belongs to: its maker, or its maker's first group.
std::string GroupOfProduction(const Cast& cast, const CastEntry& production);
