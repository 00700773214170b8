// The packs of the fighting: bullets in flight (P_BULLET), the items lying
// on the ground (P_PROP) and the destructible things (P_THING).
//
// Each frame is drawn on a small picture around its own anchor and moved so
// that the anchor lands on the pack canvas's (400, 300), where the game draws
// an object's position; the footprint marks are set from the shape's
// half-sizes. This keeps the several thousand bullet frames cheap to make.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/datagen/content_names.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/mission_things.h"
#include "tools/datagen/pack_builder.h"
#include "tools/datagen/table_rows.h"

namespace datagen {

namespace {

using namespace content;

sc_Color Rgb(int r, int g, int b) {
    return sc_Color(static_cast<uint32_t>(std::clamp(b, 0, 255) | std::clamp(g, 0, 255) << 8 |
                                          std::clamp(r, 0, 255) << 16));
}

sc_Color Shade(sc_Color c, float f) {
    return Rgb(static_cast<int>(c.red * f), static_cast<int>(c.green * f), static_cast<int>(c.blue * f));
}

// A transparent picture of w x h whose anchor is (w / 2, h - foot).
struct Art {
    Art(int32_t w, int32_t h, int32_t foot) : ax(static_cast<float>(w / 2)), ay(static_cast<float>(h - foot)) {
        image.vSetSize(w, h);
        image.lAlloc();
        image.vSetHasAlpha(1);
    }
    sc_Image image;
    float ax, ay;

