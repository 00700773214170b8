#include "engine/device/window.h"

#include <cstring>
#include <vector>

#include "engine/base/point.h"
#include "platform/file.h"
#include "platform/window.h"

namespace {

// The one window class of the program.
struct ClassRecord {
    char name[sc_Window::kNameSize] = {};
    uint32_t style = 0;
    uintptr_t instance = 0;
    uintptr_t icon = 0;
    uintptr_t cursor = 0;
};
ClassRecord g_oClass;

constexpr uint32_t kClassStyle = 0x1823; // redraw on resize, own context, save bits, aligned

// Copies at most 31 bytes and always terminates.
void CopyName(char* dst, const char* src) {
    std::strncpy(dst, src, sc_Window::kNameSize - 1);
    dst[sc_Window::kNameSize - 1] = 0;
}

// Every window made, numbered by its index + 1.
struct WindowSlot {
    sc_Window* pObject = nullptr; // bound by the window procedure on MSG_CREATE
    WindowHandle hParent = 0;
    uint32_t lSerial = 0; // the game window: the screen window it is shown in
    bool bAlive = false;
};
std::vector<WindowSlot> g_aWindows;

// Null for a window that is gone, the game window included once its screen
// window has closed.
WindowSlot* Find(WindowHandle h) {
    if (h == 0 || h > g_aWindows.size()) return nullptr;
    WindowSlot& w = g_aWindows[h - 1];
    if (!w.bAlive || (w.hParent == 0 && (w.lSerial == 0 || w.lSerial != plat::WindowSerial())))
        return nullptr;
    return &w;
}

WindowHandle GameWindow() {
    for (size_t i = 0; i < g_aWindows.size(); ++i)
        if (g_aWindows[i].hParent == 0 && Find(static_cast<WindowHandle>(i + 1)))
            return static_cast<WindowHandle>(i + 1);
    return 0;
}

std::vector<WindowHandle> Children(WindowHandle parent) {
    std::vector<WindowHandle> out;
    for (size_t i = 0; i < g_aWindows.size(); ++i)
        if (parent != 0 && g_aWindows[i].hParent == parent && Find(static_cast<WindowHandle>(i + 1)))
            out.push_back(static_cast<WindowHandle>(i + 1));
    return out;
}

// Sends MSG_CREATE inside the call; a window whose procedure answers -1 is
// never created and gives 0.
WindowHandle CreateWindowFor(const char* title, WindowHandle parent, void* createParam) {
    if (parent != 0 && !Find(parent)) return 0;
    g_aWindows.push_back(WindowSlot{nullptr, parent, 0, true});
    const auto h = static_cast<WindowHandle>(g_aWindows.size());
    ss_CreateInfo info{createParam, parent};
    auto create = [&] { return l_SendMessage(h, MSG_CREATE, 0, reinterpret_cast<intptr_t>(&info)) != -1; };
    bool made;
    if (parent != 0) {
        made = create();
    } else {
        made = plat::OpenWindow(title, [&] {
            g_aWindows[h - 1].lSerial = plat::WindowSerial();
            return create();
        });
    }
    if (!made) {
        g_aWindows[h - 1].bAlive = false;
        return 0;
    }
    return h;
}

void ShowWindow(WindowHandle h) {
    if (const WindowSlot* w = Find(h); w && w->hParent == 0) plat::ShowWindow();
}

// Delivers one MSG_PAINT at once.
void UpdateWindow(WindowHandle h) {
    if (Find(h)) l_SendMessage(h, MSG_PAINT, 0, 0);
}

// Sends MSG_DESTROY to the window's children and then to it, and forgets
// them; the game window's screen window closes with it.
void DestroyWindow(WindowHandle h) {
    if (!Find(h)) return;
    for (WindowHandle child : Children(h))
        DestroyWindow(child);
    l_SendMessage(h, MSG_DESTROY, 0, 0);
    if (WindowSlot* w = Find(h)) {
        w->bAlive = false;
        if (w->hParent == 0) plat::CloseWindow();
    }
}

// Closing destroys; everything else is ignored.
intptr_t DefWindowProc(WindowHandle h, uint32_t message, uintptr_t, intptr_t) {
    if (message == MSG_CLOSE) DestroyWindow(h);
    return 0;
}

// Hands a taken event to the game window's procedure as its message; with
// the window gone it is dropped.
void DispatchEvent(const plat::Event& e) {
    const WindowHandle h = GameWindow();
    if (!h) return;
    const intptr_t at = static_cast<intptr_t>(l_PackPoint(e.x, e.y));
    const bool down = e.kind == plat::EventKind::ButtonDown;
    switch (e.kind) {
    case plat::EventKind::Close:
        l_SendMessage(h, MSG_CLOSE, 0, 0);
        break;
    case plat::EventKind::Activate:
        l_SendMessage(h, MSG_ACTIVATE, e.active ? 1 : 0, 0);
        break;
    case plat::EventKind::Paint:
        l_SendMessage(h, MSG_PAINT, 0, 0);
        break;
    case plat::EventKind::KeyDown:
    case plat::EventKind::KeyUp:
        l_SendMessage(h, e.kind == plat::EventKind::KeyDown ? MSG_KEYDOWN : MSG_KEYUP, e.key, 0);
        break;
    case plat::EventKind::MouseMove:
        l_SendMessage(h, MSG_MOUSEMOVE, 0, at);
        break;
    case plat::EventKind::ButtonDown:
    case plat::EventKind::ButtonUp:
        switch (e.button) {
        case plat::Button::Left:
            l_SendMessage(h, down ? MSG_LBUTTONDOWN : MSG_LBUTTONUP, 0, at);
            break;
        case plat::Button::Right:
            l_SendMessage(h, down ? MSG_RBUTTONDOWN : MSG_RBUTTONUP, 0, at);
            break;
        case plat::Button::Middle:
            l_SendMessage(h, down ? MSG_MBUTTONDOWN : MSG_MBUTTONUP, 0, at);
            break;
        }
        break;
    case plat::EventKind::Timer:
        l_SendMessage(h, MSG_TIMER, e.timer, 0);
        break;
    case plat::EventKind::Create:
    case plat::EventKind::Quit:
        break;
    }
}

} // namespace

