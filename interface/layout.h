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

// ------------------------------------------- frames and captions of the art

// The border lines round the panels and windows that texts stand in are at
// most kFrameLine thick; a window's title bar reaches kTitleBar down from its
// top edge. Every text, drawn by a screen or written into the art, keeps
// kTextClear pixels clear of its box's border lines and of the pictures and
// texts beside it.
inline constexpr int32_t kFrameLine = 2, kTitleBar = 24, kTextClear = 2;

// A caption the art writes next to places the screens fill stands in its
// box, and no picture a screen puts over the art covers the box.
struct Box {
    Pos at;
    Size size;
};

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

// =========================================== the panels and the screens
//
// Objects 0, 2 and 5 to 8. Pictures stand at the top-left corner of their
// canvas like the cards do; a picture that must keep its whole size (the
// glyphs, the arrows) carries two all but invisible corners.

inline constexpr int32_t kObjectPanel = 0;
inline constexpr int32_t kObjectPortraits = 2;
inline constexpr int32_t kObjectMenus = 5;
inline constexpr int32_t kObjectLoading = 6;
inline constexpr int32_t kObjectSystem = 7;
inline constexpr int32_t kObjectEnd = 8;

inline constexpr int32_t kCharacterTypes = 5;

// ------------------------------------------- object 0: the operator panel

// Status 0: the bottom bar, the four gauges, the radio box.
inline constexpr int32_t kPanelBarStatus = 0;
inline constexpr int32_t kPanelBarDir = 0;
inline constexpr int32_t kPanelGaugeDir = 1; // 1..4: hit points, fly, charge, energy
inline constexpr int32_t kRadioBackDir = 5;
inline constexpr int32_t kRadioFrameDir = 6;
inline constexpr Pos kPanelBar{0, 567};
inline constexpr Size kPanelBarSize{800, 33};
inline constexpr Pos kGauges[4] = {{429, 583}, {3, 583}, {3, 567}, {560, 567}};
inline constexpr Size kGaugeSizes[4] = {{330, 12}, {380, 12}, {196, 9}, {200, 9}};
// The radio box slides in to here; the back is drawn 20 further in.
inline constexpr Pos kRadioHome{20, 20};
inline constexpr Pos kRadioStart{-300, 20};
// Wide enough for the call's lines, clear of the money counter.
inline constexpr Size kRadioFrame{560, 220};
inline constexpr Size kRadioBack{520, 180};
inline constexpr Pos kRadioText{167, 54};
inline constexpr int32_t kRadioLines = 8;

// Status 1: the button that slides the weapon panel (three looks).
inline constexpr int32_t kWeaponsButtonStatus = 1;
inline constexpr Size kWeaponsButton{80, 10};
inline constexpr Pos kWeaponsButtonShown{587, 485};
inline constexpr Pos kWeaponsButtonHidden{708, 553};
// Status 2: the weapon panel with the armed slots and the portrait.
inline constexpr int32_t kWeaponsPanelStatus = 2;
inline constexpr Size kWeaponsPanel{225, 80};
inline constexpr Pos kWeaponsShown{565, 484};
inline constexpr Pos kWeaponsHidden{690, 553};
inline constexpr Pos kPanelSlot{569, 527};
inline constexpr int32_t kPanelSlotPitch = 52;
inline constexpr Pos kPanelPortrait{727, 492};

// Status 3: the radar's back (direction 0) and the grid over its canvas
// (direction 1), 128 pixels square; dots within 60 of its centre.
inline constexpr int32_t kRadarStatus = 3;
inline constexpr int32_t kRadarBackDir = 0;
inline constexpr int32_t kRadarCanvasDir = 1;
inline constexpr Pos kRadarBack{638, 20};
inline constexpr Size kRadarBackSize{162, 128};
inline constexpr Pos kRadarCanvas{672, 20};
inline constexpr int32_t kRadarSide = 128;
inline constexpr int32_t kRadarReach = 60;

// Status 4: the zoom button (three looks) and, direction 3, the money back.
inline constexpr int32_t kZoomStatus = 4;
inline constexpr int32_t kMoneyBackDir = 3;
inline constexpr Pos kZoomButton{638, 45};
inline constexpr Size kZoomButtonSize{34, 18};
inline constexpr Pos kScaleSign{661, 50};
inline constexpr Pos kScaleNumber{645, 49};
inline constexpr Pos kMoneyBack{590, 10};
inline constexpr Size kMoneyBackSize{82, 34};
inline constexpr Pos kMoneyNumber{600, 25};

// Status 5: the button that opens and closes the order list.
inline constexpr int32_t kListButtonStatus = 5;
inline constexpr Pos kListButton{731, 150};
inline constexpr Size kListButtonSize{62, 24};

