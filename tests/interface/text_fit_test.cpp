// Every text of the data set that the interface draws, drawn the way its
// screen draws it with the game's own fonts, the pictures' captions and the
// opening movie's lines: what it lights keeps kTextClear pixels inside the
// picture the screen puts behind it and clear of what the screen places
// beside it. The texts drawn over the map have the ground behind them: it
// stays dark enough for their colour to read.
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/all_string.h"
#include "game/background.h"
#include "interface/buttons.h"
#include "interface/talk.h"
#include "interface/text_widgets.h"
#include "platform/media/movie_source.h"
#include "tests/interface/widget_fixture.h"

namespace {

using namespace layout;

struct Rect {
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0; // right and bottom excluded
    bool Holds(const Rect& r) const { return r.x0 >= x0 && r.y0 >= y0 && r.x1 <= x1 && r.y1 <= y1; }
    bool Meets(const Rect& r) const { return r.x0 < x1 && x0 < r.x1 && r.y0 < y1 && y0 < r.y1; }
    Rect Grow(int32_t n) const { return {x0 - n, y0 - n, x1 + n, y1 + n}; }
};
std::ostream& operator<<(std::ostream& os, const Rect& r) { return os << r.x0 << "," << r.y0 << "-" << r.x1 << "," << r.y1; }
Rect At(Pos p, Size s, int32_t inset = 0) { return {p.x + inset, p.y + inset, p.x + s.w - inset, p.y + s.h - inset}; }
Pos Below(Pos p, int32_t dy) { return {p.x, p.y + dy}; }

class GeneratedTexts : public krxtest::Widgets {
protected:
    // The bounds of what draw() lights on an empty surface.
    Rect Ink(const std::function<void()>& draw, Rect area = {0, 0, 800, 600}, int32_t level = 1) {
        Clear();
        draw();
        Rect r{800, 600, 0, 0};
        for (int32_t y = area.y0; y < area.y1; ++y)
            for (int32_t x = area.x0; x < area.x1; ++x)
                if (const int32_t p = Pixel(x, y); p && std::max({p >> 10 & 31, p >> 5 & 31, p & 31}) >= level)
                    r = {std::min(r.x0, x), std::min(r.y0, y), std::max(r.x1, x + 1), std::max(r.y1, y + 1)};
        return r;
    }
    Rect Plain(Pos at, const char* text) {
        return Ink([&] { g_pTextSurface->vShowString(at.x, at.y, text, 0, 0, nullptr); });
    }
    // A typed line once typed, its head included.
    Rect Typed(Pos at, const char* text) {
        sc_RunText line;
        line.vSetUp(nullptr, 0, at.x, at.y);
        line.vSetText(text);
        for (int32_t i = 0; i < 200 && line.lTyped < line.lLength; ++i, Frame(1)) line.lShow(0);
        return Ink([&] { line.lShow(1); });
    }
    void Check(const std::string& what, const Rect& ink, const Rect& box, const std::vector<Rect>& clear = {}) {
        const Rect kept = ink.Grow(kTextClear); // the ink and what it keeps clear round it
        EXPECT_TRUE(ink.x1 > ink.x0 && box.Holds(kept)) << what << " lights " << ink << " in " << box;
        for (const Rect& c : clear) EXPECT_FALSE(c.Meets(kept)) << what << " lights " << ink << " by " << c;
    }
    // Where a menu picture drawn at the point stands.
    Rect Pic(int32_t status, int32_t dir, Pos at) {
        const sc_GameImg* p = Object(kObjectMenus)->pGetStatusAt(status)->pGetDirAt(dir)->pGetFrameAt(0);
        return At({at.x + p->oGetOffset().x, at.y + p->oGetOffset().y}, {p->lGetWidth(), p->lGetHeight()});
    }
    // A caption in its box on a menu picture drawn at the point: what it lights brightly in and round the box.
    void Caption(const std::string& what, int32_t status, int32_t dir, int32_t frame, Pos at, Box box,
                 const std::vector<Rect>& over) {
        const Rect area = At({at.x + box.at.x, at.y + box.at.y}, box.size).Grow(kTextClear);
        const sc_GameImg* p = Object(kObjectMenus)->pGetStatusAt(status)->pGetDirAt(dir)->pGetFrameAt(frame);
        Check(what, Ink([&] { p->vShow(at.x, at.y, m_surface); }, area, 12), area, over);
    }
    // A missing string draws nothing, which fails its check.
    const char* String(int32_t group, int32_t index) {
        const char* s = strings.pGetString(group, index);
        return s ? s : "";
    }

