#include "engine/device/window.h"

#include <cstring>

#include "platform/file.h"

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

} // namespace

sc_Window::sc_Window() {
    vInitMember();
    m_hWindow = 0;
}

void sc_Window::vInitMember() {
    m_hMenu = 0;
    m_hParent = 0;
    m_lHeight = 0;
    m_lWidth = plat::kUseDefault;
    m_lY = 0;
    m_lX = plat::kUseDefault;
    m_lStyle = plat::kStylePopup;
    m_lExStyle = plat::kExStyleTopmost;
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
    plat::WindowClass cls;
    cls.name = g_oClass.name;
    cls.proc = &sc_Window::l_WindowProc;
    cls.style = g_oClass.style;
    cls.icon = g_oClass.icon;
    cls.cursor = g_oClass.cursor;
    plat::RegisterWindowClass(cls); // a second registration of the same name is refused, as before
}

uintptr_t sc_Window::pGetCursor() { return g_oClass.cursor; }
uintptr_t sc_Window::pGetInstance() { return g_oClass.instance; }
const char* sc_Window::pGetClassName() { return g_oClass.name; }

void sc_Window::vCreate(const char* title, plat::WindowHandle parent, uint32_t style, uint32_t exStyle) {
    if (title) CopyName(m_aTitle, title);
    m_hParent = parent;
    m_hInstance = pGetInstance();
    if (style) m_lStyle = style;
    if (exStyle) m_lExStyle = exStyle;
    if (parent) {
        m_lWidth = 200;
        m_lHeight = 200;
    }
    const plat::WindowHandle h = plat::CreateWindow(m_pClassName, m_pTitle, m_lStyle, m_lExStyle, m_lX, m_lY,
                                                    m_lWidth, m_lHeight, m_hParent, m_pCreateParam);
    m_hWindow = h;
    m_oText.vInit(h, 1);
    plat::ShowWindow(h);
    plat::UpdateWindow(h);
}

void sc_Window::vOnCommand(uintptr_t, intptr_t) {}
int32_t sc_Window::bOnCreate(plat::WindowHandle) { return 1; }
void sc_Window::vOnIdle() {}
void sc_Window::vOnPaint() { plat::PaintBackground(m_hWindow); }
int32_t sc_Window::bOnRButtonDown(uintptr_t, intptr_t) { return 1; }
int32_t sc_Window::bOnLButtonUp(uintptr_t, intptr_t) { return 1; }
int32_t sc_Window::bOnNotify(uintptr_t, intptr_t) { return 1; }
int32_t sc_Window::bOnMouseMove(uintptr_t, intptr_t) { return 1; }
int32_t sc_Window::bOnSize(intptr_t) { return 1; }

int32_t sc_Window::lRun() {
    for (;;) {
        plat::Message msg;
        if (plat::PeekMessage(msg)) {
            const bool more = plat::GetMessage(msg);
            plat::DispatchMessage(msg);
            if (!more) return static_cast<int32_t>(msg.wParam);
        }
        vOnIdle();
    }
}

void sc_Window::vUpdateChildren() {
    for (plat::WindowHandle child : plat::GetChildren(m_hWindow)) plat::UpdateWindow(child);
}

void sc_Window::vCloseChildren() {
    for (plat::WindowHandle child : plat::GetChildren(m_hWindow)) plat::SendMessage(child, plat::MSG_CLOSE, 0, 0);
}

intptr_t sc_Window::l_WindowProc(plat::WindowHandle window, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam) {
    auto* self = reinterpret_cast<sc_Window*>(plat::GetWindowUserData(window));
    if (!self && message == plat::MSG_CREATE && lParam) {
        self = static_cast<sc_Window*>(reinterpret_cast<plat::CreateInfo*>(lParam)->createParam);
        plat::SetWindowUserData(window, reinterpret_cast<intptr_t>(self));
    }
    if (!self) return plat::DefWindowProc(window, message, wParam, lParam);

    // Slots answering 0 hand the message on to the default handling.
    auto orDefault = [&](int32_t handled) {
        return handled ? intptr_t{0} : plat::DefWindowProc(window, message, wParam, lParam);
    };
    switch (message) {
    case plat::MSG_CREATE:
        // A window whose set-up failed is not created: the program must not
        // run frames on a display that was never made.
        return self->bOnCreate(window) ? 0 : -1;
    case plat::MSG_DESTROY:
        if (self->m_hParent == 0) plat::PostQuitMessage(0);
        return 0;
    case plat::MSG_SIZE:
        return orDefault(self->bOnSize(lParam));
    case plat::MSG_PAINT:
        self->vUpdateChildren();
        self->vOnPaint();
        return 0;
    case plat::MSG_CLOSE:
        self->vCloseChildren();
        plat::DestroyWindow(window);
        return 0;
    case plat::MSG_NOTIFY:
        return orDefault(self->bOnNotify(wParam, lParam));
    case plat::MSG_COMMAND:
        self->vOnCommand(wParam, lParam);
        return 0;
    case plat::MSG_MOUSEMOVE:
        return orDefault(self->bOnMouseMove(wParam, lParam));
    case plat::MSG_LBUTTONUP:
        return orDefault(self->bOnLButtonUp(wParam, lParam));
    case plat::MSG_RBUTTONDOWN:
        return orDefault(self->bOnRButtonDown(wParam, lParam));
    default:
        return plat::DefWindowProc(window, message, wParam, lParam);
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