// Status 7, direction 0: frame d is the target arrow for direction d.
inline constexpr int32_t kArrowStatus = 7;
inline constexpr Size kArrow{18, 18};

// Statuses 8..15: the order buttons, the cost drawn over their top-left.
inline constexpr int32_t kOrderStatusFirst = 8;
inline constexpr int32_t kOrders = 8;
inline constexpr int32_t kShownOrders = 7;
inline constexpr Size kOrderButton{80, 40};
inline constexpr Pos kOrderList{710, 180};
inline constexpr int32_t kOrderPitch = 43;

// ------------------------------------------- object 2: the portraits

// Status 0, direction 0: frame t is character type t, for the weapon panel.
inline constexpr Size kPortrait{54, 54};

// ------------------------------------------- object 5: the menus

enum MenuStatus : int32_t {
    kMenuTopBack = 0,     // the top menu, full screen
    kMenuSingle = 1,      // top menu buttons: single player,
    kMenuNetwork = 2,     //   network,
    kMenuCredits = 3,     //   one the top menu neither draws nor handles,
    kMenuQuit = 4,        //   quit
    kMenuNext = 5,        // navigation: forward,
    kMenuBack = 6,        //   back,
    kMenuTop = 7,         //   to the top menu,
    kMenuNewId = 8,       //   a new player ID (forward place of screen 1),
    kMenuContinue = 9,    //   continue a save (back place of screen 1)
    kMenuBackdrop = 10,   // directions put together into the shared background
    kMenuIdScreen = 11,   // the player-ID screen's pictures
    kMenuDecor = 12,      // the decoration, scan line and strip
    kMenuFallGlyphs = 13, // direction 0: the falling glyphs
    kMenuClockDigits = 14,
    kMenuStory = 15,      // direction 0: the story screen
    kMenuBriefing = 16,   // directions 2 and 3: the briefing's pictures
    kMenuBriefBacks = 17, // the briefing backgrounds and its dialogue box
    kMenuCharPics = 18,   // the character screen's pictures
    kMenuCharButton = 19, // 19..23, one per character type
    kMenuCharNext = 24,
    kMenuPageBack = 25,
    kMenuPageNext = 26,
    kMenuArmsStart = 27,
    kMenuDigits = 28,     // direction 0: digits 0-9 of the money
    kMenuIncrease = 29,
    kMenuDecrease = 30,
    kMenuPlay = 31,
    kMenuPause = 32,
    kMenuArmsPics = 33,   // the arms screen's pictures
    kMenuStatuses = 34,
};

inline constexpr Size kTopButton{180, 38};
// The top menu's plate under its buttons, its title above the first.
inline constexpr Pos kTopPlate{430, 314};
inline constexpr Size kTopPlateSize{240, 196};
inline constexpr Pos kTopButtons[4] = {{450, 359}, {460, 406}, {0, 0}, {470, 456}};
inline constexpr Size kNavButton{130, 34};
// Each navigation button is drawn two pixels up and right while hovered.
inline constexpr Pos kNavNext{632, 395}, kNavNextOver{634, 393};
inline constexpr Pos kNavBack{574, 458}, kNavBackOver{576, 456};
inline constexpr Pos kNavTop{521, 523}, kNavTopOver{523, 521};
inline constexpr Size kPageButton{26, 22};
inline constexpr Pos kPageBackButton{580, 300}, kPlayButton{610, 300}, kPauseButton{640, 300}, kPageNextButton{670, 300};

// The shared background: directions 0.. laid one over the other at load.
inline constexpr int32_t kBackdropLayers = 2;
// The screen's name on every full-screen frame (the shared background's
// among them): at the bottom right, under the decoration and right of the
// strip, where no screen puts a picture.
inline constexpr Box kScreenCaption{{680, 572}, {100, 18}};

// The player-ID screen: 0 the overlay, 1 the lit frame once the panels are
// in, 2 the mission panel, 3 the record panel.
inline constexpr int32_t kIdOverlayDir = 0, kIdLitDir = 1, kIdMissionDir = 2, kIdRecordDir = 3;
inline constexpr Pos kIdMissionPanel{167, 67}, kIdMissionPanelStart{167, -100};
inline constexpr Pos kIdRecordPanel{592, 13}, kIdRecordPanelStart{592, -100};
inline constexpr Size kIdMissionPanelSize{280, 300};
inline constexpr Size kIdRecordPanelSize{196, 240};
inline constexpr Pos kKeyIn{40, 30};
inline constexpr Pos kSaveSlot{70, 50};
inline constexpr Size kSaveSlotSize{70, 16};
inline constexpr Pos kMoneyLine{603, 109}, kKillsLine{603, 169}, kProgressLine{603, 219}, kPercentSign{643, 219};

