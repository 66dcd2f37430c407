// Stand-in until the machine groups land: the list of a location's groups, read from the group
// section of the objects file as the file format lays it out (the behaviour data is skipped), and
// the look-up of a member by name. The player's team is reduced to a flag on the group and the
// report of the change.
#pragma once

#include "foundation/XDynamicArray.h"

#include <cstdint>

class CFerroGroup;

class CFerroGroupList {
public:
    ~CFerroGroupList();

    // Reads the group section from the objects file that the engine has open, replacing the old
    // groups. Every count is checked against the bytes left; a bad section throws.
    void Load();
    // Deletes every group.
    void Clear();
    // Takes ownership of a group (tests and the player's team).
    void AddGroup(CFerroGroup* group);

    // The group holding a machine of that name, with its member index; null when none.
    CFerroGroup* FindGroupOfMember(const char* name, int* member) const;

    int Count() const { return groups.Count(); }
    CFerroGroup* Group(int i) const { return groups.At(i); }

    // The group of that name, or null.
    CFerroGroup* FindGroupByName(const char* name) const;
    // The player's team: a group starts or stops following the player and reports it through
    // messageSink ("TEAMADD", "TEAMREMOVE").
    void AttachGroup(CFerroGroup* group);
    void ReleaseGroup(CFerroGroup* group);
    // Where groups report what happens to them; the application's game-event sink installs it.
    void (*messageSink)(CFerroGroup& group, const char* message) = nullptr;

    XDynamicArray<CFerroGroup*> groups;
};

extern CFerroGroupList FerroGroupList;
