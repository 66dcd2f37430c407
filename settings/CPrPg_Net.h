// The network page: whether the game may start the server.
#pragma once

#include "settings/CPrPg_Page.h"

struct SNetControls {
    bool runServer = false; // 1024
};

class CPrPg_Net : public CPrPg_Page {
public:
    void Load(const std::string& path) override;
    bool Save(const std::string& path) override;
    void Defaults() override;

    SNetControls& Controls() { return m_controls; }

protected:
    void OnFirstActivation(const SPageHost& host) override;

private:
    int32_t m_runServer = 1;
    SNetControls m_controls;
};
