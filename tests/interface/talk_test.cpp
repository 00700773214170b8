#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/work.h"
#include "interface/talk.h"
#include "platform/byte_reader.h"
#include "platform/input.h"
#include "tests/support/game_dir.h"
#include "tests/support/headless_run.h"
#include "tests/support/reader_checks.h"

namespace {

struct Rec {
    int32_t speaker, second;
    std::string text;
};

// A talk table; texts of 128 bytes or more fill their field without a zero.
std::string Table(const std::vector<Rec>& recs, bool closed = true) {
    sc_ByteWriter w;
    w.Write(int32_t{0x7777});
    auto put = [&](const Rec& r) {
        w.Write(r.speaker, r.second);
        std::string field = r.text.substr(0, 128);
        field.resize(128, '\0');
        w.WriteBytes(field.data(), field.size());
    };
    for (const Rec& r : recs)
        put(r);
    if (closed) put({0, 0, ""});
    return {w.Bytes().begin(), w.Bytes().end()};
}

std::vector<Rec> Lines(int n, int32_t speaker = 1) {
    std::vector<Rec> r;
    for (int i = 0; i < n; ++i)
        r.push_back({speaker, i % 3, "line " + std::to_string(i)});
    return r;
}

// The texts of the page on show, as lines.
std::vector<std::string> Page(const sc_Talk& t) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < t.lLines; ++i) {
        const char* s = t.pLines[i].oText.pGetText();
        if (s) out.push_back(s);
    }
    return out;
}

class TalkFile : public ::testing::Test {
protected:
    TalkFile() : m_cwd(m_dir.Path()) {}
    // Loads a table with N lines; the records read.
    int32_t Load(const std::string& bytes, int32_t lines = 4) {
        m_dir.Write("T.DB", bytes);
        m_talk.bLoad(0, 0, 100, 100, "T.DB", lines);
        return m_talk.lGetCount();
    }

    krxtest::TempDir m_dir;
    krxtest::ScopedCwd m_cwd;
    sc_Talk m_talk;
};

