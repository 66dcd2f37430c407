// A game folder with Data\CONFIG\cfg.ini and DICode.ini as the working directory, and a page
// host that records message boxes and hands out the null graphics adapter.
#pragma once

#include "platform/gfx/adapter.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/win/profile.h"
#include "platform/win/text.h"
#include "settings/CPrPg_Page.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <vector>

namespace zoq::test {

// Windows-1251 cfg.ini lines joined with CRLF.
inline std::string IniText(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (std::string_view line : lines)
        text.append(line).append("\r\n");
    return text;
}

inline const std::string kDICode = IniText({ "8", "key 0x01 Esc", "key 0x11 W", "key 0x1F S",
    "key 0x2A LShift", "key 0x39 Space", "mouse 0x101 Mouse1", "mouse 0x102 Mouse2", "mouse 0x103 Mouse3" });

struct SMessage {
    std::string text;
    std::string caption;
};

class SettingsTest : public TempDirTest {
protected:
    SettingsTest()
        : TempDirTest(Enter::Yes)
    {
    }

    void SetUp() override
    {
        TempDirTest::SetUp();
        plat::gfx::null::ResetConfig();
        WriteText(m_dir / "Data/CONFIG/DICode.ini", kDICode);
        host.messageBox = [this](const std::string& text, const std::string& caption) {
            messages.push_back({ text, caption });
        };
        host.createAdapter = [] { return plat::gfx::CreateAdapter("null"); };
    }

    void TearDown() override
    {
        plat::gfx::null::ResetConfig();
        TempDirTest::TearDown();
    }

    void WriteConfig(const std::string& text) { WriteText(CfgFile(), text); }
    std::string ReadConfig() const { return ReadText(CfgFile()); }
    std::filesystem::path CfgFile() const { return m_dir / "Data/CONFIG/cfg.ini"; }
    static std::string Path() { return ".\\data\\CONFIG\\cfg.ini"; }

    int Number(const char* section, const char* key, int def = -12345) const
    {
        return int32_t(plat::win::ReadProfileInt(Path(), section, key, def));
    }
    std::string Text(const char* section, const char* key) const
    {
        char buf[64] = {};
        plat::win::ReadProfileString(Path(), section, key, "<absent>", buf, sizeof buf);
        return buf;
    }

    SPageHost host;
    std::vector<SMessage> messages;
};

} // namespace zoq::test
