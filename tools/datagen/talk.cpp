// The talk tables (story, briefings, radio call) and the speakers' portraits
// in P_TALK.
//
// A table: a 4-byte header (the record count), then 136-byte records of
// speaker, face and a 128-byte zero-padded Big5 text, closed by a record
// with an empty text.
//
// P_TALK object 0 holds one status per speaker and one direction per face
// the tables give that speaker; each direction has five frames drawn at the
// portrait's own position: 0 the face, 1 and 2 the mouth half and wide open,
// 3 and 4 the eyes half and fully shut. Frames 1 to 4 are patches over the
// face.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "interface/layout.h"
#include "platform/byte_reader.h"
#include "tools/datagen/big5.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/pack_builder.h"
#include "tools/datagen/talk_text.h"

namespace {

using namespace datagen;
using namespace datagen::talk;

constexpr size_t kTextBytes = 128;
// The briefings draw their portraits at layout::kBriefImage, left of the
// screen's edge: a briefing's faces are directions kFaces on, the same faces
// drawn kBriefShift to the right, their panel 16 pixels in from the edge.
constexpr int32_t kFaces = 3;
constexpr int32_t kBriefShift = 16 - layout::kBriefImage.x;

// ------------------------------------------------------------ tables

// Where a table's faces start among its speakers' directions.
int32_t FaceOffset(const Table& t) { return std::string_view(t.file).starts_with("TALK") ? kFaces : 0; }

bool WriteTable(const std::filesystem::path& file, std::span<const Line> lines, int32_t faces, Big5Encoder& big5) {
    sc_ByteWriter w;
    w.Write(static_cast<int32_t>(lines.size()));
    std::string text;
    auto record = [&](int32_t speaker, int32_t face, const std::string& bytes) {
        w.Write(speaker, face);
        std::string field = bytes;
        field.resize(kTextBytes, '\0');
        w.WriteBytes(field.data(), field.size());
    };
    for (const Line& l : lines) {
        // Room for the zero: the game types at most 127 bytes.
        if (!big5.Encode(l.text, text) || text.empty() || text.size() >= kTextBytes) {
            std::fprintf(stderr, "talk: %s: no Big5 line for %s\n", file.filename().c_str(), l.text);
            return false;
        }
        record(l.speaker, l.speaker == kNarrator ? l.face : l.face + faces, text);
    }
    record(kNarrator, kNone, "");
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(w.Bytes().data()), static_cast<std::streamsize>(w.Size()));
    return static_cast<bool>(f);
}

// ------------------------------------------------------------ portraits

sc_Color Rgb(int r, int g, int b) {
    return sc_Color(static_cast<uint32_t>(std::clamp(b, 0, 255) | std::clamp(g, 0, 255) << 8 |
                                          std::clamp(r, 0, 255) << 16));
}

struct Rgb3 {
    int r, g, b;
    sc_Color Shade(float k) const {
        return Rgb(static_cast<int>(r * k), static_cast<int>(g * k), static_cast<int>(b * k));
    }
};

enum class Hair { Short, Spiky, Long, Shaved };
enum class Hat { None, Cap, Headband, Headset, Beret };

struct Look {
    Rgb3 skin, hair, cloth, accent;
    Hair hair_style;
    Hat hat;
    bool moustache;
    bool scar;
};

// Colonel, quartermaster, Anna, Varga.
const Look kLooks[kSpeakers] = {
    {{214, 170, 130}, {150, 150, 150}, {70, 92, 58}, {212, 176, 60}, Hair::Short, Hat::Cap, true, false},
    {{204, 160, 122}, {46, 40, 36}, {128, 114, 78}, {92, 110, 70}, Hair::Short, Hat::None, true, false},
    {{242, 206, 178}, {120, 70, 40}, {40, 56, 104}, {60, 60, 66}, Hair::Long, Hat::Headset, false, false},
    {{222, 196, 176}, {70, 60, 56}, {36, 34, 38}, {176, 24, 28}, Hair::Shaved, Hat::Beret, false, true},
};

