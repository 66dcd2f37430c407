#include "tests/e2e/E2ERunner.h"

#include "platform/input/key_names.h"
#include "platform/window/keys.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>

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

float HorizontalDistance(const Point3& a, const Point3& b)
{
    return std::hypot(b.x - a.x, b.y - a.y);
}

// How far beside the target the aim's ray passes, seen from above; the whole distance when the
// target is behind.
float HorizontalMiss(const Point3& aim, const Point3& from, const Point3& to)
{
    const float wanted = std::atan2(to.y - from.y, to.x - from.x);
    const float angle
        = std::fabs(std::remainder(wanted - std::atan2(aim.y, aim.x), 2.0f * std::numbers::pi_v<float>));
    const float distance = HorizontalDistance(from, to);
    return angle < std::numbers::pi_v<float> / 2.0f ? distance * std::sin(angle) : distance;
}

bool HasRemoteGlider(const E2EGame& game, std::string& found)
{
    GliderState self;
    Point3 aim;
    if (!game.Self(self, aim)) {
        found = "no glider of the player";
        return false;
    }
    const std::vector<GliderState> remotes = game.RemoteGliders();
    const bool holds = std::ranges::any_of(
        remotes, [&](const GliderState& remote) { return remote.id >> 20 != self.id >> 20; });
    found = std::to_string(remotes.size()) + " remote gliders, none of another player";
    return holds;
}

