#include "settings/CPrPg_Input.h"

#include "foundation/CallTrace.h"
#include "platform/win/profile.h"
#include "settings/CConfigWriter.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsPaths.h"

namespace {

constexpr const SConfigKey& kFixCursor = ConfigKey("ZJCONFIG", "FixCursor");
constexpr const SConfigKey& kForceFeedback = ConfigKey("CONFIG", "ForceFeedback");
constexpr const SConfigKey& kInverseMouse = ConfigKey("INPUT", "InverseMouse");
constexpr const SConfigKey& kMouseSensitivity = ConfigKey("INPUT", "MouseSensitivity");

std::string ReadKeyText(const std::string& path, const SConfigKey& key, const std::string& def)
{
    char text[CPrPg_Input::kMaxKeyText + 1] = {};
    plat::win::ReadProfileString(path, key.section, key.key, def.c_str(), text, sizeof text);
    return text;
}

} // namespace

CPrPg_Input::CPrPg_Input()
{
    m_keyCodes.Load();
    const std::string path = ConfigPath();
    for (int i = 0; i < kInputRowCount; ++i) {
        m_default[size_t(i)] = ReadKeyText(path, *kInputRows[i].layout, "");
        m_current[size_t(i)] = m_default[size_t(i)];
        m_controls.buttons[size_t(i)] = kInputRows[i].label;
    }
}

int CPrPg_Input::RowOf(int id)
{
    for (int i = 0; i < kInputRowCount; ++i) {
        if (kInputRows[i].id == id)
            return i;
    }
    return -1;
}

void CPrPg_Input::Load(const std::string& path)
{
    m_fixCursor = ReadConfigNumber(path, kFixCursor);
    m_mouseSensitivity = ReadConfigNumber(path, kMouseSensitivity);
    m_forceFeedback = ReadConfigNumber(path, kForceFeedback);
    m_inverseMouse = ReadConfigNumber(path, kInverseMouse);
    for (int i = 0; i < kInputRowCount; ++i)
        m_current[size_t(i)] = ReadKeyText(path, *kInputRows[i].binding, m_default[size_t(i)]);
}

void CPrPg_Input::ShowKeys()
{
    for (int i = 0; i < kInputRowCount; ++i)
        m_controls.buttons[size_t(i)] = m_current[size_t(i)];
}

void CPrPg_Input::FillControls()
{
    m_controls.fixCursor = m_fixCursor != 0;
    m_controls.forceFeedback = m_forceFeedback != 0;
    m_controls.inverseMouse = m_inverseMouse != 0;
    const SSettingKey& range = SettingKey(kMouseSensitivity);
    m_controls.sensitivity.min = range.min;
    m_controls.sensitivity.max = range.max;
    m_controls.sensitivity.Set(m_mouseSensitivity);
    ShowKeys();
}

void CPrPg_Input::OnFirstActivation(const SPageHost&)
{
    FillControls();
    m_initialised = true;
}

bool CPrPg_Input::Save(const std::string& path)
{
    ZJ_TRACE("CPrPg_Input::SavePageControls");
    if (!m_initialised)
        return true;
    m_fixCursor = m_controls.fixCursor ? 1 : 0;
    m_forceFeedback = m_controls.forceFeedback ? 1 : 0;
    m_inverseMouse = m_controls.inverseMouse ? 1 : 0;
    m_mouseSensitivity = m_controls.sensitivity.pos;
    CConfigWriter out(path);
    out.Number(kFixCursor, m_fixCursor);
    out.Number(kMouseSensitivity, m_mouseSensitivity);
    out.Number(kForceFeedback, m_forceFeedback);
    out.Number(kInverseMouse, m_inverseMouse);
    for (int i = 0; i < kInputRowCount; ++i)
        out.Text(*kInputRows[i].binding, m_current[size_t(i)]);
    return out.Ok();
}

void CPrPg_Input::Defaults()
{
    m_mouseSensitivity = 5;
    m_fixCursor = 1;
    m_forceFeedback = 1;
    if (m_initialised)
        m_inverseMouse = m_controls.inverseMouse ? 1 : 0;
    m_current = m_default;
    if (m_initialised)
        FillControls();
}

void CPrPg_Input::Assign(int id, const std::string& name)
{
    for (int i = 0; i < kInputRowCount; ++i) {
        if (kInputRows[i].id == id)
            m_current[size_t(i)] = name;
        else if (m_current[size_t(i)] == name)
            m_current[size_t(i)].clear();
    }
    if (m_initialised)
        ShowKeys();
}
