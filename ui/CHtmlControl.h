// CHtmlControl: the menu control that hosts a mark-up window. It scrolls the window (wheel, drag,
// the scroll-bar arrows), turns a click on a link into command 99 to its owner (the whole target
// in linkTarget) and runs a one-line text input inside the window: the console line that Enter
// opens and closes, and the naming of a save. A finished input is command 98 (the text in
// resultText); unless noCommands is set, a console line is a script call or "JUMP TO <name>".
#pragma once

#include "foundation/CXAnsiString.h"
#include "ui/CMenuControl.h"

#include <cstdint>
#include <string>

class CZJHtmlWindow;
class CZJObject;

class CHtmlControl : public CMenuControl {
public:
    static constexpr uint32_t kInputCommand = 98;
    static constexpr uint32_t kLinkCommand = 99;
    // The owner's result when a console jump found its object.
    static constexpr uint32_t kJumpResult = 8;
    static constexpr int32_t kScrollBarWidth = 14;
    static constexpr int32_t kMaxLength = 40;
    static constexpr const char* kConsoleBlock = "CONSOLE COMMAND";
    static constexpr const char* kConsolePrompt = "\\";

    // With no window the control makes a CZJHtmlWindow over left .. right - 14, top .. bottom
    // and owns it.
    CHtmlControl(int32_t left, int32_t top, int32_t right, int32_t bottom, CZJHtmlWindow* window = nullptr);
    ~CHtmlControl() override;

    void Render() override;
    void OnPress() override;
    void OnRelease() override;
    void OnReleaseOutside() override;
    void Update() override;
    void Run() override;

    // Opens the input line in the named block (its text is replaced), or with no name as the
    // console line in a block "CONSOLE COMMAND" added anew at the end of the window.
    void StartInput(const char* block, const char* prompt, const char* initialText);
    // Closes the open line: its text goes back into its block without the cursor and the input
    // is finished with the typed text.
    void CloseInput();
    // Drops the open line without finishing it: no command, no console call; its block keeps
    // what it shows.
    void CancelInput();
    bool InputActive() const { return inputActive != 0; }
    // Prompt plus typed text.
    const CXAnsiString& InputText() const { return inputText; }
    // The typed text without the prompt.
    std::string TypedText() const;
    // Whether the text is taller than the window (the scroll bar shows).
    bool ScrollBarShown() const;
    // The object that the last console jump found, or null.
    CZJObject* JumpTarget() const { return jumpTarget; }

    CZJHtmlWindow* window;
    std::string linkTarget; // the whole target of the last clicked link
    uint8_t linkClicked = 0;
    uint8_t noCommands = 0;
    uint8_t showScrollBar = 1;
    CXAnsiString resultText; // the last finished input, as typed
    uint8_t consoleEnabled = 1;
    int32_t maxLength = kMaxLength;

private:
    // Runs a finished console line: a jump or the script manager's function call.
    void RunConsoleLine(const std::string& line);
    void FinishInput(const std::string& typed);
    // Text input off and the menu's captured control released.
    void EndTyping();
    void ShowInput(bool cursor);
    // Scroll arrows and thumb of the scroll bar.
    void RunScrollBar(int32_t x, int32_t y);

    uint8_t dragging = 0;
    int32_t dragX = 0;
    int32_t dragY = 0;
    int32_t scrollTexture = -1;
    uint8_t ownsWindow = 0;
    CXAnsiString inputText;
    uint8_t inputActive = 0;
    uint8_t inputPending = 0;
    uint8_t enterWasDown = 0;
    std::string blockName;
    int32_t promptLength = 0;
    int32_t arrowPressed = 0; // -1 up, 1 down, 0 none
    uint8_t thumbDragging = 0;
    CZJObject* jumpTarget = nullptr;
};