    sc_AllString strings;
};

TEST_F(GeneratedTexts, EveryTextFitsTheBoxItsScreenDrawsItIn) {
    strings.vLoad(sc_AllString::kFileName);
    // A navigation button, normal and hovered two up and right.
    const auto both = [](Pos n, Pos o) { return Rect{n.x, o.y, o.x + kNavButton.w, n.y + kNavButton.h}; };
    const Rect back = both(kNavBack, kNavBackOver), top = both(kNavTop, kNavTopOver);
    // Dialogues: each record as the first and the last line of a page; the
    // briefing's clear of the buttons beside it.
    struct Use { std::string file; Pos text; int32_t lines; Rect box; std::vector<Rect> clear; };
    std::vector<Use> uses = {
        {"STORY.DB", kStoryText, kStoryLines, At(kStoryPanel, kStoryPanelSize, kFrameLine), {}},
        {"SOS1.DB", kRadioText, kRadioLines, At({kRadioHome.x + 20, kRadioHome.y + 20}, kRadioBack, 3), {}}};
    for (int32_t m = 1; m <= 12; ++m)
        for (Pos text : {kBriefText, kBriefTextAtLoad})
            uses.push_back({"TALK" + std::to_string(m) + ".DB", text, kBriefLines, At(kBriefBox, kBriefBoxSize, 3),
                            {back, top}});
    for (const Use& u : uses) {
        sc_Talk talk;
        ASSERT_EQ(talk.bLoad(0, 0, u.text.x, u.text.y, ("ATTRIB\\" + u.file).c_str(), u.lines), 1);
        for (int32_t r = 0; r < talk.lGetCount(); ++r)
            for (int32_t line : {0, u.lines - 1})
                Check(u.file + " record " + std::to_string(r), Typed(Below(u.text, 20 * line), talk.pGetText(r)),
                      u.box, u.clear);
    }

    for (int32_t i = 0; i < 12; ++i)
        Check("mission caption " + std::to_string(i), Plain(Below(kMissionButton, 20 * i), String(0, i)),
              At(Below(kMissionButton, 20 * i), kMissionButtonSize).Grow(kTextClear));
    // A hovered weapon card's three lines on the text strip, clear of the
    // item frame, the top button and each other (a blank row between), and
    // its name on the detail panel right of the numbers; the chosen item's
    // name on the strip; the labels.
    const Rect strip = Pic(kMenuArmsPics, 6, kArmsSlides[6].home).Grow(-kFrameLine);
    const Rect detail = Pic(kMenuArmsPics, 2, kArmsSlides[2].home).Grow(-kFrameLine);
    const std::vector<Rect> besideStrip = {At(kArmsSlides[3].home, kArmsSlides[3].size), top};
    for (int32_t c = 0; c < kWeaponCards; ++c) {
        std::vector<Rect> clear = besideStrip;
        for (int32_t k = 0; k < 3; ++k) {
            const Rect ink = Plain(kHoverTexts[k], String(1, 3 * c + k));
            Check("weapon card text " + std::to_string(3 * c + k), ink, strip, clear);
            clear.push_back({ink.x0, ink.y0, ink.x1, ink.y1 + 1 - kTextClear}); // and a blank row below it
        }
        Check("weapon card name " + std::to_string(c), Plain(kHoverName, String(1, 3 * c)), detail,
              {At(kDetailPrice, {36, 17}), At(kDetailAmmo, {30, 17})});
    }
    for (int32_t c = 0; c < kItemCards; ++c)
        Check("item card " + std::to_string(c), Plain(kItemName, String(2, c)), strip, besideStrip);
    for (int32_t i = 0; i < 3; ++i)
        Check("label " + std::to_string(i), Plain(kDetailLabels[i], String(8, i)), detail,
              {At({kDetailAmmo.x, kDetailLabels[i].y}, {30, 17})});

    // The character screen's typed lines (twelve for type 0, ten for the
    // others), and the arms screen's texts of the type: three on the ability
    // panel, its name in the header left of the money plate.
    for (int32_t t = 0; t < kCharacterTypes; ++t) {
        for (int32_t i = 0; i < (t == 0 ? 12 : 10); ++i)
            Check("type " + std::to_string(t) + " line " + std::to_string(i),
                  Typed(i == 11 ? kLastTextLine : Below(kTextLine, kTextLinePitch * i), String(3 + t, i)),
                  At(kCharPanelHome, kCharPanel, 3));
        for (int32_t k = 0; k < 3; ++k)
            Check("type text " + std::to_string(4 * t + k + 1), Plain(kFormTexts[k], String(9, 4 * t + k + 1)),
                  At(kArmsSlides[1].home, kArmsSlides[1].size, 3));
        Check("type name " + std::to_string(t), Plain(kFormTexts[3], String(9, 4 * t)),
              At(kArmsSlides[0].home, kArmsSlides[0].size), {At(kArmsSlides[4].home, kArmsSlides[4].size)});
    }

    // The objective over the map, left of the money counter and above the
    // radio box, and clear of the radio call's portraits at the screen's
    // corner (whose edges are no border lines); the volume page's lines.
    std::vector<Rect> objectives;
    for (int32_t m = 0; m < 12; ++m) {
        objectives.push_back(Plain({20, 0}, String(10, m)));
        Check("objective " + std::to_string(m), objectives.back(), {-2, -2, kMoneyBack.x, kRadioHome.y});
    }
    sc_Talk radio;
    ASSERT_EQ(radio.bLoad(0, 0, kRadioText.x, kRadioText.y, "ATTRIB\\SOS1.DB", kRadioLines), 1);
    for (int32_t r = 0; r < radio.lGetCount(); ++r) {
        radio.oImage.vSetImage(radio.lGetSpeaker(r), radio.lGetSecond(r), 0, 0);
        Check("radio portrait " + std::to_string(r), Ink([&] { radio.oImage.vShow(); }), {-2, -2, 802, 602},
              objectives);
    }
    for (int32_t i = 0; i < 9; ++i)
        Check("volume page " + std::to_string(i), Plain({kVolumeTextX, kVolumeTextY[i]}, String(14, i)),
              At(kVolumePage, kVolumePageSize, 3));
    // The pictures' captions: the screen's name on the shared background, under the buttons, the decoration and
    // no panel of the screens; the rack's, under no armed card or its ammunition; the ability card's.
    std::vector<Rect> over = {back, top, Pic(kMenuDecor, kDecorConsoleDir, kDecorConsole),
                              Pic(kMenuDecor, kStripDir, kStrip), Pic(kMenuIdScreen, kIdRecordDir, kIdRecordPanel),
                              Pic(kMenuCharPics, kCharCardDir, kCharCardHome)};
    for (int32_t i = 0; i < kArmsPictures; ++i) over.push_back(Pic(kMenuArmsPics, i, kArmsSlides[i].home));
    Caption("the screen's name", kMenuBackdrop, 1, 0, {}, kScreenCaption, over);
    std::vector<Rect> armed = {Pic(kMenuDecor, kDecorMonitorDir, kDecorMonitor)};
    for (Pos slot : kArmedSlots) armed.insert(armed.end(), {At(slot, kWeaponButton), At(Below(slot, 20), {39, 18})});
    Caption("rack", kMenuArmsPics, 5, 0, kArmsSlides[5].home, kRackCaption, armed);
    for (int32_t t = 0; t < kCharacterTypes; ++t)
        for (Box b : {kChartLabels[0], kChartLabels[1], kChartLabels[2], kChartLabels[3], kCardRole, kCardName})
            Caption("ability card " + std::to_string(t), kMenuCharPics, kCharCardDir, t, kCharCardHome, b, {});
    // The opening movie's story lines (its green, in any frame) in its middle four fifths.
    const auto movie = plat::MovieSource::Open("MOVIE\\KRX-OPEN.MPG");
    ASSERT_TRUE(movie);
    const int32_t w = movie->Width(), h = movie->Height();
    std::vector<uint16_t> frame(static_cast<size_t>(w * h));
    Check("the opening movie's lines", Ink([&] {
              while (movie->NextFrame(frame, false) == plat::MovieFrame::Frame)
                  for (int32_t i = 0; i < w * h; ++i)
                      if ((frame[i] >> 5 & 31) >= std::max(18, (frame[i] >> 10 & 31) + 8))
                          m_surface->pGetBuffer()[i / w * 800 + i % w] = 1;
          }), {w / 10, h / 10, w - w / 10, h - h / 10});
}

TEST(GeneratedGrounds, TheTextColourReadsOverEveryMapsGround) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    // The colours on which the text's contrast is under 3 to 1.
    const auto luminance = [](uint32_t p) {
        double sum = 0;
        for (const auto& [shift, weight] : {std::pair{10, 0.2126}, {5, 0.7152}, {0, 0.0722}}) {
            const double c = ((p >> shift & 31) << 3 | (p >> shift & 31) >> 2) / 255.0;
            sum += weight * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    const double text = luminance(sc_InterFaceRectButton::kTextColour);
    std::vector<uint8_t> faintOn(32768);
    for (uint32_t p = 0; p < faintOn.size(); ++p)
        faintOn[p] = (std::max(luminance(p), text) + 0.05) / (std::min(luminance(p), text) + 0.05) < 3.0;
    std::vector<uint16_t> screen(800 * 600);
    int32_t maps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(krxtest::DataDir() / "map")) {
        if (entry.path().extension() != ".BUD") continue;
        ++maps;
        const std::string name = "MAP\\" + entry.path().filename().string();
        sc_Point view;
        sc_Background ground;
        ground.vInit(&view, screen.data(), 800, 600);
        ASSERT_TRUE(ground.bLoad(name.c_str()) && ground.oMapSize.x > 800 && ground.oMapSize.y > 600) << name;
        // Three views along the diagonal; at most one pixel in twenty faint
        // (flowers, glare), and the ground not of one colour (or none).
        for (int32_t k = 1; k <= 3; ++k) {
            view.oSet(ground.oMapSize.x * k / 4 - 400, ground.oMapSize.y * k / 4 - 300);
            ground.vShow();
            int32_t faint = 0, alike = 0;
            for (uint16_t p : screen) faint += faintOn[p & 0x7FFF], alike += p == screen[0];
            EXPECT_LT(faint, 800 * 600 / 20) << name << " view " << k;
            EXPECT_LT(alike, 800 * 600 / 2) << name << " view " << k;
        }
    }
    EXPECT_GE(maps, 20);
}

} // namespace
