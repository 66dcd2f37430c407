// Writes settings into one cfg.ini as decimal or key-name texts, remembering whether any write
// failed (a missing folder, a read-only file) so that the caller reports it once.
#pragma once

#include "foundation/ConfigKeys.h"

#include <string>
#include <string_view>

class CConfigWriter {
public:
    explicit CConfigWriter(std::string path)
        : m_path(std::move(path))
    {
    }
    void Number(const SConfigKey& key, int32_t value);
    void Text(const SConfigKey& key, std::string_view value);
    // True while every write succeeded.
    bool Ok() const { return m_ok; }

private:
    std::string m_path;
    bool m_ok = true;
};
