#pragma once
// The top menu as the menus draw it first: its picture from the interface
// pack of the folder the test runs in, and where its buttons stand over it.
#include <cstdint>
#include <vector>

#include "engine/base/file.h"
#include "engine/sprite/sprite_tree.h"
#include "interface/layout.h"

namespace krxtest {

inline std::vector<uint16_t> TopMenuPicture() {
    std::vector<uint16_t> px(800 * 600, 0);
    sc_CreateFileSquentialAccess table(layout::kPackStr), data(layout::kPackImg);
    sc_GameImageData pack;
    if (!pack.bReadSplit(table, &data, nullptr)) return px;
    if (const sc_GameImgWithShadow* p = pack.pGetFrameAt(layout::kObjectMenus, layout::kMenuTopBack, 0, 0))
        p->oImage().vShowOn(0, 0, px.data(), 800, 600, 0, 0, 0, 0, 0);
    return px;
}

inline bool OnTopMenuButton(int32_t x, int32_t y) {
    for (const layout::Pos& b : layout::kTopButtons)
        if (x >= b.x && x < b.x + layout::kTopButton.w && y >= b.y && y < b.y + layout::kTopButton.h) return true;
    return false;
}

} // namespace krxtest
