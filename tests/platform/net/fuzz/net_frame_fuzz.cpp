// Feeds untrusted bytes to the session stream's parser as a host and a
// member read them: frame after frame, each decoded both as a request and
// as an event, and the whole input as a discovery datagram. The parse under
// each of the opening's limits must agree with the unlimited one up to the
// limit, and the opening's frames written again from what decoded must fit
// the limits they are read with.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/net/discovery.h"
#include "platform/net/frame.h"
#include "platform/net/handshake.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

using namespace plat::net;

// Under `limit`, the same frame as the unlimited parse while it fits, and
// nothing taken past it.
void CheckLimited(std::span<const uint8_t> stream, ParseStatus unlimited, const Frame& frame, uint32_t limit) {
    Frame limited;
    size_t used = 0;
    const char* why = nullptr;
    const ParseStatus s = ParseFrame(stream, limited, used, why, limit);
    if (unlimited == ParseStatus::Frame && frame.payload.size() <= limit)
        Check(s == ParseStatus::Frame && limited.payload.data() == frame.payload.data() &&
              limited.payload.size() == frame.payload.size());
    else
        Check((s == ParseStatus::Bad && why != nullptr) || (s == ParseStatus::NeedMore && unlimited == s));
}

// What an honest side writes again of a decoded opening frame fits the
// limit the other side reads it with.
void CheckOpening(const Message& m) {
    std::vector<uint8_t> out;
    const HandshakeFacts f{m.app, m.instance, m.key, m.key, m.nonce, m.nonce, m.flags, {}, {}};
    uint32_t limit = kMaxHelloPayload;
    if (m.type == FrameType::Hello) WriteHello(out, f, m.process);
    else if (m.type == FrameType::Proof) WriteProof(out, m.signature);
    else if (m.type == FrameType::Challenge) WriteChallenge(out, f, m.signature), limit = kMaxChallengePayload;
    else if (m.type == FrameType::Welcome)
        WriteWelcome(out, m.app, m.instance, m.name, m.age, m.process, m.table), limit = kMaxWelcomePayload;
    Frame frame;
    size_t used = 0;
    const char* why = nullptr;
    Check(out.empty() || ParseFrame(out, frame, used, why, limit) == ParseStatus::Frame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    const std::span<const uint8_t> input(p, n);
    size_t at = 0;
    for (;;) {
        Frame frame;
        size_t used = 0;
        const char* why = nullptr;
        const ParseStatus s = ParseFrame(input.subspan(at), frame, used, why);
        for (const uint32_t limit : {kMaxHelloPayload, kMaxChallengePayload, kMaxWelcomePayload})
            CheckLimited(input.subspan(at), s, frame, limit);
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
            CheckOpening(m);
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
    QueryCookie cookie{};
    if (DecodeAnswer(input, nonce, advert, cookie)) Check(advert.name.size() < kNameLimit && advert.tcpPort != 0);
    if (DecodeCookieReply(input, nonce, cookie)) Check(cookie != QueryCookie{});
    if (DecodeQuery(input, nonce, cookie)) {
        // A reply, whatever the session's name, is never longer than the
        // query it answers.
        Advert longest;
        longest.name.assign(kNameLimit - 1, 'n');
        Check(input.size() == kQueryBytes && EncodeAnswer(nonce, longest, cookie).size() <= input.size() &&
              EncodeCookieReply(nonce, cookie).size() <= input.size());
    }
    return 0;
}
