#include "platform/window/window.h"

#include "platform/win/debug.h"
#include "platform/win/library_output.h"
#include "platform/win/text.h"
#include "platform/window/cursor.h"
#include "platform/window/window_internal.h"

#include <algorithm>
#include <cmath>

namespace plat::window {
namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

void LogSdlFailure(const char* call)
{
    win::DebugOutput(std::string(call) + ": " + SDL_GetError());
}

uint32_t SdlFlagsOf(Style style)
{
    uint32_t flags = 0;
    if (HasStyle(style, Style::Maximised))
        flags |= SDL_WINDOW_MAXIMIZED;
    if (HasStyle(style, Style::Borderless))
        flags |= SDL_WINDOW_BORDERLESS;
    if (HasStyle(style, Style::Topmost))
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (HasStyle(style, Style::FullScreen))
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    flags |= HasStyle(style, Style::Hidden) ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
    return flags;
}

void SetFramebufferAttributes()
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
}

// SDL's own log lines go to the program's log, not the terminal.
void LogSdlMessage(void*, int, SDL_LogPriority, const char* message)
{
    plat::win::LogLibraryOutput("SDL", message);
}

} // namespace

std::unique_ptr<Window> Window::Create(const WindowDesc& desc)
{
    if (!AcquireVideo())
        return nullptr;
    int x = desc.x == kDefaultPosition ? int(SDL_WINDOWPOS_UNDEFINED) : desc.x;
    int y = desc.y == kDefaultPosition ? int(SDL_WINDOWPOS_UNDEFINED) : desc.y;
    int width = desc.width > 0 ? desc.width : kDefaultWidth;
    int height = desc.height > 0 ? desc.height : kDefaultHeight;
    std::string title = win::Cp1251ToUtf8(desc.title);

    SetFramebufferAttributes();
    uint32_t flags = SdlFlagsOf(desc.style);
    bool gl = true;
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), x, y, width, height, flags | SDL_WINDOW_OPENGL);
    if (!sdl) {
        // A driver without GL still gets a window; the graphics layer reports the lack.
        gl = false;
        sdl = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
    }
    if (!sdl) {
        LogSdlFailure("Window::Create: SDL_CreateWindow");
        ReleaseVideo();
        return nullptr;
    }

    auto impl = std::make_unique<Impl>();
    impl->sdl = sdl;
    impl->id = SDL_GetWindowID(sdl);
    impl->className = desc.className;
    impl->procedure = desc.procedure;
    impl->style = desc.style;
    impl->gl = gl;
    uint32_t state = SDL_GetWindowFlags(sdl);
    impl->visible = (state & SDL_WINDOW_SHOWN) != 0;
    impl->shownOnce = !HasStyle(desc.style, Style::Hidden);
    impl->minimised = (state & SDL_WINDOW_MINIMIZED) != 0;
    impl->focused = (state & SDL_WINDOW_INPUT_FOCUS) != 0;
    // SDL starts with text input on; the layer starts with it off, unless another window uses it.
    bool textInputInUse = false;
    for (Window* other : LiveWindows())
        textInputInUse = textInputInUse || other->TextInput();
    if (!textInputInUse)
        SDL_StopTextInput();

    std::unique_ptr<Window> window(new Window(std::move(impl)));
    window->m_impl->self = window.get();
    LiveWindows().push_back(window.get());
    UpdateRelativeMode(*window);
    return window;
}

Window::Window(std::unique_ptr<Impl> impl)
    : m_impl(std::move(impl))
{
}

Window::~Window()
{
    Close();
}

void Window::Destroy()
{
    if (!m_impl->sdl)
        return;
    Message destroy;
    destroy.window = this;
    destroy.kind = MessageKind::Destroy;
    destroy.time = LayerTime();
    CallProcedure(destroy);
    Close();
}

void Window::Close()
{
    if (!m_impl->sdl)
        return;
    if (m_impl->sdlRelative)
        SDL_SetRelativeMouseMode(SDL_FALSE);
    auto& live = LiveWindows();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    PurgeMessagesOf(this);
    SDL_DestroyWindow(m_impl->sdl);
    m_impl->sdl = nullptr;
    m_impl->visible = false;
    m_impl->focused = false;
    ReleaseVideo();
}

