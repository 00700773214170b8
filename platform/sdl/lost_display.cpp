// Apart from the backend: Xlib's header defines macros (Status, None, Bool)
// that would clash with the names around it.
#include "platform/sdl/lost_display.h"

#include <X11/Xlib.h>
#include <unistd.h>

namespace plat {
namespace {

int DisplayLost(Display*) {
    static constexpr char kLine[] = "the display was lost\n";
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, kLine, sizeof kLine - 1);
    _exit(1);
}

} // namespace

void EndOnLostDisplay() { XSetIOErrorHandler(&DisplayLost); }

} // namespace plat
