#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace plat {

class HeadlessBackend;

// Scripted input for a headless process (tests only): KRX_SCRIPT names a
// text file whose lines become the backend's timeline. One command a line;
// '#' starts a comment; numbers are decimal or 0x-hexadecimal:
//
//   step <ms>                    virtual milliseconds per loop pass (default 16)
//   realtime                     passes keep pace with the wall clock, so that
//                                processes on one machine share one time
//   <pass> key <scan code> down|up
//   <pass> mouse <x> <y>         the cursor, in game pixels
//   <pass> press|release|click [left|right]
//   <pass> close                 asks the window to close
//
// Passes count from 1, as the backend's do. A script with a line it cannot
// read is refused whole: nothing is scheduled and one trace line says where.
inline constexpr size_t kMaxScriptBytes = 1u << 20;
bool LoadScript(std::span<const uint8_t> text, HeadlessBackend& backend);
bool LoadScriptFile(const char* path, HeadlessBackend& backend);

} // namespace plat
