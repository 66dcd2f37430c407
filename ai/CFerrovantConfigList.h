// CFerrovantConfigList: the machine configurations of table "Конфигурации", one FerrovantConfig
// per listed row in table order, found by row key.
#pragma once

#include "ai/FerrovantConfig.h"
#include "foundation/DefaultManager.h"
#include "foundation/XDynamicArray.h"

class CFerrovantConfigList : public DefaultManager {
public:
    // The equipment fields a configuration row may set to 1, in the order their images are kept.
    static constexpr int kEquipmentFieldCount = 16;
    static const char* const kEquipmentFields[kEquipmentFieldCount];

    // Replaces every configuration from the table. Missing gliders, engines and reactors are
    // logged and take row 0; missing guns, shields and armours take -1; a NAME of more than 127
    // or an item of more than 31 bytes is cut with one log line naming the row.
    void Init(const char* table) override;
    // The index of the first configuration with that row key, -1 when none.
    int Find(const char* key) const { return m_rowNames.Find(key); }
    int Count() const { return m_configs.Count(); }
    // Bounds-tested.
    const FerrovantConfig& Get(int index) const { return m_configs.At(index); }

private:
    XDynamicArray<FerrovantConfig> m_configs;
};

extern CFerrovantConfigList FerrovantConfigList;
