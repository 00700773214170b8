#include "tools/datagen/pack_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "platform/byte_reader.h"

namespace datagen {

namespace {

sc_Image Blank(int32_t w = kCanvasW, int32_t h = kCanvasH) {
    sc_Image img;
    img.vSetSize(w, h);
    img.lAlloc();
    img.vSetHasAlpha(1);
    return img;
}

// The footprint picture the marks tool and the grid builder read: white
// ground, the diamond in black.
sc_Image FootprintPicture(int32_t halfW, int32_t halfH, int32_t w, int32_t h) {
    sc_Image img = Blank(w, h);
    const float ax = static_cast<float>(w / 2), ay = static_cast<float>(h / 2);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const float dx = std::fabs(x - ax) / static_cast<float>(halfW);
            const float dy = std::fabs(y - ay) / static_cast<float>(halfH);
            img.oAt(x, y) = dx + dy <= 1.0f ? sc_Color::FromRGBA(0xFF000000u) : sc_Color::FromRGBA(0xFFFFFFFFu);
        }
    return img;
}

void MoveBy(sc_GameImg* img, int32_t dx, int32_t dy) {
    if (!img) return;
    const sc_Point at = img->oGetOffset();
    img->vSetOffset(at.x + dx, at.y + dy);
}

sc_GameDir BuildDir(const DirDesc& desc) {
    sc_GameDir dir;
    const bool window = desc.artW > 0 && desc.artH > 0;
    const int32_t w = window ? desc.artW : kCanvasW, h = window ? desc.artH : kCanvasH;
    // Where the window's corner lies on the canvas.
    const int32_t dx = kCanvasW / 2 - w / 2, dy = kCanvasH / 2 - h / 2;
    for (int32_t f = 0; f < desc.frames; ++f) {
        FrameArt art = window ? FrameArt(w, h) : FrameArt(desc.canvasW, desc.canvasH);
        if (window) {
            art.anchorX = static_cast<float>(w / 2);
            art.anchorY = static_cast<float>(h / 2);
        }
        if (desc.draw) desc.draw(art, f);
        sc_GameImgWithShadow frame;
        frame.vSetImage(&art.image, art.hasShadow ? &art.shadow : nullptr, art.hasOverlay ? &art.overlay : nullptr,
                        1);
        if (window || desc.originX || desc.originY) {
            const int32_t mx = window ? dx : desc.originX, my = window ? dy : desc.originY;
            MoveBy(&frame.oImage(), mx, my);
            MoveBy(frame.pGetShadow(), mx, my);
            MoveBy(frame.pGetOverlay(), mx, my);
        }
        dir.vAdd(&frame);
    }
    if (desc.footHalfW > 0 && desc.footHalfH > 0) {
        const sc_Image foot = FootprintPicture(desc.footHalfW, desc.footHalfH, w, h);
        dir.vMakeLocate(&foot);
        dir.vMakeMarksFrom(foot);
        if (window) {
            for (int32_t i = 0; i < 3; ++i) {
                const sc_GamePoint m = dir.oGetMark(i);
                dir.vSetMark(i, sc_GamePoint(static_cast<int16_t>(m.x + dx), static_cast<int16_t>(m.y + dy)));
            }
            const sc_Point origin = dir.oLocate().oGetOrigin();
            dir.oLocate().vSetOrigin(origin.x + dx / 16, origin.y + dy / 8);
        }
        const sc_GamePoint m0 = dir.oGetMark(0), m1 = dir.oGetMark(1), m2 = dir.oGetMark(2);
        dir.vSetMark(3, sc_GamePoint(static_cast<int16_t>(m0.x + m1.x - m2.x), static_cast<int16_t>(m0.y + m1.y - m2.y)));
    }
    return dir;
}

} // namespace

FrameArt::FrameArt() : FrameArt(kCanvasW, kCanvasH) {}

FrameArt::FrameArt(int32_t width, int32_t height)
    : image(Blank(width, height)), shadow(Blank(width, height)), overlay(Blank(width, height)) {}

