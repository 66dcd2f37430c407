#include "platform/dialog/dialog.h"

#include "platform/dialog/dialog_internal.h"
#include "platform/win/debug.h"
#include "platform/win/text.h"
#include "platform/window/message.h"

#include <SDL2/SDL.h>
#include <imgui_impl_opengl3.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cfloat>
#include <filesystem>

namespace plat::dialog {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr float kFontPixels = 15.0f;
// Frames drawn after an event: ImGui shows the effect of an input one frame after it takes it.
constexpr int kFramesPerEvent = 3;

int ImGuiButton(uint8_t sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return -1;
    }
}

bool IsPointerEvent(const SDL_Event& e)
{
    return e.type == SDL_MOUSEMOTION || e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP;
}

uint32_t WindowIdOf(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_MOUSEMOTION:
        return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return e.button.windowID;
    case SDL_MOUSEWHEEL:
        return e.wheel.windowID;
    case SDL_KEYDOWN:
        return e.key.windowID;
    case SDL_WINDOWEVENT:
        return e.window.windowID;
    default:
        return 0;
    }
}

// Each context loads the font for itself: the GL renderer keeps its font texture per context.
void LoadFont(ImGuiIO& io, bool& warned)
{
    if (std::filesystem::exists(kFontPath)) {
        if (io.Fonts->AddFontFromFileTTF(kFontPath, kFontPixels, nullptr, io.Fonts->GetGlyphRangesCyrillic()))
            return;
    }
    if (!warned)
        win::DebugOutput(std::string("Dialog: no font at ") + kFontPath + ", Cyrillic texts will not show");
    warned = true;
    io.Fonts->AddFontDefault();
}

} // namespace

Backdrop::~Backdrop()
{
    Clear();
}

void Backdrop::Clear()
{
    for (ImDrawList* list : lists)
        IM_DELETE(list);
    lists.clear();
    data = ImDrawData();
}

void Backdrop::Keep(const ImDrawData& drawn)
{
    Clear();
    for (int i = 0; i < drawn.CmdListsCount; ++i)
        lists.push_back(drawn.CmdLists[i]->CloneOutput());
    data = drawn;
    data.CmdLists = lists.data();
}

Dialog::Impl::~Impl()
{
    window::RemoveEventListener(*this);
    if (gl)
        gl->MakeCurrent();
    for (auto& [id, picture] : pictures)
        DeletePicture(picture.texture);
    for (auto& level : levels) {
        ImGui::SetCurrentContext(level->context);
        ImGui_ImplOpenGL3_Shutdown();
        ImGui::DestroyContext(level->context);
    }
    ImGui::SetCurrentContext(nullptr);
}

void Dialog::Impl::OnSdlEvent(const void* sdlEvent)
{
    const SDL_Event& e = *static_cast<const SDL_Event*>(sdlEvent);
    if (!window || WindowIdOf(e) != window->Id() || levels.empty())
        return;
    if (e.type == SDL_WINDOWEVENT && e.window.event != SDL_WINDOWEVENT_LEAVE)
        return;
    ActiveLevel().pending.push_back(e);
}

Level& Dialog::Impl::ActiveLevel()
{
    return LevelAt(active);
}

Level& Dialog::Impl::LevelAt(size_t index)
{
    while (levels.size() <= index) {
        auto level = std::make_unique<Level>(*this, levels.size());
        ImGuiContext* previous = ImGui::GetCurrentContext();
        level->context = ImGui::CreateContext();
        ImGui::SetCurrentContext(level->context);
        gl->MakeCurrent();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.LogFilename = nullptr;
        ImGui::StyleColorsLight();
        LoadFont(io, fontWarned);
        ImGui_ImplOpenGL3_Init("#version 330 core");
        ImGui::SetCurrentContext(previous);
        levels.push_back(std::move(level));
    }
    return *levels[index];
}

void Dialog::Impl::PumpMessages()
{
    window::Message message;
    while (window::PeekMessage(message, true)) {
        if (message.kind == window::MessageKind::Quit)
            closeRequested = true;
        else
            window::DispatchMessage(message);
    }
}

// Gives ImGui the events of one frame. ImGui reads the pointer once per frame, so a press and its
// release, a move and the press after it, and a press and the move after it, each wait for separate
// frames; otherwise a quick click is lost or lands where ImGui has not seen the pointer hover yet.
void Dialog::Impl::ApplyEvents(Level& level)
{
    ImGuiIO& io = ImGui::GetIO();
    bool buttonChanged = false;
    bool moved = false;
    level.enterPressed = false;
    level.escapePressed = false;
    while (!level.pending.empty()) {
        const SDL_Event& e = level.pending.front();
        if (buttonChanged && IsPointerEvent(e))
            break;
        if (moved && e.type != SDL_MOUSEMOTION && IsPointerEvent(e))
            break;
        switch (e.type) {
        case SDL_MOUSEMOTION:
            io.MousePos = ImVec2(float(e.motion.x), float(e.motion.y));
            moved = true;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            io.MousePos = ImVec2(float(e.button.x), float(e.button.y));
            if (int b = ImGuiButton(e.button.button); b >= 0) {
                io.MouseDown[b] = e.type == SDL_MOUSEBUTTONDOWN;
                buttonChanged = true;
            }
            break;
        case SDL_MOUSEWHEEL: {
            float sign = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
            io.MouseWheel += sign * float(e.wheel.y);
            io.MouseWheelH += sign * float(e.wheel.x);
            break;
        }
        case SDL_KEYDOWN:
            if (e.key.keysym.scancode == SDL_SCANCODE_RETURN
                || e.key.keysym.scancode == SDL_SCANCODE_KP_ENTER)
                level.enterPressed = true;
            if (e.key.keysym.scancode == SDL_SCANCODE_ESCAPE)
                level.escapePressed = true;
            break;
        case SDL_WINDOWEVENT:
            io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
            break;
        default:
            break;
        }
        level.pending.pop_front();
    }
}