bool Window::IsAlive() const
{
    return m_impl->sdl != nullptr;
}
uint32_t Window::Id() const
{
    return m_impl->id;
}
const std::string& Window::ClassName() const
{
    return m_impl->className;
}

void Window::SetTitle(std::string_view title)
{
    if (m_impl->sdl)
        SDL_SetWindowTitle(m_impl->sdl, win::Cp1251ToUtf8(title).c_str());
}

bool Window::SetIcon(const uint32_t* argb, int width, int height)
{
    if (!m_impl->sdl || !argb || width <= 0 || height <= 0) {
        win::DebugOutput("Window::SetIcon: no window or no pixels");
        return false;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(argb), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) {
        LogSdlFailure("Window::SetIcon: SDL_CreateRGBSurfaceWithFormatFrom");
        return false;
    }
    SDL_SetWindowIcon(m_impl->sdl, surface);
    SDL_FreeSurface(surface);
    m_impl->icon = { width, height };
    return true;
}

Size Window::IconSize() const
{
    return m_impl->icon;
}

void Window::Show()
{
    if (!m_impl->sdl)
        return;
    SDL_ShowWindow(m_impl->sdl);
    m_impl->visible = true;
    m_impl->shownOnce = true;
    m_impl->style = m_impl->style & ~Style::Hidden;
}

void Window::Hide()
{
    if (!m_impl->sdl)
        return;
    SDL_HideWindow(m_impl->sdl);
    m_impl->visible = false;
    m_impl->style = m_impl->style | Style::Hidden;
}

void Window::Minimise()
{
    if (!m_impl->sdl)
        return;
    SDL_MinimizeWindow(m_impl->sdl);
    HandleWindowEvent(*this, SDL_WINDOWEVENT_MINIMIZED);
    HandleWindowEvent(*this, SDL_WINDOWEVENT_FOCUS_LOST);
}

void Window::Restore()
{
    if (!m_impl->sdl)
        return;
    SDL_RestoreWindow(m_impl->sdl);
    HandleWindowEvent(*this, SDL_WINDOWEVENT_RESTORED);
}

void Window::BringToFront()
{
    if (!m_impl->sdl)
        return;
    SDL_RaiseWindow(m_impl->sdl);
    HandleWindowEvent(*this, SDL_WINDOWEVENT_FOCUS_GAINED);
}

bool Window::IsVisible() const
{
    return m_impl->visible;
}
bool Window::IsMinimised() const
{
    return m_impl->minimised;
}
bool Window::IsFocused() const
{
    return m_impl->focused;
}
bool Window::IsFullScreen() const
{
    return HasStyle(m_impl->style, Style::FullScreen);
}
Style Window::GetStyle() const
{
    return m_impl->style;
}

void Window::SetStyle(Style style)
{
    if (!m_impl->sdl)
        return;
    Style old = m_impl->style;
    m_impl->style = style;
    SDL_Window* sdl = m_impl->sdl;
    if (HasStyle(old, Style::Borderless) != HasStyle(style, Style::Borderless))
        SDL_SetWindowBordered(sdl, HasStyle(style, Style::Borderless) ? SDL_FALSE : SDL_TRUE);
    if (HasStyle(old, Style::Topmost) != HasStyle(style, Style::Topmost))
        SDL_SetWindowAlwaysOnTop(sdl, HasStyle(style, Style::Topmost) ? SDL_TRUE : SDL_FALSE);
    if (HasStyle(old, Style::FullScreen) != HasStyle(style, Style::FullScreen)) {
        if (SDL_SetWindowFullscreen(
                sdl, HasStyle(style, Style::FullScreen) ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0))
            LogSdlFailure("Window::SetStyle: SDL_SetWindowFullscreen");
    }
    if (HasStyle(style, Style::Maximised) && !HasStyle(old, Style::Maximised))
        SDL_MaximizeWindow(sdl);
    if (HasStyle(style, Style::Hidden) && m_impl->visible)
        Hide();
    else if (!HasStyle(style, Style::Hidden) && !m_impl->visible)
        Show();
    UpdateRelativeMode(*this);
}