std::string NotFlying(const E2EGame& game)
{
    return "not flying: state=" + std::to_string(game.State()) + " menu=" + game.Menu();
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
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
        found = NotFlying(game);
        break;
    case ConditionKind::Dead: {
        bool dead = false;
        const bool known = game.MachineDead(condition.text, dead);
        holds = known && dead;
        found = known ? condition.text + " is alive" : "no machine " + condition.text;
        break;
    }
    case ConditionKind::Kills:
        holds = game.Kills() == condition.number;
        found = "kills=" + std::to_string(game.Kills());
        break;
    case ConditionKind::Has: {
        const uint32_t count = game.Goods(condition.text);
        holds = count == condition.number;
        found = "has=" + condition.text + " " + std::to_string(count);
        break;
    }
    case ConditionKind::Money:
        holds = game.Money() >= double(condition.number);
        found = "money=" + Number(game.Money());
        break;
    case ConditionKind::Quest:
        holds = game.QuestDone(condition.text);
        found = "quest=" + condition.text + " not done";
        break;
    case ConditionKind::File:
        holds = game.HasFile(condition.text);
        found = "no file " + condition.text;
        break;
    case ConditionKind::RemoteGlider:
        holds = HasRemoteGlider(game, found);
        break;
    case ConditionKind::LogClean:
        found = game.LogProblems();
        holds = found.empty();
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

bool StepRunner::ApplySettings()
{
    while (!m_failed && !Finished() && m_steps[m_next].kind == StepKind::Set) {
        const Step& step = m_steps[m_next];
        if (Run(step))
            Finish(step);
    }
    return !m_failed;
}

void StepRunner::Pass()
{
    Report();
    while (!m_failed && !Finished()) {
        const Step& step = m_steps[m_next];
        if (!Run(step))
            return;
        Finish(step);
        // Checks, settings and the report take no pass of their own; input waits for the next pass.
        if (step.kind != StepKind::Expect && step.kind != StepKind::Wait && step.kind != StepKind::Set
            && step.kind != StepKind::Report)
            return;
    }
}

void StepRunner::Finish(const Step& step)
{
    m_out << "ok " << step.line << " " << step.source << std::endl;
    ++m_next;
    m_passes = 0;
    m_clickPhase = 0;
    m_waypoint = 0;
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

void StepRunner::Press(uint16_t code, bool down)
{
    if (code >= plat::input::kMouseCodeBase)
        m_game.Button(code, down, 0, 0);
    else
        m_game.Key(code, down);
}

bool StepRunner::Hold(uint16_t code, uint32_t count)
{
    if (m_passes == 0 || m_passes == count)
        Press(code, m_passes == 0);
    return m_passes++ == count;
}

bool StepRunner::ClickAt(bool found, int x, int y, const std::string& missing)
{
    // The pointer moves first, the button goes down and up on the two passes after it.
    if (m_clickPhase == 0) {
        if (!found) {
            if (++m_passes >= kClickWaitPasses)
                Fail(missing);
            return false;
        }
        m_clickX = x;
        m_clickY = y;
        m_game.MoveMouse(x, y);
    } else {
        m_game.Button(plat::input::kMouseCodeBase + 1, m_clickPhase == 1, m_clickX, m_clickY);
    }
    return ++m_clickPhase == 3;
}

bool StepRunner::Fly(const Step& step)
{
    const uint16_t forward = m_game.BindingCode(Binding::Forward);
    GliderState self;
    Point3 aim;
    std::vector<Point3> route { { step.x, step.y, 0.0f } };
    // A building that takes the glider in on the way ends the flight as an arrival.
    if (m_passes > 0 && !m_game.Flying() && (m_game.Action() != 0 || m_game.Menu() == "building")) {
        Press(forward, false);
        return true;
    }
    std::string problem;
    if (forward == 0)
        problem = "FORWARD is not bound";
    else if (!m_game.Flying())
        problem = NotFlying(m_game);
    else if (!m_game.Self(self, aim))
        problem = "no glider of the player";
    else if (!step.atPoint && (!m_game.Find(step.text, route) || route.empty()))
        problem = "no object " + step.text;
    // Each point of the route but the last is passed within reach.
    while (problem.empty() && m_waypoint + 1 < route.size()
        && HorizontalDistance(self.position, route[m_waypoint]) < kArrivalDistance)
        ++m_waypoint;
    Point3 target = route[std::min(m_waypoint, route.size() - 1)];
    if (problem.empty() && m_passes >= step.count)
        problem = "not within " + Number(kArrivalDistance) + " units in " + std::to_string(step.count)
            + " passes (" + Number(HorizontalDistance(self.position, target)) + " away)";
    const bool arrived = problem.empty() && m_waypoint + 1 >= route.size()
        && HorizontalDistance(self.position, target) < kArrivalDistance;
    if (!problem.empty() || arrived) {
        if (m_passes > 0)
            Press(forward, false);
        if (!problem.empty())
            Fail(problem);
        return arrived;
    }
    if (m_passes++ == 0)
        Press(forward, true);
    // Level flight: the aim stays at the glider's height.
    target.z = self.position.z;
    m_game.Steer(target);
    return false;
}

bool StepRunner::Aim(const Step& step)
{
    GliderState self;
    Point3 aim;
    Point3 target;
    if (!m_game.Flying() || !m_game.Self(self, aim)) {
        Fail(m_game.Flying() ? "no glider of the player" : NotFlying(m_game));
        return false;
    }
    std::vector<Point3> route;
    const bool found = m_game.Find(step.text, route) && !route.empty();
    if (found)
        target = route.back();
    const float miss = found ? HorizontalMiss(aim, self.position, target) : 0.0f;
    if (found && miss < kAimMiss)
        return true;
    if (++m_passes > kAimPasses) {
        Fail(found
                ? "still " + Number(miss) + " units beside it after " + std::to_string(kAimPasses) + " passes"
                : "no glider of machine " + step.text);
        return false;
    }
    if (found)
        m_game.Steer(target);
    return false;
}

bool StepRunner::Shot(const Step& step)
{
    constexpr uint16_t kPrintScreen = plat::window::key::PrintScreen;
    if (m_passes < 2) {
        if (m_passes == 0)
            m_shotsBefore = m_game.Screenshots();
        Press(kPrintScreen, m_passes++ == 0);
        return false;
    }
    for (const std::string& name : m_game.Screenshots()) {
        if (std::ranges::find(m_shotsBefore, name) != m_shotsBefore.end())
            continue;
        if (!m_game.RenameFile(name, step.text)) {
            Fail("cannot rename " + name + " to " + step.text);
            return false;
        }
        return true;
    }
    if (++m_passes > kShotWaitPasses)
        Fail("no new screenshot in " + std::to_string(kShotWaitPasses) + " passes");
    return false;
}

void StepRunner::Report()
{
    if (!m_report.is_open())
        return;
    const int64_t now = m_game.WallClockMs();
    if (now < m_nextReportMs)
        return;
    // After a pause (a location loading) the next line is a period after this one.
    m_nextReportMs += kReportPeriodMs;
    if (m_nextReportMs <= now)
        m_nextReportMs = now + kReportPeriodMs;
    GliderState self;
    Point3 aim;
    m_game.Self(self, aim);
    const std::string location = m_game.Location();
    char id[16];
    std::snprintf(id, sizeof id, "%x", self.id);
    m_report << "t " << now << " state " << m_game.State() << " location "
             << (location.empty() ? "-" : location) << " self " << id << " " << Number(self.position.x) << " "
             << Number(self.position.y) << " " << Number(self.position.z);
    for (const GliderState& remote : m_game.RemoteGliders()) {
        std::snprintf(id, sizeof id, "%x", remote.id);
        m_report << " remote " << id << " " << Number(remote.position.x) << " " << Number(remote.position.y)
                 << " " << Number(remote.position.z);
    }
    m_report << std::endl;
}

bool StepRunner::Run(const Step& step)
{
    std::string reason;
    switch (step.kind) {
    case StepKind::Set:
        if (m_game.SetConfig(step.section, step.key, step.text))
            return true;
        Fail("cannot write cfg.ini");
        return false;
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
    case StepKind::Key:
        return Hold(step.keyCode, step.count);
    case StepKind::Fire: {
        const uint16_t fire = m_game.BindingCode(Binding::Fire);
        if (fire != 0)
            return Hold(fire, step.count);
        Fail("FIRE is not bound");
        return false;
    }
    case StepKind::Click: {
        int x = 0;
        int y = 0;
        const bool found = m_clickPhase == 0 && m_game.FindControl(step.command, x, y);
        return ClickAt(found, x, y,
            "no control with command " + std::to_string(step.command) + " in menu=" + m_game.Menu());
    }
    case StepKind::Link: {
        int x = 0;
        int y = 0;
        const bool found = m_clickPhase == 0 && m_game.FindLink(step.text, x, y);
        return ClickAt(found, x, y, "no link to " + step.text + " in menu=" + m_game.Menu());
    }
    case StepKind::Text:
        m_game.Text(step.text);
        return true;
    case StepKind::Quit:
        m_game.Close();
        return true;
    case StepKind::Fly:
        return Fly(step);
    case StepKind::Aim:
        return Aim(step);
    case StepKind::Shot:
        return Shot(step);
    case StepKind::Report:
        m_report.open(step.text, std::ios::trunc);
        if (!m_report) {
            Fail("cannot write " + step.text);
            return false;
        }
        m_nextReportMs = m_game.WallClockMs();
        Report();
        return true;
    }
    return true;
}

} // namespace e2e
