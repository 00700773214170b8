// The tour, opening and end movies, made from the data set the other pieces
// wrote: the mission grounds drawn by the game's map layer, the characters of
// its sprite pack, its fonts and its music.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/background.h"
#include "game/wav_file.h"
#include "pagefont/draw_page.h"
#include "pagefont/font_writer.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless/headless_backend.h"
#include "tools/datagen/big5.h"
#include "tools/datagen/content_names.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/movie_writer.h"
#include "tools/datagen/pack_builder.h"
#include "tools/datagen/talk_text.h"

namespace {

using namespace datagen;

// Half the game's screen: every pixel of the movie is two on the screen.
constexpr int32_t kW = 400, kH = 300;
// Texts stand in the middle four fifths of the picture.
constexpr int32_t kSafeW = kW * 4 / 5;
constexpr int32_t kFps = 25;
constexpr int32_t kFrameMs = 1000 / kFps;
constexpr int32_t kPage = 8;
// The characters' pack: body 2m and gun 2m + 1; walking is status 1 of the
// body, the gun's idle look status 0; 16 directions clockwise from up.
constexpr int32_t kWalk = 1, kStand = 0, kGunIdle = 0;
constexpr int32_t kEast = 4, kSouth = 8;

// The game's pictures, read through its own readers from the set's folder
// (the current directory while a movie is made).
class Studio {
public:
    Studio() {
        // The map layer animates the water by the clock: a virtual one keeps
        // every run the same.
        plat::InstallBackend(std::make_unique<plat::HeadlessBackend>(kFrameMs));
        m_ok = l_CreatePage(kPage, kW, kH) != 0;
        m_writer.bLoadFont(0, "Fonts\\EM0816.FNT", 8, 16, 0, 1);
        m_writer.bLoadFont(1, "Fonts\\CC1818.FNT", 18, 18, 1, 1);
        m_writer.vSetSpacing(1, 4);
        for (int32_t m = 0; m < content::kCharModels; ++m) {
            for (int32_t d : {kEast, kSouth}) {
                m_body[m][d == kEast] = m_cache.pGetDir(content::kCharPackStr, content::kCharPackImg, 2 * m,
                                                        d == kEast ? kWalk : kStand, d);
                m_gun[m][d == kEast] =
                    m_cache.pGetDir(content::kCharPackStr, content::kCharPackImg, 2 * m + 1, kGunIdle, d);
            }
        }
    }
    ~Studio() {
        for (auto& model : m_body)
            for (sc_GameDir* d : model)
                m_cache.vFree(d);
        for (auto& model : m_gun)
            for (sc_GameDir* d : model)
                m_cache.vFree(d);
        m_ground.vFree();
        v_FreePage(kPage);
        plat::ResetBackend();
    }
    Studio(const Studio&) = delete;
    Studio& operator=(const Studio&) = delete;

    bool Ok() const { return m_ok; }
    uint16_t* Pixels() { return reinterpret_cast<uint16_t*>(p_GetPagePixels(kPage)); }

