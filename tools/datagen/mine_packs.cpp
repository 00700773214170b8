// P_ENEMY, P_ANIMAL and P_MINE, and the mines' delivery object of P_OTHER.
#include "tools/datagen/mine_packs.h"

#include <algorithm>
#include <cmath>

#include "tools/datagen/content_names.h"
#include "tools/datagen/generators.h"

namespace datagen {

namespace {

namespace cn = content;

constexpr float kPi = 3.14159265f;

// Where the anchor lies in the frame's pictures.
float AnchorXOf(const FrameArt& art) {
    return art.anchorX;
}
float AnchorYOf(const FrameArt& art) {
    return art.anchorY;
}

struct Tone {
    int r, g, b;
};

sc_Color Rgb(int r, int g, int b) {
    return sc_Color(static_cast<uint32_t>(std::clamp(b, 0, 255) | std::clamp(g, 0, 255) << 8 |
                                          std::clamp(r, 0, 255) << 16));
}

Tone Scale(Tone t, float k) {
    return {static_cast<int>(t.r * k), static_cast<int>(t.g * k), static_cast<int>(t.b * k)};
}

// Lit from the top left: lighter toward it, darker away, over `size` pixels.
std::function<sc_Color(float, float)> Lit(Tone t, float size) {
    return [t, size](float x, float y) {
        const float k = std::clamp(1.0f - (x + y) / (2.5f * size), 0.55f, 1.35f);
        return Rgb(static_cast<int>(t.r * k), static_cast<int>(t.g * k), static_cast<int>(t.b * k));
    };
}

std::function<sc_Color(float, float)> Flat(Tone t) {
    return [t](float, float) { return Rgb(t.r, t.g, t.b); };
}

// A shape at (x, y) from the anchor.
void Put(sc_Image& img, const FrameArt& art, float x, float y, float reach, const std::function<float(float, float)>& sdf,
         const std::function<sc_Color(float, float)>& shade, float opacity = 1.0f) {
    DrawShape(img, AnchorXOf(art) + x, AnchorYOf(art) + y, reach, sdf, shade, opacity);
}

float SdEllipse(float x, float y, float rx, float ry) {
    // Scaled circle: close enough for soft-edged sprites of this size.
    const float k = std::min(rx, ry);
    return (std::sqrt((x / rx) * (x / rx) + (y / ry) * (y / ry)) - 1.0f) * k;
}

float SdSegment(float x, float y, float ax, float ay, float bx, float by, float r) {
    const float px = x - ax, py = y - ay, ex = bx - ax, ey = by - ay;
    const float len2 = ex * ex + ey * ey;
    const float t = len2 > 0.0f ? std::clamp((px * ex + py * ey) / len2, 0.0f, 1.0f) : 0.0f;
    const float dx = px - ex * t, dy = py - ey * t;
    return std::sqrt(dx * dx + dy * dy) - r;
}

void Ellipse(sc_Image& img, const FrameArt& art, float x, float y, float rx, float ry,
             const std::function<sc_Color(float, float)>& shade, float opacity = 1.0f) {
    Put(img, art, x, y, std::max(rx, ry) + 3, [rx, ry](float px, float py) { return SdEllipse(px, py, rx, ry); },
        shade, opacity);
}

// A rod from (ax, ay) to (bx, by), both from the anchor.
void Rod(sc_Image& img, const FrameArt& art, float ax, float ay, float bx, float by, float r, Tone t,
         float opacity = 1.0f) {
    const float reach = std::hypot(bx - ax, by - ay) + r + 3;
    Put(
        img, art, ax, ay, reach,
        [=](float px, float py) { return SdSegment(px, py, 0, 0, bx - ax, by - ay, r); }, Lit(t, reach), opacity);
}

// A polygon of points relative to (x, y).
void Poly(sc_Image& img, const FrameArt& art, float x, float y, const std::vector<float>& pts,
          const std::function<sc_Color(float, float)>& shade, float opacity = 1.0f) {
    float reach = 0;
    for (size_t i = 0; i + 1 < pts.size(); i += 2)
        reach = std::max(reach, std::hypot(pts[i], pts[i + 1]));
    Put(
        img, art, x, y, reach + 3, [&pts](float px, float py) { return SdPolygon(px, py, pts); }, shade, opacity);
}

// The screen vectors of a facing on the isometric ground (0 up, clockwise,
// of `count`): forward and to the right, the vertical halved.
struct Facing {
    float fx, fy, sx, sy;
};
Facing FacingOf(int32_t dir, int32_t count) {
    const float a = 2.0f * kPi * static_cast<float>(dir) / static_cast<float>(count);
    const float fx = std::sin(a), fy = -std::cos(a);
    return {fx, fy * 0.5f, -fy, fx * 0.5f};
}

// Points of a shape laid flat on the ground, given in the facing's frame
// (forward, right).
std::vector<float> OnGround(const Facing& f, std::initializer_list<float> local) {
    std::vector<float> pts;
    for (auto it = local.begin(); it != local.end(); it += 2) {
        pts.push_back(it[0] * f.fx + it[1] * f.sx);
        pts.push_back(it[0] * f.fy + it[1] * f.sy);
    }
    return pts;
}

void GroundShadow(FrameArt& art, float rx, float ry) {
    Ellipse(art.shadow, art, 0, 0, rx, ry, Flat({12, 12, 16}), 0.45f);
    art.hasShadow = true;
}

// A direction drawn in a window of artW x artH around the anchor (half the
// width a multiple of 16, half the height 4 more than a multiple of 8).
DirDesc Dir(int32_t frames, DrawFrame draw, int32_t footHalfW, int32_t footHalfH, int32_t artW, int32_t artH) {
    DirDesc d;
    d.frames = frames;
    d.draw = std::move(draw);
    d.footHalfW = footHalfW;
    d.footHalfH = footHalfH;
    d.artW = artW;
    d.artH = artH;
    return d;
}

StatusDesc Status(const char* name, int16_t frameTime) {
    StatusDesc s;
    s.name = name;
    s.frameTime = frameTime;
    return s;
}

// ------------------------------------------------------------------ enemies

enum class Body { Soldier, Tank, Turret, Walker };

struct EnemyArt {
    Body body;
    Tone coat;   // the main colour
    Tone trim;   // weapon and details
    float scale; // soldiers' size
    int32_t footW, footH;
};

// In key order with kEnemyKinds.
constexpr std::array<EnemyArt, cn::kEnemyKinds.size()> kEnemyArt{{
    {Body::Soldier, {96, 112, 70}, {40, 40, 44}, 1.0f, 20, 10},  // rifleman
    {Body::Tank, {90, 100, 64}, {60, 64, 50}, 1.0f, 48, 24},     // armoured tank
    {Body::Soldier, {150, 140, 96}, {50, 50, 56}, 0.85f, 18, 9}, // scout
    {Body::Soldier, {80, 96, 110}, {56, 50, 40}, 1.0f, 20, 10},  // grenadier
    {Body::Turret, {120, 120, 126}, {50, 52, 58}, 1.0f, 32, 16}, // gun turret
    {Body::Soldier, {120, 70, 60}, {70, 74, 60}, 1.05f, 20, 10}, // rocket trooper
    {Body::Soldier, {150, 96, 40}, {90, 40, 30}, 1.0f, 20, 10},  // flame trooper
    {Body::Walker, {110, 110, 90}, {60, 60, 60}, 1.0f, 40, 20},  // walker
    {Body::Turret, {130, 110, 90}, {70, 50, 40}, 1.15f, 32, 16}, // missile turret
    {Body::Soldier, {70, 80, 60}, {30, 30, 34}, 1.25f, 24, 12},  // heavy gunner
}};

// A muzzle flash at (x, y), bright in the first frames of an attack.
void Flash(FrameArt& art, float x, float y, float size, int32_t frame, Tone glow) {
    if (frame > 1) return;
    const float r = size * (frame == 0 ? 1.0f : 0.6f);
    Ellipse(art.overlay, art, x, y, r, r * 0.8f, Flat(glow), 0.85f);
    Ellipse(art.overlay, art, x, y, r * 0.45f, r * 0.4f, Flat({255, 255, 230}));
    art.hasOverlay = true;
}

// status: 0 walking, 1 attack, 2 the second attack.
void DrawSoldier(FrameArt& art, const EnemyArt& a, int32_t status, int32_t dir, int32_t frame) {
    const Facing f = FacingOf(dir, 8);
    const float s = a.scale;
    GroundShadow(art, 14 * s, 7 * s);
    const float swing = status == 0 ? std::sin(static_cast<float>(frame) * kPi / 2.0f) * 5.0f * s : 0.0f;
    // Legs, stepping along the facing.
    for (int side = -1; side <= 1; side += 2) {
        const float hx = side * 4 * s * f.sx, hy = side * 4 * s * f.sy - 14 * s;
        const float kx = hx + side * swing * f.fx, ky = side * swing * f.fy;
        Rod(art.image, art, hx, hy, kx, ky - 1, 2.6f * s, Scale(a.coat, 0.7f));
    }
    const float recoil = status > 0 && frame == 0 ? -2.0f * s : 0.0f;
    const float bodyY = -24 * s;
    const bool gunBehind = f.fy < 0; // facing away: the gun is drawn first
    const float gx0 = 5 * s * f.sx + recoil * f.fx, gy0 = bodyY + 2 * s + 5 * s * f.sy + recoil * f.fy;
    const float len = (status == 2 ? 24.0f : 18.0f) * s;
    const float gx1 = gx0 + len * f.fx, gy1 = gy0 + len * f.fy;
    auto gun = [&] { Rod(art.image, art, gx0, gy0, gx1, gy1, (status == 2 ? 3.2f : 2.2f) * s, a.trim); };
    if (gunBehind) gun();
    Ellipse(art.image, art, 0, bodyY, 8 * s, 11 * s, Lit(a.coat, 11 * s));
    Ellipse(art.image, art, 0, bodyY - 14 * s, 5.5f * s, 5.5f * s, Lit({200, 160, 130}, 6 * s));
    // Helmet.
    Ellipse(art.image, art, 0, bodyY - 16 * s, 6.2f * s, 4.0f * s, Lit(Scale(a.coat, 0.8f), 6 * s));
    if (!gunBehind) gun();
    if (status > 0) Flash(art, gx1, gy1, 7 * s, frame, status == 2 ? Tone{255, 120, 40} : Tone{255, 210, 90});
}

void DrawTank(FrameArt& art, const EnemyArt& a, int32_t status, int32_t dir, int32_t frame) {
    const Facing f = FacingOf(dir, 8);
    GroundShadow(art, 46, 24);
    const std::vector<float> hull = OnGround(f, {34, -22, 34, 22, -34, 22, -34, -22});
    const std::vector<float> deck = OnGround(f, {28, -16, 28, 16, -30, 16, -30, -16});
    Poly(art.image, art, 0, -6, hull, Lit(Scale(a.coat, 0.75f), 40));
    Poly(art.image, art, 0, -14, deck, Lit(a.coat, 40));
    // Track links creeping backward while it moves.
    for (int side = -1; side <= 1; side += 2)
        for (int k = 0; k < 4; ++k) {
            const float along = -27.0f + static_cast<float>(k) * 18.0f - static_cast<float>(status == 0 ? frame % 3 : 0) * 6.0f;
            const float x = along * f.fx + side * 22 * f.sx, y = along * f.fy + side * 22 * f.sy - 6;
            Ellipse(art.image, art, x, y, 3, 2, Flat(Scale(a.trim, 0.6f)));
        }
    const float recoil = status > 0 && frame == 0 ? -4.0f : 0.0f;
    const float tx = 0, ty = -22;
    const float bx = tx + (46 + recoil) * f.fx, by = ty + (46 + recoil) * f.fy;
    if (f.fy < 0) Rod(art.image, art, tx, ty, bx, by, 3.5f, a.trim);
    Ellipse(art.image, art, tx, ty, 15, 10, Lit(Scale(a.coat, 1.1f), 15));
    if (f.fy >= 0) Rod(art.image, art, tx, ty, bx, by, 3.5f, a.trim);
    if (status == 2) // the coaxial gun of the second attack
        Rod(art.image, art, tx + 8 * f.sx, ty + 8 * f.sy, tx + 8 * f.sx + 26 * f.fx, ty + 8 * f.sy + 26 * f.fy, 1.8f,
            {30, 30, 30});
    if (status > 0) Flash(art, bx, by, status == 2 ? 6.0f : 12.0f, frame, {255, 190, 80});
}

void DrawTurret(FrameArt& art, const EnemyArt& a, int32_t status, int32_t dir, int32_t frame) {
    const Facing f = FacingOf(dir, 8);
    const float s = a.scale;
    GroundShadow(art, 32 * s, 16 * s);
    Poly(art.image, art, 0, -4, {-30 * s, 0, -20 * s, -12 * s, 20 * s, -12 * s, 30 * s, 0, 20 * s, 12 * s, -20 * s, 12 * s},
         Lit(Scale(a.coat, 0.7f), 30 * s));
    Ellipse(art.image, art, 0, -16 * s, 18 * s, 12 * s, Lit(a.coat, 18 * s));
    const float recoil = status > 0 && frame == 0 ? -3.0f : 0.0f;
    const float hy = -22 * s;
    // Two barrels side by side, or a rack of rockets for the missile turret.
    for (int side = -1; side <= 1; side += 2) {
        const float ox = side * 4 * s * f.sx, oy = hy + side * 4 * s * f.sy;
        const float ex = ox + (30 * s + recoil) * f.fx, ey = oy + (30 * s + recoil) * f.fy;
        Rod(art.image, art, ox, oy, ex, ey, 2.4f * s, a.trim);
        if (status > 0) Flash(art, ex, ey, 7 * s, frame, {255, 200, 90});
    }
    Ellipse(art.image, art, 0, hy, 9 * s, 7 * s, Lit(Scale(a.coat, 1.15f), 9 * s));
}

void DrawWalker(FrameArt& art, const EnemyArt& a, int32_t status, int32_t dir, int32_t frame) {
    const Facing f = FacingOf(dir, 8);
    GroundShadow(art, 38, 18);
    const float step = status == 0 ? std::sin(static_cast<float>(frame) * kPi / 2.0f) * 9.0f : 0.0f;
    for (int side = -1; side <= 1; side += 2) {
        const float hx = side * 14 * f.sx, hy = side * 14 * f.sy - 40;
        const float fx = side * 20 * f.sx + side * step * f.fx, fy = side * 20 * f.sy + side * step * f.fy;
        Rod(art.image, art, hx, hy, (hx + fx) / 2 - 6 * f.fx, (hy + fy) / 2 - 8, 4, Scale(a.coat, 0.7f));
        Rod(art.image, art, (hx + fx) / 2 - 6 * f.fx, (hy + fy) / 2 - 8, fx, fy, 4, Scale(a.coat, 0.65f));
    }
    Poly(art.image, art, 0, -52, OnGround(f, {22, 0, 8, 18, -18, 14, -18, -14, 8, -18}), Lit(a.coat, 26));
    Ellipse(art.image, art, 10 * f.fx, -60 + 10 * f.fy, 7, 5, Lit({60, 80, 90}, 7));
    for (int side = -1; side <= 1; side += 2) {
        const float ox = side * 16 * f.sx, oy = -52 + side * 16 * f.sy;
        const float ex = ox + 26 * f.fx, ey = oy + 26 * f.fy;
        Rod(art.image, art, ox, oy, ex, ey, status == 2 && side > 0 ? 4.5f : 2.8f, a.trim);
        if (status > 0 && (status == 1 || side > 0)) Flash(art, ex, ey, 8, frame, {255, 170, 60});
    }
}

ObjectDesc EnemyObject(size_t kind) {
    const EnemyArt& a = kEnemyArt[kind];
    ObjectDesc o;
    static constexpr const char* kNames[3] = {"walk", "attack", "attack 2"};
    static constexpr int32_t kFrames[3] = {4, 3, 3};
    for (int32_t status = 0; status < cn::kEnemyKinds[kind].statuses; ++status) {
        StatusDesc s = Status(kNames[status], static_cast<int16_t>(status == 0 ? 120 : 80));
        for (int32_t d = 0; d < 8; ++d)
            s.dirs.push_back(Dir(
                kFrames[status],
                [&a, status, d](FrameArt& art, int32_t frame) {
                    switch (a.body) {
                    case Body::Soldier: DrawSoldier(art, a, status, d, frame); break;
                    case Body::Tank: DrawTank(art, a, status, d, frame); break;
                    case Body::Turret: DrawTurret(art, a, status, d, frame); break;
                    case Body::Walker: DrawWalker(art, a, status, d, frame); break;
                    }
                },
                a.footW, a.footH, a.body == Body::Soldier ? 128 : a.body == Body::Turret ? 160 : 192,
                a.body == Body::Soldier || a.body == Body::Turret ? 136 : 152));
        o.statuses.push_back(std::move(s));
    }
    return o;
}

// ------------------------------------------------------------------ animals

struct AnimalArt {
    Tone coat;
    float length, height; // body half length, height of the back
    bool bird;
    int32_t footW, footH;
};
constexpr std::array<AnimalArt, cn::kAnimalKinds.size()> kAnimalArt{{
    {{150, 100, 60}, 16, 20, false, 16, 8}, // deer
    {{80, 62, 50}, 15, 12, false, 16, 8},   // boar
    {{170, 160, 150}, 7, 6, false, 8, 4},   // rabbit
    {{90, 90, 110}, 6, 14, true, 8, 4},     // bird
}};

// status 0 resting, 1 walking.
void DrawAnimal(FrameArt& art, const AnimalArt& a, int32_t status, int32_t dir, int32_t frame) {
    const Facing f = FacingOf(dir, 8);
    GroundShadow(art, a.length + 2, (a.length + 2) * 0.5f);
    if (a.bird) {
        const float lift = status == 1 ? 10.0f : 0.0f;
        const float flap = status == 1 ? (frame % 2 ? 6.0f : -6.0f) : 0.0f;
        const float y = -a.height * 0.4f - lift;
        for (int side = -1; side <= 1; side += 2)
            Rod(art.image, art, 0, y, side * 12 * f.sx, y + side * 12 * f.sy + flap, 2.2f, Scale(a.coat, 0.8f));
        Ellipse(art.image, art, 0, y, 6, 4, Lit(a.coat, 6));
        Ellipse(art.image, art, 6 * f.fx, y - 3 + 6 * f.fy, 3, 3, Lit(a.coat, 3));
        Rod(art.image, art, 9 * f.fx, y - 3 + 9 * f.fy, 12 * f.fx, y - 3 + 12 * f.fy, 1.0f, {220, 170, 60});
        return;
    }
    const float back = status == 0 ? a.height * 0.45f : a.height;
    if (status == 1) {
        const float swing = std::sin(static_cast<float>(frame) * kPi / 2.0f) * a.length * 0.3f;
        for (int end = -1; end <= 1; end += 2)
            for (int side = -1; side <= 1; side += 2) {
                const float x = end * a.length * 0.6f * f.fx + side * 3 * f.sx,
                            y = end * a.length * 0.6f * f.fy + side * 3 * f.sy;
                const float sw = swing * end * side;
                Rod(art.image, art, x, y - back * 0.7f, x + sw * f.fx, y + sw * f.fy, 1.6f, Scale(a.coat, 0.7f));
            }
    }
    const float by = -back * 0.75f;
    Put(
        art.image, art, 0, by, a.length + 4,
        [&](float x, float y) { return SdSegment(x, y, -a.length * 0.6f * f.fx, -a.length * 0.6f * f.fy,
                                                 a.length * 0.6f * f.fx, a.length * 0.6f * f.fy, a.height * 0.3f + 2); },
        Lit(a.coat, a.length));
    const float hx = a.length * 0.9f * f.fx, hy = by - a.height * 0.25f + a.length * 0.9f * f.fy;
    Ellipse(art.image, art, hx, hy, a.height * 0.22f + 2, a.height * 0.2f + 2, Lit(Scale(a.coat, 1.1f), 5));
}

ObjectDesc AnimalObject(size_t kind) {
    const AnimalArt& a = kAnimalArt[kind];
    ObjectDesc o;
    for (int32_t status = 0; status < 2; ++status) {
        StatusDesc s = Status(status ? "walk" : "rest", static_cast<int16_t>(status ? 110 : 400));
        for (int32_t d = 0; d < 8; ++d)
            s.dirs.push_back(Dir(
                status ? 4 : 2, [&a, status, d](FrameArt& art, int32_t frame) { DrawAnimal(art, a, status, d, frame); },
                a.footW, a.footH, 96, 72));
        o.statuses.push_back(std::move(s));
    }
    return o;
}

// -------------------------------------------------------------------- mines

// Mine kinds are the order slots: the light of each kind's dome.
constexpr std::array<Tone, cn::kMineKinds> kMineLight{{
    {255, 80, 60},   // 0 blast
    {80, 160, 255},  // 1 jammer
    {120, 255, 120}, // 2 glue
    {240, 240, 90},  // 3 blinder
    {255, 150, 40},  // 4
    {200, 200, 200}, // 5
    {200, 200, 200}, // 6
    {230, 90, 230},  // 7
}};

// status 0 deploying (legs unfold), 1 idle (the light blinks), 2 firing.
void DrawMine(FrameArt& art, int32_t kind, int32_t status, int32_t dir, int32_t frame) {
    const Facing f = FacingOf(dir, 8);
    const Tone light = kMineLight[static_cast<size_t>(kind)];
    GroundShadow(art, 18, 9);
    const float open = status == 0 ? static_cast<float>(frame) / 3.0f : 1.0f;
    for (int k = 0; k < 4; ++k) {
        const Facing leg = FacingOf(k * 2 + 1, 8);
        Rod(art.image, art, 0, -6, leg.fx * 18 * open, leg.fy * 18 * open, 1.8f, {70, 70, 76});
    }
    Ellipse(art.image, art, 0, -6, 13, 7, Lit({90, 92, 100}, 13));
    const float rise = status == 0 ? 4.0f * (1.0f - open) : 0.0f;
    Ellipse(art.image, art, 0, -11 + rise, 7, 5, Lit(Scale(light, status == 1 && frame % 2 ? 0.5f : 1.0f), 7));
    if (status == 0) return;
    const float recoil = status == 2 && frame == 0 ? -2.0f : 0.0f;
    const float ex = (16 + recoil) * f.fx, ey = -10 + (16 + recoil) * f.fy;
    Rod(art.image, art, 0, -10, ex, ey, 2.0f, {50, 50, 54});
    if (status == 2) Flash(art, ex, ey, 6, frame, light);
}

ObjectDesc MineObject(int32_t kind) {
    ObjectDesc o;
    static constexpr const char* kNames[3] = {"deploy", "idle", "fire"};
    static constexpr int32_t kFrames[3] = {4, 2, 3};
    static constexpr int16_t kTimes[3] = {100, 300, 80};
    for (int32_t status = 0; status < cn::kMineStatuses; ++status) {
        StatusDesc s = Status(kNames[status], kTimes[status]);
        for (int32_t d = 0; d < 8; ++d)
            s.dirs.push_back(Dir(
                kFrames[status], [kind, status, d](FrameArt& art, int32_t frame) { DrawMine(art, kind, status, d, frame); },
                20, 10, 96, 72));
        o.statuses.push_back(std::move(s));
    }
    return o;
}

// --------------------------------------------------------- mine delivery

// The falling crate under its parachute; `chute` 0 packed .. 1 open, `sway`
// the swing of the crate under it.
void DrawCrate(FrameArt& art, float chute, float sway) {
    const Tone box{130, 104, 62};
    Poly(art.image, art, 0, -8, {-9, -7, 9, -7, 9, 7, -9, 7}, Lit(box, 10));
    Rod(art.image, art, -9, -8, 9, -8, 1.0f, Scale(box, 0.6f));
    if (chute <= 0.0f) return;
    const float cx = sway, cy = -16 - 30 * chute;
    for (int side = -1; side <= 1; side += 2)
        Rod(art.image, art, side * 8, -15, cx + side * 16 * chute, cy, 0.6f, {200, 200, 200});
    Put(
        art.image, art, cx, cy, 26 * chute + 4,
        [chute](float x, float y) { return std::max(SdEllipse(x, y, 20 * chute + 1, 11 * chute + 1), y - 1); },
        Lit({230, 232, 220}, 20));
}

void DrawDrop(FrameArt& art, int32_t dir, int32_t frame) {
    switch (dir) {
    case 0: DrawCrate(art, 0.35f * static_cast<float>(frame + 1), 0); break; // the chute opens
    case 1: DrawCrate(art, 1.0f, frame % 2 ? 3.0f : -3.0f); break;            // falling, swaying
    case 2: {                                                                  // landed: the chute folds
        const float chute = std::max(0.0f, 1.0f - 0.3f * static_cast<float>(frame));
        DrawCrate(art, chute, 8.0f * static_cast<float>(frame));
        if (frame < 2) Ellipse(art.overlay, art, 0, 0, 14.0f + 6 * frame, 5.0f + 2 * frame, Flat({160, 150, 130}), 0.5f);
        art.hasOverlay = frame < 2;
        break;
    }
    default: // the shadow on the ground, growing as the crate comes down
        Ellipse(art.image, art, 0, 0, 6.0f + 3.0f * frame, 3.0f + 1.5f * frame, Flat({16, 16, 20}), 0.5f);
        break;
    }
}

void DrawCanister(FrameArt& art, float angle, float y) {
    const float c = std::cos(angle) * 9, s = std::sin(angle) * 9;
    Rod(art.image, art, -c, y - s, c, y + s, 4.0f, {80, 96, 80});
    Rod(art.image, art, c * 0.6f, y + s * 0.6f, c, y + s, 4.2f, {200, 180, 60});
}

void DrawThrow(FrameArt& art, int32_t dir, int32_t frame) {
    switch (dir) {
    case 0: DrawCanister(art, 0.0f, -6); break;
    case 1: DrawCanister(art, static_cast<float>(frame) * kPi / 4.0f, -6); break; // tumbling
    case 2: {                                                                       // the burst where it lands
        const float r = 8.0f + 7.0f * static_cast<float>(frame);
        Ellipse(art.image, art, 0, -r * 0.4f, r, r * 0.6f, Flat({220, 200, 150}),
                std::max(0.2f, 0.8f - 0.15f * static_cast<float>(frame)));
        break;
    }
    default: DrawCanister(art, 0.0f, -4 + static_cast<float>(frame % 2)); break; // lying, rocking
    }
}

} // namespace

ObjectDesc MineDeliveryObject() {
    ObjectDesc o;
    StatusDesc drop = Status("drop", 100);
    static constexpr int32_t kDropFrames[4] = {3, 4, 4, kDropShadowFrames};
    for (int32_t d = 0; d < 4; ++d)
        drop.dirs.push_back(
            Dir(kDropFrames[d], [d](FrameArt& art, int32_t frame) { DrawDrop(art, d, frame); }, 0, 0, 128, 152));
    StatusDesc thrown = Status("throw", 100);
    static constexpr int32_t kThrowFrames[4] = {2, 4, 4, 3};
    for (int32_t d = 0; d < 4; ++d)
        thrown.dirs.push_back(
            Dir(kThrowFrames[d], [d](FrameArt& art, int32_t frame) { DrawThrow(art, d, frame); }, 0, 0, 96, 72));
    o.statuses.push_back(std::move(drop));
    o.statuses.push_back(std::move(thrown));
    return o;
}

PackDesc EnemyPack() {
    PackDesc pack;
    pack.name = "P_ENEMY";
    for (size_t k = 0; k < cn::kEnemyKinds.size(); ++k)
        pack.objects.push_back(EnemyObject(k));
    return pack;
}

PackDesc AnimalPack() {
    PackDesc pack;
    pack.name = "P_ANIMAL";
    for (size_t k = 0; k < cn::kAnimalKinds.size(); ++k)
        pack.objects.push_back(AnimalObject(k));
    return pack;
}

PackDesc MinePack() {
    PackDesc pack;
    pack.name = "P_MINE";
    for (int32_t k = 0; k < cn::kMineKinds; ++k)
        pack.objects.push_back(MineObject(k));
    return pack;
}

namespace {

Register reg("enemy, animal and mine packs", [](const std::filesystem::path& out) {
    return WritePack(out, EnemyPack()) && WritePack(out, AnimalPack()) && WritePack(out, MinePack());
});

} // namespace

} // namespace datagen
