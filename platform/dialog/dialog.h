// The settings program's dialog window: one window of the window layer with an OpenGL 3.3 context, on
// which immediate-mode controls (frame.h) are drawn. A loop (Run, RunModal, MessageBox) draws a frame
// whenever an event arrives and otherwise sleeps until the next event or timer tick. Modal loops may
// be started from inside a draw function or a tick: the inner loop draws over the window until it
// ends, then the outer frame goes on. Closing the window (or SDL's quit, such as SIGTERM) is a close
// request: it ends every running loop with its close result and stays set. Texts are Windows-1251.
// The layer throws nothing itself (failures return null with a debug line); an exception from a draw
// function or tick passes through every loop, which closes its frame and ends on the way.
#pragma once

#include "platform/dialog/frame.h"
#include "platform/dialog/frame_record.h"
#include "platform/window/window.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace plat::dialog {

struct DialogDesc {
    std::string title; // Windows-1251
    int width = 640; // client size
    int height = 480;
};

// A modal dialog drawn over the window: a box with a caption, its controls drawn by the draw function;
// with a timer, the tick runs every timerMs milliseconds while it is open.
struct ModalParams {
    std::string caption; // Windows-1251
    int timerMs = 0; // 0: no timer
    int closeResult = kIdCancel; // what a close request makes it return
};

class Dialog {
public:
    using DrawFn = std::function<void(Frame& frame)>;
    using TickFn = std::function<void()>;

    // Null when the window or the GL 3.3 context cannot be made; why (when given) gets the reason.
    static std::unique_ptr<Dialog> Create(const DialogDesc& desc, std::string* why = nullptr);
    ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // The window, for its icon (SetIcon) and title.
    window::Window& Window();

    // Draws frames over the whole window until EndModal or a close request; returns EndModal's result,
    // or closeResult after a close request (at once when one is already set).
    int Run(const DrawFn& draw, int closeResult);
    // A modal box over the window until EndModal or a close request.
    int RunModal(const ModalParams& params, const DrawFn& draw, const TickFn& tick = {});
    // A modal box with the text and one OK button; returns on OK, Enter, Escape or a close request.
    void MessageBox(std::string_view text, std::string_view caption);
    // Ends the innermost running loop with result after the current frame or tick.
    void EndModal(int result);
    bool CloseRequested() const;

    // One frame of the innermost level without waiting: takes the pending events, draws and shows it.
    // For tests and benchmarks that step frames themselves.
    void DrawFrame(const DrawFn& draw);

    // For tests: the record of the last frame shown (by any loop).
    const FrameRecord& LastFrame() const;
    // While on, every frame is read back before it is shown; LastFramePixels gives the last one.
    void KeepFramePixels(bool keep);
    const Pixels& LastFramePixels() const;
    // Asks to close as the window manager does (an SDL close event for the window, taken by the next
    // frame's drain).
    void RequestClose();
    // Called after every frame shown, in every loop: tests push events, close or end loops from here.
    void SetFrameObserver(std::function<void()> observer);

    struct Impl;

private:
    explicit Dialog(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace plat::dialog
