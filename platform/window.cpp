#include "platform/window.h"

#include <deque>
#include <memory>

#include "platform/backend.h"
#include "platform/clock.h"

namespace plat {

namespace {

struct WindowRecord {
    bool alive = false;
    size_t classIndex = 0;
    WindowHandle parent = 0;
    std::string title;
    intptr_t userData = 0;
    bool visible = false;
    TextContext text;
};

struct WindowSystem {
    std::vector<WindowClass> classes;
    std::vector<WindowRecord> windows; // handle = index + 1
    std::deque<Message> queue;
    bool quitPending = false;
    int32_t quitCode = 0;
};

WindowSystem& Sys() {
    static WindowSystem sys;
    return sys;
}

WindowRecord* Find(WindowHandle h) {
    auto& w = Sys().windows;
    if (h == 0 || h > w.size()) return nullptr;
    WindowRecord& r = w[h - 1];
    return r.alive ? &r : nullptr;
}

const WindowClass* ClassOf(WindowHandle h) {
    WindowRecord* r = Find(h);
    return r ? &Sys().classes[r->classIndex] : nullptr;
}

} // namespace

bool RegisterWindowClass(const WindowClass& cls) {
    if (!cls.proc) return false;
    for (const WindowClass& c : Sys().classes)
        if (c.name == cls.name) return false;
    Sys().classes.push_back(cls);
    return true;
}

WindowHandle CreateWindow(std::string_view className, std::string_view title, uint32_t style,
                          uint32_t exStyle, int32_t x, int32_t y, int32_t width, int32_t height,
                          WindowHandle parent, void* createParam) {
    WindowSystem& sys = Sys();
    size_t classIndex = sys.classes.size();
    for (size_t i = 0; i < sys.classes.size(); ++i)
        if (sys.classes[i].name == className) classIndex = i;
    if (classIndex == sys.classes.size()) return 0;
    if (parent != 0 && !Find(parent)) return 0;

    WindowRecord rec;
    rec.alive = true;
    rec.classIndex = classIndex;
    rec.parent = parent;
    rec.title = std::string(title);
    sys.windows.push_back(std::move(rec));
    const WindowHandle h = static_cast<WindowHandle>(sys.windows.size());

    if (!CurrentBackend().OnWindowCreated(h, std::string(title), parent == 0)) {
        sys.windows[h - 1].alive = false;
        return 0;
    }

    CreateInfo info;
    info.createParam = createParam;
    info.parent = parent;
    info.style = style;
    info.exStyle = exStyle;
    info.x = x;
    info.y = y;
    info.width = width;
    info.height = height;
    info.title = std::string(title);
    info.className = std::string(className);
    const intptr_t r = SendMessage(h, MSG_CREATE, 0, reinterpret_cast<intptr_t>(&info));
    if (r == -1) {
        // Refused: the window goes away without ever having lived.
        CurrentBackend().OnWindowDestroyed(h);
        sys.windows[h - 1].alive = false;
        return 0;
    }
    return h;
}

bool ShowWindow(WindowHandle window) {
    WindowRecord* r = Find(window);
    if (!r) return false;
    const bool was = r->visible;
    r->visible = true;
    CurrentBackend().OnWindowShown(window);
    return was;
}

void UpdateWindow(WindowHandle window) {
    if (Find(window)) SendMessage(window, MSG_PAINT, 0, 0);
}

bool DestroyWindow(WindowHandle window) {
    if (!Find(window)) return false;
    for (WindowHandle child : GetChildren(window)) DestroyWindow(child);
    SendMessage(window, MSG_DESTROY, 0, 0);
    if (WindowRecord* r = Find(window)) {
        r->alive = false;
        r->text.written.clear();
        CurrentBackend().OnWindowDestroyed(window);
    }
    return true;
}

bool IsWindow(WindowHandle window) { return Find(window) != nullptr; }

WindowHandle GetParent(WindowHandle window) {
    WindowRecord* r = Find(window);
    return r ? r->parent : 0;
}

std::vector<WindowHandle> GetChildren(WindowHandle window) {
    std::vector<WindowHandle> out;
    auto& w = Sys().windows;
    for (size_t i = 0; i < w.size(); ++i)
        if (w[i].alive && w[i].parent == window && window != 0) out.push_back(static_cast<WindowHandle>(i + 1));
    return out;
}

std::string GetWindowTitle(WindowHandle window) {
    WindowRecord* r = Find(window);
    return r ? r->title : std::string();
}

WindowHandle MainWindow() {
    auto& w = Sys().windows;
    for (size_t i = 0; i < w.size(); ++i)
        if (w[i].alive && w[i].parent == 0) return static_cast<WindowHandle>(i + 1);
    return 0;
}

intptr_t GetWindowUserData(WindowHandle window) {
    WindowRecord* r = Find(window);
    return r ? r->userData : 0;
}

bool SetWindowUserData(WindowHandle window, intptr_t value) {
    WindowRecord* r = Find(window);
    if (!r) return false;
    r->userData = value;
    return true;
}

intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const WindowClass* cls = ClassOf(window);
    if (!cls) return 0;
    return cls->proc(window, message, wParam, lParam);
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Find(window)) return false;
    Sys().queue.push_back(Message{window, message, wParam, lParam});
    return true;
}

void PostQuitMessage(int32_t exitCode) {
    Sys().quitPending = true;
    Sys().quitCode = exitCode;
}

bool PeekMessage(Message& out) {
    CurrentBackend().BeginPass();
    WindowSystem& sys = Sys();
    if (!sys.queue.empty()) {
        out = sys.queue.front();
        return true;
    }
    if (sys.quitPending) {
        out = Message{0, MSG_QUIT, static_cast<uintptr_t>(static_cast<uint32_t>(sys.quitCode)), 0};
        return true;
    }
    return false;
}

bool GetMessage(Message& out) {
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
    out = Message{0, MSG_QUIT, static_cast<uintptr_t>(static_cast<uint32_t>(sys.quitCode)), 0};
    return false;
}

intptr_t DispatchMessage(const Message& msg) {
    if (msg.message == MSG_QUIT || !Find(msg.window)) return 0;
    return SendMessage(msg.window, msg.message, msg.wParam, msg.lParam);
}

intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
    if (message == MSG_CLOSE) DestroyWindow(window);
    return 0;
}

TextContext* GetTextContext(WindowHandle window) {
    WindowRecord* r = Find(window);
    return r ? &r->text : nullptr;
}

bool TextOut(WindowHandle window, int32_t x, int32_t y, std::string_view text) {
    WindowRecord* r = Find(window);
    if (!r) return false;
    const TextContext& c = r->text;
    r->text.written.push_back(
        TextOutRecord{x, y, std::string(text), c.textColor, c.transparent, c.backgroundColor});
    return true;
}

void PaintBackground(WindowHandle window) {
    if (Find(window)) CurrentBackend().OnWindowPainted(window);
}

void ResetWindowSystem() {
    WindowSystem& sys = Sys();
    sys.classes.clear();
    sys.windows.clear();
    sys.queue.clear();
    sys.quitPending = false;
    sys.quitCode = 0;
}

} // namespace plat