// The decoration: 0 the console, 1 the monitor whose screen the trace
// scrolls through, 2 the trace, 3 the console's bezel, 4 the clock's
// colon, 5 the scan line, 6 the strip.
inline constexpr int32_t kDecorConsoleDir = 0, kDecorMonitorDir = 1, kDecorTraceDir = 2, kDecorBezelDir = 3,
                         kDecorColonDir = 4, kScanLineDir = 5, kStripDir = 6;
inline constexpr Pos kDecorConsole{600, 420};
inline constexpr Size kDecorConsoleSize{195, 150};
inline constexpr Pos kDecorMonitor{530, 405};
inline constexpr Size kDecorMonitorSize{120, 96};
inline constexpr Size kDecorTrace{40, 150};
inline constexpr Pos kDecorTraceStart{70, 100}; // less the trace's height
inline constexpr Pos kDecorColon{695, 530};
inline constexpr Pos kClockHour{678, 530}, kClockMinute{703, 530};
inline constexpr Size kClockGlyph{10, 14};
inline constexpr Size kScanLine{800, 6};
inline constexpr Pos kStrip{12, 570};
inline constexpr Size kStripSize{500, 24};
inline constexpr Size kFallGlyph{12, 14};
inline constexpr int32_t kFallGlyphs = 36;
inline constexpr int32_t kFallColumns = 8;
inline constexpr int32_t kFallColumnX = 16, kFallColumnPitch = 30;

// The story: the dialogue's portrait and lines.
inline constexpr Pos kStoryImage{0, 0}, kStoryText{146, 76};
// The window round the lines, right of the portrait.
inline constexpr Pos kStoryPanel{142, 46};
inline constexpr Size kStoryPanelSize{576, 240};
inline constexpr int32_t kStoryLines = 9;

// The briefing: backgrounds A, B, C and the dialogue box; the pair of
// pictures (direction 2) and the single one (direction 3) of status 16.
inline constexpr int32_t kBriefBoxDir = 3;
inline constexpr Pos kBriefBox{0, 440};
// Clear of the back and top buttons and of the decoration right of it.
inline constexpr Size kBriefBoxSize{516, 150};
inline constexpr int32_t kPairDir = 2, kSingleDir = 3;
inline constexpr int32_t kPairFrames = 51, kSingleFrames = 9;
inline constexpr Pos kPairA{508, 150}, kPairB{454, 265}, kSingle{508, 150};
inline constexpr Size kPairPicture{220, 105};
inline constexpr Size kSinglePicture{240, 220};
inline constexpr Pos kBriefImage{-50, 250}, kBriefText{250, 454};
inline constexpr Pos kBriefImageAtLoad{-20, 250}, kBriefTextAtLoad{200, 454};
inline constexpr int32_t kBriefLines = 4;

// The character screen: 0 the portrait, 1 the text panel, 2 the name
// banner, 3 the emblem, 4 the ability card (frames by character type),
// 5 the slider bar, 6 the sliders' frame.
inline constexpr int32_t kCharPortraitDir = 0, kCharPanelDir = 1, kCharBannerDir = 2, kCharEmblemDir = 3,
                         kCharCardDir = 4, kSliderBarDir = 5, kSliderFrameDir = 6;
inline constexpr Size kCharPortrait{220, 330};
inline constexpr Pos kCharPortraitStart{-60, 100}, kCharPortraitHome{30, 100};
inline constexpr Size kCharPanel{300, 250};
inline constexpr Pos kCharPanelStart{258, -50}, kCharPanelHome{258, 194};
inline constexpr Size kCharBanner{186, 56};
inline constexpr Size kCharEmblem{48, 48};
inline constexpr Pos kCharBannerStart{600, 12}, kCharBannerHome{352, 12};
inline constexpr Size kCharCard{180, 240};
// The ability card, in its own pixels: a chart of the four abilities (load,
// defence, stamina, speed) reaching up, right, down and left of its middle,
// each named beyond its corner, and the type's role and name under it.
inline constexpr Pos kChartMiddle{90, 110};
inline constexpr int32_t kChartReach = 44;
inline constexpr Box kChartLabels[4] = {
    {{74, 46}, {32, 16}}, {{138, 102}, {32, 16}}, {{74, 158}, {32, 16}}, {{10, 102}, {32, 16}}};
inline constexpr Box kCardRole{{12, 180}, {156, 24}}, kCardName{{12, 208}, {156, 18}};
inline constexpr Pos kCharCardStart{610, 0}, kCharCardHome{610, 147};
inline constexpr Size kSliderBar{100, 10};
inline constexpr Pos kSliderFrame{540, 36};
inline constexpr Size kSliderFrameSize{172, 76};
inline constexpr Pos kSliderBars{597, 43};
inline constexpr int32_t kSliderPitch = 17;
inline constexpr Size kCharButton{60, 60};
inline constexpr Pos kCharButtons{23, 12};
inline constexpr int32_t kCharButtonPitch = 64;

