#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/debug.h"
#include "platform/trace.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::string_literals;

class DebugLog : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<krxtest::ScopedCwd>(m_dir.Path());
    }
    void TearDown() override {
        m_cwd.reset();
        HeadlessTest::TearDown();
    }
    std::string Log() const { return m_dir.Read("DEBUG.TXT"); }

    krxtest::TempDir m_dir;
    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
};

TEST_F(DebugLog, EntriesAreThreeZeroEndedFieldsAndCrLfWrittenAtFlush) {
    m_dir.Write("DEBUG.TXT", "left over from the last run");
    sc_Debug log;
    EXPECT_EQ(g_pDebug, &log);
    log.vOpen("DEBUG.TXT");
    EXPECT_EQ(Log(), "");
    Backend().SetNow(10'000'123);
    log.vWrite("oAllObject.vShow();", -7);
    log.vWrite(nullptr, 5);
    Backend().SetNow(0x80000005u); // a tick count past the signed range reads negative
    log.vWrite("", 0);
    log.vTrace("oSound.vSoundScan();", 1);
    EXPECT_EQ(Log(), "") << "nothing reaches the file before a flush";
    log.vFlush(5000);
    EXPECT_EQ(Log(), "10000123\0oAllObject.vShow();\0-7\0\r\n"s
                     "-2147483643\0\0000\0\r\n"s);
    // Closing keeps the file open; what is written after still arrives.
    log.vClose();
    EXPECT_EQ(log.pGetName(), nullptr);
    log.vWrite("after", 1);
    log.vFlush(5000);
    EXPECT_NE(Log().find("after\0"s "1\0\r\n"s), std::string::npos);
}

TEST_F(DebugLog, IsTheTraceSinkWhileItLivesAndWritesTheRestWhenItGoes) {
    std::vector<std::string> outside;
    plat::ScopedTraceSink capture([&](std::string_view s, std::string_view r) {
        outside.push_back(std::string(s) + "|" + std::string(r));
    });
    Backend().SetNow(10'000'000);
    {
        sc_Debug log;
        plat::Trace("before", "open"); // not open yet: the outer sink has it
        log.vOpen("DEBUG.TXT");
        plat::Trace("MAP\\wrd01007.BUD", "truncated record");
    }
    EXPECT_EQ(g_pDebug, nullptr);
    plat::Trace("after", "gone");
    EXPECT_EQ(outside, (std::vector<std::string>{"before|open", "after|gone"}));
    EXPECT_EQ(Log(), "10000000\0MAP\\wrd01007.BUD: truncated record\0" "0\0\r\n"s);
}

TEST_F(DebugLog, AnEntryPastTheCapStartsTheLogAfreshKeepingTheFullOneAsOld) {
    m_dir.Write("DEBUG.OLD", "from an earlier run");
    sc_Debug log;
    log.vOpen("DEBUG.TXT");
    Backend().SetNow(10'000'000);
    const std::string message(4000, 'x');
    // "10000000\0" + message + "\0" + "1\0" + CR LF
    const uint32_t entry = 9 + 4001 + 2 + 2;
    const uint32_t fits = sc_Debug::kCapBytes / entry;
    for (uint32_t i = 0; i < fits; ++i) {
        log.vWrite(message.c_str(), 1);
        if (i % 1000 == 0) log.vFlush(5000);
    }
    // A short entry still fits in what is left; the next long one does not,
    // and starts the new log. The name going (vClose) changes nothing.
    log.vWrite("short", 2);
    log.vClose();
    for (int i = 0; i < 3; ++i) log.vWrite(message.c_str(), 1);
    const std::string old = m_dir.Read("DEBUG.OLD");
    EXPECT_EQ(old.size(), uint64_t{fits} * entry + 19);
    EXPECT_EQ(old.substr(old.size() - 19), "10000000\0short\0" "2\0\r\n"s);
    log.vFlush(5000);
    EXPECT_EQ(Log().size(), 3u * entry);
    EXPECT_EQ(Log().substr(0, 9 + message.size()), "10000000\0"s + message);
}

TEST(ModeFlags, EachSettingSetsAllFourFlagsAndReturnsTheRecord) {
    using Flags = std::vector<int32_t>;
    for (const auto& [set, want] : {std::pair{&p_SetModeFlags1001, Flags{1, 0, 0, 1}},
                                    {&p_SetModeFlags0100, Flags{0, 1, 0, 0}}, {&p_SetModeFlags0010, Flags{0, 0, 1, 0}}}) {
        ss_ModeFlags f{{7, 7, 7, 7}};
        EXPECT_EQ(set(&f), &f);
        EXPECT_EQ(Flags(f.lFlag, f.lFlag + 4), want);
    }
}

} // namespace
