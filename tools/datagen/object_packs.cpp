// The packs of the moving population: the players' characters with their
// guns (CHAR), the effects, deaths and bomber runs (P_SPRITY) and the
// air-strike airplane with the mines' drop and throw (P_OTHER).
#include <algorithm>
#include <array>
#include <cmath>

#include "tools/datagen/content_names.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/mine_packs.h"
#include "tools/datagen/pack_builder.h"

namespace datagen {

namespace {

namespace cn = content;

constexpr float kPi = 3.14159265f;

sc_Color Rgb(int r, int g, int b) {
    // Pure black is the colour key: the darkest shade kept is one step above.
    const int lo = 8;
    return sc_Color(static_cast<uint32_t>(std::clamp(b, lo, 255) | std::clamp(g, lo, 255) << 8 |
                                          std::clamp(r, lo, 255) << 16));
}

struct Tone {
    int r, g, b;
    Tone scaled(float k) const {
        return {static_cast<int>(r * k), static_cast<int>(g * k), static_cast<int>(b * k)};
    }
    Tone mixed(const Tone& o, float t) const {
        return {static_cast<int>(r + (o.r - r) * t), static_cast<int>(g + (o.g - g) * t),
                static_cast<int>(b + (o.b - b) * t)};
    }
    sc_Color colour() const { return Rgb(r, g, b); }
};

// Lit from the upper left: brighter toward it, darker away.
std::function<sc_Color(float, float)> Lit(Tone t, float size) {
    return [t, size](float x, float y) {
        const float k = std::clamp(1.0f - (x + y) / (2.5f * size), 0.55f, 1.35f);
        return t.scaled(k).colour();
    };
}

std::function<sc_Color(float, float)> Flat(Tone t) {
    return [t](float, float) { return t.colour(); };
}

float SdEllipse(float x, float y, float rx, float ry) {
    const float k = std::sqrt((x / rx) * (x / rx) + (y / ry) * (y / ry));
    return (k - 1.0f) * std::min(rx, ry);
}

float SdCapsule(float x, float y, float ax, float ay, float bx, float by, float r) {
    const float px = x - ax, py = y - ay, ex = bx - ax, ey = by - ay;
    const float len2 = ex * ex + ey * ey;
    const float t = len2 > 0 ? std::clamp((px * ex + py * ey) / len2, 0.0f, 1.0f) : 0.0f;
    const float dx = px - ex * t, dy = py - ey * t;
    return std::sqrt(dx * dx + dy * dy) - r;
}

// A shape centred at (cx, cy) relative to the anchor.
void Blob(sc_Image& img, const FrameArt& art, float cx, float cy, float reach,
          const std::function<float(float, float)>& sd, const std::function<sc_Color(float, float)>& shade,
          float opacity = 1.0f) {
    DrawShape(img, art.anchorX + cx, art.anchorY + cy, reach, sd, shade, opacity);
}

void Ellipse(sc_Image& img, const FrameArt& art, float cx, float cy, float rx, float ry,
             const std::function<sc_Color(float, float)>& shade, float opacity = 1.0f) {
    if (rx < 0.5f || ry < 0.5f || opacity <= 0.0f) return;
    Blob(
        img, art, cx, cy, std::max(rx, ry) + 3,
        [rx, ry](float x, float y) { return SdEllipse(x, y, rx, ry); }, shade, opacity);
}

void Capsule(sc_Image& img, const FrameArt& art, float ax, float ay, float bx, float by, float r, Tone t,
             float opacity = 1.0f) {
    const float cx = (ax + bx) / 2, cy = (ay + by) / 2;
    const float reach = std::hypot(bx - ax, by - ay) / 2 + r + 3;
    Blob(
        img, art, cx, cy, reach,
        [=](float x, float y) { return SdCapsule(x, y, ax - cx, ay - cy, bx - cx, by - cy, r); },
        Lit(t, r + 4), opacity);
}

StatusDesc Status(const char* name, int16_t frameTime) {
    StatusDesc s;
    s.name = name;
    s.frameTime = frameTime;
    return s;
}

// The screen vectors of a facing on the isometric ground: forward and to
// the right, the vertical half as long.
struct Facing {
    float fx, fy, sx, sy;
};
Facing FacingOf(int32_t dir, int32_t steps) {
    const float a = 2 * kPi * static_cast<float>(dir) / static_cast<float>(steps);
    return {std::sin(a), -0.5f * std::cos(a), std::cos(a), 0.5f * std::sin(a)};
}

// ------------------------------------------------------------ characters

struct Model {
    Tone body, accent;
    float torsoRx, torsoRy, headR;
    int helmet; // 0 round, 1 box, 2 crest, 3 dome, 4 antenna
    float gunLength, gunWidth;
};
constexpr std::array<Model, cn::kCharModels> kModels{{
    {{92, 132, 64}, {255, 150, 40}, 10, 11, 7, 0, 20, 2.2f},      // ranger: olive, orange visor
    {{64, 92, 168}, {255, 220, 60}, 13, 12, 7.5f, 1, 16, 3.4f},   // heavy: steel blue, broad
    {{184, 52, 52}, {90, 230, 255}, 8, 12, 6.5f, 2, 24, 1.8f},    // scout: crimson, slim
    {{204, 164, 56}, {250, 250, 250}, 11, 10, 8.5f, 3, 18, 2.6f}, // engineer: ochre, big dome
    {{134, 72, 176}, {120, 255, 120}, 10, 11, 7, 4, 22, 2.4f},    // psi: violet, antenna
}};

struct Pose {
    float lift = 0;     // height above the ground
    float swing = 0;    // stride, forward of the left foot
    float bob = 0;      // torso up and down
    float fall = 0;     // 0 standing .. 1 lying
    bool flame = false; // jet under the pack
    int flicker = 0;
};

void DrawCharacter(FrameArt& art, const Model& m, const Facing& f, const Pose& p) {
    const float k = 1.0f - p.fall;
    const Tone body = m.body.scaled(1.0f - 0.45f * p.fall);
    const Tone dark = body.scaled(0.55f);

    // The shadow stays on the ground; it shrinks a little with height.
    const float shrink = 1.0f - p.lift / 60.0f;
    Ellipse(art.shadow, art, 2, 1, 15 * shrink + 6 * p.fall, 7 * shrink + 2 * p.fall, Flat({10, 10, 18}),
            0.6f);
    art.hasShadow = true;

    // Lying down moves the body forward along the facing and flattens it.
    const float ox = f.fx * 16 * p.fall, oy = f.fy * 16 * p.fall;
    const float hipY = -16 * k - p.lift, torsoY = -27 * k - 5 * p.fall - p.lift + p.bob;
    const float headY = -44 * k - 4 * p.fall - p.lift + p.bob;

    // Legs, the one further back first.
    for (int pass = 0; pass < 2; ++pass) {
        for (int side = -1; side <= 1; side += 2) {
            const bool back = (side * f.sy) < 0;
            if ((pass == 0) != back) continue;
            const float stride = side * p.swing;
            const float hx = side * f.sx * 4 + ox, hy = side * f.sy * 4 + hipY + oy;
            const float fx = side * f.sx * 5 + f.fx * stride + ox * 1.6f,
                        fy = side * f.sy * 5 + f.fy * stride - 1 - p.lift;
            Capsule(art.image, art, hx, hy, fx, fy * k + (hy + 6) * p.fall, 3.0f, dark);
        }
    }

    const float packX = -f.fx * 8 + ox, packY = torsoY - f.fy * 8 + oy;
    auto pack = [&] {
        const Tone t = m.accent.scaled(0.45f).mixed(dark, 0.5f);
        Blob(
            art.image, art, packX, packY, 12, [](float x, float y) { return SdBox(x, y, 5, 7) - 1.5f; },
            Lit(t, 8));
    };
    const bool towardViewer = f.fy > 0.05f;
    if (towardViewer) pack();

    // The torso, lying along the facing once fallen.
    const float rx = m.torsoRx + 8 * p.fall * std::fabs(f.fx), ry = m.torsoRy * (1.0f - 0.5f * p.fall);
    if (m.helmet == 1)
        Blob(
            art.image, art, ox, torsoY + oy, rx + ry,
            [rx, ry](float x, float y) { return SdBox(x, y, rx - 2, ry - 2) - 2.0f; }, Lit(body, rx));
    else
        Ellipse(art.image, art, ox, torsoY + oy, rx, ry, Lit(body, rx));
    // A belt stripe of the accent colour.
    Ellipse(art.image, art, ox, torsoY + oy + ry * 0.45f, rx * 0.85f, 1.6f, Flat(m.accent.scaled(0.8f)));
    if (!towardViewer) pack();

    // The jet under the pack, flickering.
    if (p.flame) {
        const float len = 12 + 3 * static_cast<float>(p.flicker % 3);
        Blob(
            art.overlay, art, packX, packY + 7 + len / 2, len + 4,
            [len](float x, float y) { return SdEllipse(x, y, 3.5f, len / 2); },
            [len](float, float y) {
                const float t = std::clamp(y / len + 0.5f, 0.0f, 1.0f);
                return Tone{255, 240, 160}.mixed(Tone{255, 80, 20}, t).colour();
            },
            0.9f);
        art.hasOverlay = true;
    }

    // Head and helmet; the visor shows where the character looks.
    const float hx = ox + f.fx * 22 * p.fall, hy = headY + oy + f.fy * 22 * p.fall;
    const bool visorInFront = f.fy > -0.3f;
    auto visor = [&] {
        Ellipse(art.image, art, hx + f.fx * 4.5f, hy + 1 + f.fy * 4.5f, 3.8f + std::fabs(f.sx) * 0.8f, 2.4f,
                Lit(m.accent, 4));
    };
    if (!visorInFront) visor();
    const Tone helm = body.mixed({220, 220, 220}, 0.25f);
    switch (m.helmet) {
    case 1:
        Blob(
            art.image, art, hx, hy, 12,
            [r = m.headR](float x, float y) { return SdBox(x, y, r - 1, r - 2) - 1.5f; }, Lit(helm, m.headR));
        break;
    case 2:
        Ellipse(art.image, art, hx, hy, m.headR, m.headR, Lit(helm, m.headR));
        Capsule(art.image, art, hx - f.fx * 3, hy - m.headR, hx + f.fx * 3, hy - m.headR - 3, 1.6f, m.accent);
        break;
    case 3:
        Ellipse(art.image, art, hx, hy - 1, m.headR, m.headR * 0.85f, Lit(helm, m.headR));
        break;
    case 4:
        Ellipse(art.image, art, hx, hy, m.headR, m.headR, Lit(helm, m.headR));
        Capsule(art.image, art, hx - f.fx * 2, hy - m.headR, hx - f.fx * 2 + 2, hy - m.headR - 9, 0.9f, dark);
        Ellipse(art.image, art, hx - f.fx * 2 + 2, hy - m.headR - 10, 1.8f, 1.8f, Flat(m.accent));
        break;
    default:
        Ellipse(art.image, art, hx, hy, m.headR, m.headR, Lit(helm, m.headR));
        break;
    }
    if (visorInFront) visor();
}

// The first frames of a death flash red around the body.
void DrawHurtFlash(FrameArt& art, float t) {
    if (t >= 0.45f) return;
    const float r = 10 + 40 * t, a = 0.7f * (1.0f - t / 0.45f);
    Blob(
        art.overlay, art, 0, -26, r + 4,
        [r](float x, float y) { return std::fabs(SdEllipse(x, y, r, r * 0.7f)) - 3; }, Flat({255, 70, 40}),
        a);
    art.hasOverlay = true;
}

constexpr int32_t kCharArtW = 160, kCharArtH = 168;
constexpr int32_t kFootHalfW = 16, kFootHalfH = 9;

DirDesc CharDir(int32_t frames, DrawFrame draw) {
    DirDesc d{frames, std::move(draw), kFootHalfW, kFootHalfH};
    d.artW = kCharArtW;
    d.artH = kCharArtH;
    return d;
}

ObjectDesc CharacterBody(const Model& m) {
    ObjectDesc o;
    StatusDesc stand = Status("stand", 120);
    StatusDesc walk = Status("walk", 60);
    StatusDesc fly = Status("fly", 80);
    StatusDesc die = Status("die", 100);
    for (int32_t d = 0; d < 16; ++d) {
        const Facing f = FacingOf(d, 16);
        stand.dirs.push_back(CharDir(4, [m, f](FrameArt& art, int32_t i) {
            Pose p;
            p.bob = (i == 1 || i == 2) ? -1.0f : 0.0f;
            DrawCharacter(art, m, f, p);
        }));
        walk.dirs.push_back(CharDir(8, [m, f](FrameArt& art, int32_t i) {
            Pose p;
            p.swing = 6.0f * std::sin(2 * kPi * static_cast<float>(i) / 8.0f);
            p.bob = -std::fabs(std::sin(2 * kPi * static_cast<float>(i) / 8.0f)) * 1.5f;
            DrawCharacter(art, m, f, p);
        }));
    }
    for (int32_t d = 0; d < 8; ++d) {
        const Facing f = FacingOf(d, 8);
        fly.dirs.push_back(CharDir(4, [m, f](FrameArt& art, int32_t i) {
            Pose p;
            p.lift = 16 + ((i & 1) ? 1.5f : 0.0f);
            p.swing = 2.5f;
            p.flame = true;
            p.flicker = i;
            DrawCharacter(art, m, f, p);
        }));
        die.dirs.push_back(CharDir(8, [m, f](FrameArt& art, int32_t i) {
            Pose p;
            p.fall = static_cast<float>(i) / 7.0f;
            DrawCharacter(art, m, f, p);
            DrawHurtFlash(art, p.fall);
        }));
    }
    o.statuses = {stand, walk, fly, die};
    return o;
}

void DrawGun(FrameArt& art, const Model& m, const Facing& f, int32_t flash) {
    // Held at the right hand, pointing along the facing.
    const float bx = f.sx * 6, by = -27 + f.sy * 6;
    const float tx = bx + f.fx * m.gunLength, ty = by + f.fy * m.gunLength;
    Capsule(art.image, art, bx, by, tx, ty, m.gunWidth, {70, 74, 82});
    Capsule(art.image, art, bx + f.fx * 3, by + f.fy * 3, bx + f.fx * 7, by + f.fy * 7, m.gunWidth + 0.6f,
            m.accent.scaled(0.7f));
    if (flash > 0) {
        const float r = 3.0f + 2.5f * static_cast<float>(flash);
        Blob(
            art.overlay, art, tx + f.fx * r, ty + f.fy * r, r + 4,
            [r](float x, float y) {
                const float a = std::atan2(y, x);
                return SdCircle(x, y, r * (0.65f + 0.35f * std::cos(5 * a)));
            },
            [r](float x, float y) {
                const float t = std::clamp(std::hypot(x, y) / r, 0.0f, 1.0f);
                return Tone{255, 255, 210}.mixed(Tone{255, 150, 30}, t).colour();
            });
        art.hasOverlay = true;
    }
}

ObjectDesc CharacterGun(const Model& m) {
    ObjectDesc o;
    StatusDesc idle = Status("idle", 200);
    StatusDesc fire = Status("fire", 50);
    for (int32_t d = 0; d < 16; ++d) {
        const Facing f = FacingOf(d, 16);
        DirDesc a = CharDir(1, [m, f](FrameArt& art, int32_t) { DrawGun(art, m, f, 0); });
        DirDesc b = CharDir(4, [m, f](FrameArt& art, int32_t i) { DrawGun(art, m, f, i < 3 ? 3 - i : 0); });
        // The gun has no footprint of its own.
        a.footHalfW = a.footHalfH = b.footHalfW = b.footHalfH = 0;
        idle.dirs.push_back(a);
        fire.dirs.push_back(b);
    }
    o.statuses = {idle, fire};
    return o;
}

PackDesc CharPack() {
    PackDesc pack;
    pack.name = "CHAR";
    for (const Model& m : kModels) {
        pack.objects.push_back(CharacterBody(m));
        pack.objects.push_back(CharacterGun(m));
    }
    return pack;
}

// --------------------------------------------------------------- effects

DirDesc EffectDir(int32_t frames, int32_t w, int32_t h, DrawFrame draw, int32_t footW = 0,
                  int32_t footH = 0) {
    DirDesc d{frames, std::move(draw), footW, footH};
    d.artW = w;
    d.artH = h;
    return d;
}

// A small deterministic scatter for particles.
float Hash(int32_t i, int32_t salt) {
    uint32_t v = static_cast<uint32_t>(i) * 2654435761u ^ static_cast<uint32_t>(salt) * 40503u;
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    v ^= v >> 15;
    return static_cast<float>(v & 0xFFFF) / 65535.0f;
}

// A ball of fire that grows and turns to smoke: t runs 0..1.
void DrawFireball(FrameArt& art, float t, float size, float cy = 0) {
    const float r = size * (0.35f + 0.75f * std::sqrt(t));
    const float fade = std::clamp(1.2f - t, 0.0f, 1.0f);
    // Smoke ring outside, fire inside.
    Ellipse(art.image, art, 0, cy - t * size * 0.3f, r * 1.05f, r * 0.8f,
            Flat(Tone{70, 66, 62}.scaled(1.0f - 0.3f * t)), 0.55f * fade);
    const Tone hot = Tone{255, 250, 200}.mixed(Tone{255, 120, 30}, std::min(1.0f, t * 1.6f));
    Blob(
        art.image, art, 0, cy - t * size * 0.25f, r + 4,
        [r](float x, float y) { return SdEllipse(x, y, r * 0.8f, r * 0.62f); },
        [r, hot](float x, float y) {
            const float d = std::clamp(std::hypot(x, y * 1.3f) / r, 0.0f, 1.0f);
            return hot.mixed(Tone{200, 40, 10}, d).colour();
        },
        0.95f * fade);
    art.hasShadow = true;
    Ellipse(art.shadow, art, 0, 0, r * 0.9f, r * 0.45f, Flat({10, 10, 10}), 0.35f * fade);
}

void DrawHitEffect(FrameArt& art, int32_t kind, int32_t i, int32_t frames) {
    const float t = static_cast<float>(i) / static_cast<float>(std::max(1, frames - 1));
    switch (kind) {
    case cn::kHitSpark:
        for (int32_t k = 0; k < 6; ++k) {
            const float a = 2 * kPi * (k + Hash(k, 1)) / 6, len = 5 + 12 * t;
            Capsule(art.image, art, std::cos(a) * len * 0.4f, std::sin(a) * len * 0.3f - 10,
                    std::cos(a) * len, std::sin(a) * len * 0.6f - 10, 1.2f, {255, 230, 120}, 1.0f - 0.8f * t);
        }
        break;
    case cn::kHitFlash:
        Blob(
            art.image, art, 0, -10, 30,
            [r = 4 + 16 * t](float x, float y) { return std::fabs(SdEllipse(x, y, r, r * 0.7f)) - 2; },
            Flat({120, 230, 255}), 1.0f - 0.8f * t);
        Ellipse(art.image, art, 0, -10, 5 * (1 - t) + 1, 4 * (1 - t) + 1, Flat({240, 255, 255}));
        break;
    case cn::kHitBlast:
        DrawFireball(art, t, 30, -12);
        break;
    case cn::kHitBigBlast:
        DrawFireball(art, t, 58, -24);
        break;
    case cn::kHitSmoke:
        for (int32_t k = 0; k < 5; ++k) {
            const float x = (Hash(k, 2) - 0.5f) * 24, y = -8 - t * 30 - k * 5;
            Ellipse(art.image, art, x, y, 7 + 8 * t, 6 + 6 * t, Lit({110, 108, 104}, 12),
                    0.7f * (1.0f - t * 0.8f));
        }
        break;
    case cn::kHitFire:
        for (int32_t k = 0; k < 4; ++k) {
            const float x = (k - 1.5f) * 6, h = 10 + 8 * std::fabs(std::sin(i * 1.7f + k * 2.1f));
            Blob(
                art.image, art, x, -h / 2, h + 4,
                [h](float px, float py) { return SdEllipse(px, py, 4, h / 2); },
                [h](float, float y) {
                    return Tone{255, 240, 120}
                        .mixed(Tone{230, 60, 10}, std::clamp(0.5f - y / h, 0.0f, 1.0f))
                        .colour();
                },
                0.9f);
        }
        break;
    case cn::kHitShock: {
        float x = 0, y = -30;
        for (int32_t k = 0; k < 6; ++k) {
            const float nx = (Hash(k + i * 7, 3) - 0.5f) * 20, ny = y + 6;
            Capsule(art.image, art, x, y, nx, ny, 1.3f, {160, 200, 255});
            x = nx;
            y = ny;
        }
        Ellipse(art.image, art, 0, -12, 10 + 6 * t, 7 + 4 * t, Flat({90, 140, 255}), 0.3f);
        break;
    }
    default: // debris
        for (int32_t k = 0; k < 7; ++k) {
            const float a = 2 * kPi * Hash(k, 4), v = 10 + 14 * Hash(k, 5);
            const float x = std::cos(a) * v * t, y = -10 - std::sin(a) * v * t * 0.5f - 20 * t * (1 - t);
            Blob(
                art.image, art, x, y, 6, [](float px, float py) { return SdBox(px, py, 2, 1.5f); },
                Lit({120, 90, 60}, 3));
        }
        break;
    }
}

ObjectDesc HitEffects() {
    // Frames per hit effect, by direction.
    static constexpr std::array<int32_t, cn::kHitEffects> kFrames{6, 6, 10, 12, 10, 8, 6, 8};
    StatusDesc s = Status("hit", 50);
    for (int32_t k = 0; k < cn::kHitEffects; ++k)
        s.dirs.push_back(EffectDir(kFrames[k], 256, 248,
                                   [k](FrameArt& art, int32_t i) { DrawHitEffect(art, k, i, kFrames[k]); }));
    return ObjectDesc{{s}};
}

// Deaths: what is left where something was destroyed, looping while it
// fades. Kinds: wreckage, smoke, fire, scorch.
void DrawDeath(FrameArt& art, int32_t kind, int32_t variant, int32_t i) {
    const float ph = 2 * kPi * static_cast<float>(i) / 8.0f;
    // A scorched patch on the ground under every kind.
    Ellipse(art.image, art, 0, 0, 22 + 3 * variant, 11 + variant, Flat({34, 30, 28}), 0.75f);
    switch (kind) {
    case 0:
        for (int32_t k = 0; k < 5; ++k) {
            const float x = (Hash(k, variant + 10) - 0.5f) * 30, y = (Hash(k, variant + 20) - 0.5f) * 12 - 3;
            Blob(
                art.image, art, x, y, 8,
                [k](float px, float py) { return SdBox(px, py, 3 + k % 3, 2) - 0.5f; }, Lit({96, 90, 84}, 6));
        }
        Ellipse(art.image, art, 4, -16 - 4 * std::sin(ph), 6, 5, Flat({90, 88, 86}), 0.45f);
        break;
    case 1:
        for (int32_t k = 0; k < 4; ++k) {
            const float y = -8 - std::fmod(static_cast<float>(i) * 4 + k * 10, 40.0f);
            Ellipse(art.image, art, std::sin(ph + k) * 4 + variant * 2, y, 8 + (-y) / 6, 6 + (-y) / 8,
                    Lit({120, 118, 114}, 10), 0.6f * (1.0f + y / 60.0f));
        }
        break;
    case 2:
        for (int32_t k = 0; k < 5; ++k) {
            const float x = (k - 2) * 7.0f + variant, h = 14 + 9 * std::fabs(std::sin(ph + k * 1.3f));
            Blob(
                art.image, art, x, -h / 2, h + 4,
                [h](float px, float py) { return SdEllipse(px, py, 4.5f, h / 2); },
                [h](float, float y) {
                    return Tone{255, 230, 110}
                        .mixed(Tone{220, 50, 10}, std::clamp(0.5f - y / h, 0.0f, 1.0f))
                        .colour();
                },
                0.9f);
        }
        break;
    default:
        for (int32_t k = 0; k < 6; ++k) {
            const float x = (Hash(k, variant + 30) - 0.5f) * 34, y = (Hash(k, variant + 40) - 0.5f) * 14;
            const float glow = 0.5f + 0.5f * std::sin(ph + k * 1.9f);
            Ellipse(art.image, art, x, y, 1.8f, 1.2f, Flat(Tone{255, 110, 30}.scaled(0.5f + 0.5f * glow)));
        }
        break;
    }
}

ObjectDesc Deaths() {
    ObjectDesc o;
    for (int32_t kind = 0; kind < cn::kDeathKinds; ++kind) {
        StatusDesc s = Status("", 100);
        for (int32_t v = 0; v < cn::kDeathDirs; ++v)
            s.dirs.push_back(EffectDir(
                8, 128, 120, [kind, v](FrameArt& art, int32_t i) { DrawDeath(art, kind, v, i); }, 20, 10));
        o.statuses.push_back(s);
    }
    return o;
}

ObjectDesc Trails(Tone a, Tone b) {
    StatusDesc s = Status("trail", 60);
    for (int32_t k = 0; k < cn::kTrailEffects; ++k)
        s.dirs.push_back(EffectDir(6, 64, 56, [k, a, b](FrameArt& art, int32_t i) {
            const float t = static_cast<float>(i) / 5.0f;
            const Tone c = k == cn::kTrailSmoke ? a : b;
            Ellipse(art.image, art, 0, 0, 3 + 5 * t, 3 + 4 * t, Lit(c, 6),
                    k == cn::kTrailSmoke ? 0.6f * (1 - t) + 0.1f : 0.9f - 0.7f * t);
        }));
    return ObjectDesc{{s}};
}

// A ring of sparks turning round its centre.
ObjectDesc Sparkles(Tone tone, int32_t frames, int32_t points, float radius) {
    StatusDesc s = Status("", 60);
    s.dirs.push_back(EffectDir(frames, 96, 88, [=](FrameArt& art, int32_t i) {
        for (int32_t k = 0; k < points; ++k) {
            const float a =
                2 * kPi * (static_cast<float>(k) / points + static_cast<float>(i) / frames / points);
            const float r = radius * (0.8f + 0.2f * std::sin(a * 3 + i));
            Ellipse(art.image, art, std::cos(a) * r, std::sin(a) * r * 0.5f - 20, 2.2f, 2.2f, Lit(tone, 2));
        }
    }));
    return ObjectDesc{{s}};
}

// A big bomb falling with its fins (direction 0), the explosion it ends
// in (direction 1).
ObjectDesc BomberRun6() {
    StatusDesc s = Status("bomb", 150);
    s.dirs.push_back(EffectDir(4, 128, 120, [](FrameArt& art, int32_t i) {
        Ellipse(art.shadow, art, 0, 0, 10, 5, Flat({10, 10, 10}), 0.4f);
        art.hasShadow = true;
        Capsule(art.image, art, 0, -40, 0, -14, 6, {70, 76, 60});
        const float spin = std::cos(static_cast<float>(i) * kPi / 2) * 6;
        Capsule(art.image, art, -spin, -42, spin, -46, 1.5f, {200, 60, 40});
        Capsule(art.image, art, 0, -12, 0, -10, 2.5f, {230, 220, 90});
    }));
    s.dirs.push_back(EffectDir(cn::kBomberImpactFrames + 2, 320, 312, [](FrameArt& art, int32_t i) {
        DrawFireball(art, static_cast<float>(i) / (cn::kBomberImpactFrames + 1), 110, -40);
    }));
    return ObjectDesc{{s}};
}

// A heavy gunship seen from below (direction 0) and the carpet of hits it
// lays (direction 1); both are shown half see-through.
ObjectDesc BomberRun5() {
    constexpr int32_t kFrames = 16;
    StatusDesc s = Status("gunship", 50);
    s.dirs.push_back(EffectDir(kFrames, 320, 312, [](FrameArt& art, int32_t i) {
        const std::vector<float> hull = {0,   -120, 14,  -60, 120,  -40, 120,  -24, 16,  -20, 10,
                                         30,  40,   44,  40,  54,   0,   50,   -40, 54,  -40, 44,
                                         -10, 30,   -16, -20, -120, -24, -120, -40, -14, -60};
        Blob(
            art.image, art, 0, 0, 160, [&](float x, float y) { return SdPolygon(x, y, hull); },
            Lit({60, 66, 74}, 80));
        for (int side = -1; side <= 1; side += 2) {
            const float blink = (i / 4) % 2 ? 1.0f : 0.3f;
            Ellipse(art.image, art, side * 110.0f, -32, 3, 3,
                    Flat(side < 0 ? Tone{255, 60, 60} : Tone{60, 255, 80}), blink);
        }
    }));
    s.dirs.push_back(EffectDir(kFrames, 320, 312, [](FrameArt& art, int32_t i) {
        for (int32_t k = 0; k < 6; ++k) {
            const float start = static_cast<float>(k) * 1.6f, t = (static_cast<float>(i) - start) / 8.0f;
            if (t < 0 || t > 1) continue;
            const float x = (Hash(k, 60) - 0.5f) * 180, y = (Hash(k, 61) - 0.5f) * 90;
            const float r = 10 + 28 * std::sqrt(t);
            Ellipse(
                art.image, art, x, y, r, r * 0.7f,
                [r](float px, float py) {
                    const float d = std::clamp(std::hypot(px, py) / r, 0.0f, 1.0f);
                    return Tone{255, 245, 190}.mixed(Tone{230, 70, 20}, d).colour();
                },
                1.0f - t * 0.7f);
        }
    }));
    return ObjectDesc{{s}};
}

PackDesc SpritePack() {
    PackDesc pack;
    pack.name = "P_SPRITY";
    pack.objects.resize(cn::kSpriteObjects);
    pack.objects[cn::kSpriteHitObject] = HitEffects();
    pack.objects[cn::kSpriteDeathObject] = Deaths();
    pack.objects[cn::kSpriteTrailObject1] = Trails({150, 150, 150}, {255, 200, 80});
    pack.objects[cn::kSpriteTrailObject2] = Trails({100, 100, 110}, {120, 200, 255});
    pack.objects[cn::kSpriteEffectObject] = Sparkles({255, 240, 140}, 8, 6, 22);
    pack.objects[5] = Sparkles({200, 200, 200}, 1, 1, 4);
    pack.objects[cn::kSpriteCharacterEffectObject] = Sparkles({140, 255, 200}, 8, 8, 18);
    pack.objects[cn::kSpriteBomberObject6] = BomberRun6();
    pack.objects[cn::kSpriteBomberObject5] = BomberRun5();
    return pack;
}

// ------------------------------------------------------------ P_OTHER

void DrawAirplane(FrameArt& art, int32_t dir, int32_t frame) {
    const Facing f = FacingOf(dir, 8);
    // Normalise the squashed vectors so the airplane keeps its size.
    const float fl = std::hypot(f.fx, f.fy), sl = std::hypot(f.sx, f.sy);
    const float ux = f.fx / fl, uy = f.fy / fl * 0.75f, vx = f.sx / sl, vy = f.sy / sl * 0.75f;
    auto shape = [&](std::initializer_list<float> local) {
        std::vector<float> pts;
        for (auto it = local.begin(); it != local.end(); it += 2) {
            pts.push_back(it[0] * ux + it[1] * vx);
            pts.push_back(it[0] * uy + it[1] * vy);
        }
        return pts;
    };
    const std::vector<float> body = shape({60, 0, 48, 8, -50, 6, -60, 0, -50, -6, 48, -8});
    const std::vector<float> wings = shape({14, 0, -6, 70, -18, 70, -10, 0, -18, -70, -6, -70});
    const std::vector<float> tail = shape({-44, 0, -56, 26, -62, 26, -58, 0, -62, -26, -56, -26});
    for (const auto* poly : {&wings, &tail, &body}) {
        Blob(
            art.shadow, art, 30, 40, 110, [poly](float x, float y) { return SdPolygon(x, y, *poly); },
            Flat({10, 10, 10}), 0.35f);
        Blob(
            art.image, art, 0, 0, 110, [poly](float x, float y) { return SdPolygon(x, y, *poly); },
            Lit(poly == &body ? Tone{150, 160, 150} : Tone{110, 124, 104}, 60));
    }
    art.hasShadow = true;
    // Roundels on the wings, and the spinning propeller.
    for (int side = -1; side <= 1; side += 2)
        Ellipse(art.image, art, (-2 * ux + side * 50 * vx), (-2 * uy + side * 50 * vy), 5, 4,
                Flat({200, 50, 40}));
    const float spin = frame ? 1.0f : -1.0f;
    Capsule(art.overlay, art, 62 * ux + spin * 12 * vx, 62 * uy + spin * 12 * vy, 62 * ux - spin * 12 * vx,
            62 * uy - spin * 12 * vy, 1.4f, {200, 200, 200}, 0.6f);
    art.hasOverlay = true;
}

PackDesc OtherPack() {
    PackDesc pack;
    pack.name = "P_OTHER";
    ObjectDesc airplane;
    StatusDesc fly = Status("fly", 60);
    for (int32_t d = 0; d < 8; ++d)
        fly.dirs.push_back(
            EffectDir(2, 256, 248, [d](FrameArt& art, int32_t i) { DrawAirplane(art, d, i); }));
    airplane.statuses.push_back(fly);
    pack.objects.resize(2);
    pack.objects[cn::kOtherMineObject] = MineDeliveryObject();
    pack.objects[cn::kOtherAirplaneObject] = airplane;
    return pack;
}

Register reg("object packs", [](const std::filesystem::path& out) {
    return WritePack(out, CharPack()) && WritePack(out, SpritePack()) && WritePack(out, OtherPack());
});

} // namespace

} // namespace datagen
