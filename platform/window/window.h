// One SDL window per program, Win32-shaped: a class name, a Windows-1251 title, a client size and
// style flags; a window procedure receives its messages. Its state (minimised, focused, cursor
// position) follows the events of the drain; the calls that change it on the platform at once
// (Minimise, Restore, BringToFront) change it at once here too, and the drain ignores the echo.
// Always GL-capable where the driver has GL; the default framebuffer is plain RGB8, double-buffered.
#pragma once

#include "platform/window/message.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace plat::win {
class SingleInstance;
}

namespace plat::window {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

enum class Style : uint32_t {
    None = 0,
    Maximised = 1,
    Borderless = 2,
    Topmost = 4,
    FullScreen = 8, // a desktop-sized window; the display mode never changes
    Hidden = 16,
};

constexpr Style operator|(Style a, Style b)
{
    return Style(uint32_t(a) | uint32_t(b));
}
constexpr Style operator&(Style a, Style b)
{
    return Style(uint32_t(a) & uint32_t(b));
}
constexpr Style operator~(Style a)
{
    return Style(~uint32_t(a));
}
constexpr bool HasStyle(Style set, Style flag)
{
    return (uint32_t(set) & uint32_t(flag)) != 0;
}

inline constexpr int kDefaultPosition = INT32_MIN;

using WindowProc = std::function<int64_t(Window& window, const Message& message)>;

struct WindowDesc {
    std::string className;
    std::string title; // Windows-1251
    int x = kDefaultPosition;
    int y = kDefaultPosition;
    int width = 0; // client size; 0 takes 640 x 480
    int height = 0;
    Style style = Style::None;
    WindowProc procedure; // empty: DefaultWindowProc
};

class GlContext;

class Window {
public:
    // Null, with a debug line, when SDL cannot make the window.
    static std::unique_ptr<Window> Create(const WindowDesc& desc);
    // Closes the SDL window without calling the procedure (its owner may be going too).
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Sends Destroy to the procedure and closes the SDL window; the object stays, not alive.
    void Destroy();
    bool IsAlive() const;
    // SDL's number for the window, which its events carry.
    uint32_t Id() const;
    const std::string& ClassName() const;
    void SetTitle(std::string_view title);
    // The window's icon from 0xAARRGGBB pixels, rows top first; false with a debug line when the
    // pixels are missing or SDL refuses them.
    bool SetIcon(const uint32_t* argb, int width, int height);
    // The size of the icon last set; 0 x 0 when none is.
    Size IconSize() const;

    void Show();
    void Hide();
    void Minimise();
    void Restore();
    // Raises the window and gives it the focus; a hidden window stays hidden.
    void BringToFront();
    bool IsVisible() const;
    bool IsMinimised() const;
    bool IsFocused() const;
    bool IsFullScreen() const;
    void SetStyle(Style style);
    Style GetStyle() const;
    void Move(int x, int y);
    Point Position() const;
    void SetClientSize(int width, int height);
    Size ClientSize() const;

    // The graphics layer's view: the drawable in pixels, the logical (back-buffer) size it draws, and
    // the letterboxed rectangle of the drawable that shows it, which the mouse maps through too.
    Size DrawableSize() const;
    void SetLogicalSize(int width, int height); // 0 x 0: the client size
    Size LogicalSize() const;
    Rect OutputRect() const;

    // Character messages come only while text input is on.
    void SetTextInput(bool on);
    bool TextInput() const;

    // Cursor position in logical client pixels, kept from the drain's mouse events; the screen
    // position adds the window's position.
    Point CursorClientPos() const;
    Point CursorScreenPos() const;
    // Confines the mouse to the window (mouse grab).
    void SetConfined(bool confined);
    bool IsConfined() const;
    // An acquired exclusive mouse of the input layer: relative motion, no cursor.
    void SetExclusiveMouse(bool exclusive);
    // Relative motion while focused, full screen or confined, and the cursor hidden (or an exclusive
    // mouse): the position moves by the deltas, clamped to the client area.
    bool IsRelativeMouse() const;

    bool HasGl() const;
    // An OpenGL core-profile context of the given version on this window, made current; null with a
    // debug line when the driver refuses.
    std::unique_ptr<GlContext> CreateGlContext(int major, int minor);
    void SwapBuffers();
    bool SetSwapInterval(int interval);
    // The swap interval of the current context: 1 when a swap waits for vertical sync.
    int SwapInterval() const;

    int64_t CallProcedure(const Message& message);

    struct Impl;
    Impl& GetImpl() { return *m_impl; }
    const Impl& GetImpl() const { return *m_impl; }

private:
    explicit Window(std::unique_ptr<Impl> impl);
    void Close();
    std::unique_ptr<Impl> m_impl;
};

// May outlive its window; it can then no longer be made current.
class GlContext {
public:
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;
    bool MakeCurrent();
    static void* ProcAddress(const char* name);

private:
    friend class Window;
    GlContext(uint32_t windowId, void* context)
        : m_windowId(windowId)
        , m_context(context)
    {
    }
    uint32_t m_windowId;
    void* m_context;
};

// The first live window that has been shown (else the first live one): the one the single-instance
// raise request brings back and events without a window of their own go to.
Window* MainWindow();
// The live window with that SDL number, or null (gone or destroyed): for holders that may outlive it.
Window* FindWindow(uint32_t id);

// Takes a raise request of the program's single-instance lock; the drain polls it first and, on a
// request, restores the main window and brings it to the front. Empty: none.
void SetRaiseRequestSource(std::function<bool()> takeRequest);
// The same for the kernel layer's lock, which must outlive the polling (or be replaced before it goes).
void SetRaiseRequestSource(win::SingleInstance& instance);

// The program's only SDL event drain: polls the raise request, then feeds every pending SDL event to
// the input devices, then to the other listeners, then turns it into messages. Returns the events seen.
int DrainEvents();
// Sleeps until an SDL event is pending (left for the drain) or timeoutMs passed (negative: no limit);
// true when one is pending.
bool WaitForEvents(int timeoutMs);

} // namespace plat::window
