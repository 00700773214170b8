// The building packs the mission files name: houses, towers and walls, each
// drawn in isometric view standing on its footprint diamond.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "tools/datagen/content_names.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/ground_builder.h"
#include "tools/datagen/pack_builder.h"

namespace datagen {

namespace {

using Pts = std::vector<float>;
using content::BuildingKind;

constexpr float kCx = kAnchorX, kCy = kAnchorY;

sc_Color Rgb(int r, int g, int b) {
    sc_Color c;
    c.red = static_cast<uint8_t>(std::clamp(r, 0, 255));
    c.green = static_cast<uint8_t>(std::clamp(g, 0, 255));
    c.blue = static_cast<uint8_t>(std::clamp(b, 0, 255));
    return c;
}

sc_Color Scaled(sc_Color c, float k) {
    return Rgb(int(c.red * k), int(c.green * k), int(c.blue * k));
}

// A polygon in canvas pixels, in one colour with a faint grain so that large
// faces do not look flat.
void Fill(sc_Image& img, const Pts& poly, sc_Color colour, uint32_t salt = 0) {
    DrawShape(
        img, kCx, kCy, 300.0f, [&](float x, float y) { return SdPolygon(x + kCx, y + kCy, poly); },
        [&](float x, float y) {
            const int32_t grain = static_cast<int32_t>(
                Hash(static_cast<uint32_t>(x + 1000), static_cast<uint32_t>(y + 1000), salt) % 9);
            return Scaled(colour, 0.96f + 0.01f * static_cast<float>(grain));
        });
}

Pts Ellipse(float cx, float cy, float rx, float ry) {
    Pts p;
    for (int i = 0; i < 32; ++i) {
        const float a = static_cast<float>(i) * 6.2831853f / 32.0f;
        p.push_back(cx + rx * std::cos(a));
        p.push_back(cy + ry * std::sin(a));
    }
    return p;
}

// The faces of a box standing on the footprint (half sizes w, h), between
// heights z0 and z1. The front faces run from the left corner to the bottom
// corner and from there to the right one; the back faces meet at the top.
struct Box {
    float w, h;
    // A point of a face at t (0 at its first corner, 1 at its second) and
    // height z.
    std::pair<float, float> Left(float t, float z) const { return {kCx - w + t * w, kCy + t * h - z}; }
    std::pair<float, float> Right(float t, float z) const { return {kCx + t * w, kCy + h - t * h - z}; }
    std::pair<float, float> BackLeft(float t, float z) const { return {kCx - w + t * w, kCy - t * h - z}; }
    std::pair<float, float> BackRight(float t, float z) const { return {kCx + t * w, kCy - h + t * h - z}; }
    template <class Face> static Pts Quad(Face face, float t0, float t1, float z0, float z1) {
        Pts p;
        const std::initializer_list<std::pair<float, float>> corners = {
            {t0, z0}, {t1, z0}, {t1, z1}, {t0, z1}};
        for (auto [t, z] : corners) {
            const auto [x, y] = face(t, z);
            p.push_back(x);
            p.push_back(y);
        }
        return p;
    }
    Pts LeftFace(float z0, float z1, float t0 = 0, float t1 = 1) const {
        return Quad([this](float t, float z) { return Left(t, z); }, t0, t1, z0, z1);
    }
    Pts RightFace(float z0, float z1, float t0 = 0, float t1 = 1) const {
        return Quad([this](float t, float z) { return Right(t, z); }, t0, t1, z0, z1);
    }
    Pts BackLeftFace(float z0, float z1) const {
        return Quad([this](float t, float z) { return BackLeft(t, z); }, 0, 1, z0, z1);
    }
    Pts BackRightFace(float z0, float z1) const {
        return Quad([this](float t, float z) { return BackRight(t, z); }, 0, 1, z0, z1);
    }
    Pts Top(float z) const {
        return {kCx - w, kCy - z, kCx, kCy - h - z, kCx + w, kCy - z, kCx, kCy + h - z};
    }
};

// Walls, a hip roof over them with eaves of 4 pixels, windows in rows and a
// door on the right face.
void House(FrameArt& art, const BuildingKind& k, sc_Color wall, sc_Color roof, float roofHeight,
           int windows) {
    const Box b{static_cast<float>(k.footHalfW), static_cast<float>(k.footHalfH)};
    const float z = static_cast<float>(k.height);
    Fill(art.image, b.LeftFace(0, z), Scaled(wall, 0.72f), 1);
    Fill(art.image, b.RightFace(0, z), Scaled(wall, 0.92f), 2);
    const sc_Color glass = Rgb(60, 78, 96);
    for (int i = 0; i < windows; ++i) {
        const float t = (i + 0.5f) / static_cast<float>(windows);
        Fill(art.image, b.LeftFace(z * 0.45f, z * 0.75f, t - 0.08f, t + 0.08f), glass);
        if (i != windows / 2) Fill(art.image, b.RightFace(z * 0.45f, z * 0.75f, t - 0.08f, t + 0.08f), glass);
    }
    Fill(art.image, b.RightFace(0, z * 0.6f, 0.42f, 0.58f), Scaled(wall, 0.4f)); // the door
    const Box eaves{b.w + 4, b.h + 2};
    const float ax = kCx, ay = kCy - z - roofHeight;
    const Pts e = eaves.Top(z - 2);
    Fill(art.image, {e[0], e[1], e[2], e[3], ax, ay}, Scaled(roof, 1.1f), 3);
    Fill(art.image, {e[2], e[3], e[4], e[5], ax, ay}, Scaled(roof, 1.05f), 4);
    Fill(art.image, {e[0], e[1], e[6], e[7], ax, ay}, Scaled(roof, 0.75f), 5);
    Fill(art.image, {e[6], e[7], e[4], e[5], ax, ay}, Scaled(roof, 0.95f), 6);
}

// A timber tower with a lookout, its flag waving over four frames.
void Tower(FrameArt& art, const BuildingKind& k, int frame) {
    const Box b{static_cast<float>(k.footHalfW), static_cast<float>(k.footHalfH)};
    const float z = static_cast<float>(k.height);
    const sc_Color timber = Rgb(128, 92, 60);
    Fill(art.image, b.LeftFace(0, z), Scaled(timber, 0.7f), 1);
    Fill(art.image, b.RightFace(0, z), Scaled(timber, 0.9f), 2);
    for (float band : {0.3f, 0.62f})
        Fill(art.image, b.LeftFace(z * band, z * band + 5), Scaled(timber, 0.5f));
    Fill(art.image, b.RightFace(z * 0.78f, z * 0.9f, 0.25f, 0.75f), Rgb(30, 30, 34)); // the lookout
    const Box eaves{b.w + 6, b.h + 3};
    const Pts e = eaves.Top(z - 2);
    const float ax = kCx, ay = kCy - z - 34;
    Fill(art.image, {e[0], e[1], e[2], e[3], ax, ay}, Rgb(84, 70, 56), 3);
    Fill(art.image, {e[2], e[3], e[4], e[5], ax, ay}, Rgb(80, 66, 52), 4);
    Fill(art.image, {e[0], e[1], e[6], e[7], ax, ay}, Rgb(58, 48, 40), 5);
    Fill(art.image, {e[6], e[7], e[4], e[5], ax, ay}, Rgb(72, 60, 48), 6);
    Fill(art.image, {ax - 1, ay - 30, ax + 1, ay - 30, ax + 1, ay, ax - 1, ay}, Rgb(40, 40, 40));
    // The flag: its free edge swings up and down with the frame.
    const float swing = 4.0f * std::sin(static_cast<float>(frame) * 1.5708f);
    Fill(art.image, {ax + 1, ay - 30, ax + 24, ay - 26 + swing, ax + 22, ay - 16 + swing, ax + 1, ay - 20},
         Rgb(200, 40, 36), 7);
}

// A round metal silo with a dome, shaded as a cylinder.
void Silo(FrameArt& art, const BuildingKind& k) {
    const float w = static_cast<float>(k.footHalfW), h = static_cast<float>(k.footHalfH);
    const float z = static_cast<float>(k.height);
    const sc_Color metal = Rgb(176, 182, 188);
    const auto cylinder = [&](float x, float) {
        const float u = std::clamp(x / w, -1.0f, 1.0f);
        return Scaled(metal, 0.55f + 0.45f * std::cos((u - 0.35f) * 1.4f));
    };
    const auto body = [&](float x, float y) {
        const float rect = SdBox(x, y + z / 2, w, z / 2);
        const float bottom = SdPolygon(x + kCx, y + kCy, Ellipse(kCx, kCy, w, h));
        return std::min(rect, bottom);
    };
    DrawShape(art.image, kCx, kCy, 300.0f, body, cylinder);
    // Seams round the front half of the body, then the dome over the top.
    for (float ring : {0.33f, 0.66f}) {
        const Pts seam = Ellipse(kCx, kCy - z * ring, w, h);
        DrawShape(
            art.image, kCx, kCy, 300.0f,
            [&](float x, float y) {
                return y + z * ring < 0 ? 1.0f : std::abs(SdPolygon(x + kCx, y + kCy, seam)) - 0.6f;
            },
            [&](float x, float y) { return Scaled(cylinder(x, y), 0.8f); });
    }
    const Pts dome = Ellipse(kCx, kCy - z, w, h + 16);
    DrawShape(
        art.image, kCx, kCy, 300.0f, [&](float x, float y) { return SdPolygon(x + kCx, y + kCy, dome); },
        [&](float x, float y) { return Scaled(cylinder(x, y), 1.06f); });
}

// A ring of low stone walls round a dirt yard.
void Yard(FrameArt& art, const BuildingKind& k) {
    const Box b{static_cast<float>(k.footHalfW), static_cast<float>(k.footHalfH)};
    const float z = static_cast<float>(k.height);
    const sc_Color stone = Rgb(150, 140, 122);
    Fill(art.image, b.Top(0), Rgb(118, 98, 70), 1);
    Fill(art.image, b.BackLeftFace(0, z), Scaled(stone, 1.05f), 2);
    Fill(art.image, b.BackRightFace(0, z), Scaled(stone, 0.95f), 3);
    Fill(art.image, b.LeftFace(0, z), Scaled(stone, 0.7f), 4);
    Fill(art.image, b.RightFace(0, z, 0, 0.38f), Scaled(stone, 0.88f), 5); // a gate in the right wall
    Fill(art.image, b.RightFace(0, z, 0.62f, 1), Scaled(stone, 0.88f), 6);
    for (const Pts& rim :
         {b.LeftFace(z, z + 3), b.RightFace(z, z + 3, 0, 0.38f), b.RightFace(z, z + 3, 0.62f, 1)})
        Fill(art.image, rim, Scaled(stone, 1.15f));
}

// Two walls of a ruin, broken off at uneven heights, with rubble before them.
void Ruin(FrameArt& art, const BuildingKind& k) {
    const Box b{static_cast<float>(k.footHalfW), static_cast<float>(k.footHalfH)};
    const float z = static_cast<float>(k.height);
    const sc_Color stone = Rgb(132, 126, 116);
    const auto broken = [&](auto face, uint32_t salt) {
        Pts p;
        const auto [x0, y0] = face(0.0f, 0.0f);
        const auto [x1, y1] = face(1.0f, 0.0f);
        p.insert(p.end(), {x0, y0, x1, y1});
        for (int i = 8; i >= 0; --i) {
            const float t = static_cast<float>(i) / 8.0f;
            const float top =
                z *
                (0.35f + 0.65f * static_cast<float>(Hash(static_cast<uint32_t>(i), salt, 9) % 100) / 100.0f);
            const auto [x, y] = face(t, top);
            p.insert(p.end(), {x, y});
        }
        return p;
    };
    Fill(art.image, broken([&](float t, float h) { return b.BackLeft(t, h); }, 1), Scaled(stone, 1.0f), 1);
    Fill(art.image, broken([&](float t, float h) { return b.Left(t, h); }, 2), Scaled(stone, 0.72f), 2);
    for (int i = 0; i < 7; ++i) {
        const uint32_t r = Hash(static_cast<uint32_t>(i), 3, 9);
        const float x = kCx + static_cast<float>(r % 100) - 20.0f,
                    y = kCy + 4 + static_cast<float>((r >> 8) % 20);
        Fill(art.image, Ellipse(x, y, 5.0f + static_cast<float>((r >> 16) % 5), 3.0f), Scaled(stone, 0.85f),
             3);
    }
}

void Draw(FrameArt& art, const BuildingKind& k, int frame) {
    switch (&k - content::kBuildingKinds.data()) {
    case content::kCottage:
        return House(art, k, Rgb(222, 204, 164), Rgb(156, 62, 42), 30, 2);
    case content::kHall:
        return House(art, k, Rgb(172, 170, 160), Rgb(70, 82, 104), 40, 3);
    case content::kBarn:
        return House(art, k, Rgb(142, 92, 52), Rgb(92, 62, 42), 46, 1);
    case content::kWatchTower:
        return Tower(art, k, frame);
    case content::kSilo:
        return Silo(art, k);
    case content::kWalledYard:
        return Yard(art, k);
    case content::kRuinedWall:
        return Ruin(art, k);
    }
}

bool WriteBuildingPacks(const std::filesystem::path& out) {
    // One pack per pack path, its objects in kind order.
    std::map<std::string, PackDesc> packs;
    for (const BuildingKind& k : content::kBuildingKinds) {
        const std::string path = k.packStr;
        PackDesc& pack = packs[path];
        pack.name = path.substr(0, path.find('\\'));
        if (pack.objects.size() <= static_cast<size_t>(k.object)) pack.objects.resize(k.object + 1);
        StatusDesc status;
        status.frameTime = 200;
        DirDesc dir;
        dir.frames = k.frames;
        dir.footHalfW = k.footHalfW;
        dir.footHalfH = k.footHalfH;
        dir.draw = [&k](FrameArt& art, int32_t frame) { Draw(art, k, frame); };
        status.dirs.push_back(dir);
        pack.objects[k.object].statuses.push_back(status);
    }
    bool ok = true;
    for (const auto& [path, pack] : packs)
        ok &= WritePack(out, pack);
    return ok;
}

Register reg("building packs", WriteBuildingPacks);

} // namespace

} // namespace datagen