void Window::Move(int x, int y)
{
    if (m_impl->sdl)
        SDL_SetWindowPosition(m_impl->sdl, x, y);
}

Point Window::Position() const
{
    Point p;
    if (m_impl->sdl)
        SDL_GetWindowPosition(m_impl->sdl, &p.x, &p.y);
    return p;
}

void Window::SetClientSize(int width, int height)
{
    if (m_impl->sdl && width > 0 && height > 0)
        SDL_SetWindowSize(m_impl->sdl, width, height);
}

Size Window::ClientSize() const
{
    Size s;
    if (m_impl->sdl)
        SDL_GetWindowSize(m_impl->sdl, &s.width, &s.height);
    return s;
}

Size Window::DrawableSize() const
{
    Size s;
    if (!m_impl->sdl)
        return s;
    if (m_impl->gl)
        SDL_GL_GetDrawableSize(m_impl->sdl, &s.width, &s.height);
    else
        SDL_GetWindowSizeInPixels(m_impl->sdl, &s.width, &s.height);
    return s;
}

void Window::SetLogicalSize(int width, int height)
{
    m_impl->logical = (width > 0 && height > 0) ? Size { width, height } : Size {};
}

Size Window::LogicalSize() const
{
    return m_impl->logical.width > 0 ? m_impl->logical : ClientSize();
}

Rect Window::OutputRect() const
{
    Size drawable = DrawableSize();
    Size logical = LogicalSize();
    if (drawable.width <= 0 || drawable.height <= 0 || logical.width <= 0 || logical.height <= 0)
        return { 0, 0, drawable.width, drawable.height };
    double scale = std::min(double(drawable.width) / logical.width, double(drawable.height) / logical.height);
    int width = std::clamp(int(std::lround(logical.width * scale)), 1, drawable.width);
    int height = std::clamp(int(std::lround(logical.height * scale)), 1, drawable.height);
    return { (drawable.width - width) / 2, (drawable.height - height) / 2, width, height };
}

void Window::SetTextInput(bool on)
{
    if (on == m_impl->textInput)
        return;
    m_impl->textInput = on;
    if (on)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
}

bool Window::TextInput() const
{
    return m_impl->textInput;
}

Point Window::CursorClientPos() const
{
    return { int(std::floor(m_impl->cursorX)), int(std::floor(m_impl->cursorY)) };
}

Point Window::CursorScreenPos() const
{
    Point client = CursorClientPos();
    Point origin = Position();
    return { client.x + origin.x, client.y + origin.y };
}

void Window::SetConfined(bool confined)
{
    m_impl->confined = confined;
    if (m_impl->sdl)
        SDL_SetWindowGrab(m_impl->sdl, confined ? SDL_TRUE : SDL_FALSE);
    UpdateRelativeMode(*this);
}

bool Window::IsConfined() const
{
    return m_impl->confined;
}

void Window::SetExclusiveMouse(bool exclusive)
{
    m_impl->exclusiveMouse = exclusive;
    UpdateRelativeMode(*this);
}

bool Window::IsRelativeMouse() const
{
    return m_impl->relative;
}

bool Window::HasGl() const
{
    return m_impl->gl;
}

