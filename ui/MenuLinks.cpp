#include "ui/MenuLinks.h"

#include <algorithm>
#include <cmath>

int32_t LinkWordCommand(std::string_view word)
{
    for (const SLinkWord& link : kLinkWords)
        if (word == link.word)
            return link.command;
    return -1;
}

bool IsMenuLinkWord(std::string_view word)
{
    return LinkWordCommand(word) >= 0 || word.substr(0, kLinkJumpTo.size()) == kLinkJumpTo
        || word == kLinkQuest || word == kLinkAcceptQuest;
}

int32_t QuestMinutesLeft(float deadline, float now, bool shortened)
{
    const double minutes = std::round((double(deadline) - double(now)) * 1440.0) - (shortened ? 10.0 : 0.0);
    return int32_t(std::max(minutes, 0.0));
}
