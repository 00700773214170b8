#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/sprite/sprite_tree.h"
#include "platform/byte_reader.h"

// Trees for the pack tests, blocks in memory.
namespace packtest {

inline sc_GameImg Image(int32_t w, int32_t h, uint16_t seed, bool alpha, int32_t ox = 0, int32_t oy = 0) {
    std::vector<uint16_t> px(static_cast<size_t>(w) * h);
    std::vector<uint8_t> a(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
        px[i] = static_cast<uint16_t>((seed * 131 + i * 7) & 0x7FFF);
        a[i] = static_cast<uint8_t>((seed + i) % 32);
    }
    sc_GameImg img;
    img.vSetPixels(w, h, px.data(), alpha ? a.data() : nullptr);
    img.vSetOffset(ox, oy);
    img.vSetSecondOffset(seed, -seed);
    return img;
}

inline sc_GameImgWithShadow Frame(uint16_t seed, bool alpha, bool shadow, bool overlay) {
    sc_GameImgWithShadow f;
    f.vAssignImage(Image(3 + seed % 4, 2 + seed % 3, seed, alpha, -seed, seed));
    if (shadow) {
        const sc_GameImg s = Image(5, 1, static_cast<uint16_t>(seed + 100), seed % 2 == 0);
        f.vSetShadow(&s);
    }
    if (overlay) {
        const sc_GameImg o = Image(2, 2, static_cast<uint16_t>(seed + 200), true);
        f.vSetOverlay(&o);
    }
    return f;
}

inline sc_GameDir Dir(uint16_t seed, int frames, bool grid) {
    sc_GameDir d;
    for (int i = 0; i < frames; ++i) {
        const uint16_t s = static_cast<uint16_t>(seed * 10 + i);
        const sc_GameImgWithShadow f = Frame(s, i % 2 == 0, i % 3 != 1, i == 1);
        d += &f;
    }
    d.lSetMarks(-10 - seed, 4, 10 + seed, 4, 0, 9);
    d.vSetMark(3, sc_GamePoint(0, -1));
    d.vSetClass(static_cast<uint8_t>(seed % 3));
    if (grid) {
        const uint8_t cells[] = {0, 1, 1, 0, 2, 1, 0, 0, 1, 1, 1, 0};
        d.oLocate().vSetCells(4, 3, cells);
        d.oLocate().vSetOrigin(seed, 1);
    }
    return d;
}

// Two objects: names, alpha, shadows, overlays, extra directions, an info
// record, grids, an empty image and a status without directions.
inline sc_GameImageData RichPack() {
    sc_GameImageData pack;
    sc_GameObject o0;
    sc_GameStatus walk;
    walk.vSetName("walk");
    walk.vSetFrameTime(150);
    walk.vSetPause(20, 10);
    for (uint16_t i = 0; i < 3; ++i) {
        const sc_GameDir d = Dir(i, 3, i != 1);
        walk += &d;
    }
    walk.vSetDefaultDir(2);
    const sc_GameDir extra = Dir(7, 2, true);
    walk.vSetExtraDir(&extra);
    ss_ObjectInfo info;
    info.w2 = 1234;
    walk.vSetInfo(&info);
    o0 += &walk;
    sc_GameStatus idle;
    idle.vSetName("");
    o0 += &idle;
    pack += &o0;

    sc_GameObject o1;
    sc_GameStatus s;
    sc_GameDir d = Dir(9, 2, true);
    sc_GameImgWithShadow empty;
    empty.vAssignImage(Image(0, 0, 1, false));
    d += &empty;
    s += &d;
    o1 += &s;
    pack += &o1;
    return pack;
}

// The whole-form bytes of a node: a complete picture of its headers and blocks.
template <class Node> std::vector<uint8_t> Whole(const Node& n) {
    sc_ByteWriter w;
    if constexpr (std::is_same_v<Node, sc_GameStatus>)
        n.vWrite(w, nullptr);
    else
        n.vWrite(w);
    return w.Release();
}

} // namespace packtest
