#pragma once
#include <cstdint>

#include "engine/device/text.h"

// The program's windows are small numbers; 0 is "no window". Numbers are
// never reused, so the number of a destroyed window stays dead. A window
// without a parent is the game window on the screen; a window with one lives
// only here.
using WindowHandle = uint32_t;

// Messages of the window procedure.
enum : uint32_t {
    MSG_CREATE = 0x0001,
    MSG_DESTROY = 0x0002,
    MSG_SIZE = 0x0005,
    MSG_ACTIVATE = 0x0006, // wParam 1 active, 0 inactive
    MSG_PAINT = 0x000F,
    MSG_CLOSE = 0x0010,
    MSG_QUIT = 0x0012,
    MSG_NOTIFY = 0x004E,
    MSG_KEYDOWN = 0x0100, // wParam the scan code
    MSG_KEYUP = 0x0101,
    MSG_COMMAND = 0x0111,
    MSG_TIMER = 0x0113, // wParam the timer's number
    // Mouse messages: lParam x in the low half, y in the high half.
    MSG_MOUSEMOVE = 0x0200,
    MSG_LBUTTONDOWN = 0x0201,
    MSG_LBUTTONUP = 0x0202,
    MSG_RBUTTONDOWN = 0x0204,
    MSG_RBUTTONUP = 0x0205,
    MSG_MBUTTONDOWN = 0x0207,
    MSG_MBUTTONUP = 0x0208,
};

// Window styles the program uses.
constexpr uint32_t kStylePopup = 0x80000000u;
constexpr uint32_t kExStyleTopmost = 0x00000008u;
constexpr int32_t kUseDefault = static_cast<int32_t>(0x80000000u);

// What lParam of MSG_CREATE points at.
struct ss_CreateInfo {
    void* pCreateParam = nullptr;
    WindowHandle hParent = 0;
};

// The program's main window: fills the one window class, creates a pop-up
// topmost window bound to this object, and runs the message loop, whose
// every pass handles at most one message and then runs the idle hook.
class sc_Window {
public:
    static constexpr int32_t kNameSize = 32;

    sc_Window();
    virtual ~sc_Window() = default;

    virtual void vCreate(const char* title, WindowHandle parent, uint32_t style, uint32_t exStyle);
    virtual void vOnCommand(uintptr_t wParam, intptr_t lParam);
    virtual int32_t bOnCreate(WindowHandle window);
    virtual void vOnIdle();
    virtual void vOnPaint();
    virtual int32_t bOnRButtonDown(uintptr_t wParam, intptr_t lParam);
    virtual int32_t bOnLButtonUp(uintptr_t wParam, intptr_t lParam);
    virtual int32_t bOnNotify(uintptr_t wParam, intptr_t lParam);
    virtual int32_t bOnMouseMove(uintptr_t wParam, intptr_t lParam);
    virtual int32_t bOnSize(intptr_t lParam);

    void vInitMember();
    static void vSetClass(uintptr_t instance);
    static void vRegister(uintptr_t instance, const char* className, uintptr_t icon, uintptr_t cursor);
    int32_t lRun();

    const char* pGetTitle() const { return m_aTitle; }
    static uintptr_t pGetCursor();
    WindowHandle pGetHwnd() const { return m_hWindow; }
    static uintptr_t pGetInstance();
    static const char* pGetClassName();
    int32_t lGetWidth() const { return m_lWidth; }
    int32_t lGetHeight() const { return m_lHeight; }
    uint32_t lGetStyle() const { return m_lStyle; }
    uint32_t lGetExStyle() const { return m_lExStyle; }
    sc_Text& oGetText() { return m_oText; }

    void vUpdateChildren();
    void vCloseChildren();

    static intptr_t l_WindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

private:
    WindowHandle m_hWindow = 0;
    void* m_pCreateParam = nullptr;
    uintptr_t m_hInstance = 0;
    uintptr_t m_hMenu = 0;
    WindowHandle m_hParent = 0;
    int32_t m_lHeight = 0;
    int32_t m_lWidth = kUseDefault;
    int32_t m_lY = 0;
    int32_t m_lX = kUseDefault;
    uint32_t m_lStyle = kStylePopup;
    char* m_pTitle = nullptr;
    const char* m_pClassName = nullptr;
    uint32_t m_lExStyle = kExStyleTopmost;
    char m_aTitle[kNameSize] = {};
    sc_Text m_oText;
};

// Calls the window's procedure now; 0 for a window that is gone.
intptr_t l_SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Queues a close for the game window; false for any other window.
bool b_PostClose(WindowHandle window);
bool b_IsWindow(WindowHandle window);

// Loads a cursor or icon file; 0 when it cannot be read.
uintptr_t l_LoadCursorFromFile(const char* path);
