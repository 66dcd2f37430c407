#include "platform/dialog/frame_record.h"

#include <algorithm>

namespace plat::dialog {
namespace {

template <typename Match> const ControlRecord* FindIf(const std::vector<ControlRecord>& controls, Match match)
{
    auto it = std::find_if(controls.begin(), controls.end(), match);
    return it == controls.end() ? nullptr : &*it;
}

} // namespace

const ControlRecord* FrameRecord::Find(int id) const
{
    return FindIf(controls, [&](const ControlRecord& c) { return c.id == id; });
}

const ControlRecord* FrameRecord::Find(int id, ControlKind kind) const
{
    return FindIf(controls, [&](const ControlRecord& c) { return c.id == id && c.kind == kind; });
}

const ControlRecord* FrameRecord::FindLabel(std::string_view utf8) const
{
    return FindIf(controls, [&](const ControlRecord& c) { return c.label == utf8; });
}

} // namespace plat::dialog