float SdCircle(float x, float y, float r) { return std::sqrt(x * x + y * y) - r; }

float SdBox(float x, float y, float halfW, float halfH) {
    const float dx = std::fabs(x) - halfW, dy = std::fabs(y) - halfH;
    const float ox = std::max(dx, 0.0f), oy = std::max(dy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(dx, dy), 0.0f);
}

float SdPolygon(float x, float y, const std::vector<float>& p) {
    const size_t n = p.size() / 2;
    float d = (x - p[0]) * (x - p[0]) + (y - p[1]) * (y - p[1]);
    float s = 1.0f;
    for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
        const float ex = p[2 * j] - p[2 * i], ey = p[2 * j + 1] - p[2 * i + 1];
        const float wx = x - p[2 * i], wy = y - p[2 * i + 1];
        const float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
        const float bx = wx - ex * t, by = wy - ey * t;
        d = std::min(d, bx * bx + by * by);
        const bool c1 = y >= p[2 * i + 1], c2 = y < p[2 * j + 1], c3 = ex * wy > ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
}

void DrawShape(sc_Image& img, float cx, float cy, float reach, const std::function<float(float, float)>& sdf,
               const std::function<sc_Color(float, float)>& shade, float opacity) {
    const int32_t x0 = std::max(0, static_cast<int32_t>(cx - reach)),
                  x1 = std::min(img.lGetWidth() - 1, static_cast<int32_t>(cx + reach) + 1);
    const int32_t y0 = std::max(0, static_cast<int32_t>(cy - reach)),
                  y1 = std::min(img.lGetHeight() - 1, static_cast<int32_t>(cy + reach) + 1);
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x) {
            const float rx = x + 0.5f - cx, ry = y + 0.5f - cy;
            // About a pixel and a half of soft edge.
            const float cover = std::clamp(0.5f - sdf(rx, ry) / 1.5f, 0.0f, 1.0f) * opacity;
            if (cover <= 0.0f) continue;
            const sc_Color src = shade(rx, ry);
            sc_Color& dst = img.oAt(x, y);
            const float da = dst.reserved / 255.0f, oa = cover + da * (1.0f - cover);
            auto mix = [&](uint8_t s, uint8_t d) {
                return static_cast<uint8_t>(std::lround((s * cover + d * da * (1.0f - cover)) / oa));
            };
            dst.blue = mix(src.blue, dst.blue);
            dst.green = mix(src.green, dst.green);
            dst.red = mix(src.red, dst.red);
            dst.reserved = static_cast<uint8_t>(std::lround(oa * 255.0f));
        }
}

sc_GameImageData BuildTree(const PackDesc& desc) {
    sc_GameImageData tree;
    for (const ObjectDesc& od : desc.objects) {
        sc_GameObject object;
        for (const StatusDesc& sd : od.statuses) {
            sc_GameStatus status;
            status.vSetName(sd.name.empty() ? nullptr : sd.name.c_str());
            for (const DirDesc& dd : sd.dirs) {
                const sc_GameDir dir = BuildDir(dd);
                status.vAdd(&dir);
            }
            status.vSetDefaultDir(sd.defaultDir);
            status.vSetFrameTime(sd.frameTime);
            status.vSetPause(sd.pauseRange, sd.pauseBase);
            if (sd.hasExtra) {
                const sc_GameDir extra = BuildDir(sd.extra);
                status.vSetExtraDir(&extra);
            }
            object.vAdd(&status);
        }
        tree.vAdd(&object);
    }
    return tree;
}

bool WritePack(const std::filesystem::path& out, const PackDesc& desc) {
    sc_GameImageData tree = BuildTree(desc);
    return WriteTree(out, desc.name, tree);
}