intptr_t l_SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return Find(window) ? sc_Window::l_WindowProc(window, message, wParam, lParam) : 0;
}

bool b_PostClose(WindowHandle window) {
    return window != 0 && window == GameWindow() && plat::PostEvent(plat::Event::Close());
}

bool b_IsWindow(WindowHandle window) {
    return Find(window) != nullptr;
}

sc_Window::sc_Window() {
    vInitMember();
    m_hWindow = 0;
}

void sc_Window::vInitMember() {
    m_hMenu = 0;
    m_hParent = 0;
    m_lHeight = 0;
    m_lWidth = kUseDefault;
    m_lY = 0;
    m_lX = kUseDefault;
    m_lStyle = kStylePopup;
    m_lExStyle = kExStyleTopmost;
    std::memset(m_aTitle, 0, sizeof m_aTitle);
    m_pTitle = m_aTitle;
    m_pClassName = g_oClass.name;
    m_pCreateParam = this;
    m_hInstance = 0;
}

void sc_Window::vSetClass(uintptr_t instance) {
    g_oClass.style = kClassStyle;
    g_oClass.instance = instance;
    g_oClass.icon = 0;
    g_oClass.cursor = 0;
}

void sc_Window::vRegister(uintptr_t instance, const char* className, uintptr_t icon, uintptr_t cursor) {
    vSetClass(instance);
    if (className)
        CopyName(g_oClass.name, className);
    else
        std::memset(g_oClass.name, 0, sizeof g_oClass.name);
    if (icon) g_oClass.icon = icon;
    if (cursor) g_oClass.cursor = cursor;
    // The screen window hides the system cursor itself: the game draws its own.
}

uintptr_t sc_Window::pGetCursor() { return g_oClass.cursor; }
uintptr_t sc_Window::pGetInstance() { return g_oClass.instance; }
const char* sc_Window::pGetClassName() { return g_oClass.name; }

