// What a dialog frame showed, control by control, for tests and benchmarks: the record of the last
// frame drawn. Labels are UTF-8 here (the converted text that reached the screen); rectangles are in
// client pixels, the same pixels a pushed mouse event names.
#pragma once

#include "platform/window/window.h"

#include <string>
#include <string_view>
#include <vector>

namespace plat::dialog {

enum class ControlKind : uint8_t {
    Sheet, // value: the index of the selected tab
    Tab, // value: 1 when selected
    PushButton, // value: 0
    CheckBox, // value: 0 or 1
    RadioButton, // value: 1 when checked
    Combo, // value: the selected item, -1 for none; label: its label
    ComboItem, // an item of the open list of a combo: the combo's id, value its index, label its text
    Slider, // value: the position
    StaticText, // value: 0
    Picture, // value: 0
};

struct ControlRecord {
    int id = 0;
    ControlKind kind = ControlKind::StaticText;
    std::string label; // UTF-8
    window::Rect rect;
    bool enabled = true;
    int value = 0;
};

struct FrameRecord {
    std::vector<ControlRecord> controls; // in drawing order

    // The first control of that id (and kind), or null.
    const ControlRecord* Find(int id) const;
    const ControlRecord* Find(int id, ControlKind kind) const;
    // The first control whose UTF-8 label is that text, or null.
    const ControlRecord* FindLabel(std::string_view utf8) const;
};

// A frame read back: 0xAARRGGBB pixels, rows top first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;

    uint32_t At(int x, int y) const { return argb[size_t(y) * size_t(width) + size_t(x)]; }
};

} // namespace plat::dialog
