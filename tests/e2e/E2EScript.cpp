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

struct StepName {
    std::string_view name;
    StepKind kind;
};
constexpr StepName kStepNames[] = {
    { "frames", StepKind::Frames },
    { "wait", StepKind::Wait },
    { "expect", StepKind::Expect },
    { "key", StepKind::Key },
    { "click", StepKind::Click },
    { "text", StepKind::Text },
    { "quit", StepKind::Quit },
};

struct ConditionName {
    std::string_view name;
    ConditionKind kind;
};
constexpr ConditionName kConditionNames[] = {
    { "state", ConditionKind::State },
    { "menu", ConditionKind::Menu },
    { "action", ConditionKind::Action },
    { "location", ConditionKind::Location },
};

bool ParseArguments(Step& step, std::string_view rest, std::string& error)
{
    switch (step.kind) {
    case StepKind::Frames:
        if (!ParsePositive(NextWord(rest), step.count, error))
            return false;
        break;
    case StepKind::Wait:
        if (!ParseCondition(NextWord(rest), step.condition, error))
            return false;
        step.count = kDefaultWaitPasses;
        if (!rest.empty() && !ParsePositive(NextWord(rest), step.count, error))
            return false;
        break;
    case StepKind::Expect:
        if (!ParseCondition(NextWord(rest), step.condition, error))
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
        if (rest.empty()) {
            error = "text needs the text to type";
            return false;
        }
        step.text = std::string(rest);
        return true;
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

bool ParseCondition(std::string_view word, Condition& condition, std::string& error)
{
    if (word == "flying") {
        condition = { ConditionKind::Flying, 0, {} };
        return true;
    }
    const size_t equals = word.find('=');
    const std::string_view name = word.substr(0, equals);
    const std::string_view value
        = equals == std::string_view::npos ? std::string_view {} : word.substr(equals + 1);
    const auto row = std::ranges::find(kConditionNames, name, &ConditionName::name);
    if (row == std::end(kConditionNames) || equals == std::string_view::npos || value.empty()) {
        error = "'" + std::string(word)
            + "' is no condition (state=N, menu=NAME, action=N, location=FILE, flying)";
        return false;
    }
    condition = { row->kind, 0, std::string(value) };
    switch (row->kind) {
    case ConditionKind::State:
    case ConditionKind::Action:
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
    default:
        break;
    }
    return true;
}

std::string DescribeCondition(const Condition& condition)
{
    if (condition.kind == ConditionKind::Flying)
        return "flying";
    const auto row = std::ranges::find(kConditionNames, condition.kind, &ConditionName::kind);
    return std::string(row->name) + "=" + condition.text;
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
