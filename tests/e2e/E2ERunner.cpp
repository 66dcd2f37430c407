#include "tests/e2e/E2ERunner.h"

#include "platform/input/key_names.h"

#include <cctype>

namespace e2e {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(uint8_t(a[i])) != std::tolower(uint8_t(b[i])))
            return false;
    }
    return true;
}

// The file name without its folders ('\' or '/').
std::string_view FileName(std::string_view path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

bool Holds(const E2EGame& game, const Condition& condition, std::string& reason)
{
    std::string found;
    bool holds = false;
    switch (condition.kind) {
    case ConditionKind::State:
        holds = game.State() == condition.number;
        found = "state=" + std::to_string(game.State());
        break;
    case ConditionKind::Menu:
        found = "menu=" + game.Menu();
        holds = found == "menu=" + condition.text;
        break;
    case ConditionKind::Action:
        holds = game.Action() == condition.number;
        found = "action=" + std::to_string(game.Action());
        break;
    case ConditionKind::Location: {
        const std::string location = game.Location();
        holds = SameIgnoringCase(location, condition.text)
            || SameIgnoringCase(FileName(location), condition.text);
        found = "location=" + location;
        break;
    }
    case ConditionKind::Flying:
        holds = game.Flying();
        found = "not flying: state=" + std::to_string(game.State()) + " menu=" + game.Menu();
        break;
    }
    if (!holds)
        reason = found;
    return holds;
}

StepRunner::StepRunner(std::vector<Step> steps, E2EGame& game, std::ostream& out)
    : m_steps(std::move(steps))
    , m_game(game)
    , m_out(out)
{
}

void StepRunner::Pass()
{
    while (!m_failed && !Finished()) {
        const Step& step = m_steps[m_next];
        if (!Run(step))
            return;
        Finish(step);
        // Checks and the close request take no pass of their own; input waits for the next pass.
        if (step.kind != StepKind::Expect && step.kind != StepKind::Wait)
            return;
    }
}

void StepRunner::Finish(const Step& step)
{
    m_out << "ok " << step.line << " " << step.source << std::endl;
    ++m_next;
    m_passes = 0;
    m_clickPhase = 0;
}

void StepRunner::Fail(const std::string& reason)
{
    if (m_failed)
        return;
    m_failed = true;
    const Step* step = !m_steps.empty() ? &m_steps[Finished() ? m_steps.size() - 1 : m_next] : nullptr;
    m_out << "fail " << (step ? step->line : 0) << " " << (step ? step->source : std::string()) << ": "
          << reason << std::endl;
}

bool StepRunner::Run(const Step& step)
{
    std::string reason;
    switch (step.kind) {
    case StepKind::Frames:
        return ++m_passes >= step.count;
    case StepKind::Wait:
        if (Holds(m_game, step.condition, reason))
            return true;
        if (++m_passes >= step.count)
            Fail("not reached in " + std::to_string(step.count) + " passes (" + reason + ")");
        return false;
    case StepKind::Expect:
        if (Holds(m_game, step.condition, reason))
            return true;
        Fail(reason);
        return false;
    case StepKind::Key: {
        const bool mouse = step.keyCode >= plat::input::kMouseCodeBase;
        const bool down = m_passes == 0;
        if (down || m_passes == step.count) {
            if (mouse)
                m_game.Button(step.keyCode, down, 0, 0);
            else
                m_game.Key(step.keyCode, down);
        }
        return m_passes++ == step.count;
    }
    case StepKind::Click:
        // The pointer moves first, the button goes down and up on the two passes after it.
        if (m_clickPhase == 0) {
            if (!m_game.FindControl(step.command, m_clickX, m_clickY)) {
                if (++m_passes >= kClickWaitPasses)
                    Fail("no control with command " + std::to_string(step.command)
                        + " in menu=" + m_game.Menu());
                return false;
            }
            m_game.MoveMouse(m_clickX, m_clickY);
        } else {
            m_game.Button(plat::input::kMouseCodeBase + 1, m_clickPhase == 1, m_clickX, m_clickY);
        }
        return ++m_clickPhase == 3;
    case StepKind::Text:
        m_game.Text(step.text);
        return true;
    case StepKind::Quit:
        m_game.Close();
        return true;
    }
    return true;
}

} // namespace e2e
