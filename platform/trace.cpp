#include "platform/trace.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace plat {
namespace {

// The platform's own threads (audio, network I/O) may report too.
std::mutex g_traceMutex;
TraceSink g_traceSink;

} // namespace

void Trace(std::string_view source, std::string_view reason) {
    std::lock_guard lock(g_traceMutex);
    if (g_traceSink) {
        g_traceSink(source, reason);
        return;
    }
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(source.size()), source.data(),
                 static_cast<int>(reason.size()), reason.data());
}

TraceSink SetTraceSink(TraceSink sink) {
    std::lock_guard lock(g_traceMutex);
    return std::exchange(g_traceSink, std::move(sink));
}

} // namespace plat
