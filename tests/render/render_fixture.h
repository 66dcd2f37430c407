// A null-backend device in g_Graphic on a fake window, inside a temporary working folder that
// also holds error.log.
#pragma once

#include "tests/foundation/error_log_fixture.h"

#include "foundation/ResourceDBManager.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/gfx/window.h"
#include "render/Graphic.h"
#include "render/RenderSettings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <fstream>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

class FakeWindow final : public plat::gfx::DeviceWindow {
public:
    bool IsMinimised() const override { return false; }
    bool IsFocused() const override { return true; }
    plat::gfx::WindowSize ClientSize() const override { return size; }

    plat::gfx::WindowSize size {640, 480};
};

class RenderTest : public ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        m_oldDir = std::filesystem::current_path();
        std::filesystem::current_path(m_dir);
        plat::gfx::null::ResetConfig();
        g_RenderSettings = SRenderSettings();
    }
    void TearDown() override
    {
        g_Graphic.Release();
        plat::gfx::null::ResetConfig();
        g_RenderSettings = SRenderSettings();
        std::filesystem::current_path(m_oldDir);
        ErrorLogTest::TearDown();
    }

    // A windowed device of the window's size (filter mode 1).
    bool CreateGraphic(uint32_t filterMode = 1, uint32_t maxAnisotropy = 1)
    {
        return g_Graphic.CreateDirect3D("null")
            && g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
                plat::gfx::MultiSample::None, filterMode, maxAnisotropy, plat::gfx::PresentInterval::Default, false,
                &m_window);
    }
    plat::gfx::Device& Device() { return *g_Graphic.GetDevice(); }
    plat::gfx::null::NullDevice& Null() { return *plat::gfx::null::FromDevice(Device()); }

    static void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
    {
        if (path.has_parent_path())
            std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    static void WriteText(const std::filesystem::path& path, const std::string& text)
    {
        WriteFile(path, Bytes(text.begin(), text.end()));
    }
    static Bytes ReadFile(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
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
    // Writes the table (its name in Windows-1251) as an ini file named in "root.ini" and points the
    // parameter readers at the root.
    void WriteTable(const char* table, const std::vector<Row>& rows)
    {
        const std::string file = "table" + std::to_string(m_tables.size()) + ".ini";
        m_tables[table] = file;
        std::string text;
        for (const Row& row : rows) {
            text += "[" + row.name + "]\n";
            for (const auto& [key, value] : row.keys)
                text += key + "=" + value + "\n";
        }
        WriteText(file, text);
        std::string root;
        for (const auto& [name, path] : m_tables)
            root += "[" + name + "]\nfilename=" + path + "\n";
        WriteText("root.ini", root);
        g_ResourceDBManager.Init("root.ini", 0);
    }

    FakeWindow m_window;
    std::map<std::string, std::string> m_tables;
    std::filesystem::path m_oldDir;
};
