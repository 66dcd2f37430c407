// The script manager in tests: a base folder with the text table and compiled scripts, the
// manager installed as g_pScriptManager, and an application interface that records its calls.
#pragma once

#include "foundation/BaseDirectory.h"
#include "script/CScriptHost.h"
#include "script/CZJScriptManager.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/text_table.h"
#include "tools/script/script_compiler.h"
#include "world/terrain/CEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zoq::test {

class RecordingHost : public CScriptHost {
public:
    void PlaySound(const char* name) override { sounds.emplace_back(name); }
    bool IsMessageLogExpanded() override { return expanded; }
    void ToggleMessageLog() override
    {
        expanded = !expanded;
        ++toggles;
    }
    void UpdateJournal(int flag) override { journalNotices.push_back(flag); }
    bool RunProcess(int code) override
    {
        processes.push_back(code);
        return code == 1;
    }
    void SetBonus(float a, float b) override { bonus = { a, b }; }

    int Count(const std::string& sound) const
    {
        int n = 0;
        for (const std::string& s : sounds)
            n += s == sound;
        return n;
    }

    std::vector<std::string> sounds;
    bool expanded = false;
    int toggles = 0;
    std::vector<int> journalNotices;
    std::vector<int> processes;
    std::vector<float> bonus;
};

class ScriptTest : public ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        std::string error;
        ASSERT_TRUE(WriteTextTable(m_dir, Texts(), error)) << error;
        SetBaseDirectory(m_dir.string());
        GameTimeDays() = 1.0f;
        CZJScriptManager::s_textSeed = 0;
        manager = std::make_unique<CZJScriptManager>();
        manager->Init();
        g_pScriptManager = manager.get();
        g_pScriptHost = &host;
    }
    void TearDown() override
    {
        g_pScriptHost = nullptr;
        g_pScriptManager = nullptr;
        manager.reset();
        GameTimeDays() = 0.0f;
        SetBaseDirectory("");
        ErrorLogTest::TearDown();
    }

    virtual std::string Texts() const
    {
        return "[KEY]\nTEXT = zero\nNAME = Key name\n[KEY.1]\nTEXT = one\n[KEY.2]\nTEXT = two\n[KEY.3]\nTEXT "
               "= "
               "three\nDELETED = 1\n[KEY.4]\nTEXT = four\n[RATING.3]\nNAME = Veteran\n[ORG_A_MEMBER]\nNAME = "
               "Member\n";
    }

    // Compiles source (the readable form) to SCRIPT\bin\<name>.<ext>.
    void Script(const std::string& name, const char* ext, const std::string& source)
    {
        const std::filesystem::path text = m_dir / "src" / (name + "." + ext);
        WriteText(text, source);
        std::vector<std::string> lines;
        std::string error;
        ASSERT_TRUE(tools::script::CompileScript(text, m_dir / "src", lines, error)) << error;
        const std::vector<uint8_t> bytes = tools::script::StoreScript(lines);
        WriteBytes(m_dir / "SCRIPT" / "bin" / (name + "." + ext), bytes);
    }

    RecordingHost host;
    std::unique_ptr<CZJScriptManager> manager;
};

} // namespace zoq::test
