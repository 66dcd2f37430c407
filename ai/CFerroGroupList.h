// CFerroGroupList: the machine groups of the current location. Entry 0 is always the player's
// team; entries 1.. are made from the location's groups block and owned by the list. It runs them
// every frame with a time-sliced scan, fast-forwards them and keeps them in save games.
#pragma once

#include "foundation/XDynamicArray.h"

#include <cstdint>

class CFerroGroup;
class CFerrovant;
class CZJObject;
class XMemBuffer;

class CFerroGroupList {
public:
    ~CFerroGroupList();

    // Reads the groups block from the objects file that the engine has open, replacing groups
    // 1..: every count is checked against the bytes left, more than 10 members fail the load.
    void Load();
    void Run(float dt, bool runPlayer, bool spy);
    // Fast-forward: every group runs as if far from the player in steps of 5 s.
    void Simulate(float seconds);
    // Deletes groups 1.. and empties the list.
    void Clear();
    // Takes ownership of a group; an empty list first gets the player's team (tests).
    void AddGroup(CFerroGroup* group);

    // Groups 1.., exact comparison with the stored upper-case name; null when none.
    CFerroGroup* FindGroupByName(const char* name) const;
    CFerrovant* FindGroupOfMember(const char* name) const;
    void OnObjectDeleted(CZJObject* object);
    // The index in the list, -1 when absent.
    int IndexOf(const CFerroGroup* group) const;

    // Save-game section 2.
    bool SaveGame(XMemBuffer& stream, bool withConfig);
    // False, with a log line, when a group is unknown or a record is malformed or runs past the
    // section.
    bool LoadGame(XMemBuffer& stream);

    int Count() const { return groups.Count(); }
    // Null for an index outside the list.
    CFerroGroup* At(int i) const { return i >= 0 && i < groups.Count() ? groups.Data()[i] : nullptr; }

    int32_t spyIndex = 0;
    XDynamicArray<CFerroGroup*> groups;

private:
    void DeleteGroups();
};

extern CFerroGroupList FerroGroupList;
