#pragma once
// Bounds for the buffer routines (not part of the library's interface): the
// library's buffer operations were written not to clip, so each takes the
// size of the buffer it writes and drops whatever would fall outside it.
// Positions are computed in 64 bits.
#include <algorithm>
#include <cstdint>

namespace t2d_detail {

// The part of elements [at, at + count) that lies inside a buffer of n
// elements: fn(first element inside, how many were cut at the front, length).
template <class T, class Fn>
inline void ClipSpan(T* p, uint64_t n, int64_t at, int64_t count, Fn&& fn) {
    if (!p || count <= 0) return;
    int64_t lo = std::max<int64_t>(at, 0);
    const int64_t hi = std::min<int64_t>(at + count, static_cast<int64_t>(std::min<uint64_t>(n, INT64_MAX / 2)));
    if (lo >= hi) return;
    fn(p + lo, lo - at, static_cast<uint32_t>(hi - lo));
}

// y * pitch + x, held within 2^52 either side of 0: a position that far out
// lies outside every buffer whatever is added to it, and the clamp keeps the
// sums, row steps and byte scalings made from it clear of overflow.
inline int64_t Offset(int64_t y, uint64_t pitch, int64_t x) {
    __extension__ using Wide = __int128;
    constexpr int64_t kFar = int64_t{1} << 52;
    const Wide v = static_cast<Wide>(y) * static_cast<Wide>(pitch) + x;
    return v > kFar ? kFar : v < -kFar ? -kFar : static_cast<int64_t>(v);
}

// True when [at, at + count) lies wholly inside a buffer of n elements.
inline bool Inside(uint64_t n, int64_t at, int64_t count) {
    return at >= 0 && count >= 0 && static_cast<uint64_t>(at) <= n && static_cast<uint64_t>(count) <= n - static_cast<uint64_t>(at);
}

} // namespace t2d_detail
