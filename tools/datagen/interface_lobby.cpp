// Object 9 of the interface pack: the network lobby's room list, the room
// screen's panels, a preview of each battle map drawn from its world layout,
// the ready mark and the lobby's buttons. Every picture stands at its
// canvas's top-left corner, like the other interface pictures.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "interface/layout.h"
#include "tools/datagen/interface_pack.h"
#include "tools/datagen/world_layout.h"

namespace datagen {
namespace {

using layout::Size;

constexpr Rgba kInk{214, 226, 236};
constexpr Rgba kDim{120, 140, 158};
constexpr Rgba kTeal{70, 190, 200};
constexpr Rgba kAmber{240, 180, 70};
constexpr Rgba kShadow{0, 0, 0, 200};

// The ground maps of the battle maps, in the order of the lobby's choice.
constexpr uint32_t kBattleMapNumbers[layout::kBattleMaps] = {3001, 3002, 3003, 3004, 3005, 3006, 3008, 3009};

LabelFont& Chinese() {
    static LabelFont font(LabelFont::kUming, 16);
    return font;
}
LabelFont& Latin() {
    static LabelFont font(LabelFont::kUnifont, 16);
    return font;
}

std::function<Rgba(float, float)> Flat(Rgba c) {
    return [c](float, float) { return c; };
}
std::function<Rgba(float, float)> Vertical(Rgba top, Rgba bottom) {
    return [=](float, float v) {
        auto m = [v](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * v)); };
        return Rgba{m(top.r, bottom.r), m(top.g, bottom.g), m(top.b, bottom.b), m(top.a, bottom.a)};
    };
}

void FillRect(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, Rgba c) {
    PaintBox(img, x, y, w, h, [](float, float) { return -1.0f; }, Flat(c));
}

// A framed, see-through panel with a title strip.
void DrawPanel(sc_Image& img, Size s, const char* title) {
    PaintPanel(img, 0, 0, s.w, s.h, 6.0f, Flat(Rgba{70, 190, 200, 220}));
    PaintPanel(img, 2, 2, s.w - 4, s.h - 4, 5.0f, Vertical(Rgba{16, 30, 44, 225}, Rgba{6, 12, 20, 235}));
    FillRect(img, 8, 24, s.w - 16, 1, Rgba{70, 190, 200, 150});
    Chinese().DrawOutlined(img, 12, 5, title, kAmber, kShadow);
}

DirDesc Dir(int32_t frames, DrawFrame draw, Size canvas) {
    DirDesc d{frames, std::move(draw)};
    d.canvasW = canvas.w;
    d.canvasH = canvas.h;
    return d;
}

StatusDesc Single(Size size, const std::function<void(sc_Image&)>& draw) {
    StatusDesc s;
    s.dirs.push_back(Dir(1, [draw](FrameArt& a, int32_t) { draw(a.image); }, size));
    return s;
}

// The three looks of a button: normal, mouse-over pulsing over four frames,
// pressed with its face one pixel down and right.
StatusDesc Button(Size size, const std::function<void(sc_Image&, Rgba ink, int32_t shift)>& face) {
    StatusDesc s;
    s.frameTime = 100;
    constexpr float kPulse[4] = {0.70f, 0.85f, 1.0f, 0.85f};
    for (int32_t look = 0; look < layout::kLooks; ++look) {
        const int32_t frames = look == layout::kLookOver ? 4 : 1;
        s.dirs.push_back(Dir(
            frames,
            [=](FrameArt& a, int32_t f) {
                const float k = look == layout::kLookNormal ? 0.6f : look == layout::kLookOver ? kPulse[f & 3] : 1.0f;
                const Rgba border{static_cast<int>(kTeal.r * k), static_cast<int>(kTeal.g * k),
                                  static_cast<int>(kTeal.b * k)};
                PaintPanel(a.image, 0, 0, size.w, size.h, 3.0f, Flat(border));
                const Rgba top = look == layout::kLookPressed ? Rgba{12, 16, 22} : Rgba{44, 58, 74};
                const Rgba bottom = look == layout::kLookPressed ? Rgba{30, 36, 48} : Rgba{20, 26, 36};
                PaintPanel(a.image, 1, 1, size.w - 2, size.h - 2, 2.0f, Vertical(top, bottom));
                const Rgba ink = look == layout::kLookNormal ? kInk
                                 : look == layout::kLookOver ? Rgba{255, 255, 255}
                                                             : Rgba{255, 228, 150};
                face(a.image, ink, look == layout::kLookPressed ? 1 : 0);
            },
            size));
    }
    return s;
}

