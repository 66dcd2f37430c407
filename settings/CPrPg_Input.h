// The controls page: one key, mouse button or joystick button per action, and four input
// settings. A row button opens the capture dialog; what it captures moves to that row.
#pragma once

#include "foundation/KeyCodeTable.h"
#include "settings/CPrPg_Page.h"
#include "settings/InputRows.h"

#include <array>
#include <string>

struct SInputControls {
    std::array<std::string, kInputRowCount> buttons; // the rows' button texts
    bool fixCursor = false; // 1037
    bool forceFeedback = false; // 1005
    bool inverseMouse = false; // 1078
    SSlider sensitivity; // 1009
};

class CPrPg_Input : public CPrPg_Page {
public:
    static constexpr size_t kMaxKeyText = 31;

    // Reads the key-code table and the default layout from the current directory's
    // Data\CONFIG files.
    CPrPg_Input();

    void Load(const std::string& path) override;
    bool Save(const std::string& path) override;
    void Defaults() override;

    // The row with that id gets the name; every other row bound to it is cleared.
    void Assign(int id, const std::string& name);
    // The row of a control id, or -1.
    static int RowOf(int id);

    SInputControls& Controls() { return m_controls; }
    const std::string& CurrentKey(int row) const { return m_current[size_t(row)]; }
    const KeyCodeTable& KeyCodes() const { return m_keyCodes; }

protected:
    void OnFirstActivation(const SPageHost& host) override;

private:
    void FillControls();
    void ShowKeys();

    KeyCodeTable m_keyCodes;
    std::array<std::string, kInputRowCount> m_default;
    std::array<std::string, kInputRowCount> m_current;
    int32_t m_fixCursor = 1;
    int32_t m_forceFeedback = 1;
    int32_t m_inverseMouse = 0;
    int32_t m_mouseSensitivity = 5;
    SInputControls m_controls;
};
