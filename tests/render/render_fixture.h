// A null-backend device in g_Graphic on a fake window, inside a temporary working folder that
// also holds error.log.
#pragma once

#include "platform/gfx/null/null_backend.h"
#include "platform/gfx/window.h"
#include "render/Graphic.h"
#include "render/RenderSettings.h"
#include "tests/support/device_windows.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/ini_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using zoq::test::ReadBytes;
using zoq::test::ReadText;
using zoq::test::WriteBytes;
using zoq::test::WriteText;

class RenderTest : public zoq::test::WorkingDirLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        plat::gfx::null::ResetConfig();
        g_RenderSettings = SRenderSettings();
    }
    void TearDown() override
    {
        g_Graphic.Release();
        plat::gfx::null::ResetConfig();
        g_RenderSettings = SRenderSettings();
        ErrorLogTest::TearDown();
    }

    // A windowed device of the window's size (filter mode 1).
    bool CreateGraphic(uint32_t filterMode = 1, uint32_t maxAnisotropy = 1)
    {
        return g_Graphic.CreateDirect3D("null")
            && g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
                plat::gfx::MultiSample::None, filterMode, maxAnisotropy, plat::gfx::PresentInterval::Default,
                false, &m_window);
    }
    plat::gfx::Device& Device() { return *g_Graphic.GetDevice(); }
    plat::gfx::null::NullDevice& Null() { return *plat::gfx::null::FromDevice(Device()); }

    // Lines of error.log with the time stamp cut off.
    std::vector<std::string> LogMessages() const
    {
        std::vector<std::string> messages;
        for (const std::string& line : LogLines())
            messages.push_back(line.size() > 24 ? line.substr(24) : line);
        return messages;
    }

    // One row of an ini-mode table: the section name and its keys.
    struct Row {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    // Adds the table (its name in Windows-1251) to those the parameter readers use, through
    // "root.ini".
    void WriteTable(const char* table, const std::vector<Row>& rows)
    {
        std::string text;
        for (const Row& row : rows) {
            text += "[" + row.name + "]\n";
            for (const auto& [key, value] : row.keys)
                text += key + "=" + value + "\n";
        }
        m_tables[table] = text;
        zoq::test::UseIniTables(zoq::test::IniTables(m_tables.begin(), m_tables.end()), "root.ini");
    }

    zoq::test::FakeWindow m_window;
    std::map<std::string, std::string> m_tables;
};