std::unique_ptr<GlContext> Window::CreateGlContext(int major, int minor)
{
    if (!m_impl->sdl || !m_impl->gl) {
        win::DebugOutput("Window::CreateGlContext: the window has no OpenGL");
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GLContext context = SDL_GL_CreateContext(m_impl->sdl);
    if (!context) {
        LogSdlFailure("Window::CreateGlContext: SDL_GL_CreateContext");
        return nullptr;
    }
    return std::unique_ptr<GlContext>(new GlContext(m_impl->id, context));
}

void Window::SwapBuffers()
{
    if (m_impl->sdl && m_impl->gl)
        SDL_GL_SwapWindow(m_impl->sdl);
}

bool Window::SetSwapInterval(int interval)
{
    if (SDL_GL_SetSwapInterval(interval) == 0)
        return true;
    LogSdlFailure("Window::SetSwapInterval: SDL_GL_SetSwapInterval");
    return false;
}

int Window::SwapInterval() const
{
    return SDL_GL_GetSwapInterval();
}

int64_t Window::CallProcedure(const Message& message)
{
    if (m_impl->procedure)
        return m_impl->procedure(*this, message);
    return DefaultWindowProc(*this, message);
}

GlContext::~GlContext()
{
    SDL_GL_DeleteContext(m_context);
}

bool GlContext::MakeCurrent()
{
    Window* window = FindWindow(m_windowId);
    if (!window)
        return false;
    if (SDL_GL_MakeCurrent(window->GetImpl().sdl, m_context) == 0)
        return true;
    LogSdlFailure("GlContext::MakeCurrent: SDL_GL_MakeCurrent");
    return false;
}

void* GlContext::ProcAddress(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

void Window::Impl::SetCursorFromWindowPoint(int x, int y)
{
    Size client = self->ClientSize();
    Size drawable = self->DrawableSize();
    Rect out = self->OutputRect();
    Size logical = self->LogicalSize();
    if (client.width <= 0 || client.height <= 0 || out.width <= 0 || out.height <= 0) {
        cursorX = x;
        cursorY = y;
        return;
    }
    double px = double(x) * drawable.width / client.width;
    double py = double(y) * drawable.height / client.height;
    cursorX = (px - out.x) * logical.width / out.width;
    cursorY = (py - out.y) * logical.height / out.height;
}

void Window::Impl::MoveCursorBy(int dx, int dy)
{
    Size client = self->ClientSize();
    Size drawable = self->DrawableSize();
    Rect out = self->OutputRect();
    Size logical = self->LogicalSize();
    double sx = 1.0;
    double sy = 1.0;
    if (client.width > 0 && client.height > 0 && out.width > 0 && out.height > 0) {
        sx = double(drawable.width) / client.width * logical.width / out.width;
        sy = double(drawable.height) / client.height * logical.height / out.height;
    }
    cursorX = std::clamp(cursorX + dx * sx, 0.0, std::max(0.0, logical.width - 1.0));
    cursorY = std::clamp(cursorY + dy * sy, 0.0, std::max(0.0, logical.height - 1.0));
}

void UpdateRelativeMode(Window& window)
{
    Window::Impl& w = window.GetImpl();
    bool wanted = w.sdl
        && (w.exclusiveMouse
            || (w.focused && (HasStyle(w.style, Style::FullScreen) || w.confined) && !IsCursorVisible()));
    w.relative = wanted;
    if (wanted == w.sdlRelative)
        return;
    w.sdlRelative = wanted;
    if (SDL_SetRelativeMouseMode(wanted ? SDL_TRUE : SDL_FALSE) != 0 && wanted && !w.relativeFailureLogged) {
        // The layer still moves its own position by the deltas.
        w.relativeFailureLogged = true;
        LogSdlFailure("Window: SDL_SetRelativeMouseMode");
    }
}

void UpdateAllRelativeModes()
{
    for (Window* window : LiveWindows())
        UpdateRelativeMode(*window);
}

std::vector<Window*>& LiveWindows()
{
    static std::vector<Window*> windows;
    return windows;
}

Window* MainWindow()
{
    auto& live = LiveWindows();
    for (Window* window : live) {
        if (window->GetImpl().shownOnce)
            return window;
    }
    return live.empty() ? nullptr : live.front();
}

Window* FindWindow(uint32_t id)
{
    for (Window* window : LiveWindows()) {
        if (window->Id() == id)
            return window;
    }
    return nullptr;
}

bool AcquireVideo()
{
    // The first use keeps video and the GL driver up for the process: bringing them down and up again
    // costs a driver load each time, and an unloaded driver hides its own leaks from the leak checker.
    static bool kept = [] {
        SDL_LogSetOutputFunction(&LogSdlMessage, nullptr);
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return false;
        if (SDL_GL_LoadLibrary(nullptr) != 0)
            SDL_ClearError(); // no GL: windows are made without it
        return true;
    }();
    if (kept && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
        return true;
    LogSdlFailure("Window: SDL_InitSubSystem(video)");
    return false;
}

void ReleaseVideo()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

uint32_t LayerTime()
{
    return SDL_GetTicks();
}

} // namespace plat::window
