#include "platform/window.h"

#include <deque>

#include "platform/backend.h"

namespace plat {

namespace {

struct WindowSystem {
    bool open = false;
    uint32_t serial = 0;
    uint32_t lastSerial = 0; // serials are never reused
    std::string title;
    std::deque<Event> queue;
    bool quitPending = false;
    int32_t quitCode = 0;
};

WindowSystem& Sys() {
    static WindowSystem sys;
    return sys;
}

Event QuitEvent() {
    return Event::Quit(Sys().quitCode);
}

// A held key repeats. The loop takes one event a frame, so a game slower
// than the repeat rate would fall ever further behind its queue, and a
// close asked for meanwhile would never be reached; as a window system
// counts repeats into the press still waiting, a repeat adds nothing then.
bool PressWaits(const std::deque<Event>& queue, uint8_t key) {
    for (auto it = queue.rbegin(); it != queue.rend(); ++it)
        if ((it->kind == EventKind::KeyDown || it->kind == EventKind::KeyUp) && it->key == key)
            return it->kind == EventKind::KeyDown;
    return false;
}

} // namespace

bool OpenWindow(std::string_view title, const std::function<bool()>& onCreate) {
    WindowSystem& sys = Sys();
    if (sys.open) return false;
    if (!CurrentBackend().OnWindowCreated(std::string(title))) return false;
    sys.open = true;
    sys.serial = ++sys.lastSerial;
    sys.title = std::string(title);
    if (onCreate && !onCreate()) {
        // Refused: the window goes away without ever having been shown.
        if (sys.open) CloseWindow();
        return false;
    }
    return sys.open;
}

bool IsWindowOpen() {
    return Sys().open;
}

uint32_t WindowSerial() {
    return Sys().open ? Sys().serial : 0;
}

std::string WindowTitle() {
    return Sys().open ? Sys().title : std::string();
}

void ShowWindow() {
    if (Sys().open) CurrentBackend().OnWindowShown();
}

void PaintWindow() {
    if (Sys().open) CurrentBackend().OnWindowPainted();
}

void CloseWindow() {
    WindowSystem& sys = Sys();
    if (!sys.open) return;
    sys.open = false;
    sys.serial = 0;
    sys.title.clear();
    CurrentBackend().OnWindowDestroyed();
}

bool PostEvent(const Event& event) {
    WindowSystem& sys = Sys();
    if (!sys.open || event.kind == EventKind::Create) return false;
    if (event.kind == EventKind::Quit) {
        PostQuit(event.exitCode);
        return true;
    }
    if (event.kind == EventKind::MouseMove && !sys.queue.empty() &&
        sys.queue.back().kind == EventKind::MouseMove)
        sys.queue.back() = event;
    else if (event.kind != EventKind::KeyDown || !PressWaits(sys.queue, event.key))
        sys.queue.push_back(event);
    return true;
}

void PostQuit(int32_t exitCode) {
    Sys().quitPending = true;
    Sys().quitCode = exitCode;
}

bool PeekEvent(Event& out) {
    CurrentBackend().BeginPass();
    WindowSystem& sys = Sys();
    if (!sys.queue.empty()) {
        out = sys.queue.front();
        return true;
    }
    if (sys.quitPending) {
        out = QuitEvent();
        return true;
    }
    return false;
}

bool TakeEvent(Event& out) {
    WindowSystem& sys = Sys();
    while (sys.queue.empty() && !sys.quitPending) {
        CurrentBackend().BeginPass();
        if (sys.queue.empty() && !sys.quitPending) CurrentBackend().Wait(1);
    }
    if (!sys.queue.empty()) {
        out = sys.queue.front();
        sys.queue.pop_front();
        return true;
    }
    sys.quitPending = false;
    out = QuitEvent();
    return false;
}

void ResetWindowSystem() {
    WindowSystem& sys = Sys();
    const uint32_t lastSerial = sys.lastSerial;
    sys = WindowSystem{};
    sys.lastSerial = lastSerial;
}

} // namespace plat