    void Fill(const std::function<float(float, float)>& sd, const std::function<sc_Color(float, float)>& shade,
              float opacity = 1.0f) {
        const float reach = static_cast<float>(std::max(image.lGetWidth(), image.lGetHeight()));
        DrawShape(image, ax, ay, reach, sd, shade, opacity);
    }
    void Fill(const std::function<float(float, float)>& sd, sc_Color colour, float opacity = 1.0f) {
        Fill(sd, [colour](float, float) { return colour; }, opacity);
    }
};

// The frame of a picture, placed so that its anchor is the canvas anchor.
sc_GameImgWithShadow Frame(const Art& art) {
    sc_GameImgWithShadow frame;
    frame.vSetImage(&art.image, nullptr, nullptr, 1);
    const sc_Point at = frame.oGetOffset();
    frame.vSetOffset(at.x + static_cast<int32_t>(kAnchorX - art.ax), at.y + static_cast<int32_t>(kAnchorY - art.ay));
    return frame;
}

// The ground diamond around the anchor: left, right, front (the anchor of the
// show list) and back corners. The back corner of a thing whose bulk stands
// high over a small base (a mast) rises to `rise` above the anchor, so that
// the outline covers the mast as drawn and a shot at its middle strikes it;
// the show list does not use that corner.
void SetFootprint(sc_GameDir& dir, int32_t halfW, int32_t halfH, int32_t rise = 0) {
    const auto x = static_cast<int16_t>(kAnchorX), y = static_cast<int16_t>(kAnchorY);
    dir.vSetMark(0, sc_GamePoint(static_cast<int16_t>(x - halfW), y));
    dir.vSetMark(1, sc_GamePoint(static_cast<int16_t>(x + halfW), y));
    dir.vSetMark(2, sc_GamePoint(x, static_cast<int16_t>(y + halfH)));
    dir.vSetMark(3, sc_GamePoint(x, static_cast<int16_t>(y - std::max(halfH, rise))));
}

float SdSegment(float x, float y, float ax, float ay, float bx, float by, float r) {
    const float px = x - ax, py = y - ay, ex = bx - ax, ey = by - ay;
    const float len2 = ex * ex + ey * ey;
    const float t = len2 > 0 ? std::clamp((px * ex + py * ey) / len2, 0.0f, 1.0f) : 0.0f;
    const float dx = px - ex * t, dy = py - ey * t;
    return std::sqrt(dx * dx + dy * dy) - r;
}

float SdEllipse(float x, float y, float rx, float ry) {
    // Scaled circle: good enough for the soft edge of small shapes.
    const float k = std::sqrt((x * x) / (rx * rx) + (y * y) / (ry * ry));
    return (k - 1.0f) * std::min(rx, ry);
}

// --------------------------------------------------------------- bullets

// How a bullet row looks in flight.
enum class Look { Round, Tracer, Energy, Flame, Rocket, Grenade, Wave, Spark };

// Row r of the bullet table, by what the row is (see the table generator).
constexpr std::array<Look, kBulletRowsUsed> kBulletLooks{{
    Look::Spark,   Look::Spark,   Look::Flame,   Look::Spark,   Look::Spark,   Look::Spark,   // 0-5
    Look::Energy,  Look::Energy,  Look::Energy,  Look::Spark,   Look::Flame,   Look::Round,   // 6-11
    Look::Grenade, Look::Energy,  Look::Flame,   Look::Grenade, Look::Rocket,  Look::Wave,    // 12-17
    Look::Wave,    Look::Tracer,  Look::Spark,   Look::Round,   Look::Spark,   Look::Grenade, // 18-23
    Look::Energy,  Look::Tracer,  Look::Round,   Look::Round,   Look::Tracer,  Look::Round,   // 24-29
    Look::Flame,   Look::Grenade, Look::Rocket,  Look::Grenade, Look::Rocket,  Look::Energy,  // 30-35
    Look::Grenade, Look::Round,   Look::Energy,  Look::Grenade, Look::Flame,   Look::Round,   // 36-41
    Look::Grenade, Look::Grenade, Look::Rocket,  Look::Rocket,  Look::Rocket,  Look::Rocket,  // 42-47
    Look::Rocket,  Look::Rocket,  Look::Energy,  Look::Energy,                                // 48-51
}};

// The screen vector of a 32-step direction: clockwise from up, on the
// isometric map where a vertical step counts double.
void DirVector(int32_t dir, float& ux, float& uy) {
    const float t = static_cast<float>(dir) * std::numbers::pi_v<float> / 16.0f;
    ux = std::sin(t);
    uy = -std::cos(t) * 0.5f;
    const float n = std::sqrt(ux * ux + uy * uy);
    ux /= n;
    uy /= n;
}

void DrawBullet(Art& art, Look look, int32_t row, int32_t dir, int32_t frame) {
    float ux = 0, uy = 0;
    DirVector(dir, ux, uy);
    // Larger rows are heavier shots of their look.
    const float size = 1.0f + static_cast<float>(row % 3) * 0.15f;
    const float flicker = frame ? 0.8f : 1.0f;
    auto along = [&](float len, float r) {
        return [=](float x, float y) { return SdSegment(x, y, -ux * len, -uy * len, ux * len, uy * len, r); };
    };
    switch (look) {
    case Look::Round:
        art.Fill(along(4 * size, 1.6f * size), Rgb(250, 230, 120));
        break;
    case Look::Tracer:
        art.Fill(along(9 * size, 1.8f), Rgb(255, 160, 60), 0.6f * flicker);
        art.Fill(along(5 * size, 1.2f), Rgb(255, 250, 200));
        break;
    case Look::Energy:
        art.Fill(along(7 * size, 4.0f * size), Rgb(60, 200, 255), 0.45f * flicker);
        art.Fill(along(6 * size, 2.0f * size), Rgb(200, 250, 255));
        break;
    case Look::Flame: {
        const float r = (frame ? 5.0f : 6.0f) * size;
        art.Fill([=](float x, float y) { return SdCircle(x, y, r); },
                 [=](float x, float y) {
                     const int heat = static_cast<int>(std::sqrt(x * x + y * y) * 30.0f / r);
                     return Rgb(255, 220 - heat * 5, 80 - heat * 3);
                 },
                 0.85f);
        break;
    }
    case Look::Rocket:
        art.Fill([=](float x, float y) { return SdSegment(x, y, -ux * 9, -uy * 9, -ux * 15, -uy * 15, 2.5f); },
                 Rgb(255, frame ? 200 : 140, 40), 0.8f);
        art.Fill(along(7, 2.4f * size), Rgb(170, 175, 180));
        art.Fill([=](float x, float y) { return SdCircle(x - ux * 7, y - uy * 7, 1.8f); }, Rgb(200, 40, 30));
        break;
    case Look::Grenade:
        art.Fill([=](float x, float y) { return SdCircle(x, y, 3.5f * size); },
                 [](float x, float y) { return Rgb(80 - static_cast<int>(x + y) * 8, 120, 60); });
        art.Fill([=](float x, float y) { return SdCircle(x - ux * 4, y - uy * 4, 1.2f); }, Rgb(255, 240, 120),
                 flicker);
        break;
    case Look::Wave:
        art.Fill(along(5, 5.0f), Rgb(200, 90, 255), 0.4f * flicker);
        art.Fill(along(4, 2.5f), Rgb(240, 200, 255));
        break;
    case Look::Spark:
        art.Fill([=](float x, float y) { return SdCircle(x, y, frame ? 2.0f : 2.6f); }, Rgb(255, 200, 90));
        break;
    }
}

constexpr int32_t kBulletArt = 40; // picture side
// The volleys' rows (sparks thrown off a hit, an enemy's last burst) fly
// from the ground and strike what their picture touches: a small diamond.
constexpr int32_t kSparkFootHalfW = 4;
constexpr int32_t kSparkFootHalfH = 2;

bool FliesAtGroundLevel(int32_t row) {
    return row <= 5 || row == 21;
}

// A shot flies at a body's height, while the hit tests compare outlines on
// the ground: a shot's outline is the ground under it where the middle of a
// standing body would be struck, at two depths below the picture (the low
// and the high bodies). Each depth is taken under the bullet and under where
// it flew half a step or more before, at least 30 pixels back: then a quick
// shot misses nothing between two steps, and one that appears past a close
// target still strikes it. The four points are the corners, each named by
// the side it lies furthest to.
void SetShotOutline(sc_GameDir& dir, int32_t d, int32_t row) {
    // The mines fire the grenade from low down at an enemy's feet.
    const int32_t upper = row == 15 ? 0 : 15, lower = row == 15 ? 20 : 30;
    const int32_t speed = std::max(1, BulletRowSpeed(row));
    // Fragments leave the place their shot struck: looking back, they would
    // strike it again at once.
    const bool fragment = row == 9 || row == 20 || row == 22;
    const int32_t back =
        fragment ? 0 : speed / 2 + speed * ((std::max(0, 30 - speed / 2) + speed - 1) / speed);
    float ux = 0, uy = 0;
    DirVector(d, ux, uy);
    const auto tx = static_cast<int32_t>(std::lround(-ux * static_cast<float>(back)));
    const auto ty = static_cast<int32_t>(std::lround(-uy * static_cast<float>(back)));
    const auto at = [](int32_t x, int32_t y) {
        return sc_GamePoint(static_cast<int16_t>(kAnchorX + static_cast<float>(x)),
                            static_cast<int16_t>(kAnchorY + static_cast<float>(y)));
    };
    const sc_GamePoint a0 = at(0, upper), a1 = at(0, lower), b0 = at(tx, upper + ty), b1 = at(tx, lower + ty);
    // The highest and the lowest point; the other two are the sides.
    const sc_GamePoint top = ty <= 0 ? b0 : a0, bottom = ty <= 0 ? a1 : b1;
    const sc_GamePoint p = ty <= 0 ? a0 : b0, q = ty <= 0 ? b1 : a1;
    dir.vSetMark(0, p.x <= q.x ? p : q);
    dir.vSetMark(1, p.x <= q.x ? q : p);
    dir.vSetMark(2, bottom);
    dir.vSetMark(3, top);
}

sc_GameObject BulletObject() {
    sc_GameObject object;
    for (int32_t row = 0; row < kBulletRowsUsed; ++row) {
        sc_GameStatus status;
        for (int32_t d = 0; d < kBulletDirections; ++d) {
            sc_GameDir dir;
            for (int32_t f = 0; f < kBulletFrames; ++f) {
                Art art(kBulletArt, kBulletArt, kBulletArt / 2);
                DrawBullet(art, kBulletLooks[static_cast<size_t>(row)], row, d, f);
                const sc_GameImgWithShadow frame = Frame(art);
                dir.vAdd(&frame);
            }
            if (FliesAtGroundLevel(row))
                SetFootprint(dir, kSparkFootHalfW, kSparkFootHalfH);
            else
                SetShotOutline(dir, d, row);
            status.vAdd(&dir);
        }
        status.vSetFrameTime(50);
        object.vAdd(&status);
    }
    return object;
}

// ----------------------------------------------------------------- items

void DrawItem(Art& art, int32_t kind, int32_t frame) {
    // A glint that runs over the item, one place per frame.
    const float glint = static_cast<float>(frame) * 6.0f - 9.0f;
    auto shadow = [](float x, float y) { return SdEllipse(x, y, 16, 7); };
    art.Fill(shadow, Rgb(0, 0, 0), 0.35f);
    switch (kind) {
    case kItemAmmo:
        art.Fill([](float x, float y) { return SdBox(x, y + 8, 12, 7); },
                 [](float x, float) { return Rgb(90 + static_cast<int>(x), 100, 50); });
        for (int i = -1; i <= 1; ++i)
            art.Fill([i](float x, float y) { return SdSegment(x, y, i * 6.0f, -17, i * 6.0f, -10, 1.8f); },
                     Rgb(230, 190, 60));
        break;
    case kItemHealth:
        art.Fill([](float x, float y) { return SdBox(x, y + 8, 11, 8); }, Rgb(240, 240, 236));
        art.Fill([](float x, float y) { return std::min(SdBox(x, y + 8, 7, 2), SdBox(x, y + 8, 2, 6)); },
                 Rgb(220, 30, 30));
        break;
    case kItemMoney:
        // Two stacks of coins.
        for (int stack = 0; stack < 2; ++stack)
            for (int i = 0; i < 4 - stack; ++i) {
                const float cx = stack ? 7.0f : -5.0f, cy = (stack ? 2.0f : -1.0f) - 3.0f * i;
                art.Fill([=](float x, float y) { return SdEllipse(x - cx, y - cy, 7, 3.5f); }, Rgb(150, 110, 20));
                art.Fill([=](float x, float y) { return SdEllipse(x - cx, y - cy + 1, 6, 2.8f); }, Rgb(250, 205, 60));
            }
        break;
    }
    art.Fill([glint](float x, float y) { return SdCircle(x - glint, y + 12, 1.5f); }, Rgb(255, 255, 255), 0.9f);
}

constexpr int32_t kItemFootHalfW = 24;
constexpr int32_t kItemFootHalfH = 12;

sc_GameObject PropObject() {
    sc_GameStatus status;
    for (int32_t kind = 0; kind < kItemKinds; ++kind) {
        sc_GameDir dir;
        for (int32_t f = 0; f < kItemFrames; ++f) {
            Art art(48, 48, 14);
            DrawItem(art, kind, f);
            const sc_GameImgWithShadow frame = Frame(art);
            dir.vAdd(&frame);
        }
        SetFootprint(dir, kItemFootHalfW, kItemFootHalfH);
        status.vAdd(&dir);
    }
    status.vSetFrameTime(100);
    sc_GameObject object;
    object.vAdd(&status);
    return object;
}

// ---------------------------------------------------------------- things

// An isometric block: a ground diamond of half-sizes (hw, hh) raised by h,
// drawn as its two front faces and its top.
void DrawBlock(Art& art, float hw, float hh, float h, sc_Color colour, float lift = 0) {
    const float b = -lift;
    const std::vector<float> left = {-hw, b, 0, b + hh, 0, b + hh - h, -hw, b - h};
    const std::vector<float> right = {0, b + hh, hw, b, hw, b - h, 0, b + hh - h};
    const std::vector<float> top = {-hw, b - h, 0, b + hh - h, hw, b - h, 0, b - hh - h};
    art.Fill([&](float x, float y) { return SdPolygon(x, y, left); }, Shade(colour, 0.75f));
    art.Fill([&](float x, float y) { return SdPolygon(x, y, right); }, Shade(colour, 0.55f));
    art.Fill([&](float x, float y) { return SdPolygon(x, y, top); }, colour);
}

// An upright cylinder of radius r (on the ground: rx = r, ry = r / 2).
void DrawCylinder(Art& art, float r, float h, sc_Color colour, float lift = 0) {
    const float ry = r / 2, b = -lift;
    art.Fill([=](float x, float y) { return std::min(SdBox(x, y - b + h / 2, r, h / 2), SdEllipse(x, y - b, r, ry)); },
             [=](float x, float) { return Shade(colour, 0.85f - 0.3f * x / r); });
    art.Fill([=](float x, float y) { return SdEllipse(x, y - b + h, r, ry); }, Shade(colour, 1.05f));
}

void DrawShadow(Art& art, float hw, float hh) {
    art.Fill([=](float x, float y) { return SdEllipse(x + 4, y, hw + 4, hh + 2); }, Rgb(0, 0, 0), 0.3f);
}

// A light that blinks on every other frame.
void Blink(Art& art, float x0, float y0, int32_t frame, sc_Color on) {
    art.Fill([=](float x, float y) { return SdCircle(x - x0, y - y0, 2.5f); }, frame % 2 ? Rgb(60, 40, 40) : on);
}

struct ThingArt {
    int32_t w, h, foot;      // picture and the anchor's height above its bottom
    int32_t halfW, halfH;    // footprint
    int32_t rise = 0;        // the outline's back corner over a mast
};

ThingArt ThingSize(int32_t kind) {
    switch (kind) {
    case 0: return {70, 70, 22, 22, 11};     // crate
    case 1: return {50, 64, 16, 16, 8};      // barrel
    case 2: return {56, 70, 18, 18, 9};      // fuel drum
    case 3: return {90, 60, 24, 34, 17};     // sandbags
    case 4: return {64, 60, 20, 20, 10};     // supply box
    case 5: return {120, 140, 40, 46, 23};   // fuel tank
    case 6: return {100, 100, 34, 36, 18};   // generator
    case 7: return {110, 150, 34, 32, 16};   // radar dish
    case 8: return {60, 150, 18, 16, 8, 110}; // antenna
    case 9: return {120, 64, 28, 48, 12};    // fence
    case 10: return {240, 220, 80, 100, 50}; // power plant
    case 11: return {200, 160, 64, 80, 40};  // fuel depot
    case 12: return {120, 230, 40, 40, 20, 170}; // signal tower
    case 13: return {200, 170, 64, 80, 40};  // command post
    default: return {180, 140, 56, 64, 32};  // missile launcher
    }
}

void DrawThing(Art& art, int32_t kind, int32_t frame, const ThingArt& s) {
    const auto hw = static_cast<float>(s.halfW), hh = static_cast<float>(s.halfH);
    DrawShadow(art, hw, hh);
    switch (kind) {
    case 0: // crate: planks and a cross brace
        DrawBlock(art, hw, hh, 30, Rgb(170, 120, 60));
        art.Fill([=](float x, float y) { return SdSegment(x, y, -hw + 3, -4, -3, hh - 26, 1.5f); }, Rgb(110, 70, 30));
        art.Fill([=](float x, float y) { return SdSegment(x, y, -hw + 3, -26, -3, hh - 4, 1.5f); }, Rgb(110, 70, 30));
        break;
    case 1: // barrel: red with a hazard band
        DrawCylinder(art, hw, 34, Rgb(200, 40, 30));
        art.Fill([=](float x, float y) { return SdBox(x, y + 17, hw - 1, 3); }, Rgb(240, 200, 40));
        break;
    case 2: // fuel drum
        DrawCylinder(art, hw, 40, Rgb(60, 110, 60));
        art.Fill([=](float x, float y) { return SdBox(x, y + 26, hw - 2, 2); }, Rgb(30, 60, 30));
        break;
    case 3: // sandbags: two rows of bags
        for (int row = 0; row < 2; ++row)
            for (int i = -2; i <= 2; ++i)
                art.Fill([=](float x, float y) {
                    return SdEllipse(x - i * 12.0f - row * 6.0f, y + 6.0f + row * 10.0f - i * 1.0f, 8, 5);
                }, Rgb(190 - row * 20, 170 - row * 20, 120));
        break;
    case 4: // supply box: green with a white star
        DrawBlock(art, hw, hh, 24, Rgb(80, 120, 70));
        art.Fill([](float x, float y) { return SdCircle(x, y + 30, 4); }, Rgb(240, 240, 230));
        break;
    case 5: // fuel tank: a big silver cylinder on legs
        DrawCylinder(art, hw - 6, 50, Rgb(190, 195, 200), 14);
        art.Fill([=](float x, float y) { return std::min(SdBox(x + hw / 2, y + 7, 2, 8), SdBox(x - hw / 2, y + 7, 2, 8)); },
                 Rgb(80, 80, 80));
        break;
    case 6: // generator: a housing with a turning fan
        DrawBlock(art, hw, hh, 40, Rgb(120, 120, 110));
        {
            const float a = static_cast<float>(frame) * std::numbers::pi_v<float> / 8.0f;
            art.Fill([](float x, float y) { return SdCircle(x - 14, y + 40, 9); }, Rgb(40, 40, 40));
            art.Fill([a](float x, float y) {
                return SdSegment(x - 14, y + 40, -8 * std::cos(a), -8 * std::sin(a), 8 * std::cos(a), 8 * std::sin(a), 1.5f);
            }, Rgb(200, 200, 190));
        }
        Blink(art, 16, -44, frame, Rgb(80, 255, 80));
        break;
    case 7: { // radar dish: a turning dish on a mast
        DrawBlock(art, hw * 0.6f, hh * 0.6f, 20, Rgb(110, 110, 120));
        art.Fill([](float x, float y) { return SdBox(x, y + 50, 3, 30); }, Rgb(140, 140, 150));
        const float a = static_cast<float>(frame) * std::numbers::pi_v<float> / 4.0f;
        const float rx = 6.0f + 24.0f * std::fabs(std::cos(a));
        art.Fill([rx](float x, float y) { return SdEllipse(x, y + 84, rx, 16); }, Rgb(220, 220, 230));
        break;
    }
    case 8: // antenna: a thin mast with a blinking tip
        DrawBlock(art, hw * 0.6f, hh * 0.6f, 8, Rgb(90, 90, 90));
        art.Fill([](float x, float y) { return SdSegment(x, y, 0, -6, 0, -120, 2.0f); }, Rgb(170, 170, 170));
        for (int i = 1; i <= 3; ++i)
            art.Fill([i](float x, float y) { return SdSegment(x, y, -10.0f + i, -30.0f * i, 10.0f - i, -30.0f * i, 1.0f); },
                     Rgb(170, 170, 170));
        Blink(art, 0, -122, frame, Rgb(255, 60, 40));
        break;
    case 9: // fence: posts and wire along the ground's x axis
        for (int i = -2; i <= 2; ++i)
            art.Fill([=](float x, float y) { return SdBox(x - i * 22.0f, y + 16 + i * 5.5f, 2, 16); }, Rgb(120, 90, 60));
        for (int w = 0; w < 3; ++w)
            art.Fill([=](float x, float y) { return SdSegment(x, y, -44, 11 - 10.0f * w - 11, 44, -11 - 10.0f * w - 11, 0.8f); },
                     Rgb(180, 180, 180));
        break;
    case 10: // power plant: a hall with two stacks
        DrawBlock(art, hw, hh, 70, Rgb(150, 140, 130));
        art.Fill([](float x, float y) { return SdBox(x + 30, y + 120, 8, 40); }, Rgb(120, 110, 100));
        art.Fill([](float x, float y) { return SdBox(x + 55, y + 110, 8, 40); }, Rgb(120, 110, 100));
        art.Fill([frame](float x, float y) { return SdCircle(x - 30, y + 165 + frame * 3.0f, 10.0f + frame * 2.0f); },
                 Rgb(200, 200, 200), 0.5f);
        break;
    case 11: // fuel depot: three tanks
        for (int i = -1; i <= 1; ++i) DrawCylinder(art, 22, 40, Rgb(200, 190, 170), static_cast<float>(-i * 18 + 6));
        break;
    case 12: // signal tower: a lattice mast with a beacon
        DrawBlock(art, hw * 0.7f, hh * 0.7f, 12, Rgb(90, 90, 100));
        art.Fill([](float x, float y) { return SdSegment(x, y, -14, -10, -3, -180, 2.0f); }, Rgb(160, 60, 50));
        art.Fill([](float x, float y) { return SdSegment(x, y, 14, -10, 3, -180, 2.0f); }, Rgb(160, 60, 50));
        for (int i = 1; i <= 5; ++i)
            art.Fill([i](float x, float y) { return SdSegment(x, y, -14 + i * 2.2f, -30.0f * i, 14 - i * 2.2f, -30.0f * i, 1.2f); },
                     Rgb(200, 200, 200));
        Blink(art, 0, -184, frame, Rgb(255, 80, 40));
        break;
    case 13: // command post: a low bunker with a flag
        DrawBlock(art, hw, hh, 40, Rgb(110, 120, 90));
        art.Fill([](float x, float y) { return SdSegment(x, y, 40, -60, 40, -120, 1.5f); }, Rgb(60, 60, 60));
        art.Fill([frame](float x, float y) { return SdBox(x - 54 - frame * 2.0f, y + 112, 14, 7); }, Rgb(200, 40, 40));
        break;
    default: // missile launcher: a platform and a raised missile
        DrawBlock(art, hw, hh, 20, Rgb(90, 100, 80));
        art.Fill([frame](float x, float y) { return SdSegment(x, y, -30, -30, 30, -90 - frame * 4.0f, 8); },
                 Rgb(210, 210, 200));
        art.Fill([frame](float x, float y) { return SdCircle(x - 30, y + 90 + frame * 4.0f, 5); }, Rgb(200, 40, 30));
        break;
    }
}

sc_GameObject ThingObject(int32_t kind) {
    const ThingKind& k = kThingKinds[static_cast<size_t>(kind)];
    const ThingArt s = ThingSize(kind);
    sc_GameDir dir;
    for (int32_t f = 0; f < k.frames; ++f) {
        Art art(s.w, s.h, s.foot);
        DrawThing(art, kind, f, s);
        const sc_GameImgWithShadow frame = Frame(art);
        dir.vAdd(&frame);
    }
    SetFootprint(dir, s.halfW, s.halfH, s.rise);
    sc_GameStatus status;
    status.vAdd(&dir);
    status.vSetFrameTime(120);
    sc_GameObject object;
    object.vAdd(&status);
    return object;
}

sc_GameImageData BulletPack() {
    sc_GameImageData pack;
    const sc_GameObject object = BulletObject();
    pack.vAdd(&object);
    return pack;
}

sc_GameImageData PropPack() {
    sc_GameImageData pack;
    const sc_GameObject object = PropObject();
    pack.vAdd(&object);
    return pack;
}

sc_GameImageData ThingPack() {
    sc_GameImageData pack;
    for (int32_t kind = 0; kind < static_cast<int32_t>(kThingKinds.size()); ++kind) {
        const sc_GameObject object = ThingObject(kind);
        pack.vAdd(&object);
    }
    return pack;
}

} // namespace

int32_t ThingOutlineRise(int32_t kind) {
    return ThingSize(kind).rise;
}

namespace {

datagen::Register reg("combat packs", [](const std::filesystem::path& out) {
    sc_GameImageData bullets = BulletPack(), props = PropPack(), things = ThingPack();
    bool ok = WriteTree(out, "P_BULLET", bullets);
    ok &= WriteTree(out, "P_PROP", props);
    ok &= WriteTree(out, "P_THING", things);
    return ok;
});

} // namespace

} // namespace datagen
