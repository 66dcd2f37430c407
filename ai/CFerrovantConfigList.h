// Stand-in until the Ferrovant configurations land: the configuration table's names only, in
// which a configuration is found by its 32-character name.
#pragma once

#include "foundation/DefaultManager.h"

class CFerrovantConfigList : public DefaultManager {
public:
    void Load(const char* table) { DefaultManager::Init(table); }
    int Find(const char* name) const { return m_rowNames.Find(name); }
};

extern CFerrovantConfigList FerrovantConfigList;
