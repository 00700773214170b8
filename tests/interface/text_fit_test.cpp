// Every text of the data set that the interface draws, drawn the way its
// screen draws it with the game's own fonts: what it lights lies inside the
// picture the screen puts behind it and clear of what the screen places
// beside it. The texts drawn over the map (the objective, the players'
// names and scores) have the ground itself behind them: it stays dark
// enough for their colour to read.
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
#include "tests/interface/widget_fixture.h"

namespace {

using namespace layout;

struct Rect {
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0; // right and bottom excluded
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
    bool Holds(const Rect& r) const { return r.x0 >= x0 && r.y0 >= y0 && r.x1 <= x1 && r.y1 <= y1; }
    bool Meets(const Rect& r) const { return r.x0 < x1 && x0 < r.x1 && r.y0 < y1 && y0 < r.y1; }
};

std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << "(" << r.x0 << ", " << r.y0 << ") - (" << r.x1 << ", " << r.y1 << ")";
}

Rect At(Pos p, Size s, int32_t inset = 0) { return {p.x + inset, p.y + inset, p.x + s.w - inset, p.y + s.h - inset}; }
Pos Below(Pos p, int32_t dy) { return {p.x, p.y + dy}; }

// A button's places, normal and hovered.
Rect Button(Pos normal, Pos over, Size s) {
    return {std::min(normal.x, over.x), std::min(normal.y, over.y), std::max(normal.x, over.x) + s.w,
            std::max(normal.y, over.y) + s.h};
}

class GeneratedTexts : public krxtest::Widgets {
protected:
    void SetUp() override {
        Widgets::SetUp();
        strings.vLoad(sc_AllString::kFileName);
        ASSERT_GE(strings.lGetGroupCount(), 15);
    }

    // The bounds of what draw() lights on an empty surface.
    Rect Ink(const std::function<void()>& draw) {
        Clear();
        draw();
        Rect r{800, 600, 0, 0};
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x)
                if (Pixel(x, y)) r = {std::min(r.x0, x), std::min(r.y0, y), std::max(r.x1, x + 1), std::max(r.y1, y + 1)};
        return r;
    }
    // As the screens draw a plain string.
    Rect Plain(Pos at, const char* text) {
        return Ink([&] { g_pTextSurface->vShowString(at.x, at.y, text, 0, 0, nullptr); });
    }
    // As a typed line stands once typed, its head included.
    Rect Typed(Pos at, const char* text) {
        sc_RunText line;
        line.vSetUp(nullptr, 0, at.x, at.y);
        line.vSetText(text);
        for (int32_t i = 0; i < 200 && line.lTyped < line.lLength; ++i) {
            Frame(1);
            line.lShow(0);
        }
        return Ink([&] { line.lShow(1); });
    }
    // The portrait a talk table's record shows at the dialogue's image point.
    Rect Portrait(int32_t speaker, int32_t face, Pos image) {
        if (speaker < 0) return {};
        sc_GameDir* dir = m_cache.pGetDir(sc_TalkImage::kPackStr, sc_TalkImage::kPackImg, 0, speaker, face);
        if (!dir || !dir->pGetFrameAt(0)) return {};
        const sc_GameImg& face0 = dir->pGetFrameAt(0)->oImage();
        const Rect r{image.x + face0.oGetOffset().x, image.y + face0.oGetOffset().y,
                     image.x + face0.oGetOffset().x + face0.lGetWidth(),
                     image.y + face0.oGetOffset().y + face0.lGetHeight()};
        m_cache.vFree(dir);
        return r;
    }
    void Check(const std::string& what, const Rect& ink, const Rect& box, const std::vector<Rect>& clear = {}) {
        ++checked;
        if (ink.Empty()) {
            ADD_FAILURE() << what << ": draws nothing";
            return;
        }
        EXPECT_TRUE(box.Holds(ink)) << what << ": lights " << ink << ", its box is " << box;
        for (const Rect& c : clear)
            EXPECT_FALSE(c.Meets(ink)) << what << ": lights " << ink << " over " << c;
    }
    const char* String(int32_t group, int32_t index) {
        const char* s = strings.pGetString(group, index);
        EXPECT_NE(s, nullptr) << group << "," << index;
        return s ? s : "";
    }

    sc_AllString strings;
    int32_t checked = 0;
};

