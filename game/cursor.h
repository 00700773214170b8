#pragma once
#include <cstdint>

#include "engine/sprite/sprite_tree.h"

class sc_GameImgWithShadow;

// The game's own mouse cursor, drawn last in every frame. It reads its pack
// whole at start-up rather than through the sprite cache. Kind n is
// direction n of status 0 of object 0; its frames loop, one every 50 ms.
class sc_Cursor {
public:
    static constexpr const char* kPackTable = "P_CURSOR\\P_CURSOR.STR";
    static constexpr const char* kPackData = "P_CURSOR\\P_CURSOR.IMG";
    static constexpr int32_t kFrameMs = 50;

    sc_Cursor();
    virtual ~sc_Cursor();
    sc_Cursor(const sc_Cursor&) = delete;
    sc_Cursor& operator=(const sc_Cursor&) = delete;

    // The animation back to its start; the pack stays.
    void vFree();
    void vLoad();
    // Keeps the frame index and its timer: choosing the current kind again
    // does not restart it.
    void vSetCursor(int32_t lNewKind);
    // Steps on the first call after each 50 ms; null without a pack or when
    // the kind names no direction.
    const sc_GameImgWithShadow* pGetFrame();
    // At (mouse x - 400, mouse y - 300), the screen convention of every
    // sprite: the frame's own offset puts its hot spot under the mouse.
    void vShow();

    sc_GameImageData oImageData;
    sc_GameDir* pDir = nullptr;
    int32_t lKind = 0;
    int32_t lNextFrame = 0;
    int8_t bFrame = 0;
};

extern sc_Cursor* g_pCursor;