void Dialog::Impl::DrawLevel(Level& level, const DrawFn& draw)
{
    ImGuiContext* previous = ImGui::GetCurrentContext();
    const size_t previousActive = active;
    active = level.index;
    PumpMessages();
    ImGui::SetCurrentContext(level.context);
    ApplyEvents(level);

    ImGuiIO& io = ImGui::GetIO();
    const window::Size size = window->ClientSize();
    const window::Size drawable = window->DrawableSize();
    io.DisplaySize = ImVec2(float(size.width), float(size.height));
    if (size.width > 0 && size.height > 0)
        io.DisplayFramebufferScale
            = ImVec2(float(drawable.width) / float(size.width), float(drawable.height) / float(size.height));
    const Clock::time_point now = Clock::now();
    const float elapsed = level.lastFrame == Clock::time_point {}
        ? 1.0f / 60.0f
        : std::chrono::duration<float>(now - level.lastFrame).count();
    io.DeltaTime = std::max(elapsed, 1.0e-4f);
    level.lastFrame = now;

    gl->MakeCurrent();
    ImGui_ImplOpenGL3_NewFrame();
    ImGui::NewFrame();
    level.record.controls.clear();
    if (level.modal && backdrop.data.Valid) // dims the full frame drawn behind the box
        ImGui::GetBackgroundDrawList()->AddRectFilled(ImVec2(0, 0), io.DisplaySize, IM_COL32(0, 0, 0, 85));
    if (level.modal) {
        ImGui::SetNextWindowPos(
            ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
        ImGui::Begin((level.caption + "##modal").c_str(), nullptr,
            ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize
                | ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings);
    } else {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(io.DisplaySize);
        ImGui::Begin("##sheet", nullptr,
            ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings
                | ImGuiWindowFlags_NoBringToFrontOnFocus);
    }
    Frame frame(level);
    try {
        draw(frame);
    } catch (...) {
        // The caller's exception passes through; the frame is closed so that the level can draw again.
        ImGui::SetCurrentContext(level.context);
        ImGui::ErrorCheckEndFrameRecover(nullptr);
        ImGui::EndFrame();
        ImGui::SetCurrentContext(previous);
        active = previousActive;
        throw;
    }
    // A nested loop started by the draw function leaves its own context current.
    ImGui::SetCurrentContext(level.context);
    active = level.index;
    ImGui::End();
    ImGui::Render();

    gl->MakeCurrent();
    ClearFrame(drawable.width, drawable.height);
    if (level.modal && backdrop.data.Valid)
        ImGui_ImplOpenGL3_RenderDrawData(&backdrop.data);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    if (keepPixels)
        ReadFrame(drawable.width, drawable.height, lastPixels);
    if (!level.modal)
        backdrop.Keep(*ImGui::GetDrawData());
    window->SwapBuffers();
    lastRecord = level.record;

    ImGui::SetCurrentContext(previous);
    active = previousActive;
    if (observer)
        observer();
}

int Dialog::Impl::RunLoop(Level& level, const DrawFn& draw, const TickFn& tick, int timerMs, int closeResult)
{
    {
        ImGuiContext* previous = ImGui::GetCurrentContext();
        ImGui::SetCurrentContext(level.context);
        ImGuiIO& io = ImGui::GetIO();
        const window::Point cursor = window->CursorClientPos();
        io.MousePos = ImVec2(float(cursor.x), float(cursor.y));
        std::fill(std::begin(io.MouseDown), std::end(io.MouseDown), false);
        level.pending.clear();
        ImGui::SetCurrentContext(previous);
    }
    // Ends this loop's level also when a draw function or tick throws.
    struct LoopScope {
        Impl& impl;
        size_t previousActive;
        ~LoopScope()
        {
            impl.loops.pop_back();
            impl.active = previousActive;
        }
    };
    const LoopScope scope { *this, active };
    active = level.index;
    loops.push_back({});
    const size_t loop = loops.size() - 1;
    const auto interval = std::chrono::milliseconds(timerMs);
    Clock::time_point nextTick = Clock::now() + interval;
    int framesDue = kFramesPerEvent;
    int result = closeResult;
    for (;;) {
        if (closeRequested)
            break;
        if (loops[loop].ended) {
            result = loops[loop].result;
            break;
        }
        if (framesDue == 0 && level.pending.empty()) {
            int timeout = -1;
            if (timerMs > 0) {
                auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - Clock::now());
                timeout = int(std::max<int64_t>(0, wait.count()));
            }
            if (window::WaitForEvents(timeout))
                framesDue = kFramesPerEvent;
        }
        if (timerMs > 0 && Clock::now() >= nextTick) {
            nextTick = Clock::now() + interval;
            // The tick reads the input devices: give them the events that have come.
            PumpMessages();
            if (tick)
                tick();
            framesDue = std::max(framesDue, 1);
            continue;
        }
        if (framesDue > 0) {
            DrawLevel(level, draw);
            --framesDue;
            if (!level.pending.empty())
                framesDue = std::max(framesDue, 1);
        }
    }
    return result;
}