TEST_F(GeneratedTexts, EveryTextFitsTheBoxItsScreenDrawsItIn) {
    // Dialogues: each record as the first and as the last line of a page.
    struct Use {
        std::string file;
        Pos image, text;
        int32_t lines;
        Rect box;
        std::vector<Rect> clear;
    };
    const Rect back = Button(kNavBack, kNavBackOver, kNavButton), top = Button(kNavTop, kNavTopOver, kNavButton);
    const Rect briefBox = At(kBriefBox, kBriefBoxSize, 3);
    std::vector<Use> uses = {
        {"STORY.DB", kStoryImage, kStoryText, kStoryLines, At(kStoryPanel, kStoryPanelSize, 3), {}},
        {"SOS1.DB", {0, 0}, kRadioText, kRadioLines, At(Below({kRadioHome.x + 20, kRadioHome.y}, 20), kRadioBack, 3), {}},
    };
    for (int32_t m = 1; m <= 12; ++m) {
        const std::string file = "TALK" + std::to_string(m) + ".DB";
        uses.push_back({file, kBriefImage, kBriefText, kBriefLines, briefBox, {back, top}});
        uses.push_back({file, kBriefImageAtLoad, kBriefTextAtLoad, kBriefLines, briefBox, {back, top}});
    }
    for (const Use& u : uses) {
        sc_Talk talk;
        ASSERT_EQ(talk.bLoad(u.image.x, u.image.y, u.text.x, u.text.y, ("ATTRIB\\" + u.file).c_str(), u.lines), 1);
        ASSERT_GT(talk.lGetCount(), 0) << u.file;
        for (int32_t r = 0; r < talk.lGetCount(); ++r) {
            std::vector<Rect> clear = u.clear;
            clear.push_back(Portrait(talk.lGetSpeaker(r), talk.lGetSecond(r), u.image));
            for (int32_t line : {0, u.lines - 1})
                Check(u.file + " record " + std::to_string(r) + " line " + std::to_string(line),
                      Typed(Below(u.text, 20 * line), talk.pGetText(r)), u.box, clear);
        }
    }

    // The mission buttons' captions.
    for (int32_t i = 0; i < 12; ++i) {
        const Pos at = Below(kMissionButton, kMissionButtonSize.h * i);
        Check("mission " + std::to_string(i), Plain(at, String(0, i)), At(at, kMissionButtonSize));
    }
    // The cards: a hovered weapon card's three lines on the text strip and
    // its name on the detail panel; the chosen item's name on the strip.
    const Slide& strip = kArmsSlides[6];
    const Rect stripBox = At(Below(strip.home, -kTextStripRise), strip.size, 1);
    const Rect itemFrame = At(kArmsSlides[3].home, kArmsSlides[3].size);
    const Rect detail = At(kArmsSlides[2].home, kArmsSlides[2].size, 3);
    const std::vector<Rect> besideStrip = {itemFrame, top};
    for (int32_t c = 0; c < kWeaponCards; ++c) {
        for (int32_t k = 0; k < 3; ++k)
            Check("weapon card " + std::to_string(c) + " line " + std::to_string(k),
                  Plain(kHoverTexts[k], String(1, 3 * c + k)), stripBox, besideStrip);
        // The numbers of the panel stand left of the name, the price below it.
        const Rect price{kDetailPrice.x, kDetailPrice.y, kDetailPrice.x + 40, kDetailPrice.y + 17};
        Check("weapon card " + std::to_string(c) + " name", Plain(kHoverName, String(1, 3 * c)), detail, {price});
    }
    for (int32_t c = 0; c < kItemCards; ++c)
        Check("item card " + std::to_string(c), Plain(kItemName, String(2, c)), stripBox, besideStrip);
    for (int32_t i = 0; i < 3; ++i) {
        const Rect number{kDetailAmmo.x, kDetailLabels[i].y, kDetailAmmo.x + 40, kDetailLabels[i].y + 17};
        Check("label " + std::to_string(i), Plain(kDetailLabels[i], String(8, i)), detail, {number});
    }

    // The character screen's typed lines, type 0 with twelve and the others
    // with ten.
    const Rect charPanel = At(kCharPanelHome, kCharPanel, 3);
    for (int32_t t = 0; t < kCharacterTypes; ++t)
        for (int32_t i = 0; i < (t == 0 ? 12 : 10); ++i) {
            const Pos at = i == 11 ? kLastTextLine : Below(kTextLine, kTextLinePitch * i);
            Check("type " + std::to_string(t) + " line " + std::to_string(i), Typed(at, String(3 + t, i)), charPanel);
        }
    // The arms screen's texts of the type: three on the ability panel, its
    // name in the header, left of the money plate.
    const Rect ability = At(kArmsSlides[1].home, kArmsSlides[1].size, 3);
    const Rect header = At(kArmsSlides[0].home, kArmsSlides[0].size);
    const Rect money = At(kArmsSlides[4].home, kArmsSlides[4].size);
    for (int32_t t = 0; t < kCharacterTypes; ++t) {
        for (int32_t k = 0; k < 3; ++k)
            Check("type text " + std::to_string(4 * t + k + 1), Plain(kFormTexts[k], String(9, 4 * t + k + 1)), ability);
        Check("type name " + std::to_string(t), Plain(kFormTexts[3], String(9, 4 * t)), header, {money});
    }

    // The objective line over the map: left of the money counter, above the
    // radio box.
    for (int32_t m = 0; m < 12; ++m)
        Check("objective " + std::to_string(m), Plain({20, 0}, String(10, m)), {0, 0, kMoneyBack.x, kRadioHome.y});
    // The lobby: a room's name prompt before the key-in line, a slot's
    // character and the battle map between their arrows.
    Check("room name prompt", Plain(kRoomNamePrompt, String(11, 1)), {0, 0, kLobbyKeyIn.x, 600});
    for (int32_t t = 0; t < kCharacterTypes; ++t)
        Check("slot character " + std::to_string(t), Plain(kSlotCharName, String(12, t)),
              {kSlotCharDown.x + kSlotButton.w, 0, kSlotCharUp.x, 600});
    for (int32_t m = 0; m < kBattleMaps; ++m)
        Check("battle map " + std::to_string(m), Plain(kMapName, String(13, m)),
              {kMapDown.x + kSlotButton.w, 0, kMapUp.x, 600});
    // The system menu's volume page.
    for (int32_t i = 0; i < 9; ++i)
        Check("volume page " + std::to_string(i), Plain({kVolumeTextX, kVolumeTextY[i]}, String(14, i)),
              At(kVolumePage, kVolumePageSize, 3));
    EXPECT_GT(checked, 600);
}

