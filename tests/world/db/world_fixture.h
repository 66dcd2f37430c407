// A fixture for the world database: a temporary data folder whose tables are ini files (a root
// "tables.ini" names one ini file per table), and a clean world before and after each test.
#pragma once

#include "tests/foundation/data_dir_fixture.h"

#include "ai/CFerroGroupList.h"
#include "ai/CPlayerFerroGroup.h"
#include "ai/CZJTrade.h"
#include "foundation/ResourceDBManager.h"
#include "platform/win/text.h"
#include "tests/support/ini_tables.h"
#include "tools/map/map_writer.h"
#include "tools/world/objects_writer.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CObjectList.h"
#include "world/terrain/CLocation.h"

#include <string>
#include <utility>
#include <vector>

class WorldDbTest : public DataDirTest {
protected:
    using TableList = std::vector<std::pair<std::string, std::string>>;

    void SetUp() override
    {
        DataDirTest::SetUp();
        ForgetWorld();
        ZJTrade.Clear();
    }
    void TearDown() override
    {
        ForgetWorld();
        DataDirTest::TearDown();
    }

    // No objects, groups or map: each test starts from an unloaded location.
    static void ForgetWorld()
    {
        ObjectList.Clear();
        // The player's record outlives the objects; its glider went with them.
        PlayerFerroGroup.members[0].glider = nullptr;
        FerroGroupList.Clear();
        Location.Purge();
        Location.streamFile.Close();
        Location.streamOpen = 0;
    }

    // Tables as (name, ini text), both UTF-8; selects them as the parameter source.
    static void UseTables(const TableList& tables) { zoq::test::UseUtf8IniTables(tables); }

    // The table list that every type manager reads, each empty unless given; "Организации" holds
    // ORG_PLAYER unless given.
    static TableList AllTables(const TableList& given)
    {
        TableList all = given;
        bool hasOrgs = false;
        for (const auto& [name, text] : given)
            hasOrgs = hasOrgs || name == "Организации";
        if (!hasOrgs)
            all.push_back({ "Организации", "[ORG_PLAYER]\nICON=1\n" });
        return all;
    }

    static void WriteObjects(const std::string& path, const zoq::tools::world::ObjectsFile& file)
    {
        WriteBytes(path, zoq::tools::world::WriteObjectsFile(file));
    }

    // A one-block flat map file.
    static void WriteFlatMap(const std::string& path)
    {
        WriteBytes(path, zoq::tools::map::WriteMap(zoq::tools::map::LocationMap::Flat(65, 65)));
    }

    int LogCount(const std::string& utf8) const { return LogLineCount(utf8); }
};