Dialog::Dialog(std::unique_ptr<Impl> impl)
    : m_impl(std::move(impl))
{
}

Dialog::~Dialog() = default;

std::unique_ptr<Dialog> Dialog::Create(const DialogDesc& desc, std::string* why)
{
    auto fail = [&](std::string reason) {
        win::DebugOutput("Dialog: " + reason);
        if (why)
            *why = reason;
        return std::unique_ptr<Dialog>();
    };
    auto impl = std::make_unique<Impl>();
    Impl* self = impl.get();
    window::WindowDesc windowDesc;
    windowDesc.className = "ZOQDialog";
    windowDesc.title = desc.title;
    windowDesc.width = desc.width;
    windowDesc.height = desc.height;
    windowDesc.procedure = [self](window::Window& w, const window::Message& message) -> int64_t {
        if (message.kind == window::MessageKind::Close) {
            self->closeRequested = true;
            return 0;
        }
        return window::DefaultWindowProc(w, message);
    };
    impl->window = window::Window::Create(windowDesc);
    if (!impl->window)
        return fail(std::string("the window cannot be made: ") + SDL_GetError());
    impl->gl = impl->window->CreateGlContext(3, 3);
    if (!impl->gl)
        return fail(std::string("no OpenGL 3.3 context: ") + SDL_GetError());
    impl->window->SetSwapInterval(1);
    window::AddEventListener(*impl, window::ListenerOrder::Other);
    impl->LevelAt(0);
    return std::unique_ptr<Dialog>(new Dialog(std::move(impl)));
}

window::Window& Dialog::Window()
{
    return *m_impl->window;
}

int Dialog::Run(const DrawFn& draw, int closeResult)
{
    Level& level = m_impl->LevelAt(m_impl->loops.size());
    level.modal = false;
    return m_impl->RunLoop(level, draw, {}, 0, closeResult);
}

int Dialog::RunModal(const ModalParams& params, const DrawFn& draw, const TickFn& tick)
{
    Level& level = m_impl->LevelAt(m_impl->loops.size());
    level.modal = true;
    level.caption = win::Cp1251ToUtf8(params.caption);
    return m_impl->RunLoop(level, draw, tick, std::max(params.timerMs, 0), params.closeResult);
}

void Dialog::MessageBox(std::string_view text, std::string_view caption)
{
    ModalParams params;
    params.caption = std::string(caption);
    params.closeResult = kIdCancel;
    RunModal(params, [&](plat::dialog::Frame& frame) {
        frame.StaticText(kIdStatic, text);
        frame.Spacing();
        if (frame.PushButton(kIdOk, CP1251("ОК")) || frame.EnterPressed() || frame.EscapePressed())
            EndModal(kIdOk);
    });
}

void Dialog::EndModal(int result)
{
    if (!m_impl->loops.empty())
        m_impl->loops.back() = { true, result };
}

bool Dialog::CloseRequested() const
{
    return m_impl->closeRequested;
}

void Dialog::DrawFrame(const DrawFn& draw)
{
    Level& level = m_impl->LevelAt(m_impl->loops.size());
    level.modal = false;
    m_impl->DrawLevel(level, draw);
}

const FrameRecord& Dialog::LastFrame() const
{
    return m_impl->lastRecord;
}

void Dialog::KeepFramePixels(bool keep)
{
    m_impl->keepPixels = keep;
}

const Pixels& Dialog::LastFramePixels() const
{
    return m_impl->lastPixels;
}

void Dialog::RequestClose()
{
    SDL_Event e {};
    e.type = SDL_WINDOWEVENT;
    e.window.timestamp = SDL_GetTicks();
    e.window.windowID = m_impl->window->Id();
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
}

void Dialog::SetFrameObserver(std::function<void()> observer)
{
    m_impl->observer = std::move(observer);
}

unsigned Dialog::Impl::PictureTexture(int id, const Image& image)
{
    Picture& picture = pictures[id];
    if (picture.argb != image.argb || picture.width != image.width || picture.height != image.height) {
        picture.texture = UploadPicture(picture.texture, image);
        picture.argb = image.argb;
        picture.width = image.width;
        picture.height = image.height;
    }
    return picture.texture;
}

} // namespace plat::dialog