// Relative luminance of a 5-5-5 pixel, and the contrast of two of them.
double Luminance(uint16_t p) {
    auto linear = [](int32_t c5) {
        const double c = ((c5 << 3) | (c5 >> 2)) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear((p >> 10) & 31) + 0.7152 * linear((p >> 5) & 31) + 0.0722 * linear(p & 31);
}
double Contrast(uint16_t a, uint16_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(GeneratedGrounds, TheTextColourReadsOverEveryMapsGround) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    const auto text = static_cast<uint16_t>(sc_InterFaceRectButton::kTextColour);
    std::vector<uint8_t> faintOn(32768);
    for (size_t p = 0; p < faintOn.size(); ++p) faintOn[p] = Contrast(static_cast<uint16_t>(p), text) < 3.0;
    std::vector<uint16_t> screen(800 * 600);
    int32_t maps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(krxtest::DataDir() / "map")) {
        if (entry.path().extension() != ".BUD") continue;
        ++maps;
        const std::string name = "MAP\\" + entry.path().filename().string();
        sc_Point view;
        sc_Background ground;
        ground.vInit(&view, screen.data(), 800, 600);
        ground.bLoad(name.c_str());
        ASSERT_GT(ground.oMapSize.x, 800) << name;
        // Three views along the map's diagonal; at most one pixel in twenty
        // under a contrast of 3 to 1 (flowers, glare).
        for (int32_t k = 1; k <= 3; ++k) {
            view.oSet(ground.oMapSize.x * k / 4 - 400, ground.oMapSize.y * k / 4 - 300);
            ground.vShow();
            int32_t faint = 0;
            for (uint16_t p : screen) faint += faintOn[p & 0x7FFF];
            EXPECT_LT(faint, 800 * 600 / 20) << name << " view " << k;
        }
    }
    EXPECT_GE(maps, 20);
}

} // namespace
