#pragma once
#include <functional>
#include <string_view>

namespace plat {

// The one debug-output channel of the program. A line has a source (the
// reader, file or subsystem that speaks) and a reason. Lines go to stderr
// until a sink is installed; the game's trace log and the tests install one.
using TraceSink = std::function<void(std::string_view source, std::string_view reason)>;

void Trace(std::string_view source, std::string_view reason);

// Installs a sink and returns the one it replaces; an empty sink restores
// stderr.
TraceSink SetTraceSink(TraceSink sink);

// Installs a sink for the life of a scope (tests, the scene's log).
class ScopedTraceSink {
public:
    explicit ScopedTraceSink(TraceSink sink) : m_previous(SetTraceSink(std::move(sink))) {}
    ~ScopedTraceSink() { SetTraceSink(std::move(m_previous)); }
    ScopedTraceSink(const ScopedTraceSink&) = delete;
    ScopedTraceSink& operator=(const ScopedTraceSink&) = delete;

private:
    TraceSink m_previous;
};

} // namespace plat