// The portrait's size and its face, in the portrait's own pixels. Its top
// rows stay empty: the radio call draws it at the screen's corner, where the
// objective line runs over the map.
constexpr float kW = 140.0f, kH = 190.0f, kTop = 20.0f;
constexpr float kCx = 78.0f, kCy = 91.0f;
constexpr float kHeadRx = 30.0f, kHeadRy = 38.0f;
constexpr float kEyeY = kCy - 3.0f, kEyeDx = 12.0f;
constexpr float kBrowY = kCy - 14.0f;
constexpr float kMouthY = kCy + 22.0f;

float SdEllipse(float x, float y, float rx, float ry) {
    const float k = std::sqrt((x * x) / (rx * rx) + (y * y) / (ry * ry));
    return (k - 1.0f) * std::min(rx, ry);
}

// A segment of a given half thickness.
float SdSegment(float x, float y, float ax, float ay, float bx, float by, float half) {
    const float px = x - ax, py = y - ay, ex = bx - ax, ey = by - ay;
    const float t = std::clamp((px * ex + py * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
    const float dx = px - ex * t, dy = py - ey * t;
    return std::sqrt(dx * dx + dy * dy) - half;
}

void Fill(sc_Image& img, float cx, float cy, float reach, const std::function<float(float, float)>& sd,
          sc_Color c, float opacity = 1.0f) {
    DrawShape(
        img, cx, cy, reach, sd, [c](float, float) { return c; }, opacity);
}

// Skin lit from the upper left.
std::function<sc_Color(float, float)> SkinShade(const Rgb3& skin) {
    return [skin](float x, float y) { return skin.Shade(1.05f - 0.004f * x - 0.003f * y); };
}

void Panel(sc_Image& img) {
    constexpr float halfH = (kH - kTop) / 2;
    const float cx = kW / 2, cy = kTop + halfH;
    DrawShape(
        img, cx, cy, kH, [](float x, float y) { return SdBox(x, y, kW / 2 - 3, halfH - 3) - 3; },
        [](float, float y) {
            const int v = static_cast<int>(30 + y * 0.15f);
            return Rgb(20, 40 + v / 2, 70 + v);
        });
    // A thin light frame inside the edge.
    Fill(
        img, cx, cy, kH,
        [](float x, float y) { return std::fabs(SdBox(x, y, kW / 2 - 6, halfH - 6)) - 0.8f; },
        Rgb(150, 190, 230), 0.8f);
}

void Body(sc_Image& img, const Look& l) {
    // Shoulders and chest, cut by the panel's bottom edge.
    const std::vector<float> torso = {-62, 60, 62, 60, 58, 10, 30, -8, -30, -8, -58, 10};
    DrawShape(
        img, kCx, kCy + 50, 110,
        [&](float x, float y) { return std::max(SdPolygon(x, y, torso), y - (kH - 6 - kCy - 50)); },
        [&](float x, float) { return l.cloth.Shade(1.0f - 0.003f * x); });
    // Collar.
    const std::vector<float> collar = {-20, -8, 0, 14, 20, -8, 12, -10, 0, 2, -12, -10};
    Fill(
        img, kCx, kCy + 50, 70, [&](float x, float y) { return SdPolygon(x, y, collar); },
        l.hat == Hat::Beret ? l.accent.Shade(1.0f) : l.cloth.Shade(0.7f));
    // Shoulder marks.
    for (float side : {-1.0f, 1.0f})
        Fill(
            img, kCx + side * 42, kCy + 58, 20, [](float x, float y) { return SdBox(x, y, 11, 3) - 1; },
            l.accent.Shade(0.95f));
    // Neck.
    Fill(
        img, kCx, kCy + 38, 20, [](float x, float y) { return SdBox(x, y, 10, 10) - 2; },
        l.skin.Shade(0.82f));
}

void HairBack(sc_Image& img, const Look& l) {
    if (l.hair_style != Hair::Long) return;
    const std::vector<float> mane = {-36, -30, 36, -30, 40, 40, 26, 48, -26, 48, -40, 40};
    DrawShape(
        img, kCx, kCy, 80, [&](float x, float y) { return SdPolygon(x, y, mane) - 4; },
        [&](float x, float) { return l.hair.Shade(0.85f - 0.002f * x); });
}

void Head(sc_Image& img, const Look& l) {
    // Ears, then the face.
    for (float side : {-1.0f, 1.0f})
        DrawShape(
            img, kCx + side * (kHeadRx - 1), kCy + 2, 14,
            [](float x, float y) { return SdEllipse(x, y, 5, 8); }, SkinShade(l.skin));
    DrawShape(
        img, kCx, kCy, 50,
        [](float x, float y) {
            // Narrower towards the chin.
            const float squeeze = y > 0 ? 1.0f - 0.25f * (y / kHeadRy) : 1.0f;
            return SdEllipse(x / squeeze, y, kHeadRx, kHeadRy);
        },
        SkinShade(l.skin));
    // Nose shadow.
    Fill(
        img, kCx + 1, kCy + 9, 10, [](float x, float y) { return SdSegment(x, y, 0, -6, 2, 4, 1.2f); },
        l.skin.Shade(0.72f), 0.8f);
    if (l.moustache)
        Fill(
            img, kCx, kMouthY - 6, 16, [](float x, float y) { return SdEllipse(x, y, 11, 3); },
            l.hair.Shade(0.8f));
    if (l.scar)
        Fill(
            img, kCx + kEyeDx, kEyeY, 20,
            [](float x, float y) { return SdSegment(x, y, -4, -14, 5, 12, 0.9f); }, Rgb(170, 90, 90), 0.9f);
}

void HairFront(sc_Image& img, const Look& l) {
    auto shade = [&](float x, float y) { return l.hair.Shade(1.0f - 0.003f * x - 0.002f * y); };
    switch (l.hair_style) {
    case Hair::Short: {
        const std::vector<float> cut = {-32, -10, -30, -34, -10, -44, 14,  -44,
                                        31,  -32, 32,  -10, 24,  -24, -24, -24};
        DrawShape(
            img, kCx, kCy, 60, [&](float x, float y) { return SdPolygon(x, y, cut); }, shade);
        break;
    }
    case Hair::Spiky: {
        const std::vector<float> cut = {-33, -6,  -34, -30, -26, -46, -14, -40, -6, -52, 4,   -42,
                                        16,  -52, 22,  -40, 34,  -44, 33,  -6,  24, -26, -24, -26};
        DrawShape(
            img, kCx, kCy, 70, [&](float x, float y) { return SdPolygon(x, y, cut); }, shade);
        break;
    }
    case Hair::Long: {
        const std::vector<float> cut = {-34, 20, -33, -30, -12, -44, 14,  -44, 33,  -30,
                                        34,  20, 26,  -8,  8,   -28, -20, -22, -28, -4};
        DrawShape(
            img, kCx, kCy, 70, [&](float x, float y) { return SdPolygon(x, y, cut); }, shade);
        break;
    }
    case Hair::Shaved:
        DrawShape(
            img, kCx, kCy - 18, 40,
            [](float x, float y) { return std::max(SdEllipse(x, y + 2, kHeadRx + 1, kHeadRy - 12), y + 6); },
            [&](float x, float) { return l.hair.Shade(0.9f - 0.002f * x); }, 0.55f);
        break;
    }
}

void HatOn(sc_Image& img, const Look& l) {
    switch (l.hat) {
    case Hat::None:
        break;
    case Hat::Cap: {
        const std::vector<float> crown = {-36, -30, -30, -51, 0, -58, 34, -53, 38, -30};
        DrawShape(
            img, kCx, kCy, 80, [&](float x, float y) { return SdPolygon(x, y, crown); },
            [&](float x, float) { return l.cloth.Shade(0.9f - 0.003f * x); });
        Fill(
            img, kCx, kCy - 33, 50, [](float x, float y) { return SdBox(x, y, 37, 3); },
            l.accent.Shade(1.0f));
        Fill(
            img, kCx + 4, kCy - 27, 50, [](float x, float y) { return SdEllipse(x, y, 34, 4); },
            Rgb(24, 28, 20));
        Fill(
            img, kCx, kCy - 43, 10, [](float x, float y) { return SdCircle(x, y, 4.5f); },
            l.accent.Shade(1.1f));
        break;
    }
    case Hat::Headband:
        Fill(
            img, kCx, kCy - 24, 50, [](float x, float y) { return SdBox(x, y + 0.08f * x, 33, 3.5f); },
            l.accent.Shade(1.0f));
        Fill(
            img, kCx - 36, kCy - 18, 20,
            [](float x, float y) { return SdSegment(x, y, 0, 0, -10, 14, 2.2f); }, l.accent.Shade(0.85f));
        break;
    case Hat::Headset:
        Fill(
            img, kCx, kCy - 8, 60,
            [](float x, float y) { return std::max(std::fabs(SdEllipse(x, y, 37, 42)) - 2.2f, y + 4); },
            l.accent.Shade(1.2f));
        for (float side : {-1.0f, 1.0f})
            Fill(
                img, kCx + side * 33, kCy + 2, 14, [](float x, float y) { return SdBox(x, y, 4, 8) - 2; },
                l.accent.Shade(1.4f));
        Fill(
            img, kCx - 30, kCy + 14, 30, [](float x, float y) { return SdSegment(x, y, 0, 0, 18, 12, 1.3f); },
            l.accent.Shade(1.3f));
        Fill(
            img, kCx - 12, kCy + 26, 6, [](float x, float y) { return SdCircle(x, y, 2.6f); },
            Rgb(30, 30, 30));
        break;
    case Hat::Beret: {
        DrawShape(
            img, kCx - 4, kCy - 36, 60, [](float x, float y) { return SdEllipse(x, y + 0.18f * x, 40, 13); },
            [&](float x, float) { return l.accent.Shade(1.0f - 0.003f * x); });
        Fill(
            img, kCx + 18, kCy - 40, 10, [](float x, float y) { return SdCircle(x, y, 4); },
            Rgb(220, 200, 80));
        break;
    }
    }
}

// Brows by face: level, drawn down to the nose, raised.
void Brows(sc_Image& img, const Look& l, int32_t face) {
    const float tilt = face == kStern ? 3.0f : face == kSmile ? -1.5f : 0.0f;
    const float lift = face == kSmile ? -2.0f : 0.0f;
    for (float side : {-1.0f, 1.0f}) {
        const float inner = kCx + side * 5, outer = kCx + side * 19;
        Fill(
            img, kCx, kBrowY, 40,
            [&](float x, float y) {
                return SdSegment(x + kCx, y + kBrowY, inner, kBrowY + lift + tilt, outer,
                                 kBrowY + lift - tilt * 0.3f, 1.6f);
            },
            l.hair.Shade(0.55f));
    }
}

void OpenEyes(sc_Image& img) {
    for (float side : {-1.0f, 1.0f}) {
        const float ex = kCx + side * kEyeDx;
        Fill(
            img, ex, kEyeY, 12, [](float x, float y) { return SdEllipse(x, y, 6, 3.6f); },
            Rgb(245, 245, 240));
        Fill(
            img, ex + 0.5f, kEyeY, 8, [](float x, float y) { return SdCircle(x, y, 3.0f); }, Rgb(60, 46, 36));
        Fill(
            img, ex + 0.5f, kEyeY, 6, [](float x, float y) { return SdCircle(x, y, 1.4f); }, Rgb(10, 10, 10));
        Fill(
            img, ex - 1.0f, kEyeY - 1.2f, 3, [](float x, float y) { return SdCircle(x, y, 0.8f); },
            Rgb(255, 255, 255));
        Fill(
            img, ex, kEyeY, 12,
            [](float x, float y) {
                return std::max(std::fabs(SdEllipse(x, y, 6.2f, 3.8f)) - 0.6f, y + 1.0f);
            },
            Rgb(40, 30, 26));
    }
}

// Eyelids over the eyes: half shut or shut. Drawn on a patch of skin that
// hides the open eyes beneath.
void ShutEyes(sc_Image& img, const Look& l, bool half) {
    for (float side : {-1.0f, 1.0f}) {
        const float ex = kCx + side * kEyeDx;
        DrawShape(
            img, ex, kEyeY, 14, [](float x, float y) { return SdEllipse(x, y, 8, 5.5f); }, SkinShade(l.skin));
        if (half) {
            Fill(
                img, ex, kEyeY, 12, [](float x, float y) { return std::max(SdEllipse(x, y, 6, 3.6f), -y); },
                Rgb(245, 245, 240));
            Fill(
                img, ex + 0.5f, kEyeY, 8, [](float x, float y) { return std::max(SdCircle(x, y, 3.0f), -y); },
                Rgb(60, 46, 36));
        }
        const float lidY = half ? 0.0f : 1.0f;
        Fill(
            img, ex, kEyeY, 12,
            [lidY](float x, float y) { return SdSegment(x, y, -6.2f, lidY, 6.2f, lidY, 0.9f); },
            Rgb(60, 40, 34));
    }
}

// The closed mouth by face: a line, a frown, a smile.
void ClosedMouth(sc_Image& img, const Look& l, int32_t face) {
    const float bend = face == kSmile ? 3.0f : face == kStern ? -1.5f : 0.0f;
    Fill(
        img, kCx, kMouthY, 16,
        [bend](float x, float y) {
            const float curve = bend * (1.0f - (x * x) / 81.0f);
            return SdSegment(x, y - curve, -9, 0, 9, 0, 1.1f);
        },
        l.skin.Shade(0.5f));
}

void OpenMouth(sc_Image& img, const Look& l, float open) {
    DrawShape(
        img, kCx, kMouthY + 1, 18, [](float x, float y) { return SdEllipse(x, y, 12, 8); },
        SkinShade(l.skin));
    Fill(
        img, kCx, kMouthY + open * 0.4f, 16, [open](float x, float y) { return SdEllipse(x, y, 8, open); },
        Rgb(90, 30, 30));
    Fill(
        img, kCx, kMouthY + open * 0.4f - open + 1.4f, 10,
        [](float x, float y) { return SdEllipse(x, y, 5, 1.3f); }, Rgb(240, 236, 228));
    Fill(
        img, kCx, kMouthY + open * 0.4f, 16,
        [open](float x, float y) { return std::fabs(SdEllipse(x, y, 8.5f, open + 0.5f)) - 0.7f; },
        l.skin.Shade(0.55f));
}

void DrawFrame(FrameArt& art, const Look& l, int32_t face, int32_t frame) {
    sc_Image& img = art.image;
    switch (frame) {
    case 0:
        Panel(img);
        HairBack(img, l);
        Body(img, l);
        Head(img, l);
        OpenEyes(img);
        Brows(img, l, face);
        ClosedMouth(img, l, face);
        HairFront(img, l);
        HatOn(img, l);
        break;
    case 1:
        OpenMouth(img, l, 2.5f);
        break;
    case 2:
        OpenMouth(img, l, 5.0f);
        break;
    case 3:
        ShutEyes(img, l, true);
        break;
    default:
        ShutEyes(img, l, false);
        break;
    }
}

PackDesc TalkPack() {
    // The faces each speaker shows somewhere: directions 0 to the highest.
    int32_t faces[kSpeakers] = {};
    for (const Table& t : kTables)
        for (const Line& l : t.lines)
            if (l.speaker >= 0 && l.speaker < kSpeakers)
                faces[l.speaker] = std::max(faces[l.speaker], l.face + 1 + FaceOffset(t));

    ObjectDesc object;
    for (int32_t s = 0; s < kSpeakers; ++s) {
        StatusDesc status;
        status.frameTime = 100;
        for (int32_t face = 0; face < faces[s]; ++face) {
            const Look& look = kLooks[s];
            DirDesc dir{5, [&look, face](FrameArt& art, int32_t f) { DrawFrame(art, look, face % kFaces, f); }};
            // Room for the panel's soft edge.
            dir.canvasW = static_cast<int32_t>(kW) + 4;
            dir.canvasH = static_cast<int32_t>(kH) + 4;
            dir.originX = face < kFaces ? 0 : kBriefShift;
            status.dirs.push_back(std::move(dir));
        }
        object.statuses.push_back(std::move(status));
    }
    PackDesc pack;
    pack.name = "P_TALK";
    pack.objects.push_back(std::move(object));
    return pack;
}

datagen::Register reg("talk", [](const std::filesystem::path& out) {
    const std::filesystem::path dir = out / "ATTRIB";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    // Saves are written here by the game; the folder ships empty.
    std::filesystem::create_directories(out / "SAVE", ec);
    if (ec) return false;
    Big5Encoder big5;
    if (!big5.Ok()) {
        std::fprintf(stderr, "talk: no Big5 converter\n");
        return false;
    }
    bool ok = true;
    for (const Table& t : kTables)
        ok &= WriteTable(dir / t.file, t.lines, FaceOffset(t), big5);
    return ok && WritePack(out, TalkPack());
});

} // namespace
