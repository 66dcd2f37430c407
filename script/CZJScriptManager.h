// Stand-in until the script manager lands: its text table reduced to GetText over texts set by
// SetText.
#pragma once

#include "foundation/CXAnsiString.h"

#include <map>
#include <string>

class CZJScriptManager {
public:
    // The text of key: true when present; otherwise the key itself and false.
    bool GetText(const char* key, CXAnsiString& text) const;
    void SetText(const char* key, const char* text);

private:
    std::map<std::string, std::string> m_texts;
};

extern CZJScriptManager ScriptManager;
