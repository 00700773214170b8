#include "engine/blit/blit_region.h"

#include <algorithm>

namespace {

ss_BlitRegion o_Make(int64_t x, int64_t y, int32_t w, int32_t dstW, int64_t top, int64_t bottom, int64_t left,
                     int64_t right) {
    ss_BlitRegion r;
    if (bottom <= top || right <= left) return r;
    r.rows = static_cast<int32_t>(bottom - top);
    r.span = static_cast<int32_t>(right - left);
    r.firstRow = static_cast<int32_t>(top);
    r.firstColumn = static_cast<int32_t>(left);
    r.srcStart = static_cast<std::ptrdiff_t>((top - y) * w + (left - x));
    r.dstStart = static_cast<std::ptrdiff_t>(top * dstW + left);
    r.srcPitch = w;
    r.dstPitch = dstW;
    return r;
}

} // namespace

ss_BlitRegion o_ClipToBounds(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH) {
    if (y >= dstH || x >= dstW) return {};
    const int64_t bottom = std::min<int64_t>(int64_t{y} + h, dstH);
    const int64_t right = std::min<int64_t>(int64_t{x} + w, dstW);
    if (bottom <= 0 || right <= 0) return {};
    return o_Make(x, y, w, dstW, std::max(y, 0), bottom, std::max(x, 0), right);
}

ss_BlitRegion o_ClipToRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                           int32_t clipTop, int32_t clipBottom, int32_t clipLeft, int32_t clipRight) {
    if (clipBottom <= clipTop) return {};
    const int64_t bottom = std::min<int64_t>(int64_t{clipBottom} + 1, dstH);
    const int64_t right = std::min<int64_t>(int64_t{clipRight} + 1, dstW);
    const int64_t top = std::max(clipTop, 0);
    const int64_t left = std::max(clipLeft, 0);
    return o_Make(x, y, w, dstW, std::max<int64_t>(y, top), std::min<int64_t>(int64_t{y} + h, bottom),
                  std::max<int64_t>(x, left), std::min<int64_t>(int64_t{x} + w, right));
}
