#include "platform/dialog/frame.h"

#include "platform/dialog/dialog_internal.h"
#include "platform/win/text.h"

#include <imgui.h>

#include <algorithm>
#include <cstdint>

namespace plat::dialog {
namespace {

std::string Utf8(std::string_view cp1251)
{
    return win::Cp1251ToUtf8(cp1251);
}

window::Rect ToRect(ImVec2 min, ImVec2 max)
{
    return { int(min.x), int(min.y), int(max.x - min.x), int(max.y - min.y) };
}

// Records the last ImGui item as a control.
void RecordItem(Level& level, int id, ControlKind kind, std::string label, bool enabled, int value)
{
    level.record.controls.push_back({ id, kind, std::move(label),
        ToRect(ImGui::GetItemRectMin(), ImGui::GetItemRectMax()), enabled, value });
}

} // namespace

bool Frame::BeginSheet(int id)
{
    const ImVec2 start = ImGui::GetCursorScreenPos();
    const ImVec2 avail = ImGui::GetContentRegionAvail();
    m_level.record.controls.push_back(
        { id, ControlKind::Sheet, {}, ToRect(start, ImVec2(start.x + avail.x, start.y)), true, -1 });
    m_level.sheetRecord = m_level.record.controls.size() - 1;
    m_level.tabCount = 0;
    return ImGui::BeginTabBar(("##sheet" + std::to_string(id)).c_str());
}

bool Frame::BeginTab(int id, std::string_view label, bool enabled)
{
    std::string text = Utf8(label);
    ImGui::BeginDisabled(!enabled);
    const bool selected = ImGui::BeginTabItem((text + "##tab" + std::to_string(id)).c_str());
    ImGui::EndDisabled();
    RecordItem(m_level, id, ControlKind::Tab, std::move(text), enabled, selected ? 1 : 0);
    if (selected && m_level.sheetRecord < m_level.record.controls.size())
        m_level.record.controls[m_level.sheetRecord].value = m_level.tabCount;
    ++m_level.tabCount;
    return selected;
}

void Frame::EndTab()
{
    ImGui::EndTabItem();
}

void Frame::EndSheet()
{
    ImGui::EndTabBar();
    if (m_level.sheetRecord < m_level.record.controls.size()) {
        window::Rect& rect = m_level.record.controls[m_level.sheetRecord].rect;
        rect.height = std::max(0, int(ImGui::GetCursorScreenPos().y) - rect.y);
    }
}

bool Frame::PushButton(int id, std::string_view label, bool enabled)
{
    std::string text = Utf8(label);
    ImGui::PushID(id);
    ImGui::BeginDisabled(!enabled);
    const bool clicked = ImGui::Button(text.c_str());
    ImGui::EndDisabled();
    ImGui::PopID();
    RecordItem(m_level, id, ControlKind::PushButton, std::move(text), enabled, 0);
    return clicked && enabled;
}

bool Frame::CheckBox(int id, std::string_view label, bool& checked, bool enabled)
{
    std::string text = Utf8(label);
    bool value = checked;
    ImGui::PushID(id);
    ImGui::BeginDisabled(!enabled);
    const bool toggled = ImGui::Checkbox(text.c_str(), &value) && enabled;
    ImGui::EndDisabled();
    ImGui::PopID();
    if (toggled)
        checked = value;
    RecordItem(m_level, id, ControlKind::CheckBox, std::move(text), enabled, checked ? 1 : 0);
    return toggled;
}

bool Frame::RadioButton(int id, std::string_view label, bool checked, bool enabled)
{
    std::string text = Utf8(label);
    ImGui::PushID(id);
    ImGui::BeginDisabled(!enabled);
    const bool clicked = ImGui::RadioButton(text.c_str(), checked);
    ImGui::EndDisabled();
    ImGui::PopID();
    RecordItem(m_level, id, ControlKind::RadioButton, std::move(text), enabled, checked ? 1 : 0);
    return clicked && enabled;
}

bool Frame::Combo(
    int id, std::string_view label, std::span<const std::string> items, int& selected, bool enabled)
{
    if (selected < 0 || selected >= int(items.size()))
        selected = -1;
    std::string text = Utf8(label);
    // The record holds the drop-down's own box, the part a click opens; BeginCombo leaves the open
    // list as the last item.
    const ImVec2 start = ImGui::GetCursorScreenPos();
    const float width = ImGui::CalcItemWidth();
    const size_t record = m_level.record.controls.size();
    m_level.record.controls.push_back({ id, ControlKind::Combo, text,
        ToRect(start, ImVec2(start.x + width, start.y + ImGui::GetFrameHeight())), enabled, selected });

    const std::string preview = selected >= 0 ? Utf8(items[size_t(selected)]) : std::string();
    bool chosen = false;
    ImGui::PushID(id);
    ImGui::BeginDisabled(!enabled);
    if (ImGui::BeginCombo(text.c_str(), preview.c_str())) {
        for (size_t i = 0; i < items.size(); ++i) {
            std::string item = Utf8(items[i]);
            ImGui::PushID(int(i));
            if (ImGui::Selectable(item.c_str(), int(i) == selected) && enabled) {
                selected = int(i);
                chosen = true;
            }
            ImGui::PopID();
            RecordItem(m_level, id, ControlKind::ComboItem, std::move(item), enabled, int(i));
        }
        ImGui::EndCombo();
    }
    ImGui::EndDisabled();
    ImGui::PopID();
    m_level.record.controls[record].value = selected;
    return chosen;
}

bool Frame::Slider(int id, std::string_view label, int& position, int minimum, int maximum, bool enabled)
{
    if (minimum <= maximum)
        position = std::clamp(position, minimum, maximum);
    std::string text = Utf8(label);
    int value = position;
    ImGui::PushID(id);
    ImGui::BeginDisabled(!enabled);
    const bool moved = ImGui::SliderInt(text.c_str(), &value, minimum, maximum) && enabled;
    ImGui::EndDisabled();
    ImGui::PopID();
    if (moved && minimum <= maximum)
        position = std::clamp(value, minimum, maximum);
    RecordItem(m_level, id, ControlKind::Slider, std::move(text), enabled, position);
    return moved;
}

void Frame::StaticText(int id, std::string_view text, bool enabled)
{
    std::string utf8 = Utf8(text);
    std::replace(utf8.begin(), utf8.end(), '\t', '\n');
    ImGui::BeginDisabled(!enabled);
    ImGui::TextUnformatted(utf8.data(), utf8.data() + utf8.size());
    ImGui::EndDisabled();
    RecordItem(m_level, id, ControlKind::StaticText, std::move(utf8), enabled, 0);
}

void Frame::Picture(int id, const Image& image)
{
    if (!image.argb || image.width <= 0 || image.height <= 0)
        return;
    const unsigned texture = m_level.dialog.PictureTexture(id, image);
    ImGui::Image(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(texture)),
        ImVec2(float(image.width), float(image.height)));
    RecordItem(m_level, id, ControlKind::Picture, {}, true, 0);
}

void Frame::SameLine(int x)
{
    ImGui::SameLine(x < 0 ? 0.0f : float(x));
}

void Frame::MoveTo(int x, int y)
{
    ImGui::SetCursorPos(ImVec2(float(x), float(y)));
}

void Frame::NextWidth(int width)
{
    if (width > 0)
        ImGui::SetNextItemWidth(float(width));
}

void Frame::Spacing()
{
    ImGui::Spacing();
}

window::Size Frame::ClientSize() const
{
    return m_level.dialog.window->ClientSize();
}

bool Frame::EnterPressed() const
{
    return m_level.enterPressed;
}

bool Frame::EscapePressed() const
{
    return m_level.escapePressed;
}

int Frame::LineHeight() const
{
    return int(ImGui::GetFrameHeight());
}

} // namespace plat::dialog