    // A mission's ground; false when its files are not there.
    bool Ground(int32_t mission) {
        char name[32];
        std::snprintf(name, sizeof name, "MAP\\wrd%05d.BUD", 2000 + mission);
        m_ground.vInit(&m_view, Pixels(), kW, kH);
        m_ground.bLoad(name);
        return m_ground.oMapSize.x > kW && m_ground.oMapSize.y > kH;
    }
    // The ground with the view's middle at a share of the map's size.
    void ShowGround(double u, double v, int32_t panX) {
        m_view.oSet(static_cast<int32_t>(m_ground.oMapSize.x * u) + panX - kW / 2,
                    static_cast<int32_t>(m_ground.oMapSize.y * v) - kH / 2);
        m_ground.vShow();
        plat::Sleep(kFrameMs);
    }
    // Character model m standing on (x, y), walking east or facing the viewer.
    // A sprite's pictures are placed from the corner of its canvas, whose
    // middle is the point it stands on.
    void Character(int32_t m, int32_t x, int32_t y, bool walking, int32_t step) {
        for (sc_GameDir* dir : {m_body[m][walking], m_gun[m][walking]}) {
            if (!dir || dir->lGetFrameCount() == 0) continue;
            const sc_GameImgWithShadow* f = dir->pGetFrameAt(step % dir->lGetFrameCount());
            if (f) f->vShowOn(x - kCanvasW / 2, y - kCanvasH / 2, Pixels(), kW, kH, 0, 0, 0, 0, 0);
        }
    }
    // Big5 text in rows no wider than the picture's title-safe middle (four
    // fifths of its width), each row centred, from y down; doubled when
    // large; its first glyphs only while it is being typed. A row that does
    // not hold the rest ends after its last comma when that leaves it at
    // least half full. The rows it takes.
    int32_t Text(const char* utf8, int32_t y, uint32_t colour, size_t glyphs = std::string::npos,
                 bool large = false) {
        std::string big5;
        if (!m_big5.Encode(utf8, big5)) return 0;
        l_SelectPage(kPage);
        m_writer.vSetZoom(large ? 1 : 0);
        m_writer.vSetColor(colour, 0, 16);
        m_writer.vSetShadow(0, large ? 2 : 1);
        // Where each glyph starts, and the end.
        std::vector<size_t> at = {0};
        while (at.back() < big5.size())
            at.push_back(std::min(big5.size(), at.back() + (static_cast<uint8_t>(big5[at.back()]) >= 0x81 ? 2 : 1)));
        const size_t last = at.size() - 1;
        const auto part = [&](size_t from, size_t to) { return big5.substr(at[from], at[to] - at[from]); };
        const auto width = [&](size_t from, size_t to) { return m_writer.lMeasureString(part(from, to).c_str()); };
        int32_t rows = 0;
        for (size_t from = 0; from < last; ++rows) {
            size_t to = from + 1, comma = 0;
            while (to < last && width(from, to + 1) <= kSafeW) ++to;
            for (size_t g = from + 1; g <= to; ++g)
                if (part(g - 1, g) == "\xA1\x41") comma = g;
            if (to < last && comma > from && 2 * width(from, comma) >= kSafeW) to = comma;
            // Centred as the whole row, so that typing does not move it.
            m_writer.vShowString((kW - width(from, to)) / 2, y + rows * (large ? 44 : 22),
                                 part(from, std::clamp(glyphs, from, to)).c_str());
            from = to;
        }
        return rows;
    }
    // Darkens the picture to level/31.
    void Dim(int32_t level) {
        uint16_t* p = Pixels();
        for (int32_t i = 0; i < kW * kH; ++i) {
            const int32_t r = (p[i] >> 10 & 31) * level / 31, g = (p[i] >> 5 & 31) * level / 31,
                          b = (p[i] & 31) * level / 31;
            p[i] = static_cast<uint16_t>(r << 10 | g << 5 | b);
        }
    }
    void Copy(std::vector<uint16_t>& picture) { std::copy(Pixels(), Pixels() + kW * kH, picture.begin()); }

private:
    bool m_ok = false;
    sc_MemoryControl m_cache;
    sc_FontWriter m_writer;
    Big5Encoder m_big5;
    sc_Point m_view;
    sc_Background m_ground;
    sc_GameDir* m_body[content::kCharModels][2] = {};
    sc_GameDir* m_gun[content::kCharModels][2] = {};
};

// A piece of the game's music at the movies' rate, looped to the length.
std::vector<int16_t> Music(const char* name, int32_t frames) {
    std::vector<uint8_t> bytes;
    WavFormat format;
    if (!LoadWavFile(name, bytes, format, false) || bytes.size() < 4) return {};
    // Every game sound is 22050 Hz stereo: each pair is said twice, halfway
    // between its neighbours the second time.
    const size_t pairs = bytes.size() / 4;
    auto at = [&](size_t pair, int channel) {
        const size_t i = (pair % pairs) * 4 + 2 * static_cast<size_t>(channel);
        return static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8);
    };
    const size_t out = static_cast<size_t>(frames) * kMovieSoundRate / kFps;
    const size_t fade = kMovieSoundRate / 2;
    std::vector<int16_t> music(2 * out);
    for (size_t n = 0; n < out; ++n) {
        const double level =
            std::min({1.0, static_cast<double>(out - n) / fade, static_cast<double>(n + 1) / 400});
        for (int c = 0; c < 2; ++c) {
            const int32_t a = at(n / 2, c), b = at(n / 2 + 1, c);
            const int32_t v = n % 2 ? (a + b) / 2 : a;
            music[2 * n + static_cast<size_t>(c)] = static_cast<int16_t>(std::lround(v * level));
        }
    }
    return music;
}

// The dimming of a movie's first and last frames.
int32_t Fade(int32_t frame, int32_t frames, int32_t in, int32_t out) {
    return std::clamp(std::min(in ? 31 * (frame + 1) / in : 31, 31 * (frames - frame) / out), 0, 31);
}

