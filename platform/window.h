#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace plat {

// What happens to the game window, in the order it happened. Create is
// never queued: OpenWindow delivers it at once.
enum class EventKind : uint8_t {
    Create,
    Close,    // the user or the program asks the window to close
    Quit,     // ends the loop; exitCode
    Activate, // the window gained (active) or lost input focus
    Paint,    // the window must be drawn again
    KeyDown,  // key: scan code
    KeyUp,
    MouseMove,  // x, y in game pixels
    ButtonDown, // button, x, y
    ButtonUp,
    Timer, // timer: its number
};

enum class Button : uint8_t { Left, Right, Middle };

struct Event {
    EventKind kind = EventKind::Paint;
    int32_t x = 0, y = 0;
    uint8_t key = 0;
    Button button = Button::Left;
    bool active = false;
    int32_t exitCode = 0;
    uint32_t timer = 0;

    static Event Close() { return Event{.kind = EventKind::Close}; }
    static Event Quit(int32_t code) { return Event{.kind = EventKind::Quit, .exitCode = code}; }
    static Event Activate(bool on) { return Event{.kind = EventKind::Activate, .active = on}; }
    static Event Paint() { return Event{.kind = EventKind::Paint}; }
    static Event Key(bool down, uint8_t code) {
        return Event{.kind = down ? EventKind::KeyDown : EventKind::KeyUp, .key = code};
    }
    static Event MouseMove(int32_t px, int32_t py) {
        return Event{.kind = EventKind::MouseMove, .x = px, .y = py};
    }
    static Event Mouse(bool down, Button b, int32_t px, int32_t py) {
        return Event{
            .kind = down ? EventKind::ButtonDown : EventKind::ButtonUp, .x = px, .y = py, .button = b};
    }
    static Event Timer(uint32_t id) { return Event{.kind = EventKind::Timer, .timer = id}; }
};

// Opens the one game window. onCreate runs before this returns, with the
// window already open; when it answers false the window is closed again.
// False also while a window is open or when the backend cannot make one.
bool OpenWindow(std::string_view title, const std::function<bool()>& onCreate);
bool IsWindowOpen();
// Each window opened gets a new number; 0 while none is open.
uint32_t WindowSerial();
std::string WindowTitle();

void ShowWindow();
// Fills the window black; every present covers it again.
void PaintWindow();
// Closes the window. What was queued stays queued and is taken as usual
// (the loop has no window left to give it to); so does a pending quit.
void CloseWindow();

// Queues an event for the open window; false when no window is open. Mouse
// moves merge with a move still waiting at the end of the queue.
bool PostEvent(const Event& event);
// The quit is taken once nothing else waits in the queue.
void PostQuit(int32_t exitCode);

// Starts a loop pass (the backend pumps its events), then reports the next
// event without taking it and without waiting.
bool PeekEvent(Event& out);
// Takes the next event, waiting when none is queued. False when it is the
// quit (its code in exitCode).
bool TakeEvent(Event& out);

// Closes the window and forgets every queued event (between tests).
void ResetWindowSystem();

} // namespace plat
