// Stand-in until the script manager lands.
#include "script/CZJScriptManager.h"

CZJScriptManager ScriptManager;

bool CZJScriptManager::GetText(const char* key, CXAnsiString& text) const
{
    const auto found = m_texts.find(key);
    if (found == m_texts.end()) {
        text = key;
        return false;
    }
    text = found->second.c_str();
    return true;
}

void CZJScriptManager::SetText(const char* key, const char* text)
{
    m_texts[key] = text;
}
