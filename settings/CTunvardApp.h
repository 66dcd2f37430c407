// The settings program: builds the sheet on the current directory's cfg.ini, runs it in the
// dialog window and, when Start closed it, starts the game.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace plat::dialog {
class Dialog;
}

class CTunvardApp {
public:
    enum ExitCode : int { kDone = 0, kNoWindow = 1, kException = 2 };
    static constexpr char kGameProgram[] = "ZOQ.exe";
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    // Starts a program by its Windows command line; false when it could not be started.
    using Starter = std::function<bool(std::string_view commandLine)>;

    explicit CTunvardApp(Starter starter);

    // Start mode: the command line is empty. Opens the window and runs the sheet in it; returns
    // the exit code.
    int InitInstance(bool startMode);
    // Runs the sheet in an open dialog window; starts the game when Start closed it.
    void RunSheet(plat::dialog::Dialog& dialog, bool startMode);

    // The starter of the running system: the program beside this one, else in the current directory.
    static bool StartProgram(std::string_view commandLine);

private:
    Starter m_starter;
};
