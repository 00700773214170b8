// Feeds untrusted bytes to the talk table reader, then pages through what it
// kept as the screens do: forwards to the end, back, and forwards again.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "interface/talk.h"
#include "platform/byte_reader.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    sc_Talk talk;
    // The first byte picks the page length, 0 included.
    talk.vSetUp(0, 0, 0, 0, n ? p[0] % 12 : 4);
    sc_ByteReader in(p, n);
    talk.bReadRecords(in);
    Check(talk.lGetCount() <= sc_Talk::kMaxRecords);
    for (int32_t r = 0; r < talk.lGetCount(); ++r) {
        const char* text = talk.pGetText(r);
        Check(text && *text && std::strlen(text) < sc_Talk::kTextBytes);
    }
    int32_t pages = 0;
    while (!talk.bFinished()) {
        const int32_t before = talk.lCursor;
        talk.vFillPage();
        Check(talk.lCursor > before && talk.lCursor - before <= talk.lLines);
        // Lines without a speaker, then lines of one speaker.
        int32_t speaker = -1;
        for (int32_t i = before; i < talk.lCursor; ++i) {
            if (speaker != -1) Check(talk.lGetSpeaker(i) == speaker);
            speaker = talk.lGetSpeaker(i);
        }
        Check(++pages <= sc_Talk::kMaxRecords);
    }
    talk.vPageBack();
    Check(talk.lCursor >= 0 && talk.lCursor <= talk.lGetCount());
    talk.vPageNext();
    talk.vPageNext();
    Check(talk.lCursor >= 0 && talk.lCursor <= talk.lGetCount());
    return 0;
}
