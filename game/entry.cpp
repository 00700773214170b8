#include "game/entry.h"

#include <memory>

#include "game/work.h"
#include "platform/trace.h"

int32_t l_KrxMain() {
    // The application object is large once the scene lives in it: keep it
    // off the stack.
    auto work = std::make_unique<sc_Work>();
    const uintptr_t cursor = l_LoadCursorFromFile("KRX.cur");
    const uintptr_t icon = l_LoadCursorFromFile("KRX.ico");
    sc_Window::vRegister(0, "KRX", icon, cursor);
    work->vCreate("KRX Project", 0, 0, 0);
    if (work->pGetHwnd() == 0) {
        plat::Trace("krx", "the display could not be set up");
        return 1;
    }
    work->lRun();
    return 0;
}
