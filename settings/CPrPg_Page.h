// What every page of the sheet shares: it loads its keys when the sheet is built, fills its
// controls on its first activation, and writes its keys on OK only when it was activated.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace plat::gfx {
class Adapter;
}

// A slider's range and position.
struct SSlider {
    int32_t min = 0;
    int32_t max = 0;
    int32_t pos = 0;
    // The position clamped into the range, as a slider control keeps it.
    void Set(int32_t value) { pos = value < min ? min : value > max ? max : value; }
};

// What the pages need of the program around them.
struct SPageHost {
    // A modal message box; Windows-1251 texts.
    std::function<void(const std::string& text, const std::string& caption)> messageBox;
    // The graphics adapter, or null when there is none; the caller releases it.
    std::function<plat::gfx::Adapter*()> createAdapter;
};

class CPrPg_Page {
public:
    virtual ~CPrPg_Page() = default;

    // Reads the page's keys into its fields.
    virtual void Load(const std::string& path) = 0;
    // The first activation fills the controls; later ones do nothing.
    void Activate(const SPageHost& host)
    {
        if (!m_activated) {
            m_activated = true;
            OnFirstActivation(host);
        }
    }
    // Takes the values from the controls and writes the keys, only when initialised; false when
    // a write failed.
    virtual bool Save(const std::string& path) = 0;
    // Sets the fields, and the controls when initialised, to the program's defaults.
    virtual void Defaults() = 0;

    bool Initialised() const { return m_initialised; }

protected:
    virtual void OnFirstActivation(const SPageHost& host) = 0;
    bool m_initialised = false;

private:
    bool m_activated = false;
};