StatusDesc CaptionButton(const char* caption) {
    const Size s = layout::kLobbyButton;
    return Button(s, [=](sc_Image& img, Rgba ink, int32_t shift) {
        Chinese().DrawCentred(img, shift, shift, s.w, s.h, caption, ink, kShadow);
    });
}

// A triangle pointing left or right.
StatusDesc ArrowButton(bool right) {
    const Size s = layout::kSlotButton;
    return Button(s, [=](sc_Image& img, Rgba ink, int32_t shift) {
        const float l = 8.0f + shift, r = 16.0f + shift, t = 6.0f + shift, b = 18.0f + shift, m = 12.0f + shift;
        const std::vector<float> pts = right ? std::vector<float>{l, t, r, m, l, b} : std::vector<float>{r, t, l, m, r, b};
        PaintBox(img, 0, 0, s.w, s.h,
                 [&](float x, float y) { return SdPolygon(x + s.w / 2.0f, y + s.h / 2.0f, pts); }, Flat(ink));
    });
}

StatusDesc ReadyButton() {
    const Size s = layout::kSlotButton;
    return Button(s, [=](sc_Image& img, Rgba ink, int32_t shift) {
        PaintBox(img, 6 + shift, 6 + shift, 12, 12,
                 [](float x, float y) { return std::fabs(SdBox(x, y, 5.0f, 5.0f)) - 0.75f; }, Flat(ink));
    });
}

// A green tick over the ready button's box.
void DrawReadyMark(sc_Image& img) {
    const Size s = layout::kSlotButton;
    const std::vector<float> tick = {4, 12, 8, 9, 11, 13, 19, 3, 22, 6, 11, 20};
    PaintBox(img, 0, 0, s.w, s.h, [&](float x, float y) { return SdPolygon(x + s.w / 2.0f, y + s.h / 2.0f, tick); },
             Flat(Rgba{90, 230, 110}));
}

void DrawRoomList(sc_Image& img) {
    using namespace layout;
    const Size s = kRoomListSize;
    DrawPanel(img, s, "房間列表");
    Latin().DrawOutlined(img, kRoomCountX - kRoomListPanel.x - 8, 5, "PLAYERS", kDim, kShadow);
    for (int32_t i = 0; i < kRoomRows; ++i) {
        const int32_t y = kRoomRow.y - kRoomListPanel.y + kRoomRowPitch * i;
        if (i % 2 == 0) FillRect(img, 8, y, s.w - 16, kRoomRowPitch, Rgba{70, 190, 200, 24});
        Latin().DrawOutlined(img, 16, y + 4, std::to_string(i + 1), kDim, kShadow);
    }
}

void DrawSelection(sc_Image& img) {
    const Size s = layout::kSelectionMark;
    const std::vector<float> arrow = {6, 5, 30, 12.5f, 6, 20};
    PaintBox(img, 0, 0, s.w, s.h, [&](float x, float y) { return SdPolygon(x + s.w / 2.0f, y + s.h / 2.0f, arrow); },
             Vertical(kAmber, Rgba{200, 110, 30}));
}

void DrawPlayersPanel(sc_Image& img) {
    using namespace layout;
    DrawPanel(img, kRoomPlayersSize, "玩家");
    Chinese().DrawOutlined(img, kSlotCharName.x - kRoomPlayersPanel.x, 5, "角色", kDim, kShadow);
    for (int32_t i = 0; i < kRoomSlots; ++i) {
        const int32_t y = kSlotReady.y - kRoomPlayersPanel.y + kSlotPitch * i;
        FillRect(img, 8, y + kSlotButton.h + 2, kRoomPlayersSize.w - 16, 1, Rgba{70, 190, 200, 60});
    }
}

