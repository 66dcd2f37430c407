// A fixture for the world database: a temporary data folder whose tables are ini files (a root
// "tables.ini" names one ini file per table), and a clean world before and after each test.
#pragma once

#include "../../foundation/data_dir_fixture.h"

#include "ai/CFerroGroupList.h"
#include "ai/CZJTrade.h"
#include "foundation/ResourceDBManager.h"
#include "platform/win/text.h"
#include "tools/world/objects_writer.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CObjectList.h"

#include <string>
#include <utility>
#include <vector>

class WorldDbTest : public DataDirTest {
protected:
    using TableList = std::vector<std::pair<std::string, std::string>>;

    void SetUp() override
    {
        DataDirTest::SetUp();
        ObjectList.Clear();
        FerroGroupList.Clear();
        ZJTrade.entries.clear();
    }
    void TearDown() override
    {
        ObjectList.Clear();
        ObjectList.rayTest = nullptr;
        FerroGroupList.Clear();
        DataDirTest::TearDown();
    }

    // Tables as (name, ini text), both UTF-8; selects them as the parameter source.
    void UseTables(const TableList& tables)
    {
        std::string root;
        int n = 0;
        for (const auto& [name, text] : tables) {
            const std::string file = "table" + std::to_string(n++) + ".ini";
            root += "[" + name + "]\r\nfilename=" + file + "\r\n";
            WriteText(file, plat::win::Utf8ToCp1251(text));
        }
        WriteText("tables.ini", plat::win::Utf8ToCp1251(root));
        g_ResourceDBManager.Init("tables.ini", 0);
    }

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
        WriteFile(path, zoq::tools::world::WriteObjectsFile(file));
    }

    int LogCount(const std::string& utf8) const
    {
        int count = 0;
        for (const std::string& line : LogLines())
            count += line.find(utf8) != std::string::npos ? 1 : 0;
        return count;
    }
};
