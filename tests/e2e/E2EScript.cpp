#include "tests/e2e/E2EScript.h"

#include "platform/input/key_names.h"

#include <algorithm>
#include <charconv>

namespace e2e {

namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr uint16_t kLastMouseCode = plat::input::kMouseCodeBase + 5;

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Splits off the first word; the rest is trimmed.
std::string_view NextWord(std::string_view& text)
{
    const size_t end = text.find_first_of(kBlanks);
    const std::string_view word = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view {} : Trim(text.substr(end));
    return word;
}

bool ParseNumber(std::string_view word, uint32_t& value)
{
    if (word.empty())
        return false;
    const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
    return failure == std::errc() && end == word.data() + word.size();
}

bool ParsePositive(std::string_view word, uint32_t& value, std::string& error)
{
    if (ParseNumber(word, value) && value > 0)
        return true;
    error = "'" + std::string(word) + "' is no positive number";
    return false;
}

bool ParseFloat(std::string_view word, float& value)
{
    if (word.empty())
        return false;
    const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
    return failure == std::errc() && end == word.data() + word.size();
}

// A file name of the game folder: one word without folders.
bool ParseFileName(std::string_view word, std::string& name, std::string& error)
{
    if (word.empty() || word.find_first_of("\\/") != std::string_view::npos || word == "." || word == "..") {
        error = "'" + std::string(word) + "' is no file name";
        return false;
    }
    name = std::string(word);
    return true;
}

struct StepName {
    std::string_view name;
    StepKind kind;
};
constexpr StepName kStepNames[] = {
    { "set", StepKind::Set },
    { "frames", StepKind::Frames },
    { "wait", StepKind::Wait },
    { "expect", StepKind::Expect },
    { "key", StepKind::Key },
    { "click", StepKind::Click },
    { "text", StepKind::Text },
    { "quit", StepKind::Quit },
    { "fly", StepKind::Fly },
    { "aim", StepKind::Aim },
    { "fire", StepKind::Fire },
    { "link", StepKind::Link },
    { "shot", StepKind::Shot },
    { "report", StepKind::Report },
};

// The conditions written NAME=VALUE; money>=N reads as the name "money>".
struct ConditionName {
    std::string_view name;
    ConditionKind kind;
};
constexpr ConditionName kConditionNames[] = {
    { "state", ConditionKind::State },
    { "menu", ConditionKind::Menu },
    { "action", ConditionKind::Action },
    { "location", ConditionKind::Location },
    { "dead", ConditionKind::Dead },
    { "kills", ConditionKind::Kills },
    { "has", ConditionKind::Has },
    { "money>", ConditionKind::Money },
    { "quest", ConditionKind::Quest },
    { "file", ConditionKind::File },
};
// The conditions of one word without a value.
constexpr ConditionName kBareConditions[] = {
    { "flying", ConditionKind::Flying },
    { "remote-glider", ConditionKind::RemoteGlider },
    { "log-clean", ConditionKind::LogClean },
};
constexpr std::string_view kConditionList = "(state=N, menu=NAME, action=N, location=FILE, flying, "
                                            "dead=MACHINE, kills=N, has=GOOD N, money>=N, "
                                            "quest=KEY done, file=PATH, remote-glider, log-clean)";

// SECTION.KEY=VALUE; the value is the rest of the line and may be empty.
bool ParseSetting(Step& step, std::string_view text, std::string& error)
{
    const size_t dot = text.find('.');
    const size_t equals = text.find('=');
    if (dot == std::string_view::npos || equals == std::string_view::npos || dot == 0 || equals <= dot + 1) {
        error = "'" + std::string(text) + "' is no SECTION.KEY=VALUE";
        return false;
    }
    step.section = std::string(Trim(text.substr(0, dot)));
    step.key = std::string(Trim(text.substr(dot + 1, equals - dot - 1)));
    step.text = std::string(Trim(text.substr(equals + 1)));
    return true;
}

// NAME or X,Y.
void ParseFlyTarget(Step& step, std::string_view word)
{
    const size_t comma = word.find(',');
    step.atPoint = comma != std::string_view::npos && ParseFloat(word.substr(0, comma), step.x)
        && ParseFloat(word.substr(comma + 1), step.y);
    step.text = std::string(word);
}

bool ParseArguments(Step& step, std::string_view rest, std::string& error)
{
    switch (step.kind) {
    case StepKind::Set:
        return ParseSetting(step, rest, error);
    case StepKind::Frames:
    case StepKind::Fire:
        if (!ParsePositive(NextWord(rest), step.count, error))
            return false;
        break;
    case StepKind::Wait:
        if (!ParseCondition(rest, step.condition, error))
            return false;
        step.count = kDefaultWaitPasses;
        if (!rest.empty() && !ParsePositive(NextWord(rest), step.count, error))
            return false;
        break;
    case StepKind::Expect:
        if (!ParseCondition(rest, step.condition, error))
            return false;
        break;
    case StepKind::Key: {
        const std::string_view name = NextWord(rest);
        if (!plat::input::FindKeyCode(name, step.keyCode) || step.keyCode > kLastMouseCode) {
            error = "'" + std::string(name) + "' is no key or Mouse1-Mouse5 name of DICode.ini";
            return false;
        }
        step.count = 1;
        if (!rest.empty() && !ParsePositive(NextWord(rest), step.count, error))
            return false;
        break;
    }
    case StepKind::Click:
        if (!ParsePositive(NextWord(rest), step.command, error))
            return false;
        break;
    case StepKind::Text:
    case StepKind::Link:
        if (rest.empty()) {
            error = step.kind == StepKind::Text ? "text needs the text to type" : "link needs its target";
            return false;
        }
        step.text = std::string(rest);
        return true;
    case StepKind::Fly:
        if (rest.empty()) {
            error = "fly needs an object name or X,Y";
            return false;
        }
        ParseFlyTarget(step, NextWord(rest));
        step.count = kDefaultFlyPasses;
        if (!rest.empty() && !ParsePositive(NextWord(rest), step.count, error))
            return false;
        break;
    case StepKind::Aim:
        step.text = std::string(NextWord(rest));
        if (step.text.empty()) {
            error = "aim needs a machine name";
            return false;
        }
        break;
    case StepKind::Shot:
    case StepKind::Report:
        if (!ParseFileName(NextWord(rest), step.text, error))
            return false;
        if (step.kind == StepKind::Shot)
            step.text += ".bmp";
        break;
    case StepKind::Quit:
        break;
    }
    if (!rest.empty()) {
        error = "'" + std::string(rest) + "' is left over";
        return false;
    }
    return true;
}

} // namespace

