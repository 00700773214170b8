#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Windows are small numbers; 0 is "no window". Numbers are never reused, so a
// handle to a destroyed window stays dead.
using WindowHandle = uint32_t;

// Message numbers of the window system.
enum : uint32_t {
    MSG_NULL = 0x0000,
    MSG_CREATE = 0x0001,
    MSG_DESTROY = 0x0002,
    MSG_SIZE = 0x0005,
    MSG_PAINT = 0x000F,
    MSG_CLOSE = 0x0010,
    MSG_QUIT = 0x0012,
    MSG_NOTIFY = 0x004E,
    MSG_COMMAND = 0x0111,
    MSG_MOUSEMOVE = 0x0200,
    MSG_LBUTTONUP = 0x0202,
    MSG_RBUTTONDOWN = 0x0204,
};

// Window styles the program uses.
constexpr uint32_t kStylePopup = 0x80000000u;
constexpr uint32_t kExStyleTopmost = 0x00000008u;
constexpr int32_t kUseDefault = static_cast<int32_t>(0x80000000u);

struct Message {
    WindowHandle window = 0;
    uint32_t message = MSG_NULL;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

using WindowProc = intptr_t (*)(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam);

// What a window procedure finds behind lParam of MSG_CREATE.
struct CreateInfo {
    void* createParam = nullptr;
    WindowHandle parent = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;
    std::string title;
    std::string className;
};

struct WindowClass {
    std::string name;
    WindowProc proc = nullptr;
    uint32_t style = 0;
    uintptr_t icon = 0;
    uintptr_t cursor = 0;
};

// Registers a class; false when it has no procedure or the name is taken.
bool RegisterWindowClass(const WindowClass& cls);

// Creates a window of a registered class. The class procedure receives
// MSG_CREATE before this returns, with the window already numbered; when it
// answers -1 the window is destroyed again and 0 is returned.
WindowHandle CreateWindow(std::string_view className, std::string_view title, uint32_t style,
                          uint32_t exStyle, int32_t x, int32_t y, int32_t width, int32_t height,
                          WindowHandle parent, void* createParam);

bool ShowWindow(WindowHandle window);
// Delivers one MSG_PAINT at once.
void UpdateWindow(WindowHandle window);
// Sends MSG_DESTROY to the window and its children, then forgets them.
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);
WindowHandle GetParent(WindowHandle window);
std::vector<WindowHandle> GetChildren(WindowHandle window);
std::string GetWindowTitle(WindowHandle window);
// The first live window without a parent, or 0.
WindowHandle MainWindow();

// A pointer-sized slot per window, 0 until set.
intptr_t GetWindowUserData(WindowHandle window);
bool SetWindowUserData(WindowHandle window, intptr_t value);

// Calls the window's procedure now; 0 for a dead window.
intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Queues a message; false for a dead window.
bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Queues the quit message; it is taken after everything queued before it.
void PostQuitMessage(int32_t exitCode);

// Starts a loop pass (the backend pumps its events), then reports whether a
// message waits, without taking it and without waiting.
bool PeekMessage(Message& out);
// Takes the next message, waiting for one when none is queued. False when it
// is the quit message (its exit code in wParam).
bool GetMessage(Message& out);
// Hands the message to its window's procedure; messages for dead windows
// are dropped.
intptr_t DispatchMessage(const Message& msg);
// Default handling: closing destroys, everything else is ignored.
intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Per-window text settings and a record of the text written on the window.
struct TextOutRecord {
    int32_t x, y;
    std::string text;
    uint32_t color;
    bool transparent;
    uint32_t background;
};
struct TextContext {
    uint32_t align = 0;
    bool transparent = false;
    uint32_t textColor = 0;
    uint32_t backgroundColor = 0xFFFFFF;
    std::vector<TextOutRecord> written;
};
// Null for a dead window. Settings last for the window's life.
TextContext* GetTextContext(WindowHandle window);
bool TextOut(WindowHandle window, int32_t x, int32_t y, std::string_view text);

// Fills the window with its class background (black) and tells the backend.
void PaintBackground(WindowHandle window);

// Forgets every window, class and queued message (between tests).
void ResetWindowSystem();

} // namespace plat
