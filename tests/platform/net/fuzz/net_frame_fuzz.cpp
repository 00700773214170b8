// Feeds untrusted bytes to the session stream's parser as a host and a
// member read them: frame after frame, each decoded both as a request and
// as an event, and the whole input as a discovery datagram.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/net/discovery.h"
#include "platform/net/frame.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    using namespace plat::net;
    const std::span<const uint8_t> input(p, n);
    size_t at = 0;
    for (;;) {
        Frame frame;
        size_t used = 0;
        const char* why = nullptr;
        const ParseStatus s = ParseFrame(input.subspan(at), frame, used, why);
        if (s != ParseStatus::Frame) {
            Check(s == ParseStatus::NeedMore || why != nullptr);
            break;
        }
        Check(used > 4 && used <= n - at && frame.payload.size() == used - 5 && frame.payload.size() <= kMaxFramePayload);
        Check(frame.payload.data() == input.data() + at + 5);
        for (bool request : {true, false}) {
            Message m;
            why = nullptr;
            const bool ok = request ? DecodeRequest(frame, m, why) : DecodeEvent(frame, m, why);
            Check(ok || why != nullptr);
            if (!ok) continue;
            Check(m.name.size() < kNameLimit);
            if (!m.data.empty())
                Check(m.data.data() >= frame.payload.data() &&
                      m.data.data() + m.data.size() == frame.payload.data() + frame.payload.size());
            if (m.type == FrameType::Welcome) {
                // A table that decoded encodes back to bytes that decode alike.
                std::vector<uint8_t> bytes, again;
                WireWriter w(bytes);
                m.table.Encode(w);
                WireReader r(bytes);
                NameTable copy;
                Check(copy.Decode(r) && r.AtEnd());
                WireWriter w2(again);
                copy.Encode(w2);
                Check(again == bytes);
            }
        }
        at += used;
    }
    uint32_t nonce = 0;
    Advert advert;
    if (DecodeAnswer(input, nonce, advert)) Check(advert.name.size() < kNameLimit && advert.tcpPort != 0);
    DecodeQuery(input, nonce);
    return 0;
}