TEST_F(TalkFile, TablesEndAtAnEmptyTextAHundredRecordsOrTheFileEnd) {
    std::vector<Rec> gap = Lines(2);
    gap.push_back({1, 0, ""});
    gap.push_back({1, 0, "never read"});
    std::vector<Rec> full = Lines(101);
    full.push_back({1, 0, std::string(130, 'x')});
    const struct {
        const char* what;
        std::string bytes;
        int32_t records;
        int32_t ok;
    } cases[] = {
        {"closed", Table(Lines(3)), 3, 1},
        {"open at the end", Table(Lines(3), false), 3, 1},
        {"an empty text", Table(gap, false), 2, 1},
        {"the 101st", Table(full, false), 100, 1},
        {"cut in a record", Table(Lines(3), false).substr(0, 4 + 136 * 2 + 70), 2, 0},
        {"no header", "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        krxtest::TraceCapture trace;
        m_dir.Write("T.DB", c.bytes);
        EXPECT_EQ(m_talk.bLoad(0, 0, 100, 100, "T.DB", 4), c.ok);
        EXPECT_EQ(m_talk.lGetCount(), c.records);
        EXPECT_EQ(trace.Lines().size(), c.ok ? 0u : 1u);
    }
    EXPECT_EQ(m_talk.bLoad(0, 0, 100, 100, "NONE.DB", 4), 0);
    EXPECT_EQ(m_talk.lGetCount(), 0);
    EXPECT_EQ(m_talk.bFinished(), 1);

    // A full field is cut to 127 bytes; speaker and face come with the text.
    Load(Table({{3, 2, std::string(128, 'y')}, {-1, -1, "\xA4\x40"}}));
    EXPECT_EQ(std::string(m_talk.pGetText(0)), std::string(127, 'y'));
    EXPECT_EQ(m_talk.lGetSpeaker(0), 3);
    EXPECT_EQ(m_talk.lGetSecond(0), 2);
    EXPECT_EQ(m_talk.lGetSpeaker(1), -1);
}

TEST_F(TalkFile, PagesHoldOneSpeakerAndTurnBackAndForth) {
    const struct {
        const char* what;
        std::vector<int32_t> speakers;
        int32_t lines;
        std::vector<size_t> pages;
    } cases[] = {
        {"speaker change", {1, 1, 2}, 4, {2, 1}},
        {"one speaker", {5, 5, 5, 5, 5}, 4, {4, 1}},
        {"the narrator's page takes the next speaker", {-1, 2, 2, 3}, 4, {3, 1}},
        {"no lines is one line", {1, 1}, 0, {1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Rec> recs;
        for (int32_t s : c.speakers)
            recs.push_back({s, 0, "t" + std::to_string(recs.size())});
        Load(Table(recs), c.lines);
        std::vector<size_t> pages;
        while (!m_talk.bFinished()) {
            m_talk.vFillPage();
            pages.push_back(Page(m_talk).size());
        }
        EXPECT_EQ(pages, c.pages);
    }

    Load(Table(Lines(10)), 4);
    m_talk.vFillPage();
    m_talk.vFillPage();
    m_talk.vPageBack();
    EXPECT_EQ(Page(m_talk).front(), "line 0");
    m_talk.vPageNext();
    m_talk.vPageNext();
    EXPECT_EQ(m_talk.lCursor, 10);
    m_talk.vPageNext(); // at the end: the last full page again
    EXPECT_EQ(Page(m_talk).front(), "line 6");

    // A table shorter than a page never sends the cursor below 0.
    Load(Table(Lines(2)), 4);
    m_talk.vFillPage();
    m_talk.vPageNext();
    EXPECT_EQ(m_talk.lCursor, 2);
    EXPECT_EQ(Page(m_talk).size(), 2u);
    m_talk.vPageBack();
    EXPECT_EQ(Page(m_talk).front(), "line 0");
}

TEST(TalkImage, APortraitWithoutAllItsFramesDrawsWhatItHas) {
    sc_GameDir two;
    sc_GameImgWithShadow frame;
    two.vAdd(&frame);
    two.vAdd(&frame);
    sc_TalkImage image;
    image.vSetImage(0, 0, 10, 10); // no sprite cache: no portrait at all
    EXPECT_EQ(image.pDir, nullptr);
    image.pDir = &two;
    image.bTalking = 1;
    for (int32_t t = 0; t < 5000; t += 10) {
        g_lNowTick = 10'000'000 + t;
        image.vShow();
        ASSERT_TRUE(image.lMouth >= 0 && image.lMouth <= 2);
        ASSERT_TRUE(image.lEyes == 0 || image.lEyes == 3 || image.lEyes == 4);
    }
    image.pDir = nullptr;
    // Hidden by a line without a speaker, the same speaker shows again.
    image.lStatus = image.lDirection = 0;
    image.pDir = &two;
    image.vSetImage(-1, 0, 10, 10);
    EXPECT_EQ(image.bShown, 0);
    image.vSetImage(0, 0, 30, 40);
    EXPECT_EQ(image.bShown, 1);
    EXPECT_EQ(image.oPoint.x, 30);
    image.pDir = nullptr;
}

// ------------------------------------------------------------ on screen

// The program with a dialogue on an otherwise empty screen.
class TalkWork : public sc_Work {
public:
    void vShow() override {
        g_pWorkBuffer = g_pWorkSurface ? g_pWorkSurface->pGetBuffer() : nullptr;
        if (oScene.lState == sc_Scene::kStateStart) {
            oScene.vMain(); // fonts, tables, keyboard
            talk.bLoad(40, 30, 200, 60, "T.DB", 4);
            return;
        }
        std::fill_n(g_pWorkBuffer, 800 * 600, uint16_t{0});
        finished = talk.lShow();
        Frame f;
        f.cursor = talk.lCursor;
        f.typed = talk.bPageTyped();
        f.speaker = talk.oImage.lStatus;
        for (int y = 0; y < 190; ++y)
            for (int x = 0; x < 140; ++x)
                (y < 95 ? f.upper : f.lower).push_back(g_pWorkBuffer[(30 + y) * 800 + 40 + x]);
        for (int y = 60; y < 76; ++y)
            for (int x = 200; x < 400; ++x)
                f.text += g_pWorkBuffer[y * 800 + x] != 0;
        frames.push_back(std::move(f));
    }
    struct Frame {
        int32_t cursor = 0, typed = 0, speaker = -1, text = 0;
        std::vector<uint16_t> upper, lower; // the portrait's halves: eyes, mouth
    };
    sc_Talk talk;
    std::vector<Frame> frames;
    int32_t finished = 0;
};

class TalkOnScreen : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<krxtest::ScopedCwd>(m_dir.Path());
        sc_Window::vRegister(0, "KRX", 0, 0);
    }
    void TearDown() override {
        m_cwd.reset();
        HeadlessTest::TearDown();
    }
    void Run(const std::vector<Rec>& recs, uint64_t passes) {
        m_dir.Write("T.DB", Table(recs));
        Backend().SetStep(10);
        Backend().SetPassBudget(passes);
        m_work.vCreate("KRX Project", 0, 0, 0);
        ASSERT_EQ(m_work.lRun(), 0);
    }

    krxtest::GameDir m_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
    TalkWork m_work;
};

TEST_F(TalkOnScreen, HeldEnterTurnsEachPageTheFrameAfterItHasTyped) {
    Backend().At(1, [](plat::HeadlessBackend& b) { b.KeyDown(plat::key::Enter); });
    Run({{1, 0, "ab"}, {1, 1, "\xA4\x40\xA4\x41"}, {2, 0, "c"}, {0, 2, "d"}}, 80);
    const auto& f = m_work.frames;
    ASSERT_GT(f.size(), 40u);
    EXPECT_EQ(f[0].cursor, 2) << "the first page fills itself in the first frame";
    std::vector<int32_t> cursors{f[0].cursor};
    for (size_t i = 1; i < f.size(); ++i) {
        if (f[i].cursor != f[i - 1].cursor) {
            EXPECT_TRUE(f[i - 1].typed) << "turned in frame " << i << " before the page had typed";
            cursors.push_back(f[i].cursor);
        } else if (f[i - 1].typed && f[i].cursor < 4) {
            ADD_FAILURE() << "frame " << i << " did not turn a typed page";
        }
    }
    EXPECT_EQ(cursors, (std::vector<int32_t>{2, 3, 4}));
    EXPECT_EQ(m_work.finished, 1);
    // The second page's portrait is its speaker's.
    EXPECT_EQ(f.back().speaker, 0);
}

TEST_F(TalkOnScreen, TheMouthMovesWhileALineTypesAndTheEyesBlink) {
    // 60 bytes at 50 ms a step: three seconds of typing, then a held page.
    Run({{1, 0, std::string(60, 'm')}}, 700);
    const auto& f = m_work.frames;
    size_t typedAt = 0;
    while (typedAt < f.size() && !f[typedAt].typed)
        ++typedAt;
    ASSERT_LT(typedAt + 300, f.size());
    ASSERT_GT(typedAt, 250u);
    EXPECT_GT(f[typedAt].text, 200) << "the line is drawn";

    size_t painted = 0;
    for (uint16_t p : f[typedAt].lower)
        painted += p != 0;
    EXPECT_GT(painted, f[typedAt].lower.size() * 3 / 4) << "the portrait is drawn at its point";

    std::set<std::vector<uint16_t>> mouths;
    for (size_t i = 0; i < typedAt; ++i)
        mouths.insert(f[i].lower);
    EXPECT_GE(mouths.size(), 3u) << "closed, half and wide open";
    // From the frame after the last step on, the mouth stays shut.
    for (size_t i = typedAt + 2; i < f.size(); ++i)
        ASSERT_TRUE(f[i].lower == f[typedAt + 1].lower) << "frame " << i;

    // Blinks: the eyes leave their open look and come back, 1.5 to 3 s apart.
    const std::vector<uint16_t>& open =
        f.back().upper == f[typedAt].upper ? f[typedAt].upper : f.front().upper;
    std::vector<size_t> starts;
    for (size_t i = 1; i < f.size(); ++i)
        if (f[i].upper != open && f[i - 1].upper == open) starts.push_back(i);
    ASSERT_GE(starts.size(), 2u);
    for (size_t k = 1; k < starts.size(); ++k) {
        const size_t ms = (starts[k] - starts[k - 1]) * 10;
        EXPECT_GE(ms, 1500u);
        EXPECT_LE(ms, 3200u);
    }
}

// ------------------------------------------------------------ data set

// Big5: single bytes below 0x80, or a lead byte 0x81..0xFE and a trail byte.
bool IsBig5(const char* text) {
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x80) continue;
        const unsigned lead = *p, trail = *++p;
        if (lead == 0x80 || lead == 0xFF ||
            !((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE)))
            return false;
    }
    return true;
}

