// Stand-in until the in-game message window lands: AddMessage writes the message to the log;
// UpdateState keeps the expanded flag.
#pragma once

class CMessager {
public:
    // Text (Windows-1251), colour index (-1 none), block name (null: none).
    void AddMessage(const char* text, int colour, const char* name);
    // Switches between the normal and the expanded window.
    void UpdateState(bool expanded) { this->expanded = expanded; }

    bool expanded = false;
};

extern CMessager Messager;