bool WriteTree(const std::filesystem::path& out, const std::string& name, sc_GameImageData& tree) {
    sc_ByteWriter table, data;
    if (!tree.bSwapOut(table, data, nullptr, nullptr)) {
        std::fprintf(stderr, "packs: %s: the pack writer refused the tree\n", name.c_str());
        return false;
    }
    const std::filesystem::path dir = out / name;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    auto save = [&](const char* ext, const sc_ByteWriter& w) {
        std::ofstream f(dir / (name + ext), std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(w.Bytes().data()), static_cast<std::streamsize>(w.Size()));
        return static_cast<bool>(f);
    };
    if (ec || !save(".STR", table) || !save(".IMG", data)) {
        std::fprintf(stderr, "packs: cannot write %s\n", dir.c_str());
        return false;
    }
    std::printf("  %s: %zu + %zu bytes\n", name.c_str(), table.Size(), data.Size());
    return true;
}

// --- the cursor --------------------------------------------------------------

namespace {

sc_Color Rgb(int r, int g, int b) {
    return sc_Color(static_cast<uint32_t>(std::clamp(b, 0, 255) | std::clamp(g, 0, 255) << 8 |
                                          std::clamp(r, 0, 255) << 16));
}

void DrawArrow(FrameArt& art, int32_t) {
    // Tip at the origin, pointing up and left.
    const std::vector<float> arrow = {0, 0, 0, 23, 6, 18, 10, 27, 14, 25, 10, 17, 17, 17};
    auto sd = [&](float x, float y) { return SdPolygon(x, y, arrow); };
    DrawShape(art.shadow, kAnchorX + 3, kAnchorY + 3, 32, sd, [](float, float) { return Rgb(0, 0, 0); }, 0.6f);
    art.hasShadow = true;
    DrawShape(art.image, kAnchorX, kAnchorY, 32, [&](float x, float y) { return sd(x, y) - 1.2f; },
              [](float, float) { return Rgb(20, 24, 40); });
    DrawShape(art.image, kAnchorX, kAnchorY, 32, [&](float x, float y) { return sd(x, y) + 0.6f; },
              [](float x, float y) {
                  const int v = 255 - static_cast<int>((x + y) * 2.2f);
                  return Rgb(v, v, std::min(255, v + 20));
              });
}

void DrawCrossHair(FrameArt& art, int32_t frame) {
    static const float kRadius[4] = {9.0f, 10.0f, 11.0f, 10.0f};
    const float r = kRadius[frame & 3];
    auto ring = [r](float x, float y) { return std::fabs(SdCircle(x, y, r)) - 1.5f; };
    auto ticks = [r](float x, float y) {
        const float h = std::min(SdBox(x, y, 1.0f, r + 6.0f), SdBox(x, y, r + 6.0f, 1.0f));
        return std::max(h, -SdCircle(x, y, r - 4.0f)); // a clear centre
    };
    auto shape = [&](float x, float y) { return std::min(ring(x, y), ticks(x, y)); };
    DrawShape(art.image, kAnchorX, kAnchorY, r + 10, [&](float x, float y) { return shape(x, y) - 1.0f; },
              [](float, float) { return Rgb(16, 8, 8); }, 0.8f);
    DrawShape(art.image, kAnchorX, kAnchorY, r + 10, shape, [](float x, float y) {
        const int v = static_cast<int>(std::sqrt(x * x + y * y) * 6.0f);
        return Rgb(255, 120 + v, 40);
    });
    // The centre dot.
    DrawShape(art.image, kAnchorX, kAnchorY, 4, [](float x, float y) { return SdCircle(x, y, 1.2f); },
              [](float, float) { return Rgb(255, 240, 200); });
}

} // namespace

PackDesc CursorPack() {
    PackDesc pack;
    pack.name = "P_CURSOR";
    StatusDesc status;
    status.frameTime = 150;
    status.dirs.push_back(DirDesc{1, DrawArrow, 0, 0});
    status.dirs.push_back(DirDesc{4, DrawCrossHair, 0, 0});
    pack.objects.push_back(ObjectDesc{{status}});
    return pack;
}

} // namespace datagen
