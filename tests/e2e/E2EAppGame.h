// E2EGame over the running game: g_pZJApp, its running menu, the engine's pending action, the
// player's glider, machines and hold, the script manager and the files of the game folder (the
// current directory); input goes into the window layer's queue as SDL events.
#pragma once

#include "tests/e2e/E2ERunner.h"

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

class E2EAppGame final : public E2EGame {
public:
    // Notes the sizes of the logs in the game folder, the start of what this run adds. The game's
    // information lines of error.log do not count as added.
    E2EAppGame();

    // True once the game has its window, before which no step runs.
    static bool Ready();
    // The window gains the focus, as a desktop gives it to a new window: the input devices need it.
    static void Focus();

    uint32_t State() const override;
    std::string Menu() const override;
    uint32_t Action() const override;
    std::string Location() const override;
    bool Flying() const override;
    bool FindControl(uint32_t command, int& x, int& y) const override;
    void MoveMouse(int x, int y) override;
    void Button(uint16_t keyCode, bool down, int x, int y) override;
    void Key(uint16_t keyCode, bool down) override;
    void Text(const std::string& utf8) override;
    void Close() override;

    bool SetConfig(const std::string& section, const std::string& key, const std::string& value) override;
    uint16_t BindingCode(Binding action) const override;
    bool Self(GliderState& self, Point3& aim) const override;
    bool Find(const std::string& name, std::vector<Point3>& route) const override;
    void Steer(const Point3& target) override;
    bool FindLink(const std::string& target, int& x, int& y) override;
    std::vector<std::string> Screenshots() const override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool HasFile(const std::string& path) const override;
    bool MachineDead(const std::string& name, bool& dead) const override;
    uint32_t Kills() const override;
    uint32_t Goods(const std::string& good) const override;
    double Money() const override;
    bool QuestDone(const std::string& key) const override;
    std::vector<GliderState> RemoteGliders() const override;
    std::string LogProblems() const override;
    int64_t WallClockMs() const override;

private:
    struct LogStart {
        std::string path;
        uintmax_t size;
    };
    std::vector<LogStart> m_logs;
};

} // namespace e2e
