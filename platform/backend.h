#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace plat {

// What the program's OS layer needs from the machine underneath. Two
// implementations: the SDL one that plays, the headless one that tests.
class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* Name() const = 0;

    virtual uint32_t Now() = 0;
    virtual void Wait(uint32_t ms) = 0;
    // The hour (0..23) and minute of the local time of day; the machine's
    // unless a backend keeps its own.
    virtual void LocalTime(int32_t& hour, int32_t& minute);

    // Called at the start of each pass of the loop, before the queue is
    // looked at: turn the machine's events into window events (PostEvent).
    virtual void BeginPass() {}

    // The window layer tells the backend what happened to the game window.
    virtual bool OnWindowCreated(const std::string& /*title*/) { return true; }
    virtual void OnWindowShown() {}
    virtual void OnWindowPainted() {}
    virtual void OnWindowDestroyed() {}

    // The display: a 5-5-5 picture of the given size shown in the window.
    virtual bool OpenDisplay(int32_t /*width*/, int32_t /*height*/) { return true; }
    virtual void CloseDisplay() {}
    // Puts a whole 5-5-5 picture (pitch = width) on the display at once.
    virtual void Show(const uint16_t* /*pixels*/, int32_t /*width*/, int32_t /*height*/) {}
    // Makes the display usable again after it was lost; false when it cannot yet.
    virtual bool RestoreDisplay() { return true; }

    // Input (see platform/input.h for the meaning of the values).
    virtual bool ReadKeys(uint8_t* /*state256*/) { return false; }
    virtual void GetCursor(int32_t& x, int32_t& y) { x = y = 0; }
    virtual uint16_t QueryMouseButton(int /*button*/) { return 0; }
};

// The backend in use. Before one is installed, a plain backend with a real
// clock and no window system answers.
Backend& CurrentBackend();
void InstallBackend(std::unique_ptr<Backend> backend);

// Returns the backend to the plain one (tests use it between cases).
void ResetBackend();

} // namespace plat
