#pragma once
// Where the interface's pictures come from and where they stand: the objects
// of the interface pack with the shape of each, and the screen positions the
// screens place them at. The game reads it to find and place its pictures,
// the data set generator to draw pictures of the sizes the screens expect.
#include <cstdint>

namespace layout {

struct Size {
    int32_t w, h;
};
struct Pos {
    int32_t x, y;
};

// ------------------------------------------------------------ the pack

inline constexpr const char* kPackStr = "P_INTERFACE\\P_INTERFACE.STR";
inline constexpr const char* kPackImg = "P_INTERFACE\\P_INTERFACE.IMG";

// Objects of the pack. 0, 2 and 5 to 9 belong to the panels and menus.
enum Object : int32_t {
    kObjectCards = 1,     // weapon and item cards
    kObjectGlyphs = 3,    // digits and letters for the number pictures
    kObjectScrollBar = 4, // the vertical scroll bar
};

// A picture button is one status whose directions are its three looks.
enum ButtonLook : int32_t { kLookNormal = 0, kLookOver = 1, kLookPressed = 2, kLooks = 3 };

// Every picture is drawn with its top-left corner at the point it is shown
// at (a draw offset of (0, 0)) unless said otherwise.

// ------------------------------------------------- object 1: the cards

inline constexpr int32_t kWeaponCards = 12;
inline constexpr int32_t kItemCards = 15;
// Statuses of object 1.
inline constexpr int32_t kWeaponButtonFirst = 0;             // 0..11, one per weapon card
inline constexpr int32_t kWeaponIconStatus = 12;             // direction = card / 3
inline constexpr int32_t kWeaponIconDirs = kWeaponCards / 3; // one per family of three cards
inline constexpr int32_t kItemButtonFirst = 13;              // 13..27, one per item card
inline constexpr int32_t kItemIconStatus = 28;               // direction = item card
inline constexpr int32_t kCardStatuses = kItemIconStatus + 1;

inline constexpr Size kWeaponButton{50, 20};
inline constexpr Size kItemButton{120, 30};
// Icons animate one frame every 50 ms whatever their status says.
inline constexpr int32_t kIconFrames = 4;
inline constexpr Size kWeaponIcon{200, 110};
// The weapon icon hangs below the detail panel's labels.
inline constexpr Pos kWeaponIconOffset{0, 70};
inline constexpr Size kItemIcon{90, 80};

// The arming screen: cards three to a row, the ammunition under each.
inline constexpr int32_t kGridColumns = 3;
inline constexpr Pos kGridPitch{54, 38};
inline constexpr int32_t kAmmoBelow = 20;
// The grid has arrived when its x reaches this.
inline constexpr int32_t kGridHomeX = 610;
inline constexpr Pos kArmedSlots[3] = {{521, 295}, {497, 342}, {473, 389}};
// The detail panel of the hovered card.
inline constexpr Pos kWeaponIconPoint{570, 25};
inline constexpr Pos kHoverName{647, 23};
inline constexpr Pos kDetailLabels[3] = {{570, 30}, {570, 50}, {570, 70}};
inline constexpr Pos kDetailAmmo{610, 30};
inline constexpr Pos kDetailWeight{610, 50};
inline constexpr Pos kDetailPrice{680, 70};
inline constexpr Pos kHoverTexts[3] = {{20, 515}, {20, 531}, {20, 547}};
// The item choice: offered items one under the other.
inline constexpr int32_t kItemPitch = 34;
inline constexpr Pos kItemIconPoint{20, 430};
inline constexpr Pos kItemName{20, 525};

// ----------------------------------------------- object 3: the glyphs

// Status 0, direction 0: frames 0-9 the digits, 10-35 a-z, 36-61 A-Z, each
// a whole cell so that every frame has the same size.
inline constexpr int32_t kGlyphs = 62;
inline constexpr Size kGlyphCell{13, 18};

// -------------------------------------------- object 4: the scroll bar

// Status 0 the track, 1 the up arrow, 2 the down arrow, 3 the thumb (the
// three buttons with their three looks). The buttons run down the track's
// groove, kBarButtonX from its left edge; the rails either side of the
// groove are separated from it by transparent gaps, and the groove is clear
// where the arrows stand (a press on the track's picture moves the thumb).
inline constexpr Size kBarTrack{20, 300};
inline constexpr int32_t kBarButtonX = 5;
inline constexpr Size kBarArrow{10, 14};
inline constexpr Size kBarThumb{10, 30};
inline constexpr int32_t kBarRail = 3; // opaque columns at each side
inline constexpr int32_t kBarGap = 2;  // transparent columns between rail and groove

// ------------------------------------------------------ the player form

// The character text lines: 0..10 one under the other, 11 apart.
inline constexpr Pos kTextLine{272, 212};
inline constexpr int32_t kTextLinePitch = 18;
inline constexpr Pos kLastTextLine{272, 410};
inline constexpr int32_t kTextStepMs = 30;
// The mission buttons: one caption rectangle per mission.
inline constexpr Pos kMissionButton{230, 100};
inline constexpr Size kMissionButtonSize{200, 20};

// ------------------------------------------------- object 9: the lobby

inline constexpr int32_t kObjectLobby = 9;

enum LobbyStatus : int32_t {
    kLobbyList = 0,      // the room list's panel
    kLobbySelection = 1, // the mark left of the selected row
    kLobbyRoom = 2,      // direction 0 the players' panel, 1 the map's panel
    kLobbyMaps = 3,      // direction 0: frame m previews battle map m
    kLobbyReadyMark = 4, // over a ready slot's button
    kLobbyCreate = 5,    // the picture buttons, three looks each: create a room,
    kLobbyJoin = 6,      //   join the selected one,
    kLobbyStart = 7,     //   start the battle,
    kLobbyReady = 8,     //   a slot's ready mark,
    kLobbyCharDown = 9,  //   a slot's character, down and up,
    kLobbyCharUp = 10,
    kLobbyMapDown = 11, //   the battle map, down and up
    kLobbyMapUp = 12,
    kLobbyLeave = 13,   //   leave the room
    kLobbyStatuses = 14,
};

// The room list: seven rows of room names, each room's players beside it.
inline constexpr int32_t kRoomRows = 7;
inline constexpr Pos kRoomListPanel{50, 50};
inline constexpr Size kRoomListSize{700, 215};
inline constexpr Pos kRoomRow{100, 80};
inline constexpr Size kRoomRowSize{600, 25};
inline constexpr int32_t kRoomRowPitch = 25;
inline constexpr int32_t kSelectionLeft = 45;
inline constexpr Size kSelectionMark{40, 25};
inline constexpr int32_t kRoomCountX = 630;
inline constexpr int32_t kRoomCountOfX = 645;
inline constexpr Pos kRoomNamePrompt{360, 400};

// The room: a row per player slot on the left, the battle map on the right.
inline constexpr int32_t kRoomSlots = 4;
inline constexpr Pos kRoomPlayersPanel{20, 50};
inline constexpr Size kRoomPlayersSize{430, 180};
inline constexpr Pos kRoomMapPanel{460, 50};
inline constexpr Size kRoomMapSize{320, 250};
inline constexpr int32_t kSlotPitch = 30;
inline constexpr Pos kSlotReady{40, 107};
inline constexpr Pos kSlotName{70, 107};
inline constexpr Pos kSlotCharDown{275, 107};
inline constexpr Pos kSlotCharName{308, 107};
inline constexpr Pos kSlotCharUp{407, 107};
inline constexpr Size kSlotButton{24, 24};
inline constexpr int32_t kBattleMaps = 8;
inline constexpr Pos kMapPreview{465, 60};
inline constexpr Size kMapPreviewSize{210, 190};
inline constexpr Pos kMapDown{470, 265};
inline constexpr Pos kMapUp{660, 265};
inline constexpr Pos kMapName{530, 262};
inline constexpr Pos kMapLabel{684, 83};

// Create, join, start and leave stand where the menus' forward, back and
// top buttons do.
inline constexpr Size kLobbyButton{130, 34};
inline constexpr Pos kCreateButton{632, 395};
inline constexpr Pos kJoinButton{574, 458};
inline constexpr Pos kStartButton{660, 265};
inline constexpr Pos kLeaveButton{521, 523};
inline constexpr Pos kLobbyKeyIn{500, 400};

} // namespace layout
