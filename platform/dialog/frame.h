// The controls of one dialog frame, drawn immediately: the dialog calls its draw function once per
// frame and the function draws the controls it shows, in order. Every control carries its control
// id and an enabled flag; a disabled control is drawn greyed and reports nothing. Texts are
// Windows-1251. A call returns what the user did to the control in this frame; the caller keeps the
// values. Controls flow top to bottom; SameLine and MoveTo place the next one.
#pragma once

#include "platform/dialog/frame_record.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace plat::dialog {

// Pixels of a picture: 0xAARRGGBB, rows top first. The dialog keeps a texture of them by control id
// and uploads again when the address or size changes, so the pixels at one address must not change.
struct Image {
    const uint32_t* argb = nullptr;
    int width = 0;
    int height = 0;
};

// The message box's and dialogs' conventional ids.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdStatic = -1;

struct Level;

class Frame {
public:
    // A sheet of tabs: BeginSheet, then per page BeginTab, which is true for the selected page (draw its
    // controls, then EndTab); then EndSheet. The first tab is selected from the first frame; a click on a
    // tab selects it from a later frame. EndSheet only when BeginSheet was true. The tabs' rectangles
    // are laid out from the second frame on (empty in the first).
    bool BeginSheet(int id);
    bool BeginTab(int id, std::string_view label, bool enabled = true);
    void EndTab();
    void EndSheet();

    // True in the frame it is clicked.
    bool PushButton(int id, std::string_view label, bool enabled = true);
    // True when a click toggled checked.
    bool CheckBox(int id, std::string_view label, bool& checked, bool enabled = true);
    // True when clicked; the caller checks it (and unchecks the others of its group).
    bool RadioButton(int id, std::string_view label, bool checked, bool enabled = true);
    // A drop-down list; selected -1 shows no selection, and an index outside the items becomes -1. True
    // when the user chose an item (selected then holds it). An empty label draws the list alone. While
    // the list is open its items are recorded as ComboItem controls with the combo's id.
    bool Combo(int id, std::string_view label, std::span<const std::string> items, int& selected,
        bool enabled = true);
    // A horizontal track; position is clamped into minimum..maximum first (so the caller sees the
    // clamped value at once). True when the user moved it.
    bool Slider(int id, std::string_view label, int& position, int minimum, int maximum, bool enabled = true);
    // A tab in the text breaks the line there.
    void StaticText(int id, std::string_view text, bool enabled = true);
    // The picture at its own size; nothing for an empty image.
    void Picture(int id, const Image& image);

    // Layout, in pixels from the top left of the drawing area: the window in Run and DrawFrame, the box
    // in a modal dialog. The next control follows the last on the same line: at x, or just after it when
    // x is negative.
    void SameLine(int x = -1);
    // The next control at this position.
    void MoveTo(int x, int y);
    // The width of the next combo or slider, in pixels (0: the default).
    void NextWidth(int width);
    // A small vertical gap.
    void Spacing();
    window::Size ClientSize() const;
    // Enter or Escape pressed in this frame: a dialog's default and cancel keys.
    bool EnterPressed() const;
    bool EscapePressed() const;
    // The height of a one-line control, for layout.
    int LineHeight() const;

    explicit Frame(Level& level)
        : m_level(level)
    {
    }

private:
    Level& m_level;
};

} // namespace plat::dialog
