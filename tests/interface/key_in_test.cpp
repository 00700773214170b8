#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interface/key_in.h"
#include "tests/interface/widget_fixture.h"

namespace {

class KeyIn : public krxtest::Widgets {
protected:
    // Frames of 16 ms while the keys are held: the text and result after each.
    std::vector<std::string> Hold(std::vector<uint8_t> keys, int frames = 1) {
        for (uint8_t k : keys)
            Backend().KeyDown(k);
        std::vector<std::string> texts;
        for (int i = 0; i < frames; ++i) {
            Frame();
            results.push_back(in.bInput());
            texts.emplace_back(in.pGetText());
        }
        for (uint8_t k : keys)
            Backend().KeyUp(k);
        return texts;
    }
    std::string Type(std::vector<uint8_t> keys) { return Hold(std::move(keys)).back(); }

    sc_InterFaceKeyIn in;
    std::vector<int32_t> results;
};

TEST_F(KeyIn, EveryDigitAndLetterKeyTypesItsCharacterAndShiftMakesCapitals) {
    // The keyboard's rows as their set-1 scan codes number them.
    struct Row {
        uint8_t first;
        const char* keys;
    };
    int keys = 0;
    for (const Row row :
         {Row{2, "1234567890"}, Row{16, "qwertyuiop"}, Row{30, "asdfghjkl"}, Row{44, "zxcvbnm"}})
        for (int i = 0; row.keys[i]; ++i, ++keys)
            for (uint8_t shift : {uint8_t{0}, plat::key::LeftShift, plat::key::RightShift}) {
                const char c = row.keys[i];
                SCOPED_TRACE(testing::Message() << c << " shift " << int(shift));
                in.vSetUp(40, 30, 10);
                std::vector<uint8_t> held{static_cast<uint8_t>(row.first + i)};
                if (shift) held.push_back(shift);
                EXPECT_EQ(Type(held),
                          std::string(1, shift && c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c));
                Frame(300);
            }
    EXPECT_EQ(keys, 36);
    in.vSetUp(40, 30, 10);
    EXPECT_EQ(Type({plat::key::Space, plat::key::LeftShift, 0x0C, 0x33}), "") << "no other key types";
    EXPECT_EQ(Type({0x1E, 0x03, 0x0B}), "0") << "digits before letters, 0 before 1";
}

TEST_F(KeyIn, AHeldKeyRepeatsEvery200MsBackspaceEveryFrameAndEnterAcceptsText) {
    in.vSetUp(40, 30, 128);
    const std::vector<std::string> typed = Hold({plat::key::A, plat::key::LeftShift}, 28); // 448 ms
    EXPECT_EQ(std::vector<std::string>({typed[0], typed[12], typed[13], typed[27]}),
              std::vector<std::string>({"A", "A", "AA", "AAA"}));
    Frame(50);
    EXPECT_EQ(Type({plat::key::A, plat::key::LeftShift}), "AAA")
        << "pressed again soon, it waits for the repeat";
    Frame(200);
    EXPECT_EQ(Type({plat::key::A, plat::key::LeftShift}), "AAAA");
    EXPECT_EQ(Type({plat::key::S}), "AAAAs") << "another key at once";
    results.clear();
    EXPECT_EQ(Hold({plat::key::Enter}, 3), (std::vector<std::string>(3, "AAAAs")));
    EXPECT_EQ(Hold({plat::key::Backspace}, 7),
              (std::vector<std::string>{"AAAA", "AAA", "AA", "A", "", "", ""}));
    Hold({plat::key::Enter}, 2);
    EXPECT_EQ(results, (std::vector<int32_t>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}))
        << "Enter on text, then empty";

    // The caret after the text shows every other 500 ms.
    std::vector<int> caret;
    for (int i = 0; i < 6; ++i, Frame(260)) {
        Clear();
        in.vShow();
        caret.push_back(Count(40, 30, 8, 16, 0) < 8 * 16);
    }
    EXPECT_EQ(caret, (std::vector<int>{0, 0, 1, 1, 0, 0}));
}

TEST_F(KeyIn, TheTextHoldsOneCharacterLessThanItsMaximumAtMostTheBuffer) {
    struct Case {
        int32_t maximum;
        size_t kept;
    };
    for (const Case c : {Case{10, 9}, Case{128, 127}, Case{100000, 127}, Case{1, 0}, Case{-5, 0}}) {
        SCOPED_TRACE(c.maximum);
        in.vSetUp(40, 30, c.maximum);
        for (int i = 0; i < 200; ++i)
            Type({i % 2 ? plat::key::A : plat::key::S});
        EXPECT_EQ(std::string(in.pGetText()).size(), c.kept);
        EXPECT_EQ(in.lLength, static_cast<int32_t>(c.kept));
    }
    in.vSetUp(40, 30, 10);
    EXPECT_EQ(Type({plat::key::D}), "d") << "set up again, the line starts empty";
    EXPECT_EQ(g_pInterFaceKeyIn, &in);
}

} // namespace