// The arms screen: 0 the header, 1 the ability panel, 2 the card detail
// panel, 3 the item frame, 4 the money plate, 5 the armed slots' rack,
// 6 the text strip, 7 the character's picture (frame by type).
inline constexpr int32_t kArmsPictures = 7;
inline constexpr int32_t kArmsCharacterDir = 7;
struct Slide {
    Pos start, home;
    int32_t step;
    Size size;
};
inline constexpr Slide kArmsSlides[kArmsPictures] = {
    {{0, -30}, {0, 12}, 16, {800, 46}},     {{-100, 97}, {0, 97}, 16, {250, 205}},
    {{700, 20}, {566, 20}, 16, {234, 196}}, {{-30, 426}, {16, 426}, 16, {104, 86}},
    {{156, -30}, {156, 12}, 16, {110, 36}}, {{800, 290}, {469, 290}, 32, {130, 126}},
    {{-30, 521}, {0, 521}, 16, {480, 57}}};
// The detail panel (picture 2) reaches this far left of and above its point,
// round the labels and the card's name at its point's edges.
inline constexpr Pos kDetailPanelReach{6, 6};
// The text strip (picture 6) reaches this far above its point: the hovered
// card's three lines start above it.
inline constexpr int32_t kTextStripRise = 11;
// The armed slots' rack (picture 5) names itself in its own pixels: right
// of the second slot, between the first slot's ammunition and the menus'
// monitor.
inline constexpr Box kRackCaption{{90, 82}, {34, 18}};
inline constexpr Size kArmsCharacter{220, 330};
inline constexpr Pos kArmsMoney{165, 26};
// Decrease, the step between them, increase: one row of the arms screen.
inline constexpr Size kStepButton{8, 12};
inline constexpr Pos kIncrease{210, 231}, kDecrease{190, 231};
inline constexpr int32_t kArmsRows[4] = {231, 248, 265, 283};
inline constexpr int32_t kArmsBarX = 56, kArmsValueX = 160, kArmsStepX = 198;
inline constexpr Pos kPointsUsed{57, 211}, kPointsSlash{83, 211}, kPointsLimit{102, 211};
inline constexpr Pos kFormTexts[4] = {{61, 135}, {61, 155}, {61, 175}, {74, 20}};
inline constexpr Pos kGridStart{800, 230}, kGridHome{610, 230};
inline constexpr Pos kBuyStart{-40, 316}, kBuyHome{20, 316};

// ------------------------------------------- object 6: the loading screen

// Status 0 the picture, 1 the bar's frame, 2 the twenty segments (each a
// picture of the bar's size with one segment lit), 3 the digits.
inline constexpr int32_t kLoadingBackStatus = 0, kLoadingFrameStatus = 1, kLoadingSegmentStatus = 2,
                         kLoadingDigitStatus = 3;
inline constexpr int32_t kLoadingSegments = 20;
inline constexpr Pos kLoadingBar{290, 250};
inline constexpr Size kLoadingBarSize{220, 26};
inline constexpr Pos kLoadingDigits{377, 340};
inline constexpr int32_t kLoadingDigitGap = 10;
inline constexpr Size kLoadingDigit{16, 22};

// ------------------------------------------- object 7: the system menu

// Statuses 0..3 the buttons (resume, volume, abandon, quit), 4 the menu
// picture, 5 the volume page, 6 one step of the volume bar.
inline constexpr int32_t kSystemButtons = 4;
inline constexpr int32_t kSystemMenuStatus = 4, kVolumePageStatus = 5, kVolumeStepStatus = 6;
inline constexpr Size kSystemButton{120, 26};
inline constexpr Pos kSystemButtonFirst{340, 230};
inline constexpr int32_t kSystemButtonPitch = 30;
inline constexpr Pos kVolumePage{340, 130};
inline constexpr Size kVolumePageSize{450, 370};
inline constexpr Pos kVolumeBar{475, 198};
inline constexpr Size kVolumeBarSize{294, 12};
inline constexpr Pos kVolumeStep{497, 195};
inline constexpr int32_t kVolumeStepPitch = 24;
inline constexpr Size kVolumeStepSize{20, 18};
inline constexpr int32_t kVolumeTextX = 600;
inline constexpr int32_t kVolumeTextY[9] = {280, 300, 320, 340, 362, 384, 406, 428, 470};

// ------------------------------------------- object 8: the end pictures

// Statuses 0, 1, 2: the background, mission complete, mission failure.
inline constexpr int32_t kEndBackStatus = 0, kEndCompleteStatus = 1, kEndFailureStatus = 2;
inline constexpr Pos kEndComplete{120, 300}, kEndFailure{150, 300};
inline constexpr Size kEndCompleteSize{560, 120}, kEndFailureSize{500, 120};

} // namespace layout