void DrawMapPanel(sc_Image& img) {
    using namespace layout;
    DrawPanel(img, kRoomMapSize, "");
    const int32_t x = kMapPreview.x - kRoomMapPanel.x - 2, y = kMapPreview.y - kRoomMapPanel.y - 2;
    PaintBox(img, x, y, kMapPreviewSize.w + 4, kMapPreviewSize.h + 4,
             [&](float px, float py) {
                 return std::fabs(SdBox(px, py, kMapPreviewSize.w / 2.0f + 1.0f, kMapPreviewSize.h / 2.0f + 1.0f)) - 0.8f;
             },
             Flat(kTeal));
}

Rgba TerrainColour(Terrain t, bool winter) {
    switch (t) {
    case Terrain::Grass: return winter ? Rgba{200, 210, 220} : Rgba{70, 130, 60};
    case Terrain::Dirt: return Rgba{150, 120, 80};
    case Terrain::Road: return Rgba{180, 165, 130};
    case Terrain::Water: return Rgba{40, 90, 170};
    case Terrain::Stone: return Rgba{95, 95, 100};
    case Terrain::Town: return Rgba{160, 150, 140};
    case Terrain::Snow: return Rgba{225, 232, 240};
    }
    return Rgba{0, 0, 0};
}

// The battle map seen from above, squeezed into the preview, its start
// places marked.
void DrawMapPreview(sc_Image& img, const WorldLayout& world) {
    const Size s = layout::kMapPreviewSize;
    for (int32_t py = 0; py < s.h; ++py)
        for (int32_t px = 0; px < s.w; ++px) {
            const int32_t x = static_cast<int32_t>((px + 0.5) * world.width / s.w);
            const int32_t y = static_cast<int32_t>((py + 0.5) * world.height / s.h);
            PaintPixel(img, px, py, TerrainColour(world.At(x, y), world.winter));
        }
    for (const MapPixel& p : world.starts) {
        const float cx = static_cast<float>(p.x) * s.w / world.width, cy = static_cast<float>(p.y) * s.h / world.height;
        PaintBox(img, static_cast<int32_t>(cx) - 3, static_cast<int32_t>(cy) - 3, 7, 7,
                 [](float x, float y) { return SdCircle(x, y, 2.8f); }, Flat(Rgba{240, 60, 50}));
    }
    Latin().DrawOutlined(img, 4, s.h - 20, "MAP " + std::to_string(world.number), kInk, kShadow);
}

} // namespace

ObjectDesc LobbyObject() {
    using namespace layout;
    ObjectDesc o;
    o.statuses.resize(kLobbyStatuses);
    o.statuses[kLobbyList] = Single(kRoomListSize, DrawRoomList);
    o.statuses[kLobbySelection] = Single(kSelectionMark, DrawSelection);
    StatusDesc room;
    room.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawPlayersPanel(a.image); }, kRoomPlayersSize));
    room.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawMapPanel(a.image); }, kRoomMapSize));
    o.statuses[kLobbyRoom] = room;
    StatusDesc maps;
    maps.dirs.push_back(Dir(
        kBattleMaps,
        [](FrameArt& a, int32_t f) { DrawMapPreview(a.image, BuildWorldLayout(kBattleMapNumbers[f])); },
        kMapPreviewSize));
    o.statuses[kLobbyMaps] = maps;
    o.statuses[kLobbyReadyMark] = Single(kSlotButton, DrawReadyMark);
    o.statuses[kLobbyCreate] = CaptionButton("建立房間");
    o.statuses[kLobbyJoin] = CaptionButton("加入房間");
    o.statuses[kLobbyStart] = CaptionButton("開始戰鬥");
    o.statuses[kLobbyReady] = ReadyButton();
    o.statuses[kLobbyCharDown] = ArrowButton(false);
    o.statuses[kLobbyCharUp] = ArrowButton(true);
    o.statuses[kLobbyMapDown] = ArrowButton(false);
    o.statuses[kLobbyMapUp] = ArrowButton(true);
    o.statuses[kLobbyLeave] = CaptionButton("離開房間");
    return o;
}

} // namespace datagen