constexpr uint32_t kGreen = 3851, kWhite = 0x7FFF, kAmber = 0x7E84;

bool WriteMovies(const std::filesystem::path& out) {
    struct Here {
        std::filesystem::path was = std::filesystem::current_path();
        ~Here() {
            std::error_code ec;
            std::filesystem::current_path(was, ec);
        }
    } here;
    std::error_code ec;
    std::filesystem::current_path(out, ec);
    if (ec) return false;
    Studio studio;
    if (!studio.Ok()) {
        std::fprintf(stderr, "movies: no page to draw on\n");
        return false;
    }

    // The tour: the squad crossing a meadow of the first mission's ground.
    MovieSpec tour;
    tour.width = kW;
    tour.height = kH;
    tour.frames = 6 * kFps;
    tour.qscale = 5;
    tour.draw = [&](int32_t f, std::vector<uint16_t>& picture) {
        studio.ShowGround(0.42, 0.55, f);
        for (int32_t m = 0; m < content::kCharModels; ++m) {
            const int32_t x = -60 + 3 * f - 46 * m, y = 150 + 14 * m - 4 * (m % 2) * 7;
            studio.Character(m, x, y, true, f / 2 + m);
        }
        if (f >= 3 * kFps) studio.Text("獵鷹小隊", 226, kGreen, static_cast<size_t>(f - 3 * kFps) / 3, true);
        studio.Dim(Fade(f, tour.frames, 12, 16));
        studio.Copy(picture);
    };
    tour.music = Music("WAV\\TOPMENU.WAV", tour.frames);

    // The opening: the title over a dimmed river of the first ground, then
    // the story's first lines typed under it.
    MovieSpec opening;
    opening.width = kW;
    opening.height = kH;
    opening.frames = 5 * kFps;
    opening.qscale = 5;
    opening.draw = [&](int32_t f, std::vector<uint16_t>& picture) {
        studio.ShowGround(0.62, 0.38, 2 * f);
        studio.Dim(14);
        studio.Text("KRX", 52, kWhite, f < 10 ? 0 : std::string::npos, true);
        studio.Text("鋼鐵突擊隊", 96, kAmber, static_cast<size_t>(std::max(0, f - 10)) / 4, true);
        const int32_t typed = std::max(0, f - 35) / 2;
        const int32_t rows = studio.Text(talk::kStory[0].text, 172, kGreen, static_cast<size_t>(typed));
        studio.Text(talk::kStory[1].text, 176 + 22 * rows, kGreen, static_cast<size_t>(std::max(0, typed - 14)));
        studio.Dim(Fade(f, opening.frames, 15, 10));
        studio.Copy(picture);
    };
    opening.music = Music("WAV\\MISSION01.WAV", opening.frames);

    // The end: the squad facing the viewer on the last mission's ground.
    MovieSpec ending;
    ending.width = kW;
    ending.height = kH;
    ending.frames = 5 * kFps;
    ending.qscale = 5;
    ending.draw = [&](int32_t f, std::vector<uint16_t>& picture) {
        studio.ShowGround(0.5, 0.5, -f);
        for (int32_t m = 0; m < content::kCharModels; ++m)
            studio.Character(m, 80 + 60 * m, 180 + (m % 2) * 10, false, 0);
        studio.Text("晨星群島重獲和平", 36, kWhite, static_cast<size_t>(std::max(0, f - 20)) / 3, true);
        studio.Text("獵鷹小隊，任務完成。", 250, kGreen, static_cast<size_t>(std::max(0, f - 60)) / 3);
        studio.Dim(Fade(f, ending.frames, 20, 25));
        studio.Copy(picture);
    };
    ending.music = Music("WAV\\SCENE0.WAV", ending.frames);

    // Each over its mission's ground; the folder is the current one now.
    const struct {
        const char* file;
        int32_t mission;
        const MovieSpec& spec;
    } movies[] = {{"Pramo.MPG", 1, tour}, {"KRX-OPEN.MPG", 1, opening}, {"KRX-END.MPG", 12, ending}};
    for (const auto& m : movies) {
        if (!studio.Ground(m.mission)) std::printf("krx_datagen:   %s: no mission ground to show\n", m.file);
        if (!WriteMovie(std::filesystem::path("MOVIE") / m.file, m.spec)) return false;
    }
    return true;
}

const Register reg("movies", WriteMovies, true);

} // namespace