void sc_Window::vCreate(const char* title, WindowHandle parent, uint32_t style, uint32_t exStyle) {
    if (title) CopyName(m_aTitle, title);
    m_hParent = parent;
    m_hInstance = pGetInstance();
    if (style) m_lStyle = style;
    if (exStyle) m_lExStyle = exStyle;
    if (parent) {
        m_lWidth = 200;
        m_lHeight = 200;
    }
    const WindowHandle h = CreateWindowFor(m_pTitle, m_hParent, m_pCreateParam);
    m_hWindow = h;
    m_oText.vInit(h, 1);
    ShowWindow(h);
    UpdateWindow(h);
}

void sc_Window::vOnCommand(uintptr_t, intptr_t) {}
int32_t sc_Window::bOnCreate(WindowHandle) {
    return 1;
}
void sc_Window::vOnIdle() {}
void sc_Window::vOnPaint() {
    if (m_hParent == 0 && m_hWindow == GameWindow()) plat::PaintWindow();
}
int32_t sc_Window::bOnRButtonDown(uintptr_t, intptr_t) { return 1; }
int32_t sc_Window::bOnLButtonUp(uintptr_t, intptr_t) { return 1; }
int32_t sc_Window::bOnNotify(uintptr_t, intptr_t) { return 1; }
int32_t sc_Window::bOnMouseMove(uintptr_t, intptr_t) { return 1; }
int32_t sc_Window::bOnSize(intptr_t) { return 1; }

int32_t sc_Window::lRun() {
    for (;;) {
        plat::Event e;
        if (plat::PeekEvent(e)) {
            const bool more = plat::TakeEvent(e);
            DispatchEvent(e);
            if (!more) return e.exitCode;
        }
        vOnIdle();
    }
}

void sc_Window::vUpdateChildren() {
    for (WindowHandle child : Children(m_hWindow))
        UpdateWindow(child);
}

void sc_Window::vCloseChildren() {
    for (WindowHandle child : Children(m_hWindow))
        l_SendMessage(child, MSG_CLOSE, 0, 0);
}

intptr_t sc_Window::l_WindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    WindowSlot* slot = Find(window);
    sc_Window* self = slot ? slot->pObject : nullptr;
    if (slot && !self && message == MSG_CREATE && lParam) {
        self = static_cast<sc_Window*>(reinterpret_cast<const ss_CreateInfo*>(lParam)->pCreateParam);
        slot->pObject = self;
    }
    if (!self) return DefWindowProc(window, message, wParam, lParam);

    // Slots answering 0 hand the message on to the default handling.
    auto orDefault = [&](int32_t handled) {
        return handled ? intptr_t{0} : DefWindowProc(window, message, wParam, lParam);
    };
    switch (message) {
    case MSG_CREATE:
        // A window whose set-up failed is not created: the program must not
        // run frames on a display that was never made.
        return self->bOnCreate(window) ? 0 : -1;
    case MSG_DESTROY:
        if (self->m_hParent == 0) plat::PostQuit(0);
        return 0;
    case MSG_SIZE:
        return orDefault(self->bOnSize(lParam));
    case MSG_PAINT:
        self->vUpdateChildren();
        self->vOnPaint();
        return 0;
    case MSG_CLOSE:
        self->vCloseChildren();
        DestroyWindow(window);
        return 0;
    case MSG_NOTIFY:
        return orDefault(self->bOnNotify(wParam, lParam));
    case MSG_COMMAND:
        self->vOnCommand(wParam, lParam);
        return 0;
    case MSG_MOUSEMOVE:
        return orDefault(self->bOnMouseMove(wParam, lParam));
    case MSG_LBUTTONUP:
        return orDefault(self->bOnLButtonUp(wParam, lParam));
    case MSG_RBUTTONDOWN:
        return orDefault(self->bOnRButtonDown(wParam, lParam));
    default:
        return DefWindowProc(window, message, wParam, lParam);
    }
}

uintptr_t l_LoadCursorFromFile(const char* path) {
    plat::File f;
    if (!path || !f.Open(path, plat::FileMode::ReadSequential)) return 0;
    // Any non-zero value names a loaded cursor; the game hides the system
    // cursor and draws its own, so the picture itself is never shown.
    static uintptr_t next = 1;
    return next++;
}
