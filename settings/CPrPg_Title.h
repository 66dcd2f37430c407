// The title page: the picture 132 and nothing else.
#pragma once

#include "settings/CPrPg_Page.h"

class CPrPg_Title : public CPrPg_Page {
public:
    void Load(const std::string&) override { }
    bool Save(const std::string&) override { return true; }
    void Defaults() override { }

protected:
    void OnFirstActivation(const SPageHost&) override { m_initialised = true; }
};