TEST(GeneratedTalk, EveryTableIsBig5AndEveryLineHasItsPortrait) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    sc_MemoryControl cache;
    struct Use {
        std::string file;
        int32_t textX, lines, minRecords;
    };
    std::vector<Use> uses = {{"ATTRIB\\STORY.DB", 146, 9, 9}, {"ATTRIB\\SOS1.DB", 167, 8, 1}};
    // The briefing pictures change with the records read, up to these.
    const int32_t briefing[12] = {23, 26, 18, 23, 26, 14, 15, 14, 27, 11, 12, 15};
    for (int m = 0; m < 12; ++m)
        uses.push_back({"ATTRIB\\TALK" + std::to_string(m + 1) + ".DB", 250, 4, briefing[m]});
    for (const Use& u : uses) {
        SCOPED_TRACE(u.file);
        sc_Talk talk;
        ASSERT_EQ(talk.bLoad(0, 0, u.textX, 0, u.file.c_str(), u.lines), 1);
        EXPECT_GE(talk.lGetCount(), u.minRecords);
        for (int32_t r = 0; r < talk.lGetCount(); ++r) {
            const char* text = talk.pGetText(r);
            EXPECT_TRUE(IsBig5(text)) << r;
            const int32_t speaker = talk.lGetSpeaker(r), face = talk.lGetSecond(r);
            if (speaker == -1) continue;
            sc_GameDir* dir = cache.pGetDir(sc_TalkImage::kPackStr, sc_TalkImage::kPackImg, 0, speaker, face);
            ASSERT_NE(dir, nullptr) << r;
            EXPECT_EQ(dir->lGetFrameCount(), 5);
            cache.vFree(dir);
        }
    }
    // The radio call is one page.
    sc_Talk radio;
    radio.bLoad(0, 0, 167, 54, "ATTRIB\\SOS1.DB", 8);
    radio.vFillPage();
    EXPECT_EQ(radio.bFinished(), 1);
}

} // namespace