bool ParseCondition(std::string_view& text, Condition& condition, std::string& error)
{
    const std::string_view word = NextWord(text);
    if (const auto bare = std::ranges::find(kBareConditions, word, &ConditionName::name);
        bare != std::end(kBareConditions)) {
        condition = { bare->kind, 0, {} };
        return true;
    }
    const size_t equals = word.find('=');
    const std::string_view name = word.substr(0, equals);
    const std::string_view value
        = equals == std::string_view::npos ? std::string_view {} : word.substr(equals + 1);
    const auto row = std::ranges::find(kConditionNames, name, &ConditionName::name);
    if (row == std::end(kConditionNames) || equals == std::string_view::npos || value.empty()) {
        error = "'" + std::string(word) + "' is no condition " + std::string(kConditionList);
        return false;
    }
    condition = { row->kind, 0, std::string(value) };
    switch (row->kind) {
    case ConditionKind::State:
    case ConditionKind::Action:
    case ConditionKind::Kills:
    case ConditionKind::Money:
        if (!ParseNumber(value, condition.number)) {
            error = "'" + std::string(value) + "' is no number";
            return false;
        }
        break;
    case ConditionKind::Menu:
        if (std::ranges::find(kMenuNames, value) == std::end(kMenuNames)) {
            error = "'" + std::string(value) + "' is no menu (start, ingame, building, saveload, none)";
            return false;
        }
        break;
    case ConditionKind::Has: {
        const std::string_view count = NextWord(text);
        if (!ParseNumber(count, condition.number)) {
            error = "has=" + std::string(value) + " needs a count, not '" + std::string(count) + "'";
            return false;
        }
        break;
    }
    case ConditionKind::Quest:
        if (NextWord(text) != "done") {
            error = "quest=" + std::string(value) + " needs 'done'";
            return false;
        }
        break;
    default:
        break;
    }
    return true;
}

bool ParseScript(std::string_view script, std::vector<Step>& steps, std::string& error)
{
    steps.clear();
    int line = 0;
    while (!script.empty()) {
        ++line;
        const size_t end = script.find('\n');
        std::string_view text = script.substr(0, end);
        script = end == std::string_view::npos ? std::string_view {} : script.substr(end + 1);
        text = Trim(text.substr(0, text.find('#')));
        if (text.empty())
            continue;
        Step step;
        step.line = line;
        step.source = std::string(text);
        const std::string_view name = NextWord(text);
        const auto row = std::ranges::find(kStepNames, name, &StepName::name);
        std::string reason;
        if (row == std::end(kStepNames))
            reason = "'" + std::string(name) + "' is no step";
        else if (row->kind == StepKind::Set && !steps.empty() && steps.back().kind != StepKind::Set)
            reason = "set comes before every other step";
        else {
            step.kind = row->kind;
            ParseArguments(step, text, reason);
        }
        if (!reason.empty()) {
            error = "line " + std::to_string(line) + ": " + reason;
            steps.clear();
            return false;
        }
        steps.push_back(std::move(step));
    }
    return true;
}

} // namespace e2e
