#pragma once
#include <cstdint>

#include "engine/device/text.h"
#include "platform/window.h"

// The program's main window: registers the one window class, creates a
// pop-up topmost window bound to this object, and runs the message loop,
// whose every pass handles at most one message and then runs the idle hook.
class sc_Window {
public:
    static constexpr int32_t kNameSize = 32;

    sc_Window();
    virtual ~sc_Window() = default;

    virtual void vCreate(const char* title, plat::WindowHandle parent, uint32_t style, uint32_t exStyle);
    virtual void vOnCommand(uintptr_t wParam, intptr_t lParam);
    virtual int32_t bOnCreate(plat::WindowHandle window);
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
    plat::WindowHandle pGetHwnd() const { return m_hWindow; }
    static uintptr_t pGetInstance();
    static const char* pGetClassName();
    plat::WindowHandle pGetParent() const { return m_hParent; }
    int32_t lGetWidth() const { return m_lWidth; }
    int32_t lGetHeight() const { return m_lHeight; }
    uint32_t lGetStyle() const { return m_lStyle; }
    uint32_t lGetExStyle() const { return m_lExStyle; }
    sc_Text& oGetText() { return m_oText; }

    void vUpdateChildren();
    void vCloseChildren();

    static intptr_t l_WindowProc(plat::WindowHandle window, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam);

private:
    plat::WindowHandle m_hWindow = 0;
    void* m_pCreateParam = nullptr;
    uintptr_t m_hInstance = 0;
    uintptr_t m_hMenu = 0;
    plat::WindowHandle m_hParent = 0;
    int32_t m_lHeight = 0;
    int32_t m_lWidth = plat::kUseDefault;
    int32_t m_lY = 0;
    int32_t m_lX = plat::kUseDefault;
    uint32_t m_lStyle = plat::kStylePopup;
    char* m_pTitle = nullptr;
    const char* m_pClassName = nullptr;
    uint32_t m_lExStyle = plat::kExStyleTopmost;
    char m_aTitle[kNameSize] = {};
    sc_Text m_oText;
};

// Loads a cursor or icon file; 0 when it cannot be read.
uintptr_t l_LoadCursorFromFile(const char* path);
