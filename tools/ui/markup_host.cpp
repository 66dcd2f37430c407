#include "tools/ui/markup_host.h"

#include "foundation/BaseDirectory.h"
#include "foundation/PakManager.h"
#include "foundation/XFile.h"
#include "platform/win/text.h"
#include "render/CFont.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace zoq::tools::ui {
namespace {

std::string Field(std::string_view text)
{
    std::string out;
    for (const char c : plat::win::Cp1251ToUtf8(text)) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

MarkupHost::MarkupHost(int32_t left, int32_t top, int32_t right, int32_t bottom, const CFont* font)
    : CMHTLWindow(left, top, right, bottom)
    , m_font(font)
{
}

int32_t MarkupHost::GetFontHeight(int32_t)
{
    return m_font ? m_font->GetLineHeight() : kLineHeight;
}

int32_t MarkupHost::GetTextWidth(int32_t, const char* text)
{
    ++widthCalls;
    return m_font ? m_font->GetTextWidth(text) : int32_t(std::strlen(text)) * kCharWidth;
}

void MarkupHost::GetImageSize(int32_t& width, int32_t& height, const char* name)
{
    const auto found = images.find(name);
    width = found == images.end() ? 0 : found->second.first;
    height = found == images.end() ? 0 : found->second.second;
}

void MarkupHost::GetObjectSize(int32_t& width, int32_t& height, const char*)
{
    width = 0;
    height = 0;
}

std::string DescribeTable(const CMHTLWindow& window)
{
    std::string out;
    for (int32_t i = 0; i < window.LineCount(); ++i) {
        const MHTLLine& record = window.Line(i);
        char box[96];
        std::snprintf(box, sizeof box, "%d,%d,%d,%d\t%06X\t%d\t%d\t%d", record.x1, record.y1, record.x2,
            record.y2, record.colour & 0xFFFFFF, record.font, record.visible, record.keepRagged);
        out += "record\t" + std::to_string(i) + "\t"
            + (record.kind.IsEmpty() ? "-" : Field(record.kind.View())) + "\t" + box + "\t"
            + Field(record.block.View()) + "\t" + Field(record.text.View()) + "\n";
    }
    for (int32_t i = 0; i < window.BlockCount(); ++i) {
        const MHTLBlock& block = window.Block(i);
        out += "block\t" + Field(block.name) + "\t" + std::to_string(block.firstLine) + "\t"
            + std::to_string(block.lastLine) + "\n";
    }
    return out;
}

bool LoadGameFont(const std::string& dir, CFont& font, std::string& error)
{
    std::error_code ec;
    std::filesystem::current_path(dir, ec);
    if (ec) {
        error = "cannot enter the folder: " + ec.message();
        return false;
    }
    g_PakManager.Init("Data");
    const std::string path = BaseDirectory() + "data\\fonts\\font1.kwd";
    XFile file;
    if (!g_PakManager.OpenXFile(path.c_str(), file)) {
        error = "data\\fonts\\font1.kwd cannot be opened";
        return false;
    }
    std::vector<uint8_t> bytes(size_t(std::max<int64_t>(file.Size(), 0)));
    bytes.resize(file.ReadAvailable(bytes.data(), bytes.size()));
    file.Close();
    try {
        font.ReadGlyphFile(bytes.data(), bytes.size(), path.c_str());
    } catch (...) {
        error = "data\\fonts\\font1.kwd is not a glyph file";
        return false;
    }
    return true;
}

} // namespace zoq::tools::ui
